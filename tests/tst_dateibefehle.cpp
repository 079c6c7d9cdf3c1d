// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/testsupport.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QtTest>

namespace {

QByteArray planVon(const QString &patient, int medikamente)
{
    QList<QStringList> meds;
    for (int i = 0; i < medikamente; ++i)
        meds << QStringList{patient + "-Med" + QString::number(i + 1), "Text", "5 mg", "100",
                            "1764547200", "50", "1", "0", "0", "0", "0"};
    return planMit({patient, "Vorname", "01.01.1950", "0", "0"}, meds);
}

QStringList listenText(QListWidget *liste)
{
    QStringList namen;
    for (int i = 0; i < liste->count(); ++i)
        namen << liste->item(i)->text();
    return namen;
}

QString letzteDatei(const TestUmgebung &u)
{
    return QSettings(u.datenVerzeichnis() + "meddata.ini", QSettings::IniFormat)
        .value("Pfade/letzteDatei")
        .toString();
}

} // namespace

class TestDateiBefehle : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void neuePlanDatei();
    void oeffnen();
    void oeffnenAbgebrochen();
    void ausListeOeffnen();
    void dateiListe();
    void medikamentenListe_data();
    void medikamentenListe();
    void speichernUnter_data();
    void speichernUnter();
    void speichernUnterFehler();
    void alteAuswahlNachOeffnen();
};

void TestDateiBefehle::neuePlanDatei()
{
    TestUmgebung u;
    const QString plan = u.planSchreiben("p.medat", planVon("Alt", 3));
    u.vorbereiten(plan);
    MainWindow w;
    kind<QAction>(&w, "menu11")->trigger();
    // The template beside the program, wherever the program was started from.
    const QString vorlage = u.programmDaten() + "default.medat";
    QCOMPARE(TestZugang::aktuelleDatei(w), vorlage);
    QVERIFY(w.windowTitle().endsWith("data/default.medat"));
    QCOMPARE(TestZugang::anzahl(w), 2);
    QCOMPARE(kind<QListWidget>(&w, "listBox")->count(), 0);
    QCOMPARE(kind<QTableWidget>(&w, "tabelleUebersicht")->rowCount(), 0);
    QCOMPARE(TestZugang::dokumentePfad(w), plan);
    QCOMPARE(dateiLesen(plan), planVon("Alt", 3));
}

void TestDateiBefehle::oeffnen()
{
    TestUmgebung u;
    const QString a = u.planSchreiben("a.medat", planVon("A", 1));
    const QString b = u.planSchreiben("ordner/b.medat", planVon("B", 2));
    u.vorbereiten(a);
    MainWindow w;
    DialogHelfer helfer([&](QWidget *d) { dateiDialogAusfuellen(d, b); });
    kind<QAction>(&w, "menu12")->trigger();
    QVERIFY(helfer.erledigt());
    QCOMPARE(TestZugang::aktuelleDatei(w), b);
    QCOMPARE(TestZugang::dokumentePfad(w), b);
    QCOMPARE(w.windowTitle(), "Tablora - " + b);
    QCOMPARE(letzteDatei(u), b);
    QCOMPARE(listenText(kind<QListWidget>(&w, "listBox")), QStringList({"B-Med1", "B-Med2"}));
    QCOMPARE(kind<QTableWidget>(&w, "tabelleUebersicht")->rowCount(), 2);
    // Opening changes no byte of the file.
    QCOMPARE(dateiLesen(b), planVon("B", 2));
}

void TestDateiBefehle::oeffnenAbgebrochen()
{
    TestUmgebung u;
    const QString a = u.planSchreiben("a.medat", planVon("A", 1));
    u.vorbereiten(a);
    MainWindow w;
    const QString titel = w.windowTitle();
    DialogHelfer helfer(dialogSchliessen);
    kind<QAction>(&w, "menu12")->trigger();
    QVERIFY(helfer.erledigt());
    QCOMPARE(w.windowTitle(), titel);
    QCOMPARE(TestZugang::aktuelleDatei(w), a);
}

void TestDateiBefehle::ausListeOeffnen()
{
    TestUmgebung u;
    const QString a = u.planSchreiben("a.medat", planVon("A", 1));
    const QString b = u.planSchreiben("b.medat", planVon("B", 3));
    u.vorbereiten(a);
    MainWindow w;
    auto *liste = kind<QListWidget>(&w, "listBoxDat");
    QVERIFY(liste);
    QCOMPARE(listenText(liste), QStringList({"a.medat", "b.medat"}));
    liste->setCurrentRow(1);
    QCOMPARE(TestZugang::aktuelleDatei(w), b);
    QCOMPARE(w.windowTitle(), "Tablora - " + b);
    QCOMPARE(listenText(kind<QListWidget>(&w, "listBox")),
             QStringList({"B-Med1", "B-Med2", "B-Med3"}));

    // The list follows the open plan's folder: a name there opens that folder's
    // file, even one named like a plan of the folder before.
    const QString c = u.planSchreiben("anders/c.medat", planVon("C", 1));
    const QString b2 = u.planSchreiben("anders/b.medat", planVon("Anders", 1));
    {
        DialogHelfer helfer([&](QWidget *d) { dateiDialogAusfuellen(d, c); });
        kind<QAction>(&w, "menu12")->trigger();
    }
    QCOMPARE(TestZugang::aktuelleDatei(w), c);
    QCOMPARE(listenText(liste), QStringList({"b.medat", "c.medat"}));
    liste->setCurrentRow(0);
    QCOMPARE(TestZugang::aktuelleDatei(w), b2);
    QCOMPARE(listenText(kind<QListWidget>(&w, "listBox")), QStringList({"Anders-Med1"}));

    // Saved under a new name in a third folder: the list shows that folder.
    QDir().mkpath(u.arbeitsVerzeichnis() + "/dritte");
    const QString d3 = u.arbeitsVerzeichnis() + "/dritte/neu.medat";
    {
        DialogHelfer helfer([&](QWidget *d) { dateiDialogAusfuellen(d, d3); });
        kind<QAction>(&w, "menu14")->trigger();
    }
    QCOMPARE(listenText(liste), QStringList({"neu.medat"}));
    // The template lies in the program's folder: no names to offer.
    kind<QAction>(&w, "menu11")->trigger();
    QCOMPARE(liste->count(), 0);
}

void TestDateiBefehle::dateiListe()
{
    TestUmgebung u;
    const QString plan = u.planSchreiben("plan.medat", planVon("A", 1));
    u.planSchreiben("Zweiter.medat", planVon("Z", 1));
    u.planSchreiben("anderes.db", planVon("D", 1));
    u.vorbereiten(plan);
    MainWindow w;
    QCOMPARE(listenText(kind<QListWidget>(&w, "listBoxDat")),
             QStringList({"plan.medat", "Zweiter.medat"}));

    // Started on the template: the box stays empty.
    TestUmgebung v;
    v.vorbereiten(v.programmDaten() + "default.medat");
    MainWindow w2;
    QCOMPARE(kind<QListWidget>(&w2, "listBoxDat")->count(), 0);
    QVERIFY(!kind<QAction>(&w2, "menu13"));
}

void TestDateiBefehle::medikamentenListe_data()
{
    QTest::addColumn<int>("medikamente");
    QTest::newRow("0") << 0;
    QTest::newRow("3") << 3;
    QTest::newRow("48") << 48;
}

void TestDateiBefehle::medikamentenListe()
{
    QFETCH(int, medikamente);
    TestUmgebung u;
    u.vorbereiten(u.planSchreiben("p.medat", planVon("P", medikamente)));
    MainWindow w;
    auto *liste = kind<QListWidget>(&w, "listBox");
    QCOMPARE(liste->count(), medikamente);
    if (medikamente)
        QCOMPARE(liste->item(medikamente - 1)->text(), "P-Med" + QString::number(medikamente));
}

void TestDateiBefehle::speichernUnter_data()
{
    QTest::addColumn<QString>("getippt");
    QTest::addColumn<QString>("datei");
    QTest::newRow("ohne Endung") << "kopie" << "kopie.medat";
    QTest::newRow("mit Endung") << "kopie.medat" << "kopie.medat";
    QTest::newRow("andere Endung") << "kopie.txt" << "kopie.txt";
}

void TestDateiBefehle::speichernUnter()
{
    QFETCH(QString, getippt);
    QFETCH(QString, datei);
    TestUmgebung u;
    const QString a = u.planSchreiben("a.medat", "9;k\n9;Muster;E;01.01.1950;0;0;\n9;X;y\n");
    u.vorbereiten(a);
    MainWindow w;
    const QString ziel = u.arbeitsVerzeichnis() + "/" + datei;
    DialogHelfer helfer([&](QWidget *d) {
        QVERIFY(static_cast<QFileDialog *>(d)->nameFilters().constFirst().contains("*.medat"));
        dateiDialogAusfuellen(d, u.arbeitsVerzeichnis() + "/" + getippt);
    });
    kind<QAction>(&w, "menu14")->trigger();
    QVERIFY(helfer.erledigt());
    // Written under that name, then compacted there.
    QCOMPARE(dateiLesen(ziel), QByteArray("1;k;;;;;;;;;;;\n2;Muster;E;01.01.1950;0;0;;;;;;;\n"
                                          "3;X;y;;;;;;;;;;\n"));
    QCOMPARE(QDir(u.arbeitsVerzeichnis()).entryList(QDir::Files).size(), 2);
    QCOMPARE(TestZugang::aktuelleDatei(w), ziel);
    QCOMPARE(w.windowTitle(), "Tablora - " + ziel);
    QCOMPARE(letzteDatei(u), ziel);
    QCOMPARE(TestZugang::dokumentePfad(w), ziel);
    // The old file is left as it was.
    QCOMPARE(dateiLesen(a), QByteArray("9;k\n9;Muster;E;01.01.1950;0;0;\n9;X;y\n"));
}

void TestDateiBefehle::speichernUnterFehler()
{
    TestUmgebung u;
    const QString a = u.planSchreiben("a.medat", planVon("A", 1));
    u.vorbereiten(a);
    MainWindow w;
    // A folder that does not exist: the file dialog accepts the name, the write fails.
    const QString ordner = u.arbeitsVerzeichnis() + "/fehlt/ziel.medat";
    QString meldung;
    DialogHelfer helfer([&](QWidget *d) {
        DialogHelfer *fehler = new DialogHelfer([&](QWidget *box) {
            meldung = nachrichtText(box);
            dialogSchliessen(box);
        });
        fehler->setParent(&w);
        dateiDialogAusfuellen(d, ordner);
    });
    kind<QAction>(&w, "menu14")->trigger();
    QTRY_VERIFY(!meldung.isEmpty());
    QVERIFY(meldung.startsWith(TestZugang::txtWriteErr(w)));
    QVERIFY(meldung.contains(ordner));
    QCOMPARE(TestZugang::aktuelleDatei(w), a);
    QCOMPARE(letzteDatei(u), a);
    QVERIFY(!QFileInfo::exists(ordner));
}

void TestDateiBefehle::alteAuswahlNachOeffnen()
{
    TestUmgebung u;
    const QString a = u.planSchreiben("a.medat", planVon("A", 3));
    const QString leer = u.planSchreiben("leer.medat", planVon("L", 0));
    const QString c = u.planSchreiben("c.medat", planVon("C", 3));
    u.vorbereiten(a);
    MainWindow w;
    kind<QTabWidget>(&w, "tabReiter")->setCurrentIndex(2);
    kind<QListWidget>(&w, "listBox")->setCurrentRow(1);
    QTest::keyClicks(kind<QLineEdit>(&w, "eingabeFelder0"), "X");
    for (const QString &plan : {leer, c}) {
        DialogHelfer helfer([&](QWidget *d) { dateiDialogAusfuellen(d, plan); });
        kind<QAction>(&w, "menu12")->trigger();
    }
    // The form of plan A must not land in plan C.
    kind<QPushButton>(&w, "butAenderungSpeichern")->click();
    QCOMPARE(dateiLesen(c), planVon("C", 3));
    QVERIFY(!dateiLesen(c).contains("A-Med"));
}

QTEST_MAIN(TestDateiBefehle)
#include "tst_dateibefehle.moc"
