#include "support/testsupport.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTableWidget>
#include <QtTest>

namespace {

const QStringList medA{"Aspirin", "Schmerz", "100 mg", "20", "1700000000", "30",
                       "1",       "0",       "1",      "0",  ""};
const QStringList medB{"Beta", "Herz", "5 mg", "50", "1700000000", "40", "0.5", "0", "0", "0", "0"};

QStringList patient(const QString &flag, const QString &zeit,
                    const QString &name = "Muster", const QString &vorname = "Max",
                    const QString &geburt = "01.02.1950")
{
    return {name, vorname, geburt, flag, zeit};
}

void fensterZeigen(MainWindow &w)
{
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
}

void reiterWaehlen(MainWindow &w, int reiter)
{
    auto *bar = kind<QTabWidget>(&w, "tabReiter")->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(reiter).center());
}

void radioKlicken(QRadioButton *knopf)
{
    // The indicator is hit whatever length the (translated) text has.
    QStyleOptionButton opt;
    opt.initFrom(knopf);
    const QRect r = knopf->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &opt, knopf);
    QTest::mouseClick(knopf, Qt::LeftButton, {}, r.center());
}

void neuTippen(QLineEdit *feld, const QString &text)
{
    QTest::keyClick(feld, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(feld, Qt::Key_Delete);
    QTest::keyClicks(feld, text);
}

qint64 mitternacht(const QDate &tag)
{
    return tag.startOfDay().toSecsSinceEpoch();
}

} // namespace

class TestPatDaten : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void patientSpeichern_data();
    void patientSpeichern();
    void radioKnoepfe();
    void ladenMitTerminFlag_data();
    void ladenMitTerminFlag();
    void wechselZuPlanOhneTermin();
    void terminTagFaerbtUebersicht();
    void ohnePatientensatz_data();
    void ohnePatientensatz();
    void fehlgeschlagenesLaden();
};

void TestPatDaten::patientSpeichern_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("vorname");
    QTest::addColumn<QString>("nameGespeichert");
    QTest::addColumn<QString>("vornameGespeichert");
    QTest::newRow("einfach") << "Meier" << "Anna" << "Meier" << "Anna";
    QTest::newRow("strichpunkte") << "Mei;er" << "An;n;a" << "Mei:er" << "An:n:a";
}

void TestPatDaten::patientSpeichern()
{
    QFETCH(QString, name);
    QFETCH(QString, vorname);
    QFETCH(QString, nameGespeichert);
    QFETCH(QString, vornameGespeichert);

    TestUmgebung umg;
    const QString plan = umg.planSchreiben("plan.medat", planMit(patient("0", "0"), {medA, medB}));
    umg.vorbereiten(plan);
    MainWindow w;
    fensterZeigen(w);
    reiterWaehlen(w, 2);

    auto *editName = kind<QLineEdit>(&w, "editName");
    auto *editVorname = kind<QLineEdit>(&w, "editVorname");
    QCOMPARE(editName->text(), QString("Muster"));
    QCOMPARE(editVorname->text(), QString("Max"));
    QCOMPARE(kind<QDateEdit>(&w, "dateGeburt")->date(), QDate(1950, 2, 1));

    neuTippen(editName, name);
    neuTippen(editVorname, vorname);
    kind<QDateEdit>(&w, "dateGeburt")->setDate(QDate(1960, 4, 3));
    QTest::mouseClick(kind<QPushButton>(&w, "butPatSpeichern"), Qt::LeftButton);

    QCOMPARE(dateiLesen(plan),
             planMit(patient("0", "0", nameGespeichert, vornameGespeichert, "03.04.1960"),
                     {medA, medB}));
    // The widgets show the record as stored.
    QCOMPARE(editName->text(), nameGespeichert);
    QCOMPARE(kind<QLabel>(&w, "labPatient")->text(),
             " - " + TestZugang::txtPats(w) + ": " + nameGespeichert + ", " + vornameGespeichert
                 + "  |  " + TestZugang::txtPatgeb(w) + ": 03.04.1960");
}

void TestPatDaten::radioKnoepfe()
{
    TestUmgebung umg;
    const QString plan =
        umg.planSchreiben("plan.medat", planMit(patient("0", "1700000000"), {medA}));
    umg.vorbereiten(plan);
    MainWindow w;
    fensterZeigen(w);
    reiterWaehlen(w, 2);

    auto *ja = kind<QRadioButton>(&w, "radioJa");
    auto *nein = kind<QRadioButton>(&w, "radioNein");
    auto *datum = kind<QDateEdit>(&w, "dateArztTermin");
    auto *knopf = kind<QPushButton>(&w, "butArztTermin");
    QVERIFY(nein->isChecked());
    QVERIFY(!datum->isVisible());
    QVERIFY(!knopf->isVisible());

    radioKlicken(ja);
    QVERIFY(ja->isChecked());
    QVERIFY(datum->isVisible());
    QVERIFY(knopf->isVisible());
    QCOMPARE(dateiLesen(plan), planMit(patient("1", "1700000000"), {medA}));

    radioKlicken(nein);
    QVERIFY(!ja->isChecked());
    QVERIFY(!datum->isVisible());
    QVERIFY(!knopf->isVisible());
    // The appointment day stays stored for the next time it is switched on.
    QCOMPARE(dateiLesen(plan), planMit(patient("0", "1700000000"), {medA}));
}

void TestPatDaten::ladenMitTerminFlag_data()
{
    QTest::addColumn<QString>("flag");
    QTest::addColumn<bool>("neuGeschrieben");
    QTest::newRow("gesetzt") << "1" << true;
    QTest::newRow("null") << "0" << false;
    QTest::newRow("leer") << "" << false;
    QTest::newRow("nicht genau 1") << "01" << false;
}

void TestPatDaten::ladenMitTerminFlag()
{
    QFETCH(QString, flag);
    QFETCH(bool, neuGeschrieben);

    const QDateTime termin(QDate(2030, 5, 17), QTime(0, 0));
    const QString zeit = QString::number(termin.toSecsSinceEpoch());
    // A header numbered 7 shows whether the file was rewritten in compacted form.
    QByteArray roh = planMit(patient(flag, zeit), {medA});
    roh[0] = '7';

    TestUmgebung umg;
    const QString plan = umg.planSchreiben("plan.medat", roh);
    umg.vorbereiten(plan);
    MainWindow w;
    fensterZeigen(w);

    QCOMPARE(dateiLesen(plan), neuGeschrieben ? planMit(patient(flag, zeit), {medA}) : roh);
    QCOMPARE(kind<QRadioButton>(&w, "radioJa")->isChecked(), neuGeschrieben);
    QCOMPARE(kind<QRadioButton>(&w, "radioNein")->isChecked(), !neuGeschrieben);
    auto *datum = kind<QDateEdit>(&w, "dateArztTermin");
    QCOMPARE(datum->isHidden(), !neuGeschrieben);
    QCOMPARE(kind<QPushButton>(&w, "butArztTermin")->isHidden(), !neuGeschrieben);
    QCOMPARE(datum->date(), neuGeschrieben ? QDate(2030, 5, 17) : QDate::currentDate());
}

void TestPatDaten::wechselZuPlanOhneTermin()
{
    TestUmgebung umg;
    const QString a = umg.planSchreiben("a.medat", planMit(patient("1", "1700000000"), {medA}));
    const QByteArray bRoh = planMit(patient("", "5"), {medB});
    const QString b = umg.planSchreiben("b.medat", bRoh);
    umg.vorbereiten(a);
    MainWindow w;
    fensterZeigen(w);
    reiterWaehlen(w, 2);
    QVERIFY(kind<QRadioButton>(&w, "radioJa")->isChecked());

    auto *liste = kind<QListWidget>(&w, "listBoxDat");
    QVERIFY(liste);
    const auto treffer = liste->findItems("b.medat", Qt::MatchExactly);
    QCOMPARE(treffer.size(), 1);
    QTest::mouseClick(liste->viewport(), Qt::LeftButton, {},
                      liste->visualItemRect(treffer.first()).center());

    QCOMPARE(TestZugang::aktuelleDatei(w), QFileInfo(b).absoluteFilePath());
    // Unchecking radioJa stores the empty flag as "0" in the newly opened plan.
    QVERIFY(kind<QRadioButton>(&w, "radioNein")->isChecked());
    QCOMPARE(dateiLesen(b), planMit(patient("0", "5"), {medB}));
    QVERIFY(!kind<QDateEdit>(&w, "dateArztTermin")->isVisible());
    QCOMPARE(dateiLesen(a), planMit(patient("1", "1700000000"), {medA}));
}

void TestPatDaten::terminTagFaerbtUebersicht()
{
    const QDate tag = QDate::currentDate().addDays(10);
    const qint64 nacht = mitternacht(tag);
    // Ten units at one a day: the stock runs out ten days after bestandZeit.
    const auto medikament = [](const QString &name, qint64 leer) {
        return QStringList{name, "x",  "1 mg", "10", QString::number(leer - 10 * 86400),
                           "10", "1",  "0",    "0",  "0", ""};
    };
    const QStringList vorher = medikament("Vorher", nacht - 2 * 3600);
    const QStringList amTag = medikament("AmTag", nacht + 12 * 3600);

    TestUmgebung umg;
    const QString plan =
        umg.planSchreiben("plan.medat", planMit(patient("1", "86400"), {vorher, amTag}));
    umg.vorbereiten(plan);
    MainWindow w;
    fensterZeigen(w);

    auto *tabelle = kind<QTableWidget>(&w, "tabelleUebersicht");
    QCOMPARE(tabelle->rowCount(), 2);
    for (int zeile = 0; zeile < 2; ++zeile)
        QVERIFY(tabelle->item(zeile, 4)->background().color() != QColor(Qt::red));

    reiterWaehlen(w, 2);
    kind<QDateEdit>(&w, "dateArztTermin")->setDate(tag);
    QTest::mouseClick(kind<QPushButton>(&w, "butArztTermin"), Qt::LeftButton);

    QCOMPARE(dateiLesen(plan),
             planMit(patient("1", QString::number(nacht)), {vorher, amTag}));
    tabelle = kind<QTableWidget>(&w, "tabelleUebersicht");
    QCOMPARE(tabelle->item(0, 4)->background().color(), QColor(Qt::red));
    QVERIFY(tabelle->item(1, 4)->background().color() != QColor(Qt::red));

    // No appointment: nothing is red, whatever day is stored.
    radioKlicken(kind<QRadioButton>(&w, "radioNein"));
    QVERIFY(tabelle->item(0, 4)->background().color() != QColor(Qt::red));
}

void TestPatDaten::ohnePatientensatz_data()
{
    QTest::addColumn<QByteArray>("inhalt");
    QTest::addColumn<int>("anzahl");
    QTest::newRow("leere Datei") << QByteArray() << 0;
    QTest::newRow("nur Kopfzeile") << planZeile({"1", "Tablora"}) << 1;
}

void TestPatDaten::ohnePatientensatz()
{
    QFETCH(QByteArray, inhalt);
    QFETCH(int, anzahl);

    TestUmgebung umg;
    const QString plan = umg.planSchreiben("plan.medat", inhalt);
    umg.vorbereiten(plan);
    MainWindow w;
    fensterZeigen(w);
    reiterWaehlen(w, 2);
    QCOMPARE(TestZugang::anzahl(w), anzahl);

    auto *editName = kind<QLineEdit>(&w, "editName");
    QVERIFY(editName->text().isEmpty());
    QCOMPARE(kind<QLabel>(&w, "labPatient")->text(),
             " - " + TestZugang::txtPats(w) + ": ,   |  " + TestZugang::txtPatgeb(w) + ": ");

    neuTippen(editName, "Meier");
    QTest::mouseClick(kind<QPushButton>(&w, "butPatSpeichern"), Qt::LeftButton);
    radioKlicken(kind<QRadioButton>(&w, "radioJa"));
    // The choice still shows its date field, though nothing can be stored.
    QVERIFY(kind<QDateEdit>(&w, "dateArztTermin")->isVisible());
    QTest::mouseClick(kind<QPushButton>(&w, "butArztTermin"), Qt::LeftButton);
    radioKlicken(kind<QRadioButton>(&w, "radioNein"));
    QVERIFY(!kind<QDateEdit>(&w, "dateArztTermin")->isVisible());

    QCOMPARE(dateiLesen(plan), inhalt);
    QCOMPARE(TestZugang::anzahl(w), anzahl);
}

void TestPatDaten::fehlgeschlagenesLaden()
{
    TestUmgebung umg;
    const QByteArray aInhalt = planMit(patient("0", "0"), {medA});
    const QString a = umg.planSchreiben("a.medat", aInhalt);
    // More lines than a plan can hold: the load refuses it.
    QByteArray zuLang = planMit(patient("0", "0"), {});
    for (int i = 0; i < MainWindow::maxDatensaetze; ++i)
        zuLang += planZeile(QStringList{QString::number(i + 3)} + medA);
    const QString b = umg.planSchreiben("b.medat", zuLang);
    umg.vorbereiten(a);
    MainWindow w;
    fensterZeigen(w);
    reiterWaehlen(w, 2);

    auto *liste = kind<QListWidget>(&w, "listBoxDat");
    QVERIFY(liste);
    const auto treffer = liste->findItems("b.medat", Qt::MatchExactly);
    QCOMPARE(treffer.size(), 1);
    {
        DialogHelfer helfer(dialogSchliessen);
        QTest::mouseClick(liste->viewport(), Qt::LeftButton, {},
                          liste->visualItemRect(treffer.first()).center());
    }
    QCOMPARE(TestZugang::aktuelleDatei(w), QFileInfo(b).absoluteFilePath());

    // The table still holds the other plan: none of the commands may touch a file.
    neuTippen(kind<QLineEdit>(&w, "editName"), "Meier");
    QTest::mouseClick(kind<QPushButton>(&w, "butPatSpeichern"), Qt::LeftButton);
    radioKlicken(kind<QRadioButton>(&w, "radioJa"));
    QTest::mouseClick(kind<QPushButton>(&w, "butArztTermin"), Qt::LeftButton);
    radioKlicken(kind<QRadioButton>(&w, "radioNein"));

    QCOMPARE(dateiLesen(a), aInhalt);
    QCOMPARE(dateiLesen(b), zuLang);
    QCOMPARE(TestZugang::datensatz(w, 1).value(1), QString("Muster"));
    QCOMPARE(TestZugang::datensatz(w, 1).value(4), QString("0"));
}

QTEST_MAIN(TestPatDaten)
#include "tst_patdaten.moc"
