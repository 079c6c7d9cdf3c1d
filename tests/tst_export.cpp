// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/testsupport.h"

#include "pdf/csvtabelle.h"
#include "pdf/kalender.h"
#include "planfile/datensatz.h"
#include "views/prognose.h"

#include <QAction>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTableWidget>
#include <QtTest>

#include <cmath>
#include <limits>

namespace {
constexpr qint64 tag = 86400;

// A medication counted `vorTagen` days ago.
QStringList mittel(const QString &name, const QString &einheiten, const QString &bestand,
                   const QString &morgens, int vorTagen = 0)
{
    return {name, "Beschreibung, \"Teil\" 1", "400 mg", einheiten,
            QString::number(qint64(jetztUnix()) - vorTagen * tag), bestand, morgens, "0", "0",
            "0", "0"};
}

const QString kommaName = QStringLiteral("K\u00e4lte, \u00d6l \u0622\u0633\u067e\u0631\u06cc\u0646");

// The plan the exported files are made from; the Python readers know its names.
QList<QStringList> beispielMittel()
{
    return {mittel(kommaName, "20", "10", "1"),   // 10 days: red, 1 pack
            mittel("Metformin", "50", "200", "2"), // 100 days
            mittel("Bedarf", "20", "30", "0"),     // on demand: no event
            mittel("Leer", "10", "2", "1", 10),    // ran out 8 days ago: 3 packs
            mittel("Absurd", "10", "1e38", "1"),   // no event, no packs
            mittel("Ohne Packung", "abc", "5", "1"),
            {"Vor 1970", "", "", "10", "-86400", "5", "1", "0", "0", "0", "0"}};
}

QStringList patientMitTermin(int inTagen)
{
    const QDateTime termin(QDate::currentDate().addDays(inTagen), QTime(0, 0));
    return {"Musterfrau", "Erika", "12.03.1948", "1",
            QString::number(termin.toSecsSinceEpoch())};
}

// Lines of a content line as written, CRLF removed.
QList<QByteArray> physischeZeilen(const QByteArray &text)
{
    QList<QByteArray> zeilen = text.split('\n');
    zeilen.removeLast();
    for (QByteArray &z : zeilen)
        z.chop(1);
    return zeilen;
}
} // namespace

class TestExport : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void packungen_data();
    void packungen();
    void falten_data();
    void falten();
    void escapen_data();
    void escapen();
    void csvFelder_data();
    void csvFelder();
    void hinweise_data();
    void hinweise();
    void dateien();
    void sequenz_data();
    void sequenz();
    void fehler_data();
    void fehler();
};

void TestExport::packungen_data()
{
    QTest::addColumn<float>("taeglich");
    QTest::addColumn<float>("bestand");
    QTest::addColumn<float>("proPackung");
    QTest::addColumn<int>("terminInTagen"); // -1000: no appointment
    QTest::addColumn<int>("erwartet");
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    QTest::newRow("knapp") << 1.0f << 10.0f << 20.0f << 14 << 1;
    QTest::newRow("genau drei Packungen") << 2.0f << 2.0f << 10.0f << 9 << 3;
    QTest::newRow("ein Stueck mehr als drei") << 2.0f << 1.0f << 10.0f << 9 << 4;
    QTest::newRow("0.1 + 0.2 ohne Aufschlag") << 0.1f + 0.2f << 0.0f << 3.0f << 3 << 1;
    QTest::newRow("reicht genau") << 1.0f << 21.0f << 20.0f << 14 << -1;
    QTest::newRow("reicht") << 1.0f << 100.0f << 20.0f << 14 << -1;
    QTest::newRow("Termin heute") << 1.0f << 0.0f << 5.0f << 0 << 2;
    QTest::newRow("Termin vorbei") << 1.0f << 0.0f << 5.0f << -1 << -1;
    QTest::newRow("kein Termin") << 1.0f << 0.0f << 5.0f << -1000 << -1;
    QTest::newRow("leer gelaufen zaehlt als 0") << 1.0f << -50.0f << 10.0f << 3 << 1;
    QTest::newRow("kein Verbrauch") << 0.0f << 0.0f << 10.0f << 14 << -1;
    QTest::newRow("Verbrauch negativ") << -1.0f << 0.0f << 10.0f << 14 << -1;
    QTest::newRow("Packung 0") << 1.0f << 0.0f << 0.0f << 14 << -1;
    QTest::newRow("Packung negativ") << 1.0f << 0.0f << -10.0f << 14 << -1;
    QTest::newRow("Packung nan") << 1.0f << 0.0f << nan << 14 << -1;
    QTest::newRow("Bestand nan") << 1.0f << nan << 10.0f << 14 << -1;
    QTest::newRow("Bestand -inf") << 1.0f << -inf << 10.0f << 14 << -1;
    QTest::newRow("Verbrauch inf") << inf << 0.0f << 10.0f << 14 << -1;
    QTest::newRow("Verbrauch 1e38") << 1e38f << 0.0f << 1.0f << 14 << -1;
    QTest::newRow("Packung winzig") << 1.0f << 0.0f << 1e-30f << 14 << -1;
}

void TestExport::packungen()
{
    QFETCH(float, taeglich);
    QFETCH(float, bestand);
    QFETCH(float, proPackung);
    QFETCH(int, terminInTagen);
    QFETCH(int, erwartet);
    Prognose p;
    p.taeglich = taeglich;
    p.bestandHeute = bestand;
    p.verbrauch = taeglich != 0.0f;
    const QDate heute(2026, 12, 30);
    const QDate termin = terminInTagen == -1000 ? QDate() : heute.addDays(terminInTagen);
    QCOMPARE(packungenBisTermin(p, proPackung, heute, termin), erwartet);
}

void TestExport::falten_data()
{
    QTest::addColumn<QString>("zeile");
    QString persisch; // 100 letters of two octets each
    for (int i = 0; i < 100; ++i)
        persisch += QChar(0x0627 + i % 20);
    QTest::newRow("200 Oktette Persisch") << "SUMMARY:" + persisch;
    QTest::newRow("75 Oktette") << QString(75, 'a');
    QTest::newRow("76 Oktette") << QString(76, 'a');
    QTest::newRow("kurz") << "VERSION:2.0";
    QTest::newRow("Umlaut an der Grenze") << QString(74, 'a') + QString(30, QChar(0x00e4));
    QTest::newRow("Vier-Oktett-Zeichen") << "X:" + QString::fromUtf8("\xF0\x9F\x92\x8A").repeated(40);
}

void TestExport::falten()
{
    QFETCH(QString, zeile);
    const QByteArray gefaltet = icsZeile(zeile.toUtf8());
    QVERIFY(gefaltet.endsWith("\r\n"));
    QCOMPARE(gefaltet.count('\n'), gefaltet.count("\r\n"));
    QByteArray zusammen;
    const QList<QByteArray> teile = physischeZeilen(gefaltet);
    for (int i = 0; i < teile.size(); ++i) {
        QVERIFY2(teile[i].size() <= 75, teile[i].constData());
        // Each physical line stands on its own as UTF-8.
        QCOMPARE(QString::fromUtf8(teile[i]).toUtf8(), teile[i]);
        if (i > 0) {
            QVERIFY(teile[i].startsWith(' '));
            zusammen += teile[i].mid(1);
        } else {
            zusammen += teile[i];
        }
    }
    QCOMPARE(QString::fromUtf8(zusammen), zeile);
    QCOMPARE(teile.size() > 1, zeile.toUtf8().size() > 75);
}

void TestExport::escapen_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("erwartet");
    QTest::newRow("Komma und Semikolon") << "a,b;c" << "a\\,b\\;c";
    QTest::newRow("Backslash zuerst") << "C:\\n" << "C:\\\\n";
    QTest::newRow("Zeilenumbrueche") << "a\nb\r\nc\rd" << "a\\nb\\nc\\nd";
    QTest::newRow("Steuerzeichen weg") << QString("a") + QChar(7) + QChar(0) + "b\tc"
                                       << "ab\tc";
    QTest::newRow("Umlaute und Persisch bleiben")
        << QStringLiteral("\u00d6l \u0622\u0628") << QStringLiteral("\u00d6l \u0622\u0628");
}

void TestExport::escapen()
{
    QFETCH(QString, text);
    QFETCH(QString, erwartet);
    QCOMPARE(icsText(text), erwartet);
}

void TestExport::csvFelder_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("zahl");
    QTest::addColumn<QString>("erwartet");
    QTest::newRow("schlicht") << "Aspirin" << false << "Aspirin";
    QTest::newRow("Komma") << "a, b" << false << "\"a, b\"";
    QTest::newRow("Anfuehrung") << "5 \"mg\"" << false << "\"5 \"\"mg\"\"\"";
    QTest::newRow("Zeilenumbruch") << "a\nb" << false << "\"a\nb\"";
    QTest::newRow("Formel") << "=HYPERLINK(1)" << false << "'=HYPERLINK(1)";
    QTest::newRow("Formel mit Komma") << "@a,b" << false << "\"'@a,b\"";
    QTest::newRow("negative Zahl") << "-3" << true << "-3";
}

void TestExport::csvFelder()
{
    QFETCH(QString, text);
    QFETCH(bool, zahl);
    QFETCH(QString, erwartet);
    QCOMPARE(csvFeld(text, zahl), erwartet);
}

void TestExport::hinweise_data()
{
    QTest::addColumn<int>("terminInTagen"); // -1: no appointment set
    QTest::addColumn<QString>("bestand");
    QTest::addColumn<int>("vorTagen");
    QTest::addColumn<QString>("einheiten");
    QTest::addColumn<int>("packungen"); // -1: no figure
    QTest::addColumn<bool>("gefaerbt");
    QTest::newRow("rot") << 14 << "10" << 0 << "20" << 1 << true;
    QTest::newRow("gelb") << 30 << "25" << 0 << "10" << 2 << true;
    QTest::newRow("ungefaerbt, knapp") << 30 << "32" << 0 << "10" << 1 << false;
    QTest::newRow("leer gelaufen") << 14 << "2" << 10 << "10" << 3 << true;
    QTest::newRow("reicht") << 14 << "200" << 0 << "10" << -1 << false;
    QTest::newRow("ohne Packungsgroesse") << 14 << "10" << 0 << "0" << -1 << true;
    QTest::newRow("kein Termin") << -1 << "10" << 0 << "10" << -1 << true;
}

// The pack figure where the user sees it: the run-out cell's tooltip (only
// when yellow or red) and the pickup dialog.
void TestExport::hinweise()
{
    QFETCH(int, terminInTagen);
    QFETCH(QString, bestand);
    QFETCH(int, vorTagen);
    QFETCH(QString, einheiten);
    QFETCH(int, packungen);
    QFETCH(bool, gefaerbt);
    QStringList patient = patientMitTermin(qMax(terminInTagen, 0));
    if (terminInTagen < 0)
        patient[3] = "0";
    TestUmgebung u;
    u.vorbereiten(u.planSchreiben(
        "plan.medat", planMit(patient, {mittel("A", einheiten, bestand, "1", vorTagen)})));
    MainWindow w;
    QVERIFY(!TestZugang::txtPackungen(w).isEmpty());
    const QString text =
        packungen < 0 ? QString() : TestZugang::txtPackungen(w) + ": " + QString::number(packungen);

    const QTableWidgetItem *zelle = kind<QTableWidget>(&w, "tabelleUebersicht")->item(0, 4);
    QCOMPARE(zelle->background().style() != Qt::NoBrush, gefaerbt);
    QCOMPARE(zelle->toolTip().contains(TestZugang::txtPackungen(w)), gefaerbt && packungen >= 0);
    QVERIFY(!gefaerbt || packungen < 0 || zelle->toolTip().endsWith("\n" + text));

    kind<QTabWidget>(&w, "tabReiter")->setCurrentIndex(2);
    kind<QListWidget>(&w, "listBox")->setCurrentRow(0);
    QString gesehen = "-";
    DialogHelfer helfer([&](QWidget *d) {
        auto *l = d->findChild<QLabel *>("apoBedarf");
        gesehen = l ? l->text() : QString();
        dialogSchliessen(d);
    });
    kind<QPushButton>(&w, "butApotheke")->click();
    QVERIFY(helfer.erledigt());
    QCOMPARE(gesehen, text);
}

// Writes the files the Python readers check, through the real menu entries,
// with the overview's own figures beside them.
void TestExport::dateien()
{
    QString ausgabe = qEnvironmentVariable("TABLORA_EXPORT_OUT");
    QTemporaryDir notfalls;
    if (ausgabe.isEmpty())
        ausgabe = notfalls.path();
    QDir(ausgabe).removeRecursively();
    QVERIFY(QDir().mkpath(ausgabe));

    TestUmgebung u;
    MeldungsWaechter waechter; // the notice of the unreadable "abc" on opening
    const QString plan =
        u.planSchreiben("plan.medat", planMit(patientMitTermin(14), beispielMittel()));
    const QString leer = u.planSchreiben("leer.medat", planMit(patientMitTermin(5), {}));
    u.vorbereiten(plan);
    auto w = std::make_unique<MainWindow>();
    const auto exportieren = [&](const char *eintrag, const QString &name) {
        const QString ziel = ausgabe + "/" + name;
        DialogHelfer helfer([&](QWidget *d) { dateiDialogAusfuellen(d, ziel); });
        kind<QAction>(w.get(), eintrag)->trigger();
        QVERIFY(helfer.erledigt());
    };
    exportieren("menu16", "erste");
    exportieren("menu16", "zweite.ics");
    exportieren("menu17", "tabelle");
    QVERIFY(QFileInfo(ausgabe + "/erste.ics").isFile());
    QVERIFY(QFileInfo(ausgabe + "/tabelle.csv").isFile());

    QJsonArray zeilen;
    auto *tabelle = kind<QTableWidget>(w.get(), "tabelleUebersicht");
    for (int z = 0; z < tabelle->rowCount(); ++z) {
        QJsonArray spalten;
        for (int s : {0, 1, 2, 3, 4})
            spalten.append(tabelle->item(z, s) ? tabelle->item(z, s)->text() : QString());
        zeilen.append(spalten);
    }
    QJsonArray kopf;
    for (int s = 0; s < tabelle->columnCount(); ++s)
        kopf.append(tabelle->horizontalHeaderItem(s)->text());
    const QJsonObject erwartet{{"heute", QDate::currentDate().toString(Qt::ISODate)},
                               {"termin", QDate::currentDate().addDays(14).toString(Qt::ISODate)},
                               {"kopf", kopf},
                               {"packungenKopf", TestZugang::txtPackungen(*w)},
                               {"zeilen", zeilen}};
    dateiSchreiben(ausgabe + "/uebersicht.json", QJsonDocument(erwartet).toJson());

    // A plan without medications: only the appointment.
    w.reset();
    u.vorbereiten(leer);
    w = std::make_unique<MainWindow>();
    exportieren("menu16", "leer.ics");
    QVERIFY(dateiLesen(ausgabe + "/leer.ics").contains("SUMMARY:Arzttermin\r\n"));
    // Nor an appointment: a calendar without events.
    w.reset();
    QStringList ohneTermin = patientMitTermin(5);
    ohneTermin[3] = "0";
    u.vorbereiten(u.planSchreiben("ohne.medat", planMit(ohneTermin, {})));
    w = std::make_unique<MainWindow>();
    exportieren("menu16", "ohne.ics");
}

void TestExport::sequenz_data()
{
    QTest::addColumn<QString>("gespeichert"); // empty: none yet
    QTest::addColumn<qint64>("mindestens");
    QTest::addColumn<qint64>("hoechstens");
    const qint64 minuten = (QDateTime::currentSecsSinceEpoch() - 1577836800) / 60;
    QTest::newRow("erster Export") << "" << minuten << minuten + 2;
    QTest::newRow("nach vielen") << "99999999" << 100000000LL << 100000000LL;
    QTest::newRow("am Ende") << "2147483647" << 2147483647LL << 2147483647LL;
    QTest::newRow("jenseits") << "9223372036854775807" << 2147483647LL << 2147483647LL;
    QTest::newRow("kein Wert") << "abc" << minuten << minuten + 2;
    QTest::newRow("negativ") << "-5" << minuten << minuten + 2;
}

// SEQUENCE rises on every export, survives a lost settings file, stays an int.
void TestExport::sequenz()
{
    QFETCH(QString, gespeichert);
    QFETCH(qint64, mindestens);
    QFETCH(qint64, hoechstens);
    TestUmgebung u;
    u.vorbereiten(u.planSchreiben("plan.medat", planMit(patientMitTermin(3), {})));
    if (!gespeichert.isEmpty())
        QSettings(u.datenVerzeichnis() + "meddata.ini", QSettings::IniFormat)
            .setValue("Kalender/sequenz", gespeichert);
    MainWindow w;
    const QString ziel = u.arbeitsVerzeichnis() + "/k.ics";
    DialogHelfer helfer([&](QWidget *d) { dateiDialogAusfuellen(d, ziel); });
    kind<QAction>(&w, "menu16")->trigger();
    QVERIFY(helfer.erledigt());
    const QRegularExpression muster("\\r\\nSEQUENCE:(\\d+)\\r\\n");
    const QRegularExpressionMatch treffer = muster.match(QString::fromUtf8(dateiLesen(ziel)));
    QVERIFY(treffer.hasMatch());
    bool ok = false;
    const qint64 sequenz = treffer.captured(1).toLongLong(&ok);
    QVERIFY(ok);
    QVERIFY2(sequenz >= mindestens && sequenz <= hoechstens, qPrintable(treffer.captured(1)));
}

void TestExport::fehler_data()
{
    QTest::addColumn<QString>("eintrag");
    QTest::addColumn<bool>("voll"); // a full disk, else a folder in the file's place
    QTest::newRow("Kalender, Ordner") << "menu16" << false;
    QTest::newRow("Tabelle, Ordner") << "menu17" << false;
    QTest::newRow("Kalender, Platte voll") << "menu16" << true;
    QTest::newRow("Tabelle, Platte voll") << "menu17" << true;
}

// The target cannot be written: the box says so and an older file stays whole.
void TestExport::fehler()
{
    QFETCH(QString, eintrag);
    QFETCH(bool, voll);
    TestUmgebung u;
    u.vorbereiten(u.planSchreiben("plan.medat", planMit(patientMitTermin(14), beispielMittel())));
    MeldungsWaechter waechter;
    MainWindow w;
    waechter.meldungen.clear(); // the notice of the unreadable "abc" on opening
    const QString endung = eintrag == "menu16" ? ".ics" : ".csv";
    std::unique_ptr<KleinesDateisystem> klein;
    QString ziel = u.arbeitsVerzeichnis() + "/ziel" + endung;
    if (voll) {
        klein = std::make_unique<KleinesDateisystem>(u.arbeitsVerzeichnis() + "/klein");
        if (!klein->bereit())
            QSKIP("needs root to mount a small tmpfs");
        ziel = klein->pfad() + "/alt" + endung;
    }
    DialogHelfer helfer([&](QWidget *d) {
        dateiDialogAusfuellen(d, ziel);
        // Folder, old file and full disk come after the name was chosen, as
        // when another program made them (no question about replacing).
        if (voll) {
            dateiSchreiben(ziel, "alt");
            klein->fuellen();
        } else {
            QDir().mkpath(ziel);
        }
    });
    kind<QAction>(&w, eintrag)->trigger();
    QVERIFY(helfer.erledigt());
    QCOMPARE(waechter.meldungen.size(), 1);
    QVERIFY(!TestZugang::txtExportErr(w).isEmpty());
    QVERIFY2(waechter.meldungen.first().startsWith(TestZugang::txtExportErr(w)),
             qPrintable(waechter.meldungen.first()));
    if (voll)
        QCOMPARE(dateiLesen(ziel), QByteArray("alt"));
    else
        QVERIFY(QFileInfo(ziel).isDir());
    QCOMPARE(QDir(QFileInfo(ziel).absolutePath()).entryList({"*" + endung + "*"}, QDir::Files),
             voll ? QStringList{"alt" + endung} : QStringList{});
}

QTEST_MAIN(TestExport)
#include "tst_export.moc"
