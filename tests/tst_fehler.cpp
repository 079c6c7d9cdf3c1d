// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/testsupport.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using Befehl = std::function<void(MainWindow &)>;
Q_DECLARE_METATYPE(Befehl)

namespace {

QByteArray altPlan(bool termin)
{
    QList<QStringList> meds;
    for (int i = 0; i < 3; ++i)
        meds << QStringList{"Med" + QString::number(i + 1), "Text", "5 mg", "100", "1764547200",
                            "50", "1", "0", "0.5", "0", "0"};
    return planMit({"Muster", "Erika", "01.02.1950", termin ? "1" : "0", "1790000000"}, meds);
}

void waehle(MainWindow &w, int zeile)
{
    kind<QTabWidget>(&w, "tabReiter")->setCurrentIndex(2);
    kind<QListWidget>(&w, "listBox")->setCurrentRow(zeile);
}

// Answers the command's own dialog by clicking the named button.
void mitDialog(const char *knopf, const std::function<void()> &ausloesen)
{
    DialogHelfer helfer([knopf](QWidget *d) {
        auto *b = d->findChild<QAbstractButton *>(knopf);
        QVERIFY2(b, knopf);
        if (auto *name = d->findChild<QLineEdit *>("neuEingabe"))
            QTest::keyClicks(name, "Neu");
        b->click();
    });
    ausloesen();
}


void befehleDaten()
{
    QTest::addColumn<Befehl>("befehl");
    QTest::addColumn<bool>("termin");
    QTest::newRow("apotheke") << Befehl([](MainWindow &w) {
        waehle(w, 0);
        mitDialog("apoEintragen", [&] { kind<QPushButton>(&w, "butApotheke")->click(); });
    }) << false;
    QTest::newRow("aenderung") << Befehl([](MainWindow &w) {
        waehle(w, 1);
        QTest::keyClicks(kind<QLineEdit>(&w, "eingabeFelder5"), "5");
        kind<QPushButton>(&w, "butAenderungSpeichern")->click();
    }) << false;
    QTest::newRow("neu") << Befehl([](MainWindow &w) {
        mitDialog("neuEintragen", [&] { kind<QPushButton>(&w, "butMedNeu")->click(); });
    }) << false;
    QTest::newRow("entfernen") << Befehl([](MainWindow &w) {
        waehle(w, 1);
        mitDialog("entfernenJa", [&] { kind<QPushButton>(&w, "butEntfernen")->click(); });
    }) << false;
    QTest::newRow("hoch") << Befehl([](MainWindow &w) {
        waehle(w, 2);
        kind<QToolButton>(&w, "butHoch")->click();
    }) << false;
    QTest::newRow("runter") << Befehl([](MainWindow &w) {
        waehle(w, 0);
        kind<QToolButton>(&w, "butRunter")->click();
    }) << false;
    QTest::newRow("terminJa") << Befehl([](MainWindow &w) {
        waehle(w, 0);
        kind<QRadioButton>(&w, "radioJa")->click();
    }) << false;
    QTest::newRow("terminTag") << Befehl([](MainWindow &w) {
        waehle(w, 0);
        kind<QPushButton>(&w, "butArztTermin")->click();
    }) << true;
    QTest::newRow("patient") << Befehl([](MainWindow &w) {
        waehle(w, 0);
        QTest::keyClicks(kind<QLineEdit>(&w, "editName"), "x");
        kind<QPushButton>(&w, "butPatSpeichern")->click();
    }) << false;
    QTest::newRow("kompaktieren") << Befehl([](MainWindow &w) {
        kind<QAction>(&w, "menu13")->trigger();
    }) << false;
}

// A plan as the program writes it: every line 12 fields, each closed by ';'.
bool vollstaendigerPlan(const QByteArray &inhalt)
{
    if (!inhalt.endsWith('\n'))
        return false;
    const QList<QByteArray> zeilen = inhalt.left(inhalt.size() - 1).split('\n');
    if (zeilen.size() < 3)
        return false;
    for (const QByteArray &z : zeilen)
        if (z.count(';') != 12 || !z.endsWith(';'))
            return false;
    return zeilen.at(1).startsWith("2;Muster");
}

} // namespace


class TestFehler : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void ordnerStattDatei_data() { befehleDaten(); }
    void ordnerStattDatei();
    void dateiGeloescht_data() { befehleDaten(); }
    void dateiGeloescht();
    void volleFestplatte_data() { befehleDaten(); }
    void volleFestplatte();
    void schreibgeschuetzt_data()
    {
        if (alsRoot())
            QSKIP("root writes read-only files all the same");
        befehleDaten();
    }
    void schreibgeschuetzt();
    void einstellungenNichtAnlegbar();
    void sprachdateiFehlt();
};

void TestFehler::ordnerStattDatei()
{
    QFETCH(Befehl, befehl);
    QFETCH(bool, termin);
    TestUmgebung u;
    const QString pfad = u.planSchreiben("p.medat", altPlan(termin));
    u.vorbereiten(pfad);
    MainWindow w;
    QVERIFY(QFile::remove(pfad));
    QVERIFY(QDir().mkdir(pfad));
    MeldungsWaechter waechter;
    befehl(w);
    // Told, and nothing left behind: no temporary copy beside the plan.
    QVERIFY(!waechter.meldungen.isEmpty());
    QVERIFY(waechter.meldungen.first().contains(pfad));
    QVERIFY(QFileInfo(pfad).isDir());
    QCOMPARE(QDir(u.arbeitsVerzeichnis()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot
                                                    | QDir::Hidden),
             QStringList({"p.medat"}));
}

void TestFehler::dateiGeloescht()
{
    QFETCH(Befehl, befehl);
    QFETCH(bool, termin);
    TestUmgebung u;
    const QString pfad = u.planSchreiben("p.medat", altPlan(termin));
    u.vorbereiten(pfad);
    MainWindow w;
    QVERIFY(QFile::remove(pfad));
    MeldungsWaechter waechter;
    befehl(w);
    // Either written anew as a whole plan, or not at all and the user is told.
    if (QFileInfo::exists(pfad))
        QVERIFY2(vollstaendigerPlan(dateiLesen(pfad)), dateiLesen(pfad).constData());
    else
        QVERIFY(!waechter.meldungen.isEmpty());
    // The window still holds the plan, so the next compaction brings it back.
    kind<QAction>(&w, "menu13")->trigger();
    QVERIFY(vollstaendigerPlan(dateiLesen(pfad)));
}

void TestFehler::volleFestplatte()
{
    QFETCH(Befehl, befehl);
    QFETCH(bool, termin);
    TestUmgebung u;
    const KleinesDateisystem klein(u.arbeitsVerzeichnis() + "/klein");
    if (!klein.bereit())
        QSKIP("needs root to mount a small tmpfs");
    const QString mnt = klein.pfad();

    const QByteArray alt = altPlan(termin);
    const QString pfad = mnt + "/p.medat";
    dateiSchreiben(pfad, alt);
    u.vorbereiten(pfad);
    MainWindow w;
    klein.fuellen();
    MeldungsWaechter waechter;
    befehl(w);
    QVERIFY(!waechter.meldungen.isEmpty());
    QCOMPARE(dateiLesen(pfad), alt);
    QCOMPARE(QDir(mnt).entryList(QDir::Files | QDir::Hidden), QStringList({"fueller", "p.medat"}));
}

void TestFehler::schreibgeschuetzt()
{
    QFETCH(Befehl, befehl);
    QFETCH(bool, termin);
    TestUmgebung u;
    const QString pfad = u.planSchreiben("ro/p.medat", altPlan(termin));
    u.vorbereiten(pfad);
    MainWindow w;
    QFile::setPermissions(pfad, QFile::ReadOwner);
    QFile::setPermissions(QFileInfo(pfad).absolutePath(), QFile::ReadOwner | QFile::ExeOwner);
    MeldungsWaechter waechter;
    befehl(w);
    QFile::setPermissions(QFileInfo(pfad).absolutePath(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(!waechter.meldungen.isEmpty());
    QCOMPARE(dateiLesen(pfad), altPlan(termin));
}

void TestFehler::einstellungenNichtAnlegbar()
{
    TestUmgebung u;
    // A file where the settings folder's parent should be.
    const QString datei = u.planSchreiben("keinordner", "x");
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, datei + "/config");
    MeldungsWaechter waechter;
    MainWindow w;
    QVERIFY(!QFileInfo::exists(datei + "/config"));
    // Without texts and settings the default plan still opens.
    QVERIFY(w.windowTitle().endsWith("data/default.medat"));
    QCOMPARE(TestZugang::anzahl(w), 2);
    QCOMPARE(waechter.meldungen.size(), 1); // the missing last plan
}

void TestFehler::sprachdateiFehlt()
{
    TestUmgebung u;
    const QString pfad = u.planSchreiben("p.medat", altPlan(false));
    u.vorbereiten(pfad);
    QVERIFY(QFile::remove(u.datenVerzeichnis() + "lang_de.ini"));
    MainWindow w;
    QCOMPARE(w.windowTitle(), " - " + pfad);
    QCOMPARE(kind<QTableWidget>(&w, "tabelleUebersicht")->rowCount(), 3);
    // Commands work without texts.
    MeldungsWaechter waechter;
    waehle(w, 2);
    kind<QToolButton>(&w, "butHoch")->click();
    QVERIFY(dateiLesen(pfad).contains("4;Med3;"));
    QVERIFY(waechter.meldungen.isEmpty());
}

QTEST_MAIN(TestFehler)
#include "tst_fehler.moc"
