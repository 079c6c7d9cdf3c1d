// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/testsupport.h"
#include "planfile/datensatz.h"
#include "views/prognose.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTableWidget>
#include <QtTest>

namespace {

// Aspirin counts three whole days; Beta is left out of the regimen; Calcium's
// stock shows with an exponent.
QList<QStringList> dreiMedikamente()
{
    const auto vor = [](double tage) {
        return QString::number(jetztUnix() - static_cast<quint32>(tage * 86400));
    };
    return {{"Aspirin", "Schmerz", "100 mg", "20", vor(3.5), "30", "1", "0", "1", "0", ""},
            {"Beta", "Herz", "5 mg", "50", vor(0.2), "40", "0.5", "0", "0", "0", "1"},
            {"Calcium", "Knochen", "500 mg", "100", vor(10), "12371", "1", "1", "1", "0", "0"}};
}

const QStringList patient{"Muster", "Max", "01.02.1950", "0", "0"};
const QByteArray markiert = planMit({"Markiert"}, {}); // any write would replace these bytes

struct Fenster
{
    TestUmgebung umg;
    QString plan;
    std::unique_ptr<MainWindow> w;

    explicit Fenster(const QByteArray &inhalt = planMit(patient, dreiMedikamente()))
    {
        plan = umg.planSchreiben("plan.medat", inhalt);
        umg.vorbereiten(plan);
        w = std::make_unique<MainWindow>();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    template <typename T = QAbstractButton>
    T *k(const QString &name) const { return kind<T>(w.get(), name); }
    QLineEdit *feld(int i) const { return k<QLineEdit>(QString("eingabeFelder%1").arg(i)); }
    QCheckBox *check() const { return k<QCheckBox>("checkMed"); }
    QListWidget *liste() const { return k<QListWidget>("listBox"); }
    void klicken(const QString &knopf) const { QTest::mouseClick(k(knopf), Qt::LeftButton); }
    void checkKlicken() const
    {
        QTest::mouseClick(check(), Qt::LeftButton, {}, QPoint(8, check()->height() / 2));
    }
    void reiter(int i) const
    {
        QTabBar *bar = k<QTabWidget>("tabReiter")->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(i).center());
    }
    void waehlen(int zeile) const
    {
        reiter(2);
        QTest::mouseClick(liste()->viewport(), Qt::LeftButton, {},
                          liste()->visualItemRect(liste()->item(zeile)).center());
    }
    void neuTippen(int i, const QString &text) const
    {
        feld(i)->clear();
        QTest::keyClicks(feld(i), text);
    }
    QStringList spalte(const char *tabelle) const
    {
        auto *t = k<QTableWidget>(tabelle);
        QStringList werte;
        for (int z = 0; z < t->rowCount(); ++z)
            werte << t->item(z, 0)->text();
        return werte;
    }
    // The form shows record `index`, today's stock, and no field marked as changed.
    void zeigt(int index) const
    {
        const QStringList r = TestZugang::datensatz(*w, index);
        QCOMPARE(TestZugang::aktuelleNummer(*w), QString::number(index + 1));
        QCOMPARE(liste()->currentRow(), index - 2);
        // Today's stock with every unit, in plain digits.
        const float heute = prognose(r, jetztUnix()).bestandHeute;
        QCOMPARE(feld(4)->text().toFloat(), heute);
        QVERIFY(!feld(4)->text().contains('e'));
        const int felder[9] = {1, 2, 3, 4, -1, 7, 8, 9, 10};
        for (int i = 0; i < 9; ++i) {
            if (felder[i] >= 0)
                QCOMPARE(feld(i)->text(), r.value(felder[i]));
            QVERIFY(!feld(i)->font().bold());
        }
        QCOMPARE(check()->isChecked(), r.value(11) == "1");
        QVERIFY(!check()->font().bold());
    }
};

} // namespace

class TestAuswahl : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void auswahlWechsel();
    void feldBearbeiten_data();
    void feldBearbeiten();
    void speichern_data();
    void speichern();
    void verschieben_data();
    void verschieben();
    void keinSchreiben_data();
    void keinSchreiben();
};

void TestAuswahl::auswahlWechsel()
{
    Fenster f;
    // A real double click in the overview: a click, then the double-click press.
    auto *t = f.k<QTableWidget>("tabelleUebersicht");
    const QPoint punkt = t->visualItemRect(t->item(2, 0)).center();
    QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, punkt);
    QTest::mouseDClick(t->viewport(), Qt::LeftButton, {}, punkt);
    QCOMPARE(f.k<QTabWidget>("tabReiter")->currentIndex(), 2);
    f.zeigt(4);
    QVERIFY(!f.k("butAenderungSpeichern")->isEnabled());

    f.waehlen(1);
    f.zeigt(3);
    QTest::keyClicks(f.feld(7), "9");
    // A row beyond the plan leaves the form, edits included, as it is.
    for (int eingang : {3, 48, 100, -3})
        QMetaObject::invokeMethod(f.w.get(), "comboAuswahl", Q_ARG(int, eingang));
    QCOMPARE(TestZugang::aktuelleNummer(*f.w), QString("4"));
    QCOMPARE(f.feld(7)->text(), QString("09"));
    QVERIFY(f.feld(7)->font().bold());
    QCOMPARE(f.liste()->currentRow(), 1);

    // A valid row loads it and moves the list along; every tab switch then
    // loads the first medication, wherever it goes.
    for (int reiter : {1, 2, 0}) {
        QMetaObject::invokeMethod(f.w.get(), "comboAuswahl", Q_ARG(int, 2));
        f.zeigt(4);
        f.reiter(reiter);
        f.zeigt(2);
    }
}

void TestAuswahl::feldBearbeiten_data()
{
    QTest::addColumn<int>("feld");
    for (int i = 0; i < 9; ++i)
        QTest::addRow("feld %d", i) << i;
    QTest::newRow("checkMed") << 9;
}

void TestAuswahl::feldBearbeiten()
{
    QFETCH(int, feld);
    Fenster f;
    const QByteArray inhalt = dateiLesen(f.plan);
    f.waehlen(1);
    if (feld < 9)
        QTest::keyClicks(f.feld(feld), "7");
    else
        f.checkKlicken();
    // Only the edited field is marked; editing touches neither table nor file.
    for (int i = 0; i < 9; ++i)
        QCOMPARE(f.feld(i)->font().bold(), i == feld);
    QCOMPARE(f.check()->font().bold(), feld == 9);
    QVERIFY(f.k("butAenderungSpeichern")->isEnabled());
    QCOMPARE(dateiLesen(f.plan), inhalt);
}

void TestAuswahl::speichern_data()
{
    QTest::addColumn<int>("zeile");
    QTest::addColumn<bool>("checkKlicken");
    QTest::addColumn<QString>("flag");
    QTest::addColumn<bool>("unkompakt"); // every medication numbered 3
    QTest::newRow("aus Plan nehmen") << 0 << true << "1" << false;
    QTest::newRow("in Plan zurueck") << 1 << true << "0" << false;
    QTest::newRow("leeres Flag wird 0") << 0 << false << "0" << false;
    QTest::newRow("Nummern passen nicht") << 2 << false << "0" << true;
}

void TestAuswahl::speichern()
{
    QFETCH(int, zeile);
    QFETCH(bool, checkKlicken);
    QFETCH(QString, flag);
    QFETCH(bool, unkompakt);
    const QList<QStringList> meds = dreiMedikamente();
    QByteArray inhalt = planZeile({"1", "Tablora"}) + planZeile(QStringList{"2"} + patient);
    for (const QStringList &m : meds)
        inhalt += planZeile(QStringList{"3"} + m);
    Fenster f(unkompakt ? inhalt : planMit(patient, meds));
    f.waehlen(zeile);
    const QString bestandHeute = f.feld(4)->text();
    f.neuTippen(0, "Neu;name");
    f.neuTippen(2, "2,5 mg");
    f.neuTippen(5, "0,5");
    if (checkKlicken)
        f.checkKlicken();
    const quint32 vorher = jetztUnix();
    f.klicken("butAenderungSpeichern");
    const quint32 nachher = jetztUnix();

    // The line's place, not its number, picks the record. Today's stock counts
    // from the moment of saving; the strength is free text and keeps its comma.
    const QStringList r = TestZugang::datensatz(*f.w, zeile + 2);
    QVERIFY(r.value(5).toUInt() >= vorher && r.value(5).toUInt() <= nachher);
    const QStringList alt = meds.at(zeile);
    const QStringList erwartet{QString::number(zeile + 3), "Neu:name", alt.at(1), "2,5 mg",
                               alt.at(3), r.value(5), bestandHeute, "0.5",
                               alt.at(7), alt.at(8), alt.at(9), flag};
    QCOMPARE(r, erwartet);
    QList<QStringList> neu = meds;
    neu[zeile] = erwartet.mid(1);
    QCOMPARE(dateiLesen(f.plan), planMit(patient, neu));
    // Both tables follow at once; the marks go.
    QCOMPARE(f.spalte("tabelleUebersicht").value(zeile), QString("Neu:name"));
    QCOMPARE(f.spalte("tabelleVerordnungsplan").contains("Neu:name"), flag != "1");
    QVERIFY(!f.feld(0)->font().bold());
}

void TestAuswahl::verschieben_data()
{
    QTest::addColumn<int>("zeile");
    QTest::addColumn<bool>("hoch");
    QTest::addColumn<QString>("reihenfolge");
    QTest::newRow("mitte hoch") << 1 << true << "BAC";
    QTest::newRow("letzte hoch") << 2 << true << "ACB";
    QTest::newRow("erste runter") << 0 << false << "BAC";
    QTest::newRow("mitte runter") << 1 << false << "ACB";
}

void TestAuswahl::verschieben()
{
    QFETCH(int, zeile);
    QFETCH(bool, hoch);
    QFETCH(QString, reihenfolge);
    const QList<QStringList> meds = dreiMedikamente();
    Fenster f(planMit(patient, meds));
    f.waehlen(zeile);
    f.klicken(hoch ? "butHoch" : "butRunter");

    QList<QStringList> neu;
    QStringList namen;
    for (const QChar c : reihenfolge) {
        neu << meds.at(c.unicode() - 'A');
        namen << neu.last().at(0);
    }
    QCOMPARE(dateiLesen(f.plan), planMit(patient, neu));
    // The moved medication stays selected at its new place; all views follow.
    const int neueZeile = zeile + (hoch ? -1 : 1);
    f.zeigt(neueZeile + 2);
    QCOMPARE(f.liste()->item(neueZeile)->text(), meds.at(zeile).at(0));
    QCOMPARE(f.spalte("tabelleUebersicht"), namen);
    namen.removeAll("Beta");
    QCOMPARE(f.spalte("tabelleVerordnungsplan"), namen);
}

void TestAuswahl::keinSchreiben_data()
{
    QTest::addColumn<bool>("leer");      // a plan without medications
    QTest::addColumn<int>("zeile");      // -1: no row selected
    QTest::addColumn<QString>("nummer"); // null: as the selection left it
    QTest::addColumn<QString>("knopf");
    for (const char *n : {"", "2", "6", "x"})
        QTest::addRow("speichern mit Nummer '%s'", n) << false << 1 << QString(n)
                                                      << "butAenderungSpeichern";
    QTest::newRow("erste hoch") << false << 0 << QString() << "butHoch";
    QTest::newRow("letzte runter") << false << 2 << QString() << "butRunter";
    QTest::newRow("keine Zeile hoch") << false << -1 << QString() << "butHoch";
    QTest::newRow("keine Zeile runter") << false << -1 << QString() << "butRunter";
    QTest::newRow("leerer Plan hoch") << true << -1 << QString() << "butHoch";
    QTest::newRow("leerer Plan runter") << true << -1 << QString() << "butRunter";
    QTest::newRow("leerer Plan speichern") << true << -1 << QString() << "butAenderungSpeichern";
}

void TestAuswahl::keinSchreiben()
{
    QFETCH(bool, leer);
    QFETCH(int, zeile);
    QFETCH(QString, nummer);
    QFETCH(QString, knopf);
    Fenster f(planMit(patient, leer ? QList<QStringList>() : dreiMedikamente()));
    f.reiter(2);
    if (zeile >= 0)
        f.waehlen(zeile);
    else
        f.liste()->setCurrentRow(-1);
    QTest::keyClicks(f.feld(0), "Neu");
    if (!nummer.isNull())
        TestZugang::setzeAktuelleNummer(*f.w, nummer);
    dateiSchreiben(f.plan, markiert);

    f.klicken(knopf);
    QCOMPARE(dateiLesen(f.plan), markiert);
    QCOMPARE(f.liste()->currentRow(), zeile);
    if (leer)
        QCOMPARE(TestZugang::aktuelleNummer(*f.w), QString());
}

QTEST_MAIN(TestAuswahl)
#include "tst_auswahl.moc"
