// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/testsupport.h"

#include <QAction>
#include <QActionGroup>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest>

namespace {

QStringList menueEintraege(MainWindow &w, const char *menue)
{
    QStringList namen;
    for (QAction *a : kind<QMenu>(&w, menue)->actions())
        namen << (a->isSeparator() ? QString("|") : a->objectName());
    return namen;
}

QString iniWert(const QString &datei, const QString &schluessel)
{
    return QSettings(datei, QSettings::IniFormat).value(schluessel).toString();
}

QByteArray beispielPlan()
{
    return planMit({"Muster", "Erika", "01.02.1950", "0", "0"},
                   {{"Ramipril", "Blutdruck", "5 mg", "100", "1764547200", "50", "1", "0", "0",
                     "0", "0"}});
}

} // namespace

class TestStart : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void ersterStart();
    void ersterStartOhneElternordner();
    void spaeterStart();
    void fehlendeLetzteDatei_data();
    void fehlendeLetzteDatei();
    void fensterRahmen();
    void sprachMarken_data();
    void sprachMarken();
    void sprachWechsel();
    void umlaute_data();
    void umlaute();
    void texteAllerSprachen_data();
    void texteAllerSprachen();
    void objektNamen();
};

void TestStart::ersterStart()
{
    // Started from a working folder that is not the program's.
    TestUmgebung u;
    MainWindow w;
    const QString standard = u.programmDaten() + "default.medat";

    for (const char *name : {"language.ini", "lang_de.ini", "lang_en.ini", "lang_pers.ini",
                             "meddata.ini", "Tablora_Anleitung.pdf"})
        QVERIFY2(QFileInfo::exists(u.datenVerzeichnis() + name), name);
    QCOMPARE(iniWert(u.datenVerzeichnis() + "meddata.ini", "Pfade/letzteDatei"), standard);
    QCOMPARE(w.windowTitle(), QString("Tablora - ") + standard);
    QCOMPARE(TestZugang::dokumentePfad(w), QDir::homePath() + "/Documents");
    QCOMPARE(kind<QTabWidget>(&w, "tabReiter")->tabText(0), QString("\u00DCbersicht"));
    QCOMPARE(menueEintraege(w, "menu1"),
             QStringList({"menu11", "menu12", "menu14", "|", "menu16", "menu17", "|", "menu15"}));
    // The template holds a patient and no medication.
    QCOMPARE(TestZugang::anzahl(w), 2);
    QCOMPARE(kind<QTableWidget>(&w, "tabelleUebersicht")->rowCount(), 0);
}

void TestStart::ersterStartOhneElternordner()
{
    TestUmgebung u;
    const QString tief = u.arbeitsVerzeichnis() + "/neu/konto/.config";
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, tief);
    MainWindow w;
    QVERIFY(QFileInfo::exists(tief + "/Tablora/data/lang_de.ini"));
    QCOMPARE(TestZugang::programmTitel(w), QString("Tablora"));
}

void TestStart::spaeterStart()
{
    TestUmgebung u;
    const QString plan = u.planSchreiben("plan.medat", beispielPlan());
    u.vorbereiten(plan, "en");
    MainWindow w;
    QCOMPARE(w.windowTitle(), "Tablora - " + plan);
    QCOMPARE(TestZugang::dokumentePfad(w), plan);
    QCOMPARE(menueEintraege(w, "menu1"),
             QStringList({"menu11", "menu12", "menu13", "menu14", "|", "menu16", "menu17", "|",
                          "menu15"}));
    QCOMPARE(kind<QAction>(&w, "menu13")->shortcut(), QKeySequence("Ctrl+S"));
    QCOMPARE(kind<QTabWidget>(&w, "tabReiter")->tabText(0), QString("Overview"));
    QCOMPARE(kind<QTableWidget>(&w, "tabelleUebersicht")->rowCount(), 1);
    // Nothing was copied over the prepared settings.
    QVERIFY(!QFileInfo::exists(u.datenVerzeichnis() + "lang_x.ini"));
}

void TestStart::fehlendeLetzteDatei_data()
{
    QTest::addColumn<QString>("letzte");
    QTest::newRow("geloescht") << "/nirgends/plan.medat";
    QTest::newRow("leer") << "";
    QTest::newRow("ordner") << "/tmp";
}

void TestStart::fehlendeLetzteDatei()
{
    QFETCH(QString, letzte);
    TestUmgebung u;
    u.vorbereiten(letzte);
    DialogHelfer helfer(dialogSchliessen);
    MainWindow w;
    QVERIFY(helfer.erledigt());
    QCOMPARE(helfer.gesehenerText(), TestZugang::txtNoDat(w));
    QVERIFY(!helfer.gesehenerText().isEmpty());
    const QString standard = u.programmDaten() + "default.medat";
    QCOMPARE(w.windowTitle(), "Tablora - " + standard);
    QCOMPARE(menueEintraege(w, "menu1").size(), 8);
}

void TestStart::fensterRahmen()
{
    TestUmgebung u;
    u.vorbereiten(u.planSchreiben("plan.medat", beispielPlan()));
    MainWindow w;
    QCOMPARE(w.size(), QSize(1200, 700));
    QCOMPARE(w.minimumSize(), QSize(1200, 700));
    QCOMPARE(w.maximumSize(), QSize(1200, 700));

    QCOMPARE(kind<QTabWidget>(&w, "tabReiter")->count(), 3);
    // Cells cannot be edited in place.
    QCOMPARE(kind<QTableWidget>(&w, "tabelleUebersicht")->editTriggers(),
             QAbstractItemView::NoEditTriggers);
    QCOMPARE(kind<QTableWidget>(&w, "tabelleVerordnungsplan")->editTriggers(),
             QAbstractItemView::NoEditTriggers);

    // Shortcuts as the menus promise them.
    const QList<QPair<const char *, const char *>> kuerzel = {
        {"menu11", "Ctrl+N"}, {"menu12", "Ctrl+O"}, {"menu14", "Shift+Ctrl+S"},
        {"menu15", "Ctrl+Q"}, {"menu16", "Ctrl+E"}};
    for (const auto &k : kuerzel)
        QCOMPARE(kind<QAction>(&w, k.first)->shortcut(), QKeySequence(k.second));
    QCOMPARE(menueEintraege(w, "menu4"), QStringList({"menu41", "menu43", "menu42"}));
    QCOMPARE(menueEintraege(w, "menu3"), QStringList({"menu31", "menu32", "|", "menu33"}));
}

void TestStart::sprachMarken_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("markiert");
    QTest::newRow("de") << "de" << "menu31";
    QTest::newRow("en") << "en" << "menu32";
    QTest::newRow("pers") << "pers" << "menu33";
    QTest::newRow("leer") << "" << "";
    QTest::newRow("anderer") << "fr" << "";
}

void TestStart::sprachMarken()
{
    QFETCH(QString, code);
    QFETCH(QString, markiert);
    TestUmgebung u;
    u.vorbereiten(u.planSchreiben("plan.medat", beispielPlan()), code);
    MainWindow w;
    for (const char *name : {"menu31", "menu32", "menu33"})
        QCOMPARE(kind<QAction>(&w, name)->isChecked(), markiert == name);
    if (markiert.isEmpty()) {
        // No language file for this code: every text is empty.
        QCOMPARE(TestZugang::programmTitel(w), QString());
        QVERIFY(w.windowTitle().startsWith(" - "));
    }
}

void TestStart::sprachWechsel()
{
    TestUmgebung u;
    u.vorbereiten(u.planSchreiben("plan.medat", beispielPlan()), "de");
    MainWindow w;
    const QString alterTitel = kind<QTabWidget>(&w, "tabReiter")->tabText(0);
    const QList<QPair<const char *, const char *>> wechsel = {
        {"menu32", "en"}, {"menu33", "pers"}, {"menu33", "pers"}, {"menu31", "de"}};
    for (const auto &[aktion, code] : wechsel) {
        DialogHelfer helfer(dialogSchliessen);
        kind<QAction>(&w, aktion)->trigger();
        QVERIFY(helfer.erledigt());
        QCOMPARE(helfer.gesehenerText(), TestZugang::txtNewstart(w));
        QCOMPARE(iniWert(u.datenVerzeichnis() + "language.ini", "Language/set_lang"),
                 QString(code));
        for (const char *name : {"menu31", "menu32", "menu33"})
            QCOMPARE(kind<QAction>(&w, name)->isChecked(), qstrcmp(name, aktion) == 0);
    }
    // The visible texts change only at the next start.
    QCOMPARE(kind<QTabWidget>(&w, "tabReiter")->tabText(0), alterTitel);
}

void TestStart::umlaute_data()
{
    QTest::addColumn<QString>("ein");
    QTest::addColumn<QString>("aus");
    QTest::newRow("alle") << ":ae::oe::ue::Ae::Oe::Ue::sz:"
                          << QString::fromUtf8("äöüÄÖÜß");
    QTest::newRow("wort") << "Gr:oe::sz:e" << QString::fromUtf8("Größe");
    QTest::newRow("anfang") << ":Ue:bersicht" << QString::fromUtf8("Übersicht");
    QTest::newRow("grossbuchstaben") << ":UE:bersicht" << ":UE:bersicht";
    QTest::newRow("geteilter doppelpunkt") << ":ae:oe:" << QString::fromUtf8("äoe:");
    QTest::newRow("ohne") << "Tablora" << "Tablora";
    QTest::newRow("schon dekodiert") << QString::fromUtf8("Größe") << QString::fromUtf8("Größe");
}

void TestStart::umlaute()
{
    QFETCH(QString, ein);
    QFETCH(QString, aus);
    TestUmgebung u;
    u.vorbereiten(u.planSchreiben("plan.medat", beispielPlan()));
    MainWindow w;
    QCOMPARE(TestZugang::umlauteText(w, ein), aus);
    QCOMPARE(TestZugang::umlauteText(w, aus), aus);
}

void TestStart::texteAllerSprachen_data()
{
    QTest::addColumn<QString>("code");
    QTest::newRow("de") << "de";
    QTest::newRow("en") << "en";
    QTest::newRow("pers") << "pers";
}

void TestStart::texteAllerSprachen()
{
    // Every key of every shipped language file yields a non-empty text.
    QFETCH(QString, code);
    TestUmgebung u;
    QSettings datei(u.programmDaten() + "lang_" + code + ".ini", QSettings::IniFormat);
    const QStringList gruppen = {"Title", "Menubar", "Labels", "Tabs", "Groupboxen", "Dialogs",
                                 "NewMedWin", "MessageBoxes", "infohints", "sonst",
                                 "reparieren", "Export"};
    int anzahl = 0;
    for (const QString &g : gruppen) {
        datei.beginGroup(g);
        for (const QString &k : datei.childKeys()) {
            const QVariant wert = datei.value(k);
            QVERIFY2(wert.userType() == QMetaType::QString,
                     qPrintable(g + "/" + k + ": comma outside quotes"));
            // Only the word after the clock time may be left out.
            QVERIFY2(!wert.toString().isEmpty() || k == "clock", qPrintable(g + "/" + k));
            ++anzahl;
        }
        datei.endGroup();
    }
    QVERIFY(anzahl >= 95);
    if (code == "pers") {
        datei.beginGroup("Tabs");
        const QString text = datei.value("tab1").toString();
        QVERIFY(std::any_of(text.begin(), text.end(), [](QChar c) {
            return c.unicode() >= 0x0600 && c.unicode() <= 0x06FF;
        }));
    }
}

void TestStart::objektNamen()
{
    TestUmgebung u;
    u.vorbereiten(u.planSchreiben("plan.medat", beispielPlan()));
    MainWindow w;
    const char *namen[] = {"labPatient",      "labDatum",       "tabReiter",
                           "tabelleUebersicht", "tabelleVerordnungsplan", "groupMedWahl",
                           "groupPatDaten",   "editName",       "editVorname",
                           "dateGeburt",      "butPatSpeichern", "groupArztTermin",
                           "radioNein",       "radioJa",        "dateArztTermin",
                           "butArztTermin",   "groupHinweis2",  "groupLetzte",
                           "listBox",         "listBoxDat",     "groupHinweis1",
                           "groupDosierung",  "groupKnoepfe",   "checkMed",
                           "labBestand",      "butAenderungSpeichern"};
    for (const char *name : namen)
        QVERIFY2(w.findChild<QWidget *>(name), name);
    for (int i = 0; i < 9; ++i)
        QVERIFY(w.findChild<QWidget *>(QString("eingabeFelder%1").arg(i)));
}

QTEST_MAIN(TestStart)
#include "tst_start.moc"
