// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/testsupport.h"

#include "planfile/datensatz.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest>

namespace {

const QStringList patient{"Muster", "Erika", "01.02.1950", "0", "0"};

QStringList med(const QString &name, const QString &bestand = "20", qint64 zeit = 1700000000,
                const QStringList &dosen = {"1", "0", "1", "0"})
{
    return QStringList{name, name + " Info", "5 mg", "30", QString::number(zeit), bestand} + dosen
           + QStringList{"0"};
}

// One medication per letter of `namen`.
QList<QStringList> meds(const QString &namen)
{
    QList<QStringList> liste;
    for (const QChar n : namen)
        liste << med(n);
    return liste;
}

template <typename T = QPushButton>
T *im(QWidget *dialog, const QString &name)
{
    T *w = kind<T>(dialog, name);
    if (!w)
        QTest::qFail(qPrintable("fehlt im Dialog: " + name), __FILE__, __LINE__);
    return w;
}

void eintippen(QWidget *dialog, const QString &name, const QString &text)
{
    if (auto *feld = im<QLineEdit>(dialog, name)) {
        feld->clear();
        QTest::keyClicks(feld, text);
    }
}

struct Fenster
{
    TestUmgebung u;
    QString plan;
    std::unique_ptr<MainWindow> w;
    QTimer aufpasser;

    explicit Fenster(const QByteArray &inhalt)
    {
        // A dialog nobody answers for two seconds fails the test instead of hanging it.
        QObject::connect(&aufpasser, &QTimer::timeout,
                         [letzter = QPointer<QWidget>(), runden = 0]() mutable {
            QWidget *d = QApplication::activeModalWidget();
            runden = d && d == letzter ? runden + 1 : 0;
            letzter = d;
            if (runden < 4)
                return;
            const QString text = nachrichtText(d);
            dialogSchliessen(d);
            QTest::qFail(qPrintable("unerwarteter Dialog: " + text), __FILE__, __LINE__);
        });
        aufpasser.start(500);
        plan = u.planSchreiben("p.medat", inhalt);
        u.vorbereiten(plan);
        w = std::make_unique<MainWindow>();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    template <typename T = QPushButton>
    T *k(const QString &name) const { return kind<T>(w.get(), name); }
    QByteArray datei() const { return dateiLesen(plan); }
    int anzahl() const { return TestZugang::anzahl(*w); }
    QString feld(int i, int nr) const { return TestZugang::datensatz(*w, i).value(nr); }

    // The user's way: third tab, then a click on the list row.
    void waehlen(int zeile) const
    {
        k<QTabWidget>("tabReiter")->setCurrentIndex(2);
        auto *liste = k<QListWidget>("listBox");
        const QRect r = liste->visualItemRect(liste->item(zeile));
        QTest::mouseClick(liste->viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(TestZugang::aktuelleNummer(*w), QString::number(zeile + 3));
    }
    // Clicks `knopf` and answers the dialog that must come; returns its message.
    QString bedienen(const QString &knopf, std::function<void(QWidget *)> antwort) const
    {
        DialogHelfer h(std::move(antwort));
        k(knopf)->click();
        return h.gesehenerText();
    }
    // Clicks the button and reports whether any modal dialog came up.
    bool oeffnetDialog(const QString &knopf) const
    {
        bool erschienen = false;
        QTimer::singleShot(100, [&] {
            if (QWidget *d = QApplication::activeModalWidget()) {
                erschienen = true;
                dialogSchliessen(d);
            }
        });
        k(knopf)->click();
        QTest::qWait(200);
        return erschienen;
    }
};

} // namespace

class TestDialoge : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void neuesMedikament_data();
    void neuesMedikament();
    void volleListe_data();
    void volleListe();
    void apotheke_data();
    void apotheke();
    void entfernen_data();
    void entfernen();
    void entfernenNurGewaehlteZeile();
    void nichtsGeaendert_data();
    void nichtsGeaendert();
    void ohneAuswahl();
    void neuLaedtNichtMehr();
};

void TestDialoge::neuesMedikament_data()
{
    QTest::addColumn<QStringList>("eingaben"); // name, text, strength, units, four doses
    QTest::addColumn<bool>("nichtImPlan");
    QTest::addColumn<int>("tageZurueck");
    QTest::addColumn<QStringList>("erwartet"); // fields 1 to 11, "T" for the date
    QTest::newRow("dreissig stueck")
        << QStringList{"Ibuprofen", "Schmerz", "400 mg", "30", "1", "0", "1", "0"} << false << 0
        << QStringList{"Ibuprofen", "Schmerz", "400 mg", "30", "T", "30", "1", "0", "1", "0", ""};
    QTest::newRow("semikolon und komma")
        << QStringList{"A;B", "x;y", "2,5 mg", "2,5", "0,5", "", "0,5", "1"} << false << 3
        << QStringList{"A:B", "x:y", "2,5 mg", "2.5", "T", "2.5", "0.5", "", "0.5", "1", ""};
    QTest::newRow("nicht im plan")
        << QStringList{"Notfall", "bei Bedarf", "1 mg", "10", "0", "0", "0", "0"} << true << 10
        << QStringList{"Notfall", "bei Bedarf", "1 mg", "10", "T", "10", "0", "0", "0", "0", "1"};
}

void TestDialoge::neuesMedikament()
{
    QFETCH(QStringList, eingaben);
    QFETCH(bool, nichtImPlan);
    QFETCH(int, tageZurueck);
    QFETCH(QStringList, erwartet);
    Fenster f(planMit(patient, {med("Alt")}));
    const QDate tag = QDate::currentDate().addDays(-tageZurueck);
    erwartet.replaceInStrings(QRegularExpression("^T$"),
                              QString::number(unixZeit(QDateTime(tag, QTime(0, 0)))));

    f.bedienen("butMedNeu", [&](QWidget *d) {
        static const char *const namen[8] = {"neuEingabe", "neuBez",    "neuDosis", "neuEinheiten",
                                             "neuMorgen",  "neuMittag", "neuAbend", "neuNacht"};
        for (int i = 0; i < 8; ++i)
            eintippen(d, namen[i], eingaben[i]);
        auto *datum = im<QDateEdit>(d, "neuDatum");
        QCOMPARE(datum->date(), QDate::currentDate());
        datum->setDate(tag);
        if (nichtImPlan)
            im<QCheckBox>(d, "neuCheck")->click();
        im(d, "neuEintragen")->click();
    });
    // Appended with a provisional number (old line count - 1), then reloaded and compacted.
    QCOMPARE(TestZugang::neueZeile(*f.w), "2;" + erwartet.join(';') + ";;");
    QCOMPARE(f.datei(), planMit(patient, {med("Alt"), erwartet}));
    QCOMPARE(f.feld(3, 0), QString("4"));
    QCOMPARE(f.k<QTableWidget>("tabelleVerordnungsplan")->rowCount(), nichtImPlan ? 1 : 2);
}

void TestDialoge::volleListe_data()
{
    QTest::addColumn<int>("anzahl");
    QTest::newRow("47 nimmt noch eins") << 47;
    QTest::newRow("48 ist voll") << 48;
    QTest::newRow("49 laedt nicht") << 49; // appending would only make it longer
}

void TestDialoge::volleListe()
{
    QFETCH(int, anzahl);
    const QByteArray vorher = planMit(patient, meds(QString(anzahl, 'M')));
    auto zuLang = anzahl > 48 ? std::make_unique<DialogHelfer>(dialogSchliessen) : nullptr;
    Fenster f(vorher);
    zuLang.reset();
    if (anzahl > 48) {
        QVERIFY(!f.oeffnetDialog("butMedNeu"));
    } else {
        const QString meldung = f.bedienen("butMedNeu", [](QWidget *d) {
            if (!kind<QPushButton>(d, "neuEintragen"))
                return dialogSchliessen(d);
            eintippen(d, "neuEingabe", "Neu");
            im(d, "neuEintragen")->click();
        });
        QCOMPARE(f.anzahl(), 50);
        QCOMPARE(f.feld(49, 1), anzahl < 48 ? QString("Neu") : QString("M"));
        QCOMPARE(meldung, anzahl < 48 ? QString() : TestZugang::txtMedFull(*f.w));
    }
    if (anzahl >= 48)
        QCOMPARE(f.datei(), vorher);
}

void TestDialoge::apotheke_data()
{
    QTest::addColumn<QString>("bestand");
    QTest::addColumn<QStringList>("dosen");
    QTest::addColumn<QString>("gezeigt");
    QTest::addColumn<QString>("standNeu"); // empty: keep what the dialog shows
    QTest::addColumn<QString>("packungen");
    QTest::addColumn<QString>("je");
    QTest::addColumn<QString>("gespeichert");
    const QStringList zweiAmTag{"1", "0", "1", "0"};
    const QStringList keine{"0", "0", "0", "0"};
    QTest::newRow("zwei packungen") << "20" << zweiAmTag << "14" << "" << "2" << "30" << "74";
    QTest::newRow("komma") << "20" << zweiAmTag << "14" << "2,5" << "1,5" << "10" << "17.5";
    QTest::newRow("bruch") << "20" << QStringList{"0.5", "0", "0", "0"} << "18.5" << "" << "1"
                           << "30" << "48.5";
    QTest::newRow("bedarf") << "10.25" << keine << "10.25" << "" << "1" << "30" << "40.25";
    QTest::newRow("grosse zahl") << "81" << keine << "81" << "" << "10" << "1000" << "10081";
    QTest::newRow("bruchteil") << "150.25" << keine << "150.25" << "" << "1" << "0.5" << "150.75";
    QTest::newRow("leer gelaufen") << "5" << QStringList{"2", "0", "0", "0"} << "0" << "" << "1"
                                   << "100" << "100";
    QTest::newRow("halbe packung") << "10" << keine << "10" << "" << "1/2" << "30" << "25";
}

void TestDialoge::apotheke()
{
    QFETCH(QString, bestand);
    QFETCH(QStringList, dosen);
    QFETCH(QString, gezeigt);
    QFETCH(QString, standNeu);
    QFETCH(QString, packungen);
    QFETCH(QString, je);
    QFETCH(QString, gespeichert);
    const QStringList b = med("B", bestand, jetztUnix() - 3 * 86400 - 3600, dosen);
    Fenster f(planMit(patient, {med("A"), b}));
    f.waehlen(1);
    const quint32 vorher = jetztUnix();
    f.bedienen("butApotheke", [&](QWidget *d) {
        QCOMPARE(im<QLineEdit>(d, "apoStand")->text(), gezeigt);
        QCOMPARE(im<QLineEdit>(d, "apoPackungen")->text(), QString("1"));
        QCOMPARE(im<QLineEdit>(d, "apoJe")->text(), QString("30"));
        if (!standNeu.isEmpty())
            eintippen(d, "apoStand", standNeu);
        eintippen(d, "apoPackungen", packungen);
        eintippen(d, "apoJe", je);
        im(d, "apoEintragen")->click();
    });
    // The new stock counts from now.
    const quint32 zeit = f.feld(3, 5).toUInt();
    QVERIFY(zeit >= vorher && zeit <= jetztUnix());
    QStringList erwartet = b;
    erwartet[4] = f.feld(3, 5);
    erwartet[5] = gespeichert;
    QCOMPARE(f.datei(), planMit(patient, {med("A"), erwartet}));
    const float neu = gespeichert.toFloat();
    QCOMPARE(f.k<QTableWidget>("tabelleUebersicht")->item(1, 2)->text(),
             neu >= 10000 ? gespeichert : QString::number(neu, 'g', 4));
}

void TestDialoge::entfernen_data()
{
    QTest::addColumn<QString>("plan");
    QTest::addColumn<int>("zeile");
    QTest::addColumn<QString>("bleiben");
    QTest::newRow("nummer 4") << "ABCD" << 1 << "ACD";
    QTest::newRow("erstes") << "ABCD" << 0 << "BCD";
    QTest::newRow("letztes") << "ABCD" << 3 << "ABC";
    QTest::newRow("einziges bleibt") << "A" << 0 << "A"; // the dialog only offers to cancel
}

void TestDialoge::entfernen()
{
    QFETCH(QString, plan);
    QFETCH(int, zeile);
    QFETCH(QString, bleiben);
    Fenster f(planMit(patient, meds(plan)));
    f.waehlen(zeile);
    f.bedienen("butEntfernen", [&](QWidget *d) {
        const auto knoepfe = d->findChildren<QPushButton *>();
        QCOMPARE(knoepfe.size(), plan.size() > 1 ? 2 : 1);
        (plan.size() > 1 ? im(d, "entfernenJa") : knoepfe.first())->click();
    });
    if (plan.size() == 1) // not even when asked directly
        QMetaObject::invokeMethod(f.w.get(), "DatensatzLoeschen");
    QCOMPARE(f.datei(), planMit(patient, meds(bleiben))); // renumbered in the old order
    QCOMPARE(f.anzahl(), bleiben.size() + 2);
    QCOMPARE(f.k<QTableWidget>("tabelleUebersicht")->rowCount(), bleiben.size());
}

void TestDialoge::entfernenNurGewaehlteZeile()
{
    // Header, patient record and another medication carry the chosen number:
    // only the chosen line may go.
    QByteArray inhalt = planZeile({"4", "Tablora"}) + planZeile(QStringList{"4"} + patient);
    inhalt += planZeile(QStringList{"4"} + med("A")) + planZeile(QStringList{"4"} + med("B"))
              + planZeile(QStringList{"5"} + med("C"));
    Fenster f(inhalt);
    f.waehlen(0); // its number 4 is not the chosen 3: nothing to offer, nothing to remove
    QVERIFY(!f.oeffnetDialog("butEntfernen"));
    QMetaObject::invokeMethod(f.w.get(), "DatensatzLoeschen");
    QCOMPARE(f.datei(), inhalt);
    f.waehlen(1);
    f.bedienen("butEntfernen", [](QWidget *d) { im(d, "entfernenJa")->click(); });
    QCOMPARE(f.datei(), planMit(patient, meds("AC")));
}

void TestDialoge::nichtsGeaendert_data()
{
    QTest::addColumn<QString>("oeffnen");
    QTest::addColumn<QString>("knopf"); // empty: close the window instead
    QTest::addColumn<bool>("schreibfehler");
    QTest::newRow("neu abbrechen") << "butMedNeu" << "neuAbbrechen" << false;
    QTest::newRow("neu fenster zu") << "butMedNeu" << "" << false;
    QTest::newRow("apotheke fenster zu") << "butApotheke" << "" << false;
    QTest::newRow("entfernen abbrechen") << "butEntfernen" << "entfernenAbbrechen" << false;
    QTest::newRow("entfernen fenster zu") << "butEntfernen" << "" << false;
    QTest::newRow("neu schreibfehler") << "butMedNeu" << "neuEintragen" << true;
    QTest::newRow("apotheke schreibfehler") << "butApotheke" << "apoEintragen" << true;
    QTest::newRow("entfernen schreibfehler") << "butEntfernen" << "entfernenJa" << true;
}

void TestDialoge::nichtsGeaendert()
{
    QFETCH(QString, oeffnen);
    QFETCH(QString, knopf);
    QFETCH(bool, schreibfehler);
    Fenster f(planMit(patient, meds("AB")));
    f.waehlen(1);
    const QByteArray vorher = f.datei();
    if (schreibfehler) { // a folder in the file's place fails every write, even as root
        QVERIFY(QFile::remove(f.plan));
        QVERIFY(QDir().mkdir(f.plan));
    }
    std::unique_ptr<DialogHelfer> warnung;
    f.bedienen(oeffnen, [&](QWidget *d) {
        for (QLineEdit *feld : d->findChildren<QLineEdit *>())
            QTest::keyClicks(feld, "7");
        if (schreibfehler)
            warnung = std::make_unique<DialogHelfer>(dialogSchliessen);
        if (knopf.isEmpty())
            d->close();
        else
            im(d, knopf)->click();
    });
    if (schreibfehler)
        QVERIFY(warnung && warnung->gesehenerText().startsWith(TestZugang::txtWriteErr(*f.w)));
    else
        QCOMPARE(f.datei(), vorher);
    // The window keeps the plan the file last held.
    QCOMPARE(f.anzahl(), 4);
    QCOMPARE(f.feld(3, 6), QString("20"));
}

void TestDialoge::ohneAuswahl()
{
    Fenster f(planMit(patient, meds("ABC")));
    const QByteArray vorher = f.datei();
    for (const char *nummer : {"", "2", "6", "x"}) {
        TestZugang::setzeAktuelleNummer(*f.w, nummer);
        QVERIFY2(!f.oeffnetDialog("butApotheke"), nummer);
        QVERIFY2(!f.oeffnetDialog("butEntfernen"), nummer);
        // Called directly as well: the entry slots must not act on no medication.
        QMetaObject::invokeMethod(f.w.get(), "butApoEintrag_clicked");
        QMetaObject::invokeMethod(f.w.get(), "DatensatzLoeschen");
    }
    QCOMPARE(f.datei(), vorher);
    QCOMPARE(f.anzahl(), 5);
}

void TestDialoge::neuLaedtNichtMehr()
{
    // The file grew beyond the table behind the program's back: it cannot be
    // read again, so nothing is appended to it and the user is told.
    Fenster f(planMit(patient, {med("A")}));
    QByteArray inhalt = f.datei();
    for (int i = 0; i < 48; ++i)
        inhalt += planZeile(QStringList{"9"} + med("X"));
    dateiSchreiben(f.plan, inhalt);
    std::unique_ptr<DialogHelfer> zuLang;
    std::unique_ptr<DialogHelfer> nichtsGespeichert;
    f.bedienen("butMedNeu", [&](QWidget *d) {
        zuLang = std::make_unique<DialogHelfer>([&](QWidget *box) {
            nichtsGespeichert = std::make_unique<DialogHelfer>(dialogSchliessen);
            dialogSchliessen(box);
        });
        eintippen(d, "neuEingabe", "Neu");
        im(d, "neuEintragen")->click();
    });
    QVERIFY(zuLang && zuLang->gesehenerText().startsWith(TestZugang::txtTooLong(*f.w)));
    QVERIFY(nichtsGespeichert && nichtsGespeichert->erledigt());
    QCOMPARE(f.datei(), inhalt);
}

QTEST_MAIN(TestDialoge)
#include "tst_dialoge.moc"
