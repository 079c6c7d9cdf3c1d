#include "support/testsupport.h"
#include "planfile/datensatz.h"
#include "views/prognose.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>

namespace {

const QString normalStil = "background-color:white; color:black;";
const QString geaendertStil = "color:rgb(200,0,0;);font-weight:bold;";

// bestandZeit three and a half days ago: the form counts three whole days.
QString vorTagen(double tage)
{
    return QString::number(jetztUnix() - static_cast<quint32>(tage * 86400));
}

QList<QStringList> dreiMedikamente()
{
    return {
        {"Aspirin", "Schmerz", "100 mg", "20", vorTagen(3.5), "30", "1", "0", "1", "0", ""},
        {"Beta", "Herz", "5 mg", "50", vorTagen(0.2), "40", "0.5", "0", "0", "0", "1"},
        {"Calcium", "Knochen", "500 mg", "100", vorTagen(10), "12371", "1", "1", "1", "0", "0"},
    };
}

const QStringList patient{"Muster", "Max", "01.02.1950", "0", "0"};

struct Fenster
{
    TestUmgebung umg;
    QString plan;
    QByteArray inhalt;
    std::unique_ptr<MainWindow> w;

    explicit Fenster(const QByteArray &planInhalt)
        : inhalt(planInhalt)
    {
        plan = umg.planSchreiben("plan.medat", inhalt);
        umg.vorbereiten(plan);
        w = std::make_unique<MainWindow>();
        w->show();
        if (!QTest::qWaitForWindowExposed(w.get()))
            qWarning("window not exposed");
    }
    template <typename T>
    T *k(const QString &name) const
    {
        return kind<T>(w.get(), name);
    }
    QLineEdit *feld(int i) const { return k<QLineEdit>(QString("eingabeFelder%1").arg(i)); }
    QListWidget *liste() const { return k<QListWidget>("listBox"); }
    QTabWidget *reiter() const { return k<QTabWidget>("tabReiter"); }
    QPushButton *speichern() const { return k<QPushButton>("butAenderungSpeichern"); }
    QTableWidget *uebersicht() const { return k<QTableWidget>("tabelleUebersicht"); }
    QTableWidget *regimen() const { return k<QTableWidget>("tabelleVerordnungsplan"); }

    void reiterWaehlen(int i) const
    {
        QTabBar *bar = reiter()->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(i).center());
    }
    void zeileKlicken(int zeile) const
    {
        QListWidget *l = liste();
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(l->item(zeile)).center());
    }
    void verschieben(bool hoch) const
    {
        QTest::mouseClick(k<QToolButton>(hoch ? "butHoch" : "butRunter"), Qt::LeftButton);
    }
    QStringList spalte(QTableWidget *t, int s) const
    {
        QStringList werte;
        for (int z = 0; z < t->rowCount(); ++z)
            werte << t->item(z, s)->text();
        return werte;
    }
};

void neuTippen(QLineEdit *feld, const QString &text)
{
    QTest::keyClick(feld, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(feld, Qt::Key_Delete);
    QTest::keyClicks(feld, text);
}

// The form shows record `index` of the table, unchanged.
void formZeigt(const Fenster &f, int index)
{
    const QStringList r = TestZugang::datensatz(*f.w, index);
    QCOMPARE(TestZugang::aktuelleNummer(*f.w), QString::number(index + 1));
    QCOMPARE(f.k<QGroupBox>("groupMedWahl")->title(),
             TestZugang::txtMedwahl(*f.w) + " - " + r.value(1) + "  ");
    const int felder[9] = {1, 2, 3, 4, -1, 7, 8, 9, 10};
    for (int i = 0; i < 9; ++i) {
        if (felder[i] >= 0)
            QCOMPARE(f.feld(i)->text(), r.value(felder[i]));
        QCOMPARE(f.feld(i)->styleSheet(), normalStil);
    }
    const float heute = prognose(r, jetztUnix()).bestandHeute;
    QCOMPARE(f.feld(4)->text(), QString::number(heute, 'g', 4));
    QCOMPARE(f.k<QLabel>("labBestand")->text(),
             QDate::currentDate().toString("dd. MM. yyyy"));
    QCOMPARE(f.k<QCheckBox>("checkMed")->isChecked(), r.value(11) == "1");
    QCOMPARE(f.k<QCheckBox>("checkMed")->styleSheet(), QString("color:black;"));
}

} // namespace

class TestAuswahl : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void listeKlicken_data();
    void listeKlicken();
    void uebersichtDoppelklick_data();
    void uebersichtDoppelklick();
    void reiterWechsel();
    void feldBearbeiten_data();
    void feldBearbeiten();
    void speichern_data();
    void speichern();
    void speichernOhneAuswahl_data();
    void speichernOhneAuswahl();
    void speichernUnkompakterDatei();
    void verschiebenAmRand_data();
    void verschiebenAmRand();
    void verschieben_data();
    void verschieben();
    void ohneMedikamente();
    void auswahlAusserhalb();
    void schreibfehler();
};

void TestAuswahl::listeKlicken_data()
{
    QTest::addColumn<int>("zeile");
    QTest::newRow("erste") << 0;
    QTest::newRow("mitte, nicht im Plan") << 1;
    QTest::newRow("letzte, Bestand mit Exponent") << 2;
}

void TestAuswahl::listeKlicken()
{
    QFETCH(int, zeile);
    Fenster f(planMit(patient, dreiMedikamente()));
    f.reiterWaehlen(2);
    f.zeileKlicken(zeile);

    QCOMPARE(f.liste()->currentRow(), zeile);
    formZeigt(f, zeile + 2);
    QVERIFY(!f.speichern()->isEnabled());
    QCOMPARE(f.speichern()->styleSheet(), QString("color:gray;"));
}

void TestAuswahl::uebersichtDoppelklick_data()
{
    QTest::addColumn<int>("zeile");
    QTest::newRow("erste") << 0;
    QTest::newRow("letzte") << 2;
}

void TestAuswahl::uebersichtDoppelklick()
{
    QFETCH(int, zeile);
    Fenster f(planMit(patient, dreiMedikamente()));
    QCOMPARE(f.reiter()->currentIndex(), 0);

    QTableWidget *t = f.uebersicht();
    const QPoint punkt = t->visualItemRect(t->item(zeile, 0)).center();
    // A real double click: a click, then the double-click press.
    QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, punkt);
    QTest::mouseDClick(t->viewport(), Qt::LeftButton, {}, punkt);

    QCOMPARE(f.reiter()->currentIndex(), 2);
    QCOMPARE(f.liste()->currentRow(), zeile);
    formZeigt(f, zeile + 2);
}

void TestAuswahl::reiterWechsel()
{
    Fenster f(planMit(patient, dreiMedikamente()));
    f.reiterWaehlen(2);
    f.zeileKlicken(2);
    formZeigt(f, 4);
    // Every tab switch loads the first medication, wherever it goes.
    for (int reiter : {1, 2, 0}) {
        QMetaObject::invokeMethod(f.w.get(), "comboAuswahl", Q_ARG(int, 2));
        QCOMPARE(f.liste()->currentRow(), 2);
        f.reiterWaehlen(reiter);
        QCOMPARE(f.reiter()->currentIndex(), reiter);
        QCOMPARE(f.liste()->currentRow(), 0);
        formZeigt(f, 2);
    }
}

void TestAuswahl::feldBearbeiten_data()
{
    QTest::addColumn<int>("feld");
    for (int i = 0; i < 9; ++i)
        QTest::newRow(qPrintable(QString("feld %1").arg(i))) << i;
    QTest::newRow("checkMed") << 9;
}

void TestAuswahl::feldBearbeiten()
{
    QFETCH(int, feld);
    Fenster f(planMit(patient, dreiMedikamente()));
    f.reiterWaehlen(2);
    f.zeileKlicken(1);
    QVERIFY(!f.speichern()->isEnabled());

    auto *check = f.k<QCheckBox>("checkMed");
    QWidget *bearbeitet = feld < 9 ? static_cast<QWidget *>(f.feld(feld)) : check;
    if (feld < 9)
        QTest::keyClicks(f.feld(feld), "7");
    else
        QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(8, check->height() / 2));
    for (int i = 0; i < 9; ++i)
        QCOMPARE(f.feld(i)->styleSheet(), i == feld ? geaendertStil : normalStil);
    QCOMPARE(check->styleSheet(), feld == 9 ? geaendertStil : QString("color:black;"));
    QCOMPARE(bearbeitet->palette().color(bearbeitet->foregroundRole()), QColor(200, 0, 0));
    QVERIFY(bearbeitet->font().bold());
    QVERIFY(f.speichern()->isEnabled());
    QCOMPARE(f.speichern()->styleSheet(), QString("color:black;"));
    // Editing touches neither the table nor the file.
    QCOMPARE(dateiLesen(f.plan), f.inhalt);

    // Loading another medication resets the look; the button stays enabled.
    f.zeileKlicken(0);
    formZeigt(f, 2);
    QVERIFY(!bearbeitet->font().bold());
    QVERIFY(f.speichern()->isEnabled());
    QCOMPARE(f.speichern()->styleSheet(), QString("color:black;"));
}

void TestAuswahl::speichern_data()
{
    QTest::addColumn<int>("zeile");
    QTest::addColumn<bool>("checkKlicken");
    QTest::addColumn<QString>("flag");
    QTest::newRow("aus Plan nehmen") << 0 << true << "1";
    QTest::newRow("in Plan zurueck") << 1 << true << "0";
    QTest::newRow("leeres Flag wird 0") << 0 << false << "0";
}

void TestAuswahl::speichern()
{
    QFETCH(int, zeile);
    QFETCH(bool, checkKlicken);
    QFETCH(QString, flag);

    const QList<QStringList> meds = dreiMedikamente();
    Fenster f(planMit(patient, meds));
    f.reiterWaehlen(2);
    f.zeileKlicken(zeile);
    const QString bestandHeute = f.feld(4)->text();

    neuTippen(f.feld(0), "Neu;name");
    neuTippen(f.feld(2), "2,5 mg");
    neuTippen(f.feld(5), "0,5");
    if (checkKlicken) {
        auto *check = f.k<QCheckBox>("checkMed");
        QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(8, check->height() / 2));
    }
    const quint32 vorher = jetztUnix();
    QTest::mouseClick(f.speichern(), Qt::LeftButton);
    const quint32 nachher = jetztUnix();

    const QStringList r = TestZugang::datensatz(*f.w, zeile + 2);
    QCOMPARE(r.size(), 12);
    const quint32 zeit = r.at(5).toUInt();
    QVERIFY(zeit >= vorher && zeit <= nachher);
    const QStringList alt = meds.at(zeile);
    // The strength is free text: its comma stays.
    const QStringList erwartet{QString::number(zeile + 3), "Neu:name", alt.at(1), "2,5 mg",
                               alt.at(3), r.at(5), bestandHeute, "0.5",
                               alt.at(7), alt.at(8), alt.at(9), flag};
    QCOMPARE(r, erwartet);

    QList<QStringList> neu = meds;
    neu[zeile] = erwartet.mid(1);
    QCOMPARE(dateiLesen(f.plan), planMit(patient, neu));

    // Both tables follow at once; the list keeps the old name until refilled.
    QCOMPARE(f.spalte(f.uebersicht(), 0).value(zeile), QString("Neu:name"));
    QCOMPARE(f.spalte(f.regimen(), 0).contains("Neu:name"), flag != "1");
    if (flag != "1") {
        const int z = f.spalte(f.regimen(), 0).indexOf("Neu:name");
        QCOMPARE(f.regimen()->item(z, 2)->text(), QString("1/2"));
    }
    QCOMPARE(f.liste()->item(zeile)->text(), alt.at(0));
    // The form keeps what was typed, in its normal look.
    QCOMPARE(f.feld(0)->text(), QString("Neu;name"));
    for (int i = 0; i < 9; ++i)
        QCOMPARE(f.feld(i)->styleSheet(), normalStil);
    QCOMPARE(TestZugang::aktuelleNummer(*f.w), QString::number(zeile + 3));
}

void TestAuswahl::speichernOhneAuswahl_data()
{
    QTest::addColumn<QString>("nummer");
    QTest::newRow("nichts gewaehlt") << "";
    QTest::newRow("Patientensatz") << "2";
    QTest::newRow("hinter dem Plan") << "6";
    QTest::newRow("keine Zahl") << "x";
}

void TestAuswahl::speichernOhneAuswahl()
{
    QFETCH(QString, nummer);
    Fenster f(planMit(patient, dreiMedikamente()));
    f.reiterWaehlen(2);
    QTest::keyClicks(f.feld(0), "Neu");
    QVERIFY(f.speichern()->isEnabled());
    QList<QStringList> tabelle;
    for (int i = 0; i < TestZugang::anzahl(*f.w); ++i)
        tabelle << TestZugang::datensatz(*f.w, i);

    // Any write would replace these marked bytes.
    const QByteArray markiert = planMit({"Markiert"}, {});
    dateiSchreiben(f.plan, markiert);

    TestZugang::setzeAktuelleNummer(*f.w, nummer);
    QTest::mouseClick(f.speichern(), Qt::LeftButton);
    QCOMPARE(dateiLesen(f.plan), markiert);
    for (int i = 0; i < tabelle.size(); ++i)
        QCOMPARE(TestZugang::datensatz(*f.w, i), tabelle.at(i));
    QCOMPARE(f.feld(0)->styleSheet(), geaendertStil);
}

void TestAuswahl::speichernUnkompakterDatei()
{
    // Record numbers that do not match the lines must not redirect the save.
    const QList<QStringList> meds = dreiMedikamente();
    QByteArray roh = planZeile({"1", "Tablora"}) + planZeile(QStringList{"2"} + patient);
    for (const QStringList &m : meds)
        roh += planZeile(QStringList{"3"} + m);
    Fenster f(roh);
    f.reiterWaehlen(2);
    f.zeileKlicken(2);
    QCOMPARE(f.feld(0)->text(), QString("Calcium"));
    QCOMPARE(TestZugang::aktuelleNummer(*f.w), QString("5"));

    neuTippen(f.feld(0), "Kalk");
    QTest::mouseClick(f.speichern(), Qt::LeftButton);
    const QByteArray datei = dateiLesen(f.plan);
    QVERIFY(datei.contains("\n3;Aspirin;"));
    QVERIFY(datei.contains("\n4;Beta;"));
    QVERIFY(datei.contains("\n5;Kalk;"));
}

void TestAuswahl::verschiebenAmRand_data()
{
    QTest::addColumn<int>("zeile");
    QTest::addColumn<bool>("hoch");
    QTest::newRow("erste hoch") << 0 << true;
    QTest::newRow("letzte runter") << 2 << false;
    QTest::newRow("keine Zeile hoch") << -1 << true;
    QTest::newRow("keine Zeile runter") << -1 << false;
}

void TestAuswahl::verschiebenAmRand()
{
    QFETCH(int, zeile);
    QFETCH(bool, hoch);
    Fenster f(planMit(patient, dreiMedikamente()));
    f.reiterWaehlen(2);
    if (zeile >= 0)
        f.zeileKlicken(zeile);
    else
        f.liste()->setCurrentRow(-1);
    // Any write would replace these marked bytes.
    const QByteArray markiert = planMit({"Markiert"}, {});
    dateiSchreiben(f.plan, markiert);

    f.verschieben(hoch);
    QCOMPARE(dateiLesen(f.plan), markiert);
    QCOMPARE(f.liste()->currentRow(), zeile);
    QCOMPARE(f.spalte(f.uebersicht(), 0), QStringList({"Aspirin", "Beta", "Calcium"}));
}

void TestAuswahl::verschieben_data()
{
    QTest::addColumn<int>("zeile");
    QTest::addColumn<bool>("hoch");
    QTest::addColumn<QStringList>("reihenfolge");
    QTest::newRow("mitte hoch") << 1 << true << QStringList{"Beta", "Aspirin", "Calcium"};
    QTest::newRow("letzte hoch") << 2 << true << QStringList{"Aspirin", "Calcium", "Beta"};
    QTest::newRow("erste runter") << 0 << false << QStringList{"Beta", "Aspirin", "Calcium"};
    QTest::newRow("mitte runter") << 1 << false << QStringList{"Aspirin", "Calcium", "Beta"};
}

void TestAuswahl::verschieben()
{
    QFETCH(int, zeile);
    QFETCH(bool, hoch);
    QFETCH(QStringList, reihenfolge);

    const QList<QStringList> meds = dreiMedikamente();
    Fenster f(planMit(patient, meds));
    f.reiterWaehlen(2);
    f.zeileKlicken(zeile);
    const QString name = f.feld(0)->text();
    f.verschieben(hoch);

    const int neueZeile = zeile + (hoch ? -1 : 1);
    QList<QStringList> neu;
    for (const QString &n : reihenfolge)
        for (const QStringList &m : meds)
            if (m.at(0) == n)
                neu << m;
    QCOMPARE(dateiLesen(f.plan), planMit(patient, neu));

    QCOMPARE(f.liste()->currentRow(), neueZeile);
    QCOMPARE(f.feld(0)->text(), name);
    formZeigt(f, neueZeile + 2);
    QStringList liste;
    for (int i = 0; i < f.liste()->count(); ++i)
        liste << f.liste()->item(i)->text();
    QCOMPARE(liste, reihenfolge);
    QCOMPARE(f.spalte(f.uebersicht(), 0), reihenfolge);
    QStringList imPlan = reihenfolge;
    imPlan.removeAll("Beta"); // left out of the regimen
    QCOMPARE(f.spalte(f.regimen(), 0), imPlan);
}

void TestAuswahl::ohneMedikamente()
{
    const QByteArray inhalt = planMit(patient, {});
    Fenster f(inhalt);
    const QString titel = f.k<QGroupBox>("groupMedWahl")->title();
    for (int reiter : {2, 1, 0, 2})
        f.reiterWaehlen(reiter);
    f.liste()->setCurrentRow(-1);
    QMetaObject::invokeMethod(f.w.get(), "comboAuswahl", Q_ARG(int, 0));
    f.verschieben(true);
    f.verschieben(false);

    QCOMPARE(TestZugang::aktuelleNummer(*f.w), QString());
    QCOMPARE(f.k<QGroupBox>("groupMedWahl")->title(), titel);
    for (int i = 0; i < 9; ++i)
        QVERIFY(f.feld(i)->text().isEmpty());
    QCOMPARE(f.liste()->currentRow(), -1);
    QCOMPARE(dateiLesen(f.plan), inhalt);
}

void TestAuswahl::auswahlAusserhalb()
{
    Fenster f(planMit(patient, dreiMedikamente()));
    f.reiterWaehlen(2);
    f.zeileKlicken(1);
    QTest::keyClicks(f.feld(7), "9");

    // A record index beyond the plan leaves the form as it is.
    for (int eingang : {3, 48, 100, -3})
        QMetaObject::invokeMethod(f.w.get(), "comboAuswahl", Q_ARG(int, eingang));
    QCOMPARE(TestZugang::aktuelleNummer(*f.w), QString("4"));
    QCOMPARE(f.feld(0)->text(), QString("Beta"));
    QCOMPARE(f.feld(7)->text(), QString("09"));
    QCOMPARE(f.feld(7)->styleSheet(), geaendertStil);
    QCOMPARE(f.liste()->currentRow(), 1);

    // A direct call with a valid row loads it and moves the list along.
    QMetaObject::invokeMethod(f.w.get(), "comboAuswahl", Q_ARG(int, 2));
    QCOMPARE(f.liste()->currentRow(), 2);
    formZeigt(f, 4);
}

void TestAuswahl::schreibfehler()
{
    Fenster f(planMit(patient, dreiMedikamente()));
    f.reiterWaehlen(2);
    f.zeileKlicken(1);
    QVERIFY(QFile::remove(f.plan));
    QVERIFY(QDir().mkdir(f.plan));

    neuTippen(f.feld(0), "Neu");
    {
        DialogHelfer helfer(dialogSchliessen);
        QTest::mouseClick(f.speichern(), Qt::LeftButton);
        QVERIFY(helfer.erledigt());
        QVERIFY(helfer.gesehenerText().startsWith(TestZugang::txtWriteErr(*f.w)));
    }
    {
        DialogHelfer helfer(dialogSchliessen);
        f.verschieben(true);
        QVERIFY(helfer.erledigt());
    }
    QVERIFY(QFileInfo(f.plan).isDir());
    QCOMPARE(f.uebersicht()->rowCount(), 3);
}

QTEST_MAIN(TestAuswahl)
#include "tst_auswahl.moc"
