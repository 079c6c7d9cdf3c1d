#include "support/testsupport.h"

#include "planfile/datensatz.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
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

QList<QStringList> meds(int anzahl)
{
    QList<QStringList> liste;
    for (int i = 0; i < anzahl; ++i)
        liste << med(QString("M%1").arg(i));
    return liste;
}

QString mitternacht(int tageZurueck)
{
    const QDate tag = QDate::currentDate().addDays(-tageZurueck);
    return QString::number(unixZeit(QDateTime(tag, QTime(0, 0))));
}

// Closes a modal dialog nobody answers (a message box no test expected),
// so such a fault fails the test instead of hanging it.
class Aufpasser : public QObject
{
public:
    Aufpasser()
    {
        connect(&m_takt, &QTimer::timeout, this, [this] {
            QWidget *d = QApplication::activeModalWidget();
            m_runden = d && d == m_letzter ? m_runden + 1 : 0;
            m_letzter = d;
            if (m_runden < 4)
                return;
            const QString text = nachrichtText(d);
            dialogSchliessen(d);
            QTest::qFail(qPrintable("unerwarteter Dialog: " + d->windowTitle() + " " + text),
                         __FILE__, __LINE__);
        });
        m_takt.start(500);
    }

private:
    QTimer m_takt;
    QPointer<QWidget> m_letzter;
    int m_runden = 0;
};

struct Fenster
{
    TestUmgebung u;
    Aufpasser aufpasser;
    QString plan;
    std::unique_ptr<MainWindow> w;

    explicit Fenster(const QByteArray &inhalt)
    {
        plan = u.planSchreiben("p.medat", inhalt);
        u.vorbereiten(plan);
        w = std::make_unique<MainWindow>();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    template <typename T = QWidget>
    T *kind(const QString &name) const { return ::kind<T>(w.get(), name); }
    QPushButton *knopf(const QString &name) const { return kind<QPushButton>(name); }
    QByteArray datei() const { return dateiLesen(plan); }

    // The user's way: third tab, then a click on the list row.
    void waehlen(int zeile)
    {
        kind<QTabWidget>("tabReiter")->setCurrentIndex(2);
        auto *liste = kind<QListWidget>("listBox");
        const QRect r = liste->visualItemRect(liste->item(zeile));
        QTest::mouseClick(liste->viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(TestZugang::aktuelleNummer(*w), QString::number(zeile + 3));
    }
    // Clicks the button and reports whether any modal dialog came up.
    bool oeffnetDialog(QPushButton *b)
    {
        bool erschienen = false;
        QTimer wache;
        QObject::connect(&wache, &QTimer::timeout, [&] {
            if (QWidget *d = QApplication::activeModalWidget()) {
                erschienen = true;
                dialogSchliessen(d);
            }
        });
        wache.start(20);
        b->click();
        QTest::qWait(200);
        return erschienen;
    }
};

template <typename T>
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
    void letztesMedikament();
    void entfernenNurGewaehlteZeile();
    void abbrechen_data();
    void abbrechen();
    void ohneAuswahl_data();
    void ohneAuswahl();
    void schreibfehler_data();
    void schreibfehler();
    void neuLaedtNichtMehr();
    void neuOhneGeladenenPlan();
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
    erwartet.replaceInStrings(QRegularExpression("^T$"), mitternacht(tageZurueck));

    DialogHelfer h([&](QWidget *d) {
        static const char *const namen[8] = {"neuEingabe", "neuBez",    "neuDosis", "neuEinheiten",
                                             "neuMorgen",  "neuMittag", "neuAbend", "neuNacht"};
        for (int i = 0; i < 8; ++i)
            eintippen(d, namen[i], eingaben[i]);
        auto *datum = im<QDateEdit>(d, "neuDatum");
        QCOMPARE(datum->date(), QDate::currentDate());
        datum->setDate(QDate::currentDate().addDays(-tageZurueck));
        if (nichtImPlan)
            im<QCheckBox>(d, "neuCheck")->click();
        im<QPushButton>(d, "neuEintragen")->click();
    });
    f.knopf("butMedNeu")->click();
    QVERIFY(h.erledigt());
    QCOMPARE(h.gesehenerTitel(), TestZugang::txtNeuTitle(*f.w));

    // Provisional number: the old line count - 1; two empty fields close the line.
    QCOMPARE(TestZugang::neueZeile(*f.w), "2;" + erwartet.join(';') + ";;");
    QCOMPARE(f.datei(), planMit(patient, {med("Alt"), erwartet}));
    QCOMPARE(TestZugang::anzahl(*f.w), 4);
    QCOMPARE(TestZugang::datensatz(*f.w, 3).value(0), QString("4"));
    QCOMPARE(f.kind<QListWidget>("listBox")->count(), 2);
    QCOMPARE(f.kind<QTableWidget>("tabelleUebersicht")->rowCount(), 2);
    auto *regimen = f.kind<QTableWidget>("tabelleVerordnungsplan");
    QCOMPARE(regimen->rowCount(), nichtImPlan ? 1 : 2);
    QCOMPARE(regimen->item(regimen->rowCount() - 1, 0)->text(),
             nichtImPlan ? QString("Alt") : erwartet[0]);
    QCOMPARE(f.kind<QTabWidget>("tabReiter")->currentIndex(), 0);
    QVERIFY(!QApplication::activeModalWidget());
}

void TestDialoge::volleListe_data()
{
    QTest::addColumn<int>("anzahl");
    QTest::newRow("47 nimmt noch eins") << 47;
    QTest::newRow("48 ist voll") << 48;
}

void TestDialoge::volleListe()
{
    QFETCH(int, anzahl);
    Fenster f(planMit(patient, meds(anzahl)));
    QCOMPARE(TestZugang::anzahl(*f.w), anzahl + 2);
    const QByteArray vorher = f.datei();

    DialogHelfer h([&](QWidget *d) {
        if (auto *eintragen = kind<QPushButton>(d, "neuEintragen")) {
            eintippen(d, "neuEingabe", "Neu");
            eintragen->click();
        } else {
            dialogSchliessen(d);
        }
    });
    f.knopf("butMedNeu")->click();
    QVERIFY(h.erledigt());
    if (anzahl < 48) {
        QCOMPARE(TestZugang::anzahl(*f.w), 50);
        QCOMPARE(TestZugang::datensatz(*f.w, 49).value(1), QString("Neu"));
    } else {
        QCOMPARE(h.gesehenerText(), TestZugang::txtMedFull(*f.w));
        QCOMPARE(f.datei(), vorher);
        QCOMPARE(TestZugang::anzahl(*f.w), 50);
    }
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
    QTest::newRow("zwei packungen") << "20" << zweiAmTag << "14" << "" << "2" << "30" << "74";
    QTest::newRow("komma") << "20" << zweiAmTag << "14" << "2,5" << "1,5" << "10" << "17.5";
    QTest::newRow("bruch") << "20" << QStringList{"0.5", "0", "0", "0"} << "18.5" << "" << "1"
                           << "30" << "48.5";
    QTest::newRow("bedarf") << "10.25" << QStringList{"0", "0", "0", "0"} << "10.25" << "" << "1"
                            << "30" << "40.25";
    QTest::newRow("exponent") << "9999" << QStringList{"0", "0", "0", "0"} << "9999" << "" << "1"
                              << "42" << "1.004e+04";
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
    const qint64 vorDreiTagen = jetztUnix() - 3 * 86400 - 3600;
    const QStringList b = med("B", bestand, vorDreiTagen, dosen);
    Fenster f(planMit(patient, {med("A"), b}));
    f.waehlen(1);

    DialogHelfer h([&](QWidget *d) {
        QCOMPARE(im<QLabel>(d, "apoName")->text(), QString("B"));
        QCOMPARE(im<QLineEdit>(d, "apoStand")->text(), gezeigt);
        QCOMPARE(im<QLineEdit>(d, "apoPackungen")->text(), QString("1"));
        QCOMPARE(im<QLineEdit>(d, "apoJe")->text(), QString("30"));
        if (!standNeu.isEmpty())
            eintippen(d, "apoStand", standNeu);
        eintippen(d, "apoPackungen", packungen);
        eintippen(d, "apoJe", je);
        im<QPushButton>(d, "apoEintragen")->click();
    });
    const quint32 vorher = jetztUnix();
    f.knopf("butApotheke")->click();
    const quint32 nachher = jetztUnix();
    QVERIFY(h.erledigt());
    QCOMPARE(h.gesehenerTitel(), QString(" Medikament aus Apotheke "));

    const QStringList neu = TestZugang::datensatz(*f.w, 3);
    QCOMPARE(neu.value(6), gespeichert);
    const quint32 zeit = neu.value(5).toUInt();
    QVERIFY(zeit >= vorher && zeit <= nachher);
    QStringList erwartet = b;
    erwartet[4] = neu.value(5);
    erwartet[5] = gespeichert;
    QCOMPARE(f.datei(), planMit(patient, {med("A"), erwartet}));
    QCOMPARE(f.kind<QTableWidget>("tabelleUebersicht")->item(1, 2)->text(),
             QString::number(gespeichert.toFloat(), 'g', 4));
    QCOMPARE(f.kind<QTabWidget>("tabReiter")->currentIndex(), 0);
}

void TestDialoge::entfernen_data()
{
    QTest::addColumn<int>("zeile");
    QTest::addColumn<QStringList>("bleiben");
    QTest::newRow("nummer 4") << 1 << QStringList{"A", "C", "D"};
    QTest::newRow("erstes") << 0 << QStringList{"B", "C", "D"};
    QTest::newRow("letztes") << 3 << QStringList{"A", "B", "C"};
}

void TestDialoge::entfernen()
{
    QFETCH(int, zeile);
    QFETCH(QStringList, bleiben);
    Fenster f(planMit(patient, {med("A"), med("B"), med("C"), med("D")}));
    f.waehlen(zeile);
    const QString name = QString("ABCD").at(zeile);

    DialogHelfer h([&](QWidget *d) {
        auto *label = im<QLabel>(d, "entfernenName");
        QCOMPARE(label->text(), name);
        QVERIFY(label->font().bold());
        QCOMPARE(im<QPushButton>(d, "entfernenJa")->text(), TestZugang::txtDelmed(*f.w));
        im<QPushButton>(d, "entfernenJa")->click();
    });
    f.knopf("butEntfernen")->click();
    QVERIFY(h.erledigt());

    QList<QStringList> rest;
    for (const QString &n : bleiben)
        rest << med(n);
    QCOMPARE(f.datei(), planMit(patient, rest)); // renumbered 3, 4, 5 in the old order
    QCOMPARE(TestZugang::anzahl(*f.w), 5);
    QCOMPARE(f.kind<QListWidget>("listBox")->count(), 3);
    QCOMPARE(f.kind<QTableWidget>("tabelleUebersicht")->rowCount(), 3);
    QCOMPARE(f.kind<QTabWidget>("tabReiter")->currentIndex(), 0);
}

void TestDialoge::letztesMedikament()
{
    Fenster f(planMit(patient, {med("A")}));
    const QByteArray vorher = f.datei();
    f.waehlen(0);

    DialogHelfer h([&](QWidget *d) {
        QCOMPARE(im<QLabel>(d, "entfernenLetztes")->text(), TestZugang::txtLafi(*f.w));
        const auto knoepfe = d->findChildren<QPushButton *>();
        QCOMPARE(knoepfe.size(), 1);
        QCOMPARE(knoepfe.first()->text(), TestZugang::txtAbort(*f.w));
        knoepfe.first()->click();
    });
    f.knopf("butEntfernen")->click();
    QVERIFY(h.erledigt());
    QCOMPARE(f.datei(), vorher);
    QCOMPARE(TestZugang::anzahl(*f.w), 3);
}

void TestDialoge::entfernenNurGewaehlteZeile()
{
    // A hand-made file whose header, patient record and another medication
    // carry the chosen number: only the chosen line may go.
    QByteArray inhalt = planZeile({"4", "Tablora"}) + planZeile(QStringList{"4"} + patient);
    inhalt += planZeile(QStringList{"4"} + med("A")) + planZeile(QStringList{"4"} + med("B"))
              + planZeile(QStringList{"5"} + med("C"));
    Fenster f(inhalt);
    f.waehlen(0); // its number 4 is not the chosen 3: nothing to offer
    QVERIFY(!f.oeffnetDialog(f.knopf("butEntfernen")));
    f.waehlen(1);

    DialogHelfer h([](QWidget *d) { im<QPushButton>(d, "entfernenJa")->click(); });
    f.knopf("butEntfernen")->click();
    QVERIFY(h.erledigt());
    QCOMPARE(f.datei(), planMit(patient, {med("A"), med("C")}));
}

void TestDialoge::abbrechen_data()
{
    QTest::addColumn<QString>("oeffnen");
    QTest::addColumn<QString>("knopf"); // empty: close the window instead
    QTest::newRow("neu abbrechen") << "butMedNeu" << "neuAbbrechen";
    QTest::newRow("neu fenster zu") << "butMedNeu" << "";
    QTest::newRow("apotheke fenster zu") << "butApotheke" << "";
    QTest::newRow("entfernen abbrechen") << "butEntfernen" << "entfernenAbbrechen";
    QTest::newRow("entfernen fenster zu") << "butEntfernen" << "";
}

void TestDialoge::abbrechen()
{
    QFETCH(QString, oeffnen);
    QFETCH(QString, knopf);
    Fenster f(planMit(patient, {med("A"), med("B")}));
    f.waehlen(1);
    const QByteArray vorher = f.datei();

    DialogHelfer h([&](QWidget *d) {
        for (QLineEdit *feld : d->findChildren<QLineEdit *>())
            QTest::keyClicks(feld, "7");
        if (knopf.isEmpty())
            d->close();
        else
            im<QPushButton>(d, knopf)->click();
    });
    f.knopf(oeffnen)->click();
    QVERIFY(h.erledigt());
    QCOMPARE(f.datei(), vorher);
    QCOMPARE(TestZugang::anzahl(*f.w), 4);
    QCOMPARE(TestZugang::datensatz(*f.w, 3).value(6), QString("20"));
}

void TestDialoge::ohneAuswahl_data()
{
    QTest::addColumn<QString>("knopf");
    QTest::addColumn<QString>("nummer");
    for (const char *k : {"butApotheke", "butEntfernen"}) {
        QTest::addRow("%s leer", k) << k << "";
        QTest::addRow("%s patient", k) << k << "2";
        QTest::addRow("%s hinter dem plan", k) << k << "6";
        QTest::addRow("%s kein text", k) << k << "x";
    }
}

void TestDialoge::ohneAuswahl()
{
    QFETCH(QString, knopf);
    QFETCH(QString, nummer);
    Fenster f(planMit(patient, {med("A"), med("B"), med("C")}));
    const QByteArray vorher = f.datei();
    TestZugang::setzeAktuelleNummer(*f.w, nummer);
    QVERIFY(!f.oeffnetDialog(f.knopf(knopf)));
    // Called directly as well: the entry slots must not act on no medication.
    QMetaObject::invokeMethod(f.w.get(), "butApoEintrag_clicked");
    QMetaObject::invokeMethod(f.w.get(), "DatensatzLoeschen");
    QCOMPARE(f.datei(), vorher);
    QCOMPARE(TestZugang::anzahl(*f.w), 5);
}

void TestDialoge::schreibfehler_data()
{
    QTest::addColumn<QString>("oeffnen");
    QTest::addColumn<QString>("bestaetigen");
    QTest::newRow("neu") << "butMedNeu" << "neuEintragen";
    QTest::newRow("apotheke") << "butApotheke" << "apoEintragen";
    QTest::newRow("entfernen") << "butEntfernen" << "entfernenJa";
}

void TestDialoge::schreibfehler()
{
    QFETCH(QString, oeffnen);
    QFETCH(QString, bestaetigen);
    Fenster f(planMit(patient, {med("A"), med("B")}));
    f.waehlen(1);
    // A folder in the file's place makes every write fail, even as root.
    QVERIFY(QFile::remove(f.plan));
    QVERIFY(QDir().mkdir(f.plan));

    std::unique_ptr<DialogHelfer> warnung;
    DialogHelfer h([&](QWidget *d) {
        warnung = std::make_unique<DialogHelfer>(dialogSchliessen);
        if (kind<QLineEdit>(d, "apoPackungen"))
            eintippen(d, "apoPackungen", "3");
        im<QPushButton>(d, bestaetigen)->click();
    });
    f.knopf(oeffnen)->click();
    QVERIFY(h.erledigt());
    QVERIFY(warnung && warnung->erledigt());
    QVERIFY(warnung->gesehenerText().startsWith(TestZugang::txtWriteErr(*f.w)));
    QVERIFY(QFileInfo(f.plan).isDir());
    // The window keeps the plan the file last held.
    QCOMPARE(TestZugang::anzahl(*f.w), 4);
    QCOMPARE(TestZugang::datensatz(*f.w, 3).value(6), QString("20"));
}

void TestDialoge::neuLaedtNichtMehr()
{
    // The file grew beyond the table behind the program's back: the append
    // still lands, the reload refuses, and the empty table must not be written.
    Fenster f(planMit(patient, {med("A")}));
    QByteArray inhalt = f.datei();
    for (int i = 0; i < 48; ++i)
        inhalt += planZeile(QStringList{"9"} + med("X"));
    dateiSchreiben(f.plan, inhalt);

    std::unique_ptr<DialogHelfer> zuLang;
    DialogHelfer h([&](QWidget *d) {
        zuLang = std::make_unique<DialogHelfer>(dialogSchliessen);
        eintippen(d, "neuEingabe", "Neu");
        im<QPushButton>(d, "neuEintragen")->click();
    });
    f.knopf("butMedNeu")->click();
    QVERIFY(h.erledigt());
    QVERIFY(zuLang && zuLang->erledigt());
    QVERIFY(zuLang->gesehenerText().startsWith(TestZugang::txtTooLong(*f.w)));
    QCOMPARE(TestZugang::anzahl(*f.w), 0);
    QCOMPARE(f.datei(), inhalt + TestZugang::neueZeile(*f.w).toUtf8() + '\n');
}

void TestDialoge::neuOhneGeladenenPlan()
{
    // A plan too long to load: appending to it would only make it longer.
    QByteArray inhalt = planMit(patient, meds(49));
    DialogHelfer zuLang(dialogSchliessen);
    Fenster f(inhalt);
    QVERIFY(zuLang.erledigt());
    QCOMPARE(TestZugang::anzahl(*f.w), 0);
    QVERIFY(!f.oeffnetDialog(f.knopf("butMedNeu")));
    QCOMPARE(f.datei(), inhalt);
}

QTEST_MAIN(TestDialoge)
#include "tst_dialoge.moc"
