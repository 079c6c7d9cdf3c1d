// SPDX-License-Identifier: GPL-3.0-or-later
// Typed figures through the real form and dialogs: what is stored, what is
// refused; and the lists and notices that follow a plan's changes.
#include "support/testsupport.h"

#include "planfile/datensatz.h"
#include "planfile/eingabe.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QDateEdit>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest>

namespace {

const QStringList patient{"Muster", "Erika", "01.02.1950", "0", "0"};

// Stock 20 counted now, nothing taken: the pickup starts from exactly 20.
QStringList medA(const QString &zeit)
{
    return {"A", "A Info", "5 mg", "30", zeit, "20", "0", "0", "0", "0", "0"};
}

struct Fenster
{
    MeldungsWaechter waechter;
    TestUmgebung u;
    QString plan;
    std::unique_ptr<MainWindow> w;

    explicit Fenster(const QByteArray &inhalt)
    {
        plan = u.planSchreiben("plan.medat", inhalt);
        u.vorbereiten(plan);
        w = std::make_unique<MainWindow>();
    }
    template <typename T = QPushButton>
    T *k(const QString &name) const { return kind<T>(w.get(), name); }
    QByteArray datei() const { return dateiLesen(plan); }
    QString feld(int i, int f) const { return TestZugang::datensatz(*w, i).value(f); }
    void waehlen(int zeile) const
    {
        k<QTabWidget>("tabReiter")->setCurrentIndex(2);
        k<QListWidget>("listBox")->setCurrentRow(zeile);
    }
};

void tippen(QLineEdit *feld, const QString &text)
{
    feld->selectAll();
    // Key by key as typed; signs beyond Latin-1 come as the key's text alone.
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClicks(feld, QString(c));
        } else {
            QKeyEvent druck(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(feld, &druck);
        }
    }
    if (text.isEmpty())
        QTest::keyClick(feld, Qt::Key_Delete);
}

} // namespace

class TestEingaben : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void eingabe_data();
    void eingabe();
    void umbenennen();
    void unlesbareFelder();
    void datumsGrenzen();
    void pdfEndung();
    void gespeicherteZahl_data();
    void gespeicherteZahl();
};

void TestEingaben::eingabe_data()
{
    QTest::addColumn<QString>("wo");   // "neu", "form" or "apo"
    QTest::addColumn<QString>("feld"); // object name of the field typed into
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("gespeichert"); // null: refused
    QTest::addColumn<QString>("meldung");     // part of the refusal
    const QString nein;
    QTest::newRow("neu halb") << "neu" << "neuMorgen" << "1/2" << "0.5" << "";
    QTest::newRow("neu viertel") << "neu" << "neuMorgen" << "1/4" << "0.25" << "";
    QTest::newRow("neu dreiviertel") << "neu" << "neuMorgen" << "3/4" << "0.75" << "";
    QTest::newRow("neu anderthalb") << "neu" << "neuMorgen" << "1 1/2" << "1.5" << "";
    QTest::newRow("neu zeichen") << "neu" << "neuMorgen" << "\u00bd" << "0.5" << "";
    QTest::newRow("neu 1 zeichen") << "neu" << "neuMorgen" << "1\u00bd" << "1.5" << "";
    QTest::newRow("neu komma") << "neu" << "neuMorgen" << "0,5" << "0.5" << "";
    QTest::newRow("neu persisch") << "neu" << "neuMorgen" << "\u06f1/\u06f2" << "0.5" << "";
    QTest::newRow("neu leer") << "neu" << "neuMorgen" << "" << "" << "";
    QTest::newRow("neu wort") << "neu" << "neuMorgen" << "zwei" << nein << "Fr\u00fch";
    QTest::newRow("neu negativ") << "neu" << "neuMorgen" << "-1" << nein << "Fr\u00fch";
    QTest::newRow("neu durch null") << "neu" << "neuMorgen" << "1/0" << nein << "Fr\u00fch";
    QTest::newRow("neu million") << "neu" << "neuEinheiten" << "1000000" << "1000000" << "";
    QTest::newRow("neu zu viel") << "neu" << "neuEinheiten" << "1000001" << nein << "Pro Packung";
    QTest::newRow("neu exponent") << "neu" << "neuEinheiten" << "1e3" << nein << "Pro Packung";
    QTest::newRow("neu ohne name") << "neu" << "neuEingabe" << "" << nein << "Namen";
    QTest::newRow("form halb") << "form" << "eingabeFelder5" << "1/2" << "0.5" << "";
    QTest::newRow("form wort") << "form" << "eingabeFelder5" << "abc" << nein << "Fr\u00fch";
    QTest::newRow("form bestand") << "form" << "eingabeFelder4" << "150,75" << "150.75" << "";
    QTest::newRow("form gross") << "form" << "eingabeFelder4" << "10081" << "10081" << "";
    QTest::newRow("form negativ") << "form" << "eingabeFelder4" << "-3" << nein << "Bestand";
    QTest::newRow("form packung") << "form" << "eingabeFelder3" << "x" << nein << "Pro Packung";
    QTest::newRow("form ohne name") << "form" << "eingabeFelder0" << " " << nein << "Namen";
    QTest::newRow("apo zwei") << "apo" << "apoPackungen" << "2" << "80" << "";
    QTest::newRow("apo halbe") << "apo" << "apoPackungen" << "1/2" << "35" << "";
    QTest::newRow("apo wort") << "apo" << "apoPackungen" << "zwei" << nein << "Packung/en";
    QTest::newRow("apo negativ") << "apo" << "apoPackungen" << "-1" << nein << "Packung/en";
    QTest::newRow("apo leer") << "apo" << "apoJe" << "" << nein << "mit je";
    QTest::newRow("apo stand komma") << "apo" << "apoStand" << "0,5" << "30.5" << "";
}

void TestEingaben::eingabe()
{
    QFETCH(QString, wo);
    QFETCH(QString, feld);
    QFETCH(QString, text);
    QFETCH(QString, gespeichert);
    QFETCH(QString, meldung);
    const QString zeit = QString::number(jetztUnix());
    Fenster f(planMit(patient, {medA(zeit)}));
    const QByteArray vorher = f.datei();
    f.waehlen(0);

    bool offen = false;
    QString stil;
    const auto ausfuellen = [&](QWidget *d, const QString &knopf) {
        auto *ziel = kind<QLineEdit>(d, feld);
        QVERIFY2(ziel, qPrintable(feld));
        tippen(ziel, text);
        kind<QPushButton>(d, knopf)->click();
        offen = d->isVisible();
        stil = ziel->styleSheet();
        if (offen)
            dialogSchliessen(d);
    };
    QStringList erwartet;
    if (wo == "neu") {
        DialogHelfer h([&](QWidget *d) {
            tippen(kind<QLineEdit>(d, "neuEingabe"), "Neu");
            tippen(kind<QLineEdit>(d, "neuEinheiten"), "30");
            tippen(kind<QLineEdit>(d, "neuMorgen"), "1");
            ausfuellen(d, "neuEintragen");
        });
        f.k("butMedNeu")->click();
        const QString mitternacht = QString::number(unixZeit(QDate::currentDate().startOfDay()));
        erwartet = QStringList{"Neu", "", "", "30", mitternacht, "30", "1", "", "", "", ""};
        erwartet[feld == "neuEinheiten" ? 3 : 6] = gespeichert;
        if (feld == "neuEinheiten")
            erwartet[5] = gespeichert;
    } else if (wo == "form") {
        tippen(f.k<QLineEdit>(feld), text);
        f.k("butAenderungSpeichern")->click();
        offen = true;
        stil = f.k<QLineEdit>(feld)->styleSheet();
        erwartet = medA(f.feld(2, 5));
        erwartet[feld.right(1).toInt() == 3 ? 3 : feld.right(1).toInt() == 4 ? 5 : 6] =
            gespeichert;
    } else {
        DialogHelfer h([&](QWidget *d) { ausfuellen(d, "apoEintragen"); });
        f.k("butApotheke")->click();
        erwartet = medA(f.feld(2, 5));
        erwartet[5] = gespeichert;
    }

    if (gespeichert.isNull()) {
        // Refused with a word naming the field; nothing written, the field marked.
        QCOMPARE(f.datei(), vorher);
        QCOMPARE(f.waechter.meldungen.size(), 1);
        QVERIFY2(f.waechter.meldungen.first().contains(meldung),
                 qPrintable(f.waechter.meldungen.first()));
        QVERIFY(offen);
        QVERIFY2(stil.contains("red"), qPrintable(stil));
        return;
    }
    QVERIFY2(f.waechter.meldungen.isEmpty(), qPrintable(f.waechter.meldungen.join('|')));
    QCOMPARE(f.datei(), planMit(patient, wo == "neu" ? QList<QStringList>{medA(zeit), erwartet}
                                                     : QList<QStringList>{erwartet}));
}

void TestEingaben::umbenennen()
{
    Fenster f(planMit(patient, {medA("1700000000"),
                                {"Metformin", "Diabetes", "500 mg", "180", "1700000000", "160",
                                 "1", "0", "1", "0", "0"}}));
    f.waehlen(1);
    tippen(f.k<QLineEdit>("eingabeFelder0"), "Metformin XR");
    f.k("butAenderungSpeichern")->click();
    auto *liste = f.k<QListWidget>("listBox");
    QCOMPARE(liste->item(1)->text(), QString("Metformin XR"));
    QCOMPARE(liste->currentRow(), 1);
    QVERIFY(f.k<QGroupBox>("groupMedWahl")->title().contains("Metformin XR"));
    QCOMPARE(TestZugang::aktuelleNummer(*f.w), QString("4"));
    QCOMPARE(f.feld(3, 1), QString("Metformin XR"));
}

void TestEingaben::unlesbareFelder()
{
    // Told once on opening which figures are no numbers; the file stays as it is.
    const QByteArray inhalt =
        planMit(patient, {{"Gut", "", "", "30", "1700000000", "1.008e+04", "1", "0", "0", "0", ""},
                          {"Zwanzig", "", "", "30", "1700000000", "zwanzig", "1", "0", "0", "0", ""},
                          {"Halb", "", "", "30", "1700000000", "20", "1/2", "0", "37,5", "", ""}});
    Fenster f(inhalt);
    QCOMPARE(f.waechter.meldungen.size(), 1);
    const QString m = f.waechter.meldungen.first();
    QVERIFY2(m.startsWith(TestZugang::txtUnlesbar(*f.w)), qPrintable(m));
    QVERIFY2(m.contains("Zwanzig: Bestand") && m.contains("Halb: Fr\u00fch, Abend")
                 && !m.contains("Gut"),
             qPrintable(m));
    QCOMPARE(f.datei(), inhalt);
    // A stored exponent loads as ever and shows in plain digits.
    QCOMPARE(f.k<QTableWidget>("tabelleUebersicht")->item(0, 2)->text().contains('e'), false);
}

void TestEingaben::datumsGrenzen()
{
    // 18 January 2038 is the last day the file's 32-bit times hold.
    Fenster f(planMit({"Muster", "Erika", "01.02.1950", "1", "1790000000"}, {medA("1700000000")}));
    auto *termin = f.k<QDateEdit>("dateArztTermin");
    QCOMPARE(termin->maximumDate(), QDate(2038, 1, 18));
    termin->setDate(QDate(2099, 1, 1));
    f.k("butArztTermin")->click();
    QCOMPARE(f.feld(1, 5), QString::number(unixZeit(QDate(2038, 1, 18).startOfDay())));
    DialogHelfer h([](QWidget *d) {
        QCOMPARE(kind<QDateEdit>(d, "neuDatum")->maximumDate(), QDate(2038, 1, 18));
        dialogSchliessen(d);
    });
    f.k("butMedNeu")->click();
}

void TestEingaben::pdfEndung()
{
    Fenster f(planMit(patient, {medA("1700000000")}));
    UrlFaenger faenger;
    const QString ohne = f.u.arbeitsVerzeichnis() + "/liste";
    DialogHelfer h([&](QWidget *d) { dateiDialogAusfuellen(d, ohne); });
    f.k<QAction>("menu21")->trigger();
    QVERIFY(QFileInfo(ohne + ".pdf").isFile());
    QVERIFY(!QFileInfo::exists(ohne));
}

void TestEingaben::gespeicherteZahl_data()
{
    QTest::addColumn<float>("wert");
    QTest::addColumn<QString>("text");
    QTest::newRow("ganz") << 10081.0f << "10081";
    QTest::newRow("bruch") << 150.75f << "150.75";
    QTest::newRow("zehntel") << 0.1f << "0.1";
    QTest::newRow("drittel") << float(1.0 / 3) << "0.33333334";
    QTest::newRow("winzig") << 1e-7f << "0.0000001";
    QTest::newRow("riesig") << 3e9f << "3000000000";
    QTest::newRow("ungerade gross") << 16777216.0f << "16777216";
    QTest::newRow("null") << 0.0f << "0";
}

void TestEingaben::gespeicherteZahl()
{
    // Plain digits that read back as the very same single-precision value.
    QFETCH(float, wert);
    QFETCH(QString, text);
    QCOMPARE(zahlSpeichern(wert), text);
    QCOMPARE(text.toFloat(), wert);
}

QTEST_MAIN(TestEingaben)
#include "tst_eingaben.moc"
