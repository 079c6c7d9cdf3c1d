// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/barrierefrei.h"
#include "support/testsupport.h"

#include "i18n/kuerzel.h"
#include "planfile/datensatz.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

namespace {

QStringList med(const QString &name)
{
    return {name, name + " Info", "5 mg", "30", QString::number(jetztUnix() - 100), "20",
            "1", "0", "1", "0", "0"};
}

struct Fenster
{
    TestUmgebung u;
    QString plan;
    std::unique_ptr<MainWindow> w;

    Fenster(const QString &sprache, int medikamente = 2, const QString &nachbar = QString())
    {
        if (!nachbar.isEmpty())
            u.planSchreiben(nachbar, planMit({"Andere", "Anna", "01.01.1960", "0", "0"},
                                             {med("Fremd")}));
        QList<QStringList> meds;
        for (int i = 0; i < medikamente; ++i)
            meds << med(QString("Med%1").arg(i + 1));
        plan = u.planSchreiben("p.medat", planMit({"Muster", "Erika", "01.02.1950", "0", "0"},
                                                  meds));
        u.vorbereiten(plan, sprache);
        w = std::make_unique<MainWindow>();
        w->show();
        QApplication::setActiveWindow(w.get());
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        w->findChild<QTabWidget *>("tabReiter")->setCurrentIndex(2);
        w->findChild<QListWidget *>("listBox")->setCurrentRow(0);
    }
    // A button of the page or an action of the menus.
    void ausloesen(const QString &name) const
    {
        if (auto *aktion = w->findChild<QAction *>(name))
            aktion->trigger();
        else if (auto *knopf = w->findChild<QPushButton *>(name))
            knopf->click();
        else
            QFAIL(qPrintable("weder Knopf noch Menueeintrag: " + name));
    }
};

// The widgets Tab reaches in `oben`, in the order it reaches them.
QStringList fokusKette(QWidget *oben)
{
    QStringList kette;
    QWidget *w = oben->nextInFocusChain();
    for (int i = 0; w != oben && i < 200; ++i, w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(oben) && w->isEnabled()
            && !w->objectName().startsWith("qt_"))
            kette << w->objectName();
    }
    return kette;
}

} // namespace

class TestBarrierefrei : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void benannt_data();
    void benannt();
    void kuerzel_data();
    void kuerzel();
    void ohneKuerzelText_data();
    void ohneKuerzelText();
    void tastatur_data();
    void tastatur();
    void dritteSeiteTab();
    void dateiListePerTab();
    void tabellenLassenTabDurch_data();
    void tabellenLassenTabDurch();
    void apothekeDeutsch();
    void pruefungSchlaegtAn();
};

void TestBarrierefrei::benannt_data()
{
    QTest::addColumn<QString>("sprache");
    QTest::addColumn<QString>("ausloeser"); // empty: the window itself
    QTest::addColumn<int>("medikamente");
    for (const char *sprache : {"de", "en", "pers"}) {
        const QString s = sprache;
        QTest::newRow(qPrintable(s + " fenster")) << s << "" << 2;
        QTest::newRow(qPrintable(s + " neu")) << s << "butMedNeu" << 2;
        QTest::newRow(qPrintable(s + " apotheke")) << s << "butApotheke" << 2;
        QTest::newRow(qPrintable(s + " entfernen")) << s << "butEntfernen" << 2;
        QTest::newRow(qPrintable(s + " entfernen letztes")) << s << "butEntfernen" << 1;
        QTest::newRow(qPrintable(s + " reparieren")) << s << "menu43" << 2;
        QTest::newRow(qPrintable(s + " ueber")) << s << "menu42" << 2;
        QTest::newRow(qPrintable(s + " pdf datei")) << s << "menu21" << 2;
        QTest::newRow(qPrintable(s + " verlauf")) << s << "menu53" << 2;
        QTest::newRow(qPrintable(s + " kalender datei")) << s << "menu16" << 2;
    }
}

void TestBarrierefrei::benannt()
{
    QFETCH(QString, sprache);
    QFETCH(QString, ausloeser);
    QFETCH(int, medikamente);
    Fenster f(sprache, medikamente);
    QStringList maengel;
    if (ausloeser.isEmpty()) {
        maengel = zugangsMaengel(f.w.get(), sprache);
    } else {
        DialogHelfer h([&](QWidget *d) {
            maengel = zugangsMaengel(d, sprache);
            dialogSchliessen(d);
        });
        f.ausloesen(ausloeser);
        QTest::qWait(50);
        QVERIFY(h.erledigt());
    }
    QVERIFY2(maengel.isEmpty(), qPrintable(maengel.join('\n')));
}

void TestBarrierefrei::kuerzel_data()
{
    QTest::addColumn<QString>("sprache");
    QTest::newRow("de") << "de";
    QTest::newRow("en") << "en";
    QTest::newRow("pers") << "pers";
}

void TestBarrierefrei::kuerzel()
{
    QFETCH(QString, sprache);
    Fenster f(sprache);
    QMenuBar *leiste = f.w->menuBar();
    QVERIFY(leiste->findChild<QAction *>("menu13")); // the full File menu
    const QStringList maengel = kuerzelMaengel(leiste);
    QVERIFY2(maengel.isEmpty(), qPrintable(maengel.join('\n')));
    // The marks stay in the menus.
    QVERIFY(!f.w->windowTitle().contains('&'));
}

void TestBarrierefrei::ohneKuerzelText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("gezeigt");
    QTest::newRow("vorne") << "&Datei" << "Datei";
    QTest::newRow("mitten") << "Save &as ..." << "Save as ...";
    QTest::newRow("doppelt") << "Salz && Pfeffer" << "Salz & Pfeffer";
    QTest::newRow("doppelt und kuerzel") << "&&&x" << "&x";
    QTest::newRow("am ende") << "Ende&" << "Ende";
    QTest::newRow("persisch") << QString::fromUtf8("آل&مانی") << QString::fromUtf8("آلمانی");
}

void TestBarrierefrei::ohneKuerzelText()
{
    QFETCH(QString, text);
    QFETCH(QString, gezeigt);
    QCOMPARE(ohneKuerzel(text), gezeigt);
}

void TestBarrierefrei::tastatur_data()
{
    QTest::addColumn<QString>("ausloeser");
    QTest::addColumn<QStringList>("kette"); // Tab order from the first field
    QTest::addColumn<int>("taste");
    QTest::addColumn<bool>("aendert");
    const QStringList neu{"neuEingabe", "neuCheck",     "neuBez",    "neuDatum",
                          "neuDosis",   "neuEinheiten", "neuMorgen", "neuMittag",
                          "neuAbend",   "neuNacht",     "neuEintragen", "neuAbbrechen"};
    const QStringList apo{"apoStand", "apoPackungen", "apoJe", "apoEintragen", "apoAbbrechen"};
    const QStringList weg{"entfernenJa", "entfernenAbbrechen"};
    const QStringList rep{"butRep1", "butRep2"};
    QTest::newRow("neu return") << "butMedNeu" << neu << int(Qt::Key_Return) << true;
    QTest::newRow("neu escape") << "butMedNeu" << neu << int(Qt::Key_Escape) << false;
    QTest::newRow("apotheke return") << "butApotheke" << apo << int(Qt::Key_Return) << true;
    QTest::newRow("apotheke enter") << "butApotheke" << apo << int(Qt::Key_Enter) << true;
    QTest::newRow("apotheke escape") << "butApotheke" << apo << int(Qt::Key_Escape) << false;
    QTest::newRow("entfernen return") << "butEntfernen" << weg << int(Qt::Key_Return) << true;
    QTest::newRow("entfernen escape") << "butEntfernen" << weg << int(Qt::Key_Escape) << false;
    QTest::newRow("reparieren escape") << "menu43" << rep << int(Qt::Key_Escape) << false;
    QTest::newRow("ueber return") << "menu42" << QStringList{"butOk"} << int(Qt::Key_Return)
                                  << false;
}

void TestBarrierefrei::tastatur()
{
    QFETCH(QString, ausloeser);
    QFETCH(QStringList, kette);
    QFETCH(int, taste);
    QFETCH(bool, aendert);
    Fenster f("en");
    const QByteArray vorher = dateiLesen(f.plan);
    QStringList gesehen;
    QString fokus;
    DialogHelfer h([&](QWidget *d) {
        gesehen = fokusKette(d);
        QWidget *feld = d->focusWidget();
        fokus = feld ? feld->objectName() : QString();
        if (auto *zeile = qobject_cast<QLineEdit *>(feld))
            QTest::keyClicks(zeile, "12"); // a name, and a figure the pickup accepts
        QTest::keyClick(feld ? feld : d, Qt::Key(taste));
    });
    f.ausloesen(ausloeser);
    QTest::qWait(50);
    QVERIFY(h.erledigt());
    QVERIFY2(!QApplication::activeModalWidget(), "the key left the dialog open");
    QCOMPARE(fokus, kette.first());
    QCOMPARE(gesehen, kette);
    QCOMPARE(dateiLesen(f.plan) != vorher, aendert);
    QVERIFY(QDir(f.u.settingsVerzeichnis()).exists());
}

void TestBarrierefrei::dritteSeiteTab()
{
    Fenster f("de");
    QTest::keyClicks(f.w->findChild<QLineEdit *>("eingabeFelder2"), "0"); // enables saving
    QWidget *feld = f.w->findChild<QListWidget *>("listBox");
    feld->setFocus();
    QStringList gesehen;
    for (int i = 0; i < 17 && feld; ++i) {
        gesehen << feld->objectName();
        QTest::keyClick(feld, Qt::Key_Tab);
        feld = QApplication::focusWidget();
    }
    QStringList erwartet{"listBox", "butHoch", "butRunter", "eingabeFelder0", "eingabeFelder1",
                         "checkMed"};
    for (int i = 2; i < 9; ++i)
        erwartet << QString("eingabeFelder%1").arg(i);
    erwartet << "butMedNeu" << "butApotheke" << "butAenderungSpeichern" << "butEntfernen";
    QCOMPARE(gesehen, erwartet);
}

// Passing the list of plan files by Tab opens none of them.
void TestBarrierefrei::dateiListePerTab()
{
    Fenster f("de", 2, "a.medat");
    auto *dateien = f.w->findChild<QListWidget *>("listBoxDat");
    QVERIFY(dateien);
    QWidget *feld = f.w->findChild<QLineEdit *>("editName");
    feld->setFocus();
    for (int i = 0; i < 12 && feld && feld != dateien; ++i) {
        QTest::keyClick(feld, Qt::Key_Tab);
        feld = QApplication::focusWidget();
    }
    QCOMPARE(feld, dateien);
    QTest::keyClick(dateien, Qt::Key_Tab);
    QCOMPARE(TestZugang::aktuelleDatei(*f.w), f.plan);
    QCOMPARE(TestZugang::datensatz(*f.w, 2).value(1), QString("Med1"));
}

void TestBarrierefrei::tabellenLassenTabDurch_data()
{
    QTest::addColumn<int>("seite");
    QTest::addColumn<QString>("tabelle");
    QTest::addColumn<int>("modifier");
    QTest::addColumn<int>("naechsteSeite");
    QTest::newRow("uebersicht tab") << 0 << "tabelleUebersicht" << int(Qt::NoModifier) << 0;
    QTest::newRow("uebersicht ctrl+tab") << 0 << "tabelleUebersicht" << int(Qt::ControlModifier)
                                         << 1;
    QTest::newRow("einnahmeplan tab") << 1 << "tabelleVerordnungsplan" << int(Qt::NoModifier)
                                      << 1;
    QTest::newRow("einnahmeplan ctrl+tab") << 1 << "tabelleVerordnungsplan"
                                           << int(Qt::ControlModifier) << 2;
}

// The tables must not keep the keyboard: after a change the window shows the
// overview with the focus in its table.
void TestBarrierefrei::tabellenLassenTabDurch()
{
    QFETCH(int, seite);
    QFETCH(QString, tabelle);
    QFETCH(int, modifier);
    QFETCH(int, naechsteSeite);
    Fenster f("en");
    auto *reiter = f.w->findChild<QTabWidget *>("tabReiter");
    reiter->setCurrentIndex(seite);
    auto *t = f.w->findChild<QWidget *>(tabelle);
    t->setFocus();
    QTest::keyClick(t, Qt::Key_Tab, Qt::KeyboardModifiers(modifier));
    QVERIFY(QApplication::focusWidget() != t);
    QCOMPARE(reiter->currentIndex(), naechsteSeite);
}

// The pickup dialog reads in German exactly as it always has.
void TestBarrierefrei::apothekeDeutsch()
{
    Fenster f("de");
    QStringList texte;
    QString titel;
    DialogHelfer h([&](QWidget *d) {
        titel = d->windowTitle();
        for (QLabel *l : d->findChildren<QLabel *>())
            texte << l->text();
        for (QPushButton *b : d->findChildren<QPushButton *>())
            texte << b->text();
        dialogSchliessen(d);
    });
    f.ausloesen("butApotheke");
    QTest::qWait(50);
    QCOMPARE(titel, QString(" Medikament aus Apotheke "));
    QCOMPARE(texte, QStringList({"Med1", "aus der Apotheke geholt.", "aktueller Stand: ",
                                 "Packung/en: ", "mit je: ", " Einheiten", "Aus Apotheke geholt",
                                 "Abbrechen"}));
}

// The walk must report what it is there to find.
void TestBarrierefrei::pruefungSchlaegtAn()
{
    TestUmgebung u;
    QDialog d;
    d.setWindowTitle("Plan speichern unter");
    new QLineEdit(&d);
    auto *knopf = new QPushButton("Abbrechen", &d);
    knopf->move(0, 40);
    const QString englisch = zugangsMaengel(&d, "en").join('\n');
    for (const char *fund : {"ohne Namen: QLineEdit", "'Abbrechen'", "Plan speichern unter"})
        QVERIFY2(englisch.contains(fund), qPrintable(englisch));
    QCOMPARE(zugangsMaengel(&d, "de"), QStringList{"ohne Namen: QLineEdit '' (Rolle 42)"});
}

QTEST_MAIN(TestBarrierefrei)
#include "tst_barrierefrei.moc"
