// SPDX-License-Identifier: GPL-3.0-or-later
// Who may read what the program makes from a plan, what it trusts beside the
// plan, the texts it falls back on and the largest plan it opens.
#include "support/ablauf.h"

#include "app/qtkompat.h"
#include "planfile/planlesen.h"
#include "planfile/sicherschreiben.h"
#include "planfile/versionen.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QStringList plan = {"1;Tablora;;;;;;;;;;;", "2;Muster;Erika;01.02.1950;0;0;;;;;;;",
                          "3;A-mol;A-mol Info;5 mg;30;{M};20;1;0;1;0;0;"};
// What another user plants: the same plan with a morning dose of 4.
const QByteArray fremderPlan = "1;Tablora;\n2;Muster;Erika;\n3;A-mol;A-mol Info;5 mg;30;0;20;4;0;1;0;0;\n";
const char *const gepflanzt = "2025-01-01_00-00-00-000.medat";

uint modus(const QString &pfad)
{
    struct stat st;
    return ::lstat(QFile::encodeName(pfad).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

void schreiben(const QString &pfad, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(pfad).absolutePath());
    QFile f(pfad);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
}

QStringList mit(QStringList a, const QStringList &b)
{
    return a << b;
}

// A hostile entry at `ort`, the versions folder (`ordner`) or the newest
// version in it: "datei" (a file in the folder's place), "verweis" (a link to
// `anderswo`), "pipe", "offen" (a folder writable by all, as /tmp), "fremd"
// (another user's, faked). A hostile folder holds a planted version.
void anlegen(const QString &art, bool ordner, const QString &ort, const QString &anderswo)
{
    if (art == "verweis") {
        QVERIFY(QFile::link(anderswo, ort));
    } else if (art == "pipe") {
        QCOMPARE(::mkfifo(QFile::encodeName(ort).constData(), 0600), 0);
    } else {
        schreiben(ordner && art != "datei" ? ort + "/" + gepflanzt : ort, fremderPlan);
        if (art == "offen")
            QCOMPARE(::chmod(QFile::encodeName(ort).constData(), 01777), 0);
        if (art == "fremd")
            Versionsspeicher::pruefung() = [ort](const Versionsspeicher::Besitz &b) {
                return !b.pfad.startsWith(ort) && Versionsspeicher::eigenes(b);
            };
    }
}

} // namespace

class TestPrivat : public QObject
{
    Q_OBJECT
private slots:
    // A read that blocks (a pipe opened without O_NONBLOCK) ends the test
    // instead of hanging it.
    void initTestCase() { ::umask(022); }
    void init() { ::alarm(60); }
    void cleanup()
    {
        ::alarm(0);
        Versionsspeicher::pruefung() = &Versionsspeicher::eigenes;
    }

    void rechte_data()
    {
        QTest::addColumn<uint>("plan");
        QTest::newRow("600") << 0600u;
        QTest::newRow("640") << 0640u;
        QTest::newRow("644") << 0644u;
    }
    // Versions, exports and PDFs no more readable than the plan; a new plan
    // and the settings (also those an earlier version left open) the user's alone.
    void rechte()
    {
        QFETCH(uint, plan);
        Ablauf a;
        a.ausfuehren(mit(mit({"datei p.medat"}, ::plan), {".", "start p.medat"}));
        const QString e = Ablauf::einsetzen("{E}");
        for (const QString &d : {e, e + "/data"}) {
            ::chmod(QFile::encodeName(d).constData(), 0755);
            for (const QString &f : QDir(d).entryList(QDir::Files))
                ::chmod(QFile::encodeName(d + "/" + f).constData(), 0644);
        }
        ::chmod(QFile::encodeName(a.pfad("p.medat")).constData(), plan);
        a.ausfuehren({"neustart", "setze tabReiter 2", "klick butApotheke", "> apoPackungen=1 ok",
                      "klick \"Erinnerungen exportieren (Kalender)\"", "> datei x.ics",
                      "klick \"Tabelle exportieren (CSV)\"", "> datei x.csv",
                      "klick \"Medikamentenliste als PDF\"", "> datei x1.pdf",
                      "klick \"Einnahmeplan als PDF\"", "> datei x2.pdf",
                      "klick \"Speichern unter\"", "> datei neu.medat"});
        QMap<QString, uint> ist, soll;
        for (const QString n : {"p.medat", "x.ics", "x.csv", "x1.pdf", "x2.pdf", "neu.medat",
                                 ".p.medat.versions", ".p.medat.versions/*.medat"}) {
            ist[n] = modus(a.pfad(n));
            soll[n] = n == "neu.medat" ? 0600 : n.endsWith("versions") ? 0700 : plan;
        }
        for (const QString &d : {e, e + "/data"}) {
            ist[d] = modus(d);
            soll[d] = 0700;
            for (const QString &f : QDir(d).entryList(QDir::Files)) {
                ist[d + "/" + f] = modus(d + "/" + f);
                soll[d + "/" + f] = 0600;
            }
        }
        QCOMPARE(ist, soll);
    }

    void verweisInEinstellungen_data()
    {
        QTest::addColumn<bool>("ordner");
        QTest::newRow("data als Verweis") << true;
        QTest::newRow("Datei als Verweis") << false;
    }
    // A link in the settings is left alone, and so is what it points at.
    void verweisInEinstellungen()
    {
        QFETCH(bool, ordner);
        QTemporaryDir tmp;
        const QString e = tmp.path() + "/einst", anderswo = tmp.path() + "/anderswo";
        schreiben(anderswo + "/x.ini", "x");
        QVERIFY(QDir().mkpath(ordner ? e : e + "/data"));
        QVERIFY(ordner ? QFile::link(anderswo, e + "/data") : QFile::link(anderswo + "/x.ini", e + "/data/x.ini"));
        einstellungenSchuetzen(e);
        QCOMPARE(modus(e), 0700u);
        QCOMPARE(modus(anderswo), 0755u);
        QCOMPARE(modus(anderswo + "/x.ini"), 0644u);
    }

    void fremd_data()
    {
        QTest::addColumn<QString>("art");
        QTest::addColumn<bool>("ordner"); // the hostile entry is the folder itself
        QTest::newRow("fremde Datei") << "fremd" << false;
        QTest::newRow("Verweis auf eine Datei") << "verweis" << false;
        QTest::newRow("Pipe") << "pipe" << false;
        QTest::newRow("Verweis statt Ordner") << "verweis" << true;
        QTest::newRow("Ordner für alle beschreibbar") << "offen" << true;
        QTest::newRow("fremder Ordner") << "fremd" << true;
        QTest::newRow("Datei statt Ordner") << "datei" << true;
    }
    // Never read, never written through, never waited on; undo goes past it
    // to the user's own version.
    void fremd()
    {
        QFETCH(QString, art);
        QFETCH(bool, ordner);
        QTemporaryDir tmp;
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, tmp.path() + "/einst");
        const QString p = tmp.path() + "/p.medat", v = tmp.path() + "/.p.medat.versions";
        const QString anderswo = tmp.path() + (ordner ? "/anderswo" : "/anderswo.medat");
        ordner ? (void)QDir().mkpath(anderswo + "/x") : schreiben(anderswo, fremderPlan);
        schreiben(p, "");
        const QByteArray alt = "1;a\n2;alt\n", neu = "1;a\n2;neu\n";
        const auto zeit = [](int jahr) { return QDateTime(QDate(jahr, 1, 1), QTime(0, 0), Qt::UTC); };
        if (!ordner)
            QCOMPARE(Versionsspeicher(p).behalten(alt, {}, nullptr, zeit(2020)),
                     Versionsspeicher::Ergebnis::Neu);
        anlegen(art, ordner, ordner ? v : v + "/" + gepflanzt, anderswo);
        const QString feindlich = art == "verweis" && ordner ? anderswo : v;
        const QStringList vorher = QDir(feindlich).entryList(QDir::AllEntries | QDir::Hidden);
        Versionsspeicher s(p);
        QCOMPARE(s.ausweichOrdner(), ordner);
        if (ordner)
            QCOMPARE(s.behalten(alt, {}, nullptr, zeit(2020)), Versionsspeicher::Ergebnis::Neu);
        QCOMPARE(s.behalten(neu, {}, nullptr, zeit(2030)), Versionsspeicher::Ergebnis::Neu);
        const auto liste = s.versionen();
        for (const auto &version : liste)
            QVERIFY(Versionsspeicher::lesen(version.pfad) != fremderPlan);
        const int zurueck = Versionsspeicher::ziel(liste, liste.size(), -1, neu);
        QVERIFY(zurueck >= 0);
        QCOMPARE(Versionsspeicher::lesen(liste.at(zurueck).pfad), alt);
        QVERIFY(s.setzeStand(liste.at(zurueck).pfad));
        QCOMPARE(s.position(liste, alt), zurueck);
        // The hostile place as it was: nothing added, nothing written through.
        if (ordner) {
            QCOMPARE(QDir(feindlich).entryList(QDir::AllEntries | QDir::Hidden), vorher);
            QVERIFY(s.ordner().startsWith(Versionsspeicher::ausweichBasis() + "/"));
            QCOMPARE(modus(Versionsspeicher::ausweichBasis()), 0700u);
            QCOMPARE(modus(s.ordner()), 0700u);
        } else {
            QCOMPARE(QFileInfo(anderswo).size(), qint64(fremderPlan.size()));
            QCOMPARE(modus(v), 0700u);
        }
        if (art != "verweis" && art != "pipe")
            QCOMPARE(QFileInfo(ordner && art == "datei" ? v : v + "/" + gepflanzt).size(),
                     qint64(fremderPlan.size()));
    }

    void ausweichen_data()
    {
        QTest::addColumn<QString>("art");
        for (const char *art : {"datei", "verweis", "offen", "fremd"})
            QTest::newRow(art) << art;
    }
    // Through the window: told once, and undo and redo work on the versions
    // kept in the fallback folder.
    void ausweichen()
    {
        QFETCH(QString, art);
        Ablauf a;
        a.ausfuehren(mit(mit({"datei p.medat"}, ::plan), {"."}));
        QDir().mkpath(a.pfad("anderswo"));
        anlegen(art, true, a.pfad(".p.medat.versions"), a.pfad("anderswo"));
        const QStringList geaendert = {"erwarte p.medat", plan[0], plan[1],
                                       "3;A-mol;A-mol Info;5 mg;30;{T};50;1;0;1;0;0;", "."};
        a.ausfuehren(mit(mit(mit(mit({"start p.medat", "setze tabReiter 2", "klick butApotheke",
                                      "> apoPackungen=1 ok",
                                      "> warnung stattdessen in Ihrem Einstellungsordner"},
                                     geaendert),
                                 mit(mit({"klick \"Rückgängig\"", "erwarte p.medat"}, plan), {"."})),
                             mit({"klick \"Wiederholen\""}, geaendert)),
                         // Said once: the next change keeps its version without a word.
                         {"setze tabReiter 2", "klick butApotheke", "> apoPackungen=1 ok",
                          "ist \"Rückgängig\".an 1"}));
        QCOMPARE(QDir(Versionsspeicher(a.pfad("p.medat")).ordner()).entryList({"*.medat"}).size(), 2);
        const QString gepruefter = art == "verweis" ? a.pfad("anderswo") : a.pfad(".p.medat.versions");
        if (art != "datei")
            QCOMPARE(QDir(gepruefter).entryList(QDir::Files | QDir::Hidden),
                     art == "verweis" ? QStringList() : QStringList{gepflanzt});
    }

    void sprache_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("art");
        for (const char *code : {"de", "en", "pers"})
            for (const char *art : {"fehlt", "anfuehrung", "kaputt"})
                QTest::newRow(qPrintable(QString(code) + " " + art)) << code << art;
    }
    // Each text the user's file cannot give comes from the shipped file; one
    // that cannot be parsed is named in a message.
    void sprache()
    {
        QFETCH(QString, code);
        QFETCH(QString, art);
        Ablauf a;
        const QString eigene = Ablauf::einsetzen("{E}/data/lang_") + code + ".ini";
        const QString mitgeliefert = QCoreApplication::applicationDirPath() + "/data/lang_" + code + ".ini";
        QFile quelle(mitgeliefert);
        QVERIFY(quelle.open(QIODevice::ReadOnly));
        QByteArray text = quelle.readAll();
        // "fehlt": as an earlier version left it, without the Edit menu.
        for (const char *schluessel : {"menu5=", "menu51=", "menu52=", "menu53="}) {
            const int i = text.indexOf(QByteArray("\n") + schluessel);
            if (art == "fehlt" && i >= 0)
                text.remove(i, text.indexOf('\n', i + 1) - i);
        }
        if (art == "anfuehrung") // a stray quote early on, in the File menu
            text.insert(text.indexOf("menu11=") + 7, '"');
        if (art == "kaputt")
            text = "[Title\ntitle=kaputt\n";
        schreiben(eigene, text);
        QStringList zeilen = {"start p.medat " + code};
        if (art == "kaputt")
            zeilen.append("> warnung " + eigene);
        a.ausfuehren(mit(mit(mit({"datei p.medat"}, plan), {"."}), zeilen));
        QSettings mit(mitgeliefert, QSettings::IniFormat);
        iniUtf8(mit);
        MainWindow *w = a.fenster();
        const auto soll = [&](const QString &k) {
            return TestZugang::umlaute(*w, mit.value(k).toString());
        };
        QCOMPARE(w->findChild<QMenu *>("menu5")->title(), soll("Menubar/menu5"));
        for (const QString name : {"menu11", "menu12", "menu51", "menu53"})
            QCOMPARE(w->findChild<QAction *>(name)->text(), soll("Menubar/" + name));
        QVERIFY(w->windowTitle().startsWith(soll("Title/title") + " - "));
    }

    void groesse_data()
    {
        QTest::addColumn<qint64>("bytes"); // -1: the longest plan the form can make
        QTest::addColumn<bool>("ok");
        QTest::newRow("leer") << qint64(0) << true;
        QTest::newRow("Grenze") << maxPlanGroesse << true;
        QTest::newRow("Grenze + 1") << maxPlanGroesse + 1 << false;
        QTest::newRow("48 Medikamente, jedes Feld voll") << qint64(-1) << true;
    }
    void groesse()
    {
        QFETCH(qint64, bytes);
        QFETCH(bool, ok);
        QTemporaryDir tmp;
        QFile f(tmp.path() + "/p.medat");
        QVERIFY(f.open(QIODevice::WriteOnly));
        if (bytes >= 0) {
            QVERIFY(f.resize(bytes));
        } else {
            // As long as the form's fields take, in three-byte characters.
            int laenge = 0;
            Ablauf a;
            a.ausfuehren(mit(mit({"datei p.medat"}, plan), {".", "start p.medat"}));
            for (QLineEdit *feld : a.fenster()->findChildren<QLineEdit *>())
                laenge = qMax(laenge, feld->maxLength());
            QCOMPARE(laenge, 32767);
            const QString voll(laenge, QChar(0x20AC));
            QString zeilen = "1;Tablora;;;;;;;;;;;\n2;" + voll + ";" + voll + ";01.02.1950;1;2000000000;;;;;;;\n";
            for (int i = 3; i <= 50; ++i)
                zeilen += QString::number(i) + ";" + voll + ";" + voll + ";" + voll
                          + ";1000000;2000000000;1000000;1000000;1000000;1000000;1000000;1;\n";
            f.write(zeilen.toUtf8());
            QVERIFY(f.size() < maxPlanGroesse / 2);
        }
        f.close();
        bool zuGross = true;
        QCOMPARE(!planDateiLesen(f.fileName(), nullptr, &zuGross).isNull(), ok);
        QCOMPARE(zuGross, !ok);
    }

    // Refused on opening, before a line is in the window or kept as a version.
    void zuGrossBeimOeffnen()
    {
        Ablauf a;
        QFile f(a.pfad("gross.medat"));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(plan.join('\n').toUtf8() + '\n')
                && f.resize(maxPlanGroesse + 1));
        f.close();
        a.ausfuehren({"start gross.medat", "> warnung gr\\xc3\\xb6\\xc3\\x9fer als 32 MB",
                      "ist tabelleUebersicht# 0", "erwarte .gross.medat.versions -"});
    }
};

QTEST_MAIN(TestPrivat)
#include "tst_privat.moc"
