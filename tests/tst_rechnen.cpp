// SPDX-License-Identifier: GPL-3.0-or-later
// The program's pure figures and texts: rows of tests/tabellen/rechnen.txt,
// and the forecast against a computation of its own.
#include "support/ablauf.h"

#include "app/qtkompat.h"
#include "i18n/kuerzel.h"
#include "i18n/sprachform.h"
#include "pdf/csvtabelle.h"
#include "pdf/kalender.h"
#include "planfile/aenderungen.h"
#include "planfile/datensatz.h"
#include "planfile/eingabe.h"
#include "planfile/versionen.h"
#include "views/prognose.h"

#include <QtTest>

#include <ctime>
#include <functional>

namespace {

using Funktion = std::function<QString(const QStringList &)>;

QString zahl(const Zahleingabe &z)
{
    return z.ok ? zahlSpeichern(z.wert) : "nein";
}

// Folded calendar lines: at most 75 octets, whole UTF-8 characters, and
// unfolded the line that went in.
QString gefaltet(const QString &zeile)
{
    const QByteArray f = icsZeile(zeile.toUtf8());
    QByteArray zusammen;
    const QList<QByteArray> teile = f.chopped(2).split('\n');
    for (int i = 0; i < teile.size(); ++i) {
        QByteArray t = teile[i];
        if (i + 1 < teile.size() && !t.endsWith('\r'))
            return "LF ohne CR";
        if (i + 1 < teile.size())
            t.chop(1);
        if (t.size() > 75 || QString::fromUtf8(t).toUtf8() != t || (i > 0 && !t.startsWith(' ')))
            return "Zeile " + QString::number(i);
        zusammen += i > 0 ? t.mid(1) : t;
    }
    return f.endsWith("\r\n") && zusammen == zeile.toUtf8() ? "ok" : "anders";
}

const AenderungsWorte &worte()
{
    static AenderungsWorte w{"%1: %2 -> %3", "+%1", "-%1", "~%1", "Reihenfolge", "Patient",
                             "Termin %1", "kein Termin", "gleich", "anders"};
    return w;
}

const QMap<QString, Funktion> &funktionen()
{
    static const QMap<QString, Funktion> f{
        {"zahl", [](const QStringList &a) { return zahl(zahlEingabe(a[0], false)); }},
        {"zahlLeer", [](const QStringList &a) { return zahl(zahlEingabe(a[0], true)); }},
        {"speichern", [](const QStringList &a) { return zahlSpeichern(a[0].toFloat()); }},
        {"bestand", [](const QStringList &a) { return bestandText(a[0].toFloat()); }},
        {"wochen", [](const QStringList &a) { return wochenText(a[0].toFloat()); }},
        {"unlesbar", [](const QStringList &a) {
             QStringList n;
             for (int i : unlesbareFelder(a[0].split(';')))
                 n << QString::number(i);
             return n.join(',');
         }},
        {"ics", [](const QStringList &a) { return icsText(a[0]); }},
        {"falten", [](const QStringList &a) { return gefaltet(a[0]); }},
        {"csv", [](const QStringList &a) { return csvFeld(a[0], a.value(1) == "zahl"); }},
        {"csvSemikolon", [](const QStringList &a) {
             return csvFeld(a[0], a.value(1) == "zahl", QLatin1Char(';'));
         }},
        {"csvDatei", [](const QStringList &a) {
             QList<QStringList> zeilen;
             for (const QString &z : a[1].split('/'))
                 zeilen << z.split('|');
             return QString::fromUtf8(csvDatei(zeilen, {1}, csvForm(a[0])).mid(3));
         }},
        {"csvZeile", [](const QStringList &a) {
             return uebersichtCsvZeile(a[0].split(';'), a[1].split(';'), jetztUnix()).join('|');
         }},
        {"packungen", [](const QStringList &a) {
             const QStringList r = a[0].split(';'), patient = a[1].split(';');
             const quint32 jetzt = jetztUnix();
             return QString::number(packungenFuer(r, prognose(r, jetzt), jetzt, patient));
         }},
        {"balken", [](const QStringList &a) {
             const Prognose p = prognose(a[0].split(';'), jetztUnix());
             return QString::number(p.balken) + " " + QString::number(p.restTage);
         }},
        {"leerSeit", [](const QStringList &a) {
             return QString::number(prognose(a[0].split(';'), jetztUnix()).leerSeitTagen());
         }},
        {"warnung", [](const QStringList &a) {
             const Warnung w = warnung(prognose(a[0].split(';'), jetztUnix()), a[1].split(';'));
             QStringList n{w.rot() ? "rot" : w.gelb() ? "gelb" : "-"};
             if (w.aufgebraucht)
                 n << "aufgebraucht";
             if (w.vorTermin)
                 n << "vorTermin";
             if (w.knapp)
                 n << "knapp";
             return n.join(' ');
         }},
        {"kalender", [](const QStringList &a) {
             QList<QStringList> medikamente;
             for (const QString &r : a[0].split('/', Qt::SkipEmptyParts))
                 medikamente << r.split(';');
             QList<KalenderStand> vorher;
             for (const QString &v : a[2].split('/', Qt::SkipEmptyParts)) {
                 const QStringList f = v.split(',');
                 vorher << KalenderStand{f.value(0), f.value(1).replace("\\n", "\n"), f.value(2),
                                         QDate::fromString(f.value(3), Qt::ISODate)};
             }
             ExportTexte t;
             t.nachbestellen = "r";
             t.termin = "T";
             QList<KalenderStand> nachher;
             QStringList aus;
             for (const KalenderEreignis &e :
                  kalenderEreignisse(medikamente, a[1].split(';'), a[3].toUInt(), "/p.medat", t,
                                     vorher, &nachher))
                 aus << e.titel + " " + e.tag.toString(Qt::ISODate) + " "
                            + (e.ausloeser.isEmpty() ? "-" : e.ausloeser)
                            + (e.abgesagt ? " abgesagt" : "");
             QStringList saaten;
             for (const KalenderStand &s : nachher)
                 saaten << QString(s.saat).replace('\n', '+') + "=" + s.name;
             return aus.join(" / ") + " # " + saaten.join(' ');
         }},
        {"terminVorbei", [](const QStringList &a) {
             return terminVorbei(a[0].split(';'), QDate::currentDate()) ? "ja" : "nein";
         }},
        {"dosis", [](const QStringList &a) {
             return dosisText(a[0].toFloat(), a.value(1, ".").at(0));
         }},
        {"tag", [](const QStringList &a) {
             sprachformSetzen(a[0]);
             const QDate tag = QDate::fromString(a[1], Qt::ISODate);
             const QString text = tagText(tag) + " | " + tagTextKurz(tag) + " | "
                                  + zeitpunktText(tag.startOfDay().addSecs(3723)) + " | "
                                  + datumsFeldFormat() + " | " + dezimalZeichen();
             sprachformSetzen("de");
             return text;
         }},
        {"dekodieren", [](const QStringList &a) { return planTextDekodieren(Ablauf::bytes(a[0])); }},
        {"zeilen", [](const QStringList &a) { return planZeilen(a[0]).join('|'); }},
        {"endung", [](const QStringList &a) { return mitEndung(a[0], a[1]); }},
        {"kuerzel", [](const QStringList &a) { return ohneKuerzel(a[0]); }},
        {"ganzzahl", [](const QStringList &a) { return QString::number(ganzzahl(a[0].toDouble())); }},
        {"aenderung", [](const QStringList &a) {
             return aenderungenBeschreiben(Ablauf::bytes(a[0]), Ablauf::bytes(a[1]), worte())
                 .join('|');
         }},
        {"datum", [](const QStringList &a) {
             qputenv("TZ", a[0].toUtf8());
             tzset();
             return datumText(a[1].toLongLong()) + " "
                    + QString::number(unixZeit(QDate::fromString(a.value(2), "dd.MM.yyyy")
                                                   .startOfDay()));
         }},
    };
    return f;
}

// The forecast as written down: single precision, in this order.
Prognose nachgerechnet(const QStringList &r, quint32 jetzt)
{
    Prognose e;
    const float b = r[6].toFloat();
    e.taeglich = ((r[7].toFloat() + r[8].toFloat()) + r[9].toFloat()) + r[10].toFloat();
    e.tage = qint32(jetzt - quint32(r[5].toInt())) / 86400;
    const float c = e.tage > 0 ? b - float(e.tage) * e.taeglich : b;
    e.bestandHeute = c > 0 ? c : 0;
    e.wochen = (b / e.taeglich - float(e.tage)) / 7;
    e.restTage = qint32(b / e.taeglich - float(e.tage));
    e.leerZeit = qint64(float(r[5].toInt()) + (b / e.taeglich) * 86400.0f);
    e.balken = e.restTage > 60 ? 100 : qMax(0, int(e.restTage * 1.66));
    return e;
}

} // namespace

class TestRechnen : public QObject
{
    Q_OBJECT
private slots:
    void tabelle_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("argumente");
        QTest::addColumn<QString>("erwartet");
        QFile datei(QFINDTESTDATA("tabellen/rechnen.txt"));
        QVERIFY(datei.open(QIODevice::ReadOnly));
        int nr = 0;
        for (const QString &z : QString::fromUtf8(datei.readAll()).split('\n')) {
            ++nr;
            const int pfeil = z.lastIndexOf(" => ");
            if (z.startsWith('#') || pfeil < 0)
                continue;
            QStringList teile = z.left(pfeil).split(" | ");
            const QString name = teile.takeFirst().trimmed();
            for (QString &t : teile)
                if (name != "dekodieren" && name != "aenderung")
                    t = QString::fromUtf8(Ablauf::bytes(t));
            QTest::addRow("%d %s", nr, qPrintable(name))
                << name << teile << QString::fromUtf8(Ablauf::bytes(z.mid(pfeil + 4)));
        }
    }
    void tabelle()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, argumente);
        QFETCH(QString, erwartet);
        QVERIFY2(funktionen().contains(name), qPrintable(name));
#ifdef Q_OS_WIN
        // The C runtime takes no zone names in TZ: a process has no zone of its own.
        if (name == "datum")
            QSKIP("Windows: no time zone of its own for a process");
#endif
        QCOMPARE(funktionen()[name](argumente), erwartet);
    }

    // Every combination of stock, doses and counting time, at several moments.
    void prognoseNachgerechnet()
    {
        for (const char *bestand : {"0", "5", "20", "37.5", "99.9", "12341", "1e7"})
            for (const QStringList &dosen :
                 {QStringList{"1", "0", "1", "0"}, {"0.5", "0", "0.5", "0.5"},
                  {"0.3", "0.3", "0.3", "0.25"}, {"3", "2", "1", "4"}})
                for (qint64 vor : {0LL, 3599LL, 86400LL, 86400LL * 13 + 5, -86400LL * 13 - 5,
                                   86400LL * 400}) {
                    const quint32 jetzt = 1800000000u;
                    const QStringList r = QStringList{"3", "A", "", "", "30",
                                                      QString::number(jetzt - vor), bestand}
                                          + dosen + QStringList{"0"};
                    const Prognose p = prognose(r, jetzt), e = nachgerechnet(r, jetzt);
                    const QString fall = r.join(';');
                    QVERIFY2(p.verbrauch && p.tage == e.tage && p.restTage == e.restTage
                                 && p.balken == e.balken && p.leerZeit == e.leerZeit,
                             qPrintable(fall));
                    QCOMPARE(p.taeglich, e.taeglich);
                    QCOMPARE(p.wochen, e.wochen);
                    QCOMPARE(p.bestandHeute, e.bestandHeute);
                }
    }

    // The store keeps the newest 100 versions, oldest first.
    void versionen()
    {
        QTemporaryDir ordner;
        const QString plan = ordner.filePath("p.medat");
        Versionsspeicher speicher(plan);
        for (int i = 0; i < 105; ++i)
            QVERIFY(speicher.behalten("1;Tablora;;;;;;;;;;;\n2;" + QByteArray::number(i)
                                          + ";;;;;;;;;;;\n",
                                      {}, nullptr, QDateTime::currentDateTimeUtc().addSecs(i))
                    != Versionsspeicher::Ergebnis::Fehler);
        const auto liste = speicher.versionen();
        QCOMPARE(liste.size(), Versionsspeicher::grenze);
        QVERIFY(Versionsspeicher::lesen(liste.first().pfad).contains("2;5;"));
        QVERIFY(Versionsspeicher::lesen(liste.last().pfad).contains("2;104;"));
    }
};

QTEST_MAIN(TestRechnen)
#include "tst_rechnen.moc"
