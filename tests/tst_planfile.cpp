// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/testsupport.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QProcess>
#include <QSettings>
#include <QTableWidget>
#include <QtTest>

namespace {

QByteArray plan3()
{
    return planMit({"Muster", "Erika", "01.02.1950", "0", "0"},
                   {{"Ramipril", "Blutdruck", "5 mg", "100", "1764547200", "50", "1", "0", "0",
                     "0", "0"},
                    {"Metformin", "Zucker", "500 mg", "120", "1764547200", "80", "1", "0", "1",
                     "0", ""},
                    {"ASS", "Blut", "100 mg", "100", "1764547200", "90", "0", "0.5", "0", "0",
                     "1"}});
}

QString letzteDatei(const TestUmgebung &u)
{
    return QSettings(u.datenVerzeichnis() + "meddata.ini", QSettings::IniFormat)
        .value("Pfade/letzteDatei")
        .toString();
}

void laden(MainWindow &w, const QString &pfad)
{
    QVERIFY(QMetaObject::invokeMethod(&w, "DatenEinlesen", Q_ARG(QString, pfad)));
}

void kompaktieren(MainWindow &w)
{
    QVERIFY(QMetaObject::invokeMethod(&w, "aufraeumen"));
}

// Runs `befehl`, expecting exactly one warning box that names `pfad`.
template <typename F>
void mitSchreibfehler(MainWindow &w, const QString &pfad, F befehl)
{
    DialogHelfer helfer(dialogSchliessen);
    befehl();
    QVERIFY(helfer.erledigt());
    QVERIFY2(helfer.gesehenerText().startsWith(TestZugang::txtWriteErr(w)),
             qPrintable(helfer.gesehenerText()));
    QVERIFY2(helfer.gesehenerText().contains(pfad), qPrintable(helfer.gesehenerText()));
}

} // namespace

class TestPlanDatei : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void felderLesen_data();
    void felderLesen();
    void zeilenEnden();
    void leereUndKurzeDateien_data();
    void leereUndKurzeDateien();
    void letzteDateiNurBeiErfolg();
    void zuLangeDatei();
    void kodierung();
    void tabelleSchreibenBytes();
    void anhaengenBytes();
    void kompaktierung();
    void kompaktierungAusMenue();
    void schreibfehlerOrdner();
    void volleFestplatte();
    void keinUeberschreibenNachFehlschlag();
};

void TestPlanDatei::felderLesen_data()
{
    QTest::addColumn<QByteArray>("zeile");
    QTest::addColumn<QStringList>("felder");
    QTest::newRow("leeres feld und schluss") << QByteArray("a;;b;") << QStringList{"a", "", "b", ""};
    QTest::newRow("ohne trenner") << QByteArray("abc") << QStringList{"abc"};
    QTest::newRow("leere zeile") << QByteArray("") << QStringList{""};
    QTest::newRow("nur trenner") << QByteArray(";;") << QStringList{"", "", ""};
}

void TestPlanDatei::felderLesen()
{
    QFETCH(QByteArray, zeile);
    QFETCH(QStringList, felder);
    TestUmgebung u;
    const QString pfad = u.planSchreiben("p.medat", "kopf;\n" + zeile + "\n");
    u.vorbereiten(pfad);
    MainWindow w;
    QCOMPARE(TestZugang::anzahl(w), 2);
    QCOMPARE(TestZugang::datensatz(w, 1), felder);
}

void TestPlanDatei::zeilenEnden()
{
    TestUmgebung u;
    QByteArray crlf = plan3();
    crlf.replace("\n", "\r\n");
    const QString a = u.planSchreiben("lf.medat", plan3());
    const QString b = u.planSchreiben("crlf.medat", crlf);
    u.vorbereiten(a);
    MainWindow w;
    QList<QStringList> lf;
    for (int i = 0; i < 5; ++i)
        lf << TestZugang::datensatz(w, i);
    laden(w, b);
    QCOMPARE(TestZugang::anzahl(w), 5);
    for (int i = 0; i < 5; ++i)
        QCOMPARE(TestZugang::datensatz(w, i), lf.at(i));
    // A compacted line reads back as 13 fields, the last one empty.
    QCOMPARE(lf.at(2).size(), 13);
    QCOMPARE(lf.at(2).last(), QString());
}

void TestPlanDatei::leereUndKurzeDateien_data()
{
    QTest::addColumn<QByteArray>("inhalt");
    QTest::addColumn<int>("anzahl");
    QTest::addColumn<int>("zeilen");
    QTest::newRow("leer") << QByteArray() << 0 << 0;
    QTest::newRow("nur kopf") << QByteArray("1;Tablora;\n") << 1 << 0;
    QTest::newRow("kopf und patient") << QByteArray("1;\n2;Muster;\n") << 2 << 0;
    QTest::newRow("kurze datensaetze") << QByteArray("1\n2;X\n3;Aspirin\n4\n") << 4 << 2;
    QTest::newRow("ohne zeilenende") << QByteArray("1;\n2;A;B;01.01.1950;1;0;\n3;C;D;;10;0;5;1")
                                     << 3 << 1;
}

void TestPlanDatei::leereUndKurzeDateien()
{
    // Nothing a hand-made file holds may crash a view.
    QFETCH(QByteArray, inhalt);
    QFETCH(int, anzahl);
    QFETCH(int, zeilen);
    TestUmgebung u;
    const QString pfad = u.planSchreiben("p.medat", inhalt);
    u.vorbereiten(pfad);
    MainWindow w;
    QCOMPARE(TestZugang::anzahl(w), anzahl);
    QCOMPARE(letzteDatei(u), pfad);
    QCOMPARE(kind<QTableWidget>(&w, "tabelleUebersicht")->rowCount(), zeilen);
    QCOMPARE(kind<QListWidget>(&w, "listBox")->count(), zeilen);
    auto *tabs = kind<QTabWidget>(&w, "tabReiter");
    for (int i : {2, 1, 0, 2})
        tabs->setCurrentIndex(i);
    kind<QListWidget>(&w, "listBox")->setCurrentRow(zeilen - 1);
    if (anzahl < 2) {
        // No patient record: compaction must not touch the file.
        kompaktieren(w);
        QCOMPARE(dateiLesen(pfad), inhalt);
    }
}

void TestPlanDatei::letzteDateiNurBeiErfolg()
{
    TestUmgebung u;
    const QString pfad = u.planSchreiben("p.medat", plan3());
    u.vorbereiten(pfad);
    MainWindow w;
    laden(w, u.arbeitsVerzeichnis() + "/fehlt.medat");
    QCOMPARE(letzteDatei(u), pfad);
    QCOMPARE(TestZugang::anzahl(w), 5);
    // A relative path is stored as passed.
    u.planSchreiben("sub/zwei.medat", planMit({"B"}, {}));
    laden(w, "sub/zwei.medat");
    QCOMPARE(letzteDatei(u), QString("sub/zwei.medat"));
    QCOMPARE(TestZugang::anzahl(w), 2);
}

void TestPlanDatei::zuLangeDatei()
{
    TestUmgebung u;
    const QString pfad = u.planSchreiben("p.medat", plan3());
    QByteArray lang;
    for (int i = 0; i < 51; ++i)
        lang += QByteArray::number(i + 1) + ";x;\n";
    const QString zuLang = u.planSchreiben("lang.medat", lang);
    QByteArray genau50;
    for (int i = 0; i < 50; ++i)
        genau50 += QByteArray::number(i + 1) + ";x;\n";
    const QString fuenfzig = u.planSchreiben("fuenfzig.medat", genau50);
    u.vorbereiten(pfad);
    MainWindow w;
    {
        DialogHelfer helfer(dialogSchliessen);
        laden(w, zuLang);
        QVERIFY(helfer.erledigt());
        QVERIFY(helfer.gesehenerText().startsWith(TestZugang::txtTooLong(w)));
        QVERIFY(helfer.gesehenerText().contains(zuLang));
    }
    QCOMPARE(TestZugang::anzahl(w), 5);
    QCOMPARE(TestZugang::datensatz(w, 2).value(1), QString("Ramipril"));
    QCOMPARE(letzteDatei(u), pfad);
    laden(w, fuenfzig);
    QCOMPARE(TestZugang::anzahl(w), 50);
}

void TestPlanDatei::kodierung()
{
    TestUmgebung u;
    const QString name = QString::fromUtf8("Müller-Weiß");
    // Windows-1252, as older editors saved it.
    const QByteArray alt = "1;;\n2;M\xfcller-Wei\xdf;J\xf6rg;01.01.1950;0;0;\n";
    const QString pfad = u.planSchreiben("alt.medat", alt);
    u.vorbereiten(pfad);
    MainWindow w;
    QCOMPARE(TestZugang::datensatz(w, 1).value(1), name);
    QCOMPARE(TestZugang::datensatz(w, 1).value(2), QString::fromUtf8("Jörg"));
    kompaktieren(w);
    // Written back as UTF-8 under the C locale, and read back unchanged.
    QVERIFY(dateiLesen(pfad).contains(name.toUtf8()));
    laden(w, pfad);
    QCOMPARE(TestZugang::datensatz(w, 1).value(1), name);
}

void TestPlanDatei::tabelleSchreibenBytes()
{
    TestUmgebung u;
    const QString pfad = u.planSchreiben("p.medat", "9;a\n7;;b;\n3\n");
    u.vorbereiten(pfad);
    MainWindow w;
    const QString ziel = u.arbeitsVerzeichnis() + "/ziel.medat";
    QVERIFY(TestZugang::tabelleSchreiben(w, ziel));
    QCOMPARE(dateiLesen(ziel), QByteArray("9;a;\n7;;b;;\n3;\n"));
    QVERIFY(TestZugang::tabelleSchreiben(w, ziel, 1));
    QCOMPARE(dateiLesen(ziel), QByteArray("9;a;\n3;\n"));
}

void TestPlanDatei::anhaengenBytes()
{
    TestUmgebung u;
    const QString pfad = u.planSchreiben("p.medat", "1;;\n2;X;");
    u.vorbereiten(pfad);
    MainWindow w;
    // A hand-made last line without its line end keeps its own line.
    QVERIFY(TestZugang::zeileAnhaengen(w, pfad, "3;Neu;;;"));
    QCOMPARE(dateiLesen(pfad), QByteArray("1;;\n2;X;\n3;Neu;;;\n"));
    QVERIFY(TestZugang::zeileAnhaengen(w, pfad, QString::fromUtf8("4;Ä;")));
    QCOMPARE(dateiLesen(pfad), QByteArray("1;;\n2;X;\n3;Neu;;;\n4;\xC3\x84;\n"));
    // A vanished plan is not recreated holding only the new line.
    const QString neu = u.arbeitsVerzeichnis() + "/neu.medat";
    mitSchreibfehler(w, neu, [&] { QVERIFY(!TestZugang::zeileAnhaengen(w, neu, "x")); });
    QVERIFY(!QFileInfo::exists(neu));
}

void TestPlanDatei::kompaktierung()
{
    TestUmgebung u;
    QByteArray roh = "7;k1;k2\n7;Muster;Erika;01.01.1950;0;0\n9;A;b;c;10;0;5;1;0;0;0;;x;y;z\n"
                     "3;B;b;c;10;0;5;1;0;0;0;1\n";
    const QString pfad = u.planSchreiben("p.medat", roh);
    u.vorbereiten(pfad);
    MainWindow w;
    kompaktieren(w);
    const QByteArray erwartet = "1;k1;k2;;;;;;;;;;\n"
                                "2;Muster;Erika;01.01.1950;0;0;;;;;;;\n"
                                "3;A;b;c;10;0;5;1;0;0;0;;\n"
                                "4;B;b;c;10;0;5;1;0;0;0;1;\n";
    QCOMPARE(dateiLesen(pfad), erwartet);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(TestZugang::datensatz(w, i).size(), 12);
        QCOMPARE(TestZugang::datensatz(w, i).first(), QString::number(i + 1));
    }
    // Twice in a row, and after reading back: byte for byte the same.
    kompaktieren(w);
    QCOMPARE(dateiLesen(pfad), erwartet);
    laden(w, pfad);
    kompaktieren(w);
    QCOMPARE(dateiLesen(pfad), erwartet);
    // Swapped in memory, each entry takes the number of its new place.
    const QStringList a = TestZugang::datensatz(w, 2);
    TestZugang::setzeDatensatz(w, 2, TestZugang::datensatz(w, 3));
    TestZugang::setzeDatensatz(w, 3, a);
    kompaktieren(w);
    QVERIFY(dateiLesen(pfad).endsWith("3;B;b;c;10;0;5;1;0;0;0;1;\n4;A;b;c;10;0;5;1;0;0;0;;\n"));
}

void TestPlanDatei::kompaktierungAusMenue()
{
    TestUmgebung u;
    const QString pfad = u.planSchreiben("p.medat", "5;;\n5;M;E;01.01.1950;0;0\n5;A\n");
    u.vorbereiten(pfad);
    MainWindow w;
    kind<QAction>(&w, "menu13")->trigger();
    QCOMPARE(dateiLesen(pfad), QByteArray("1;;;;;;;;;;;;\n2;M;E;01.01.1950;0;0;;;;;;;\n"
                                          "3;A;;;;;;;;;;;\n"));
}

void TestPlanDatei::schreibfehlerOrdner()
{
    TestUmgebung u;
    const QString pfad = u.planSchreiben("p.medat", plan3());
    u.vorbereiten(pfad);
    MainWindow w;
    // The plan file is replaced by a folder after it was loaded.
    QVERIFY(QFile::remove(pfad));
    QVERIFY(QDir().mkdir(pfad));
    mitSchreibfehler(w, pfad, [&] { kompaktieren(w); });
    QVERIFY(QFileInfo(pfad).isDir());
    mitSchreibfehler(w, pfad, [&] { TestZugang::zeileAnhaengen(w, pfad, "x"); });
    // The program goes on: the window still answers.
    QCOMPARE(TestZugang::anzahl(w), 5);
}

void TestPlanDatei::volleFestplatte()
{
    TestUmgebung u;
    const KleinesDateisystem klein(u.arbeitsVerzeichnis() + "/klein");
    if (!klein.bereit())
        QSKIP("needs root to mount a small tmpfs");
    const QString mnt = klein.pfad();

    const QByteArray alt = plan3();
    const QString pfad = mnt + "/p.medat";
    dateiSchreiben(pfad, alt);
    u.vorbereiten(pfad);
    MainWindow w;
    // Fill the rest of the disk, then make the plan larger than what is left.
    klein.fuellen();
    QStringList gross = TestZugang::datensatz(w, 2);
    gross[2] = QString(3000, 'b');
    TestZugang::setzeDatensatz(w, 2, gross);
    mitSchreibfehler(w, pfad, [&] { kompaktieren(w); });
    // The old plan is still there, complete.
    QCOMPARE(dateiLesen(pfad), alt);
}

void TestPlanDatei::keinUeberschreibenNachFehlschlag()
{
    TestUmgebung u;
    const QString pfad = u.planSchreiben("p.medat", plan3());
    QByteArray lang;
    for (int i = 0; i < 60; ++i)
        lang += "x;y;\n";
    const QString zuLang = u.planSchreiben("lang.medat", lang);
    u.vorbereiten(zuLang);
    // Started on a plan that cannot be loaded: the table is empty.
    {
        DialogHelfer helfer(dialogSchliessen);
        MainWindow w;
        QVERIFY(helfer.erledigt());
        QCOMPARE(TestZugang::anzahl(w), 0);
        kind<QAction>(&w, "menu13")->trigger();
        QCOMPARE(dateiLesen(zuLang), lang);
        // The table of another plan never goes into this file.
        laden(w, pfad);
        kompaktieren(w);
        QCOMPARE(dateiLesen(zuLang), lang);
        QCOMPARE(dateiLesen(pfad), plan3());
    }
    // The open plan grew beyond the table meanwhile: reloading it fails, and
    // the old table must not be written over the longer file.
    u.vorbereiten(pfad);
    MainWindow w;
    const QByteArray gewachsen = plan3() + lang;
    dateiSchreiben(pfad, gewachsen);
    {
        DialogHelfer helfer(dialogSchliessen);
        laden(w, pfad);
    }
    kind<QAction>(&w, "menu13")->trigger();
    QCOMPARE(dateiLesen(pfad), gewachsen);
}

QTEST_MAIN(TestPlanDatei)
#include "tst_planfile.moc"
