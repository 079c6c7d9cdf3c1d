// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/testsupport.h"

#include "planfile/datensatz.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QProgressBar>
#include <QTableWidget>
#include <QtTest>

namespace {

// The forecast as a patient's figures are defined: single precision, in this
// order; nothing is taken before the counting time and no stock is below 0.
struct Erwartet
{
    float C, W;
    qint32 R;
    qint64 T;
};

Erwartet rechnen(float bestand, qint32 zeit, const float d[4], quint32 jetzt)
{
    Erwartet e;
    const float D = ((d[0] + d[1]) + d[2]) + d[3];
    const qint32 E = qint32(jetzt - quint32(zeit)) / 86400;
    e.W = (bestand / D - float(E)) / 7;
    e.R = qint32(bestand / D - float(E));
    e.C = E > 0 ? bestand - float(E) * D : bestand;
    if (!(e.C > 0))
        e.C = 0;
    e.T = qint64(float(zeit) + (bestand / D) * 86400.0f);
    return e;
}

QString datum(qint64 t)
{
    return QDateTime::fromSecsSinceEpoch(t).toString("dd. MM. yyyy");
}

QStringList med(const QString &name, const QString &bestand, qint64 zeit,
                const QStringList &dosen, const QString &flag = "0")
{
    return QStringList{name, name + " Text", "5 mg", "100", QString::number(zeit), bestand}
           + dosen + QStringList{flag};
}

struct Fenster
{
    MeldungsWaechter waechter; // plans with figures that are no numbers are told so
    TestUmgebung u;
    std::unique_ptr<MainWindow> w;
    QTableWidget *tabelle = nullptr;
    QTableWidget *plan = nullptr;

    explicit Fenster(const QByteArray &inhalt)
    {
        u.vorbereiten(u.planSchreiben("p.medat", inhalt));
        w = std::make_unique<MainWindow>();
        tabelle = kind<QTableWidget>(w.get(), "tabelleUebersicht");
        plan = kind<QTableWidget>(w.get(), "tabelleVerordnungsplan");
    }
    QString text(int zeile, int spalte) const
    {
        auto *item = tabelle->item(zeile, spalte);
        return item ? item->text() : QString("<kein item>");
    }
    QColor farbe(int zeile) const
    {
        return tabelle->item(zeile, 4)->background().color();
    }
    bool gefaerbt(int zeile) const
    {
        return tabelle->item(zeile, 4)->background().style() != Qt::NoBrush;
    }
    // The run-out cell says in words what its colour says.
    void woerterWieFarbe() const
    {
        for (int z = 0; z < tabelle->rowCount(); ++z) {
            const QTableWidgetItem *item = tabelle->item(z, 4);
            const QString worte = item->data(Qt::AccessibleDescriptionRole).toString();
            QCOMPARE(item->toolTip(), worte);
            const bool rot = gefaerbt(z) && farbe(z) == QColor(Qt::red);
            QCOMPARE(worte.contains(TestZugang::txtWarnTerm(*w)), rot);
            if (gefaerbt(z) && !rot)
                QCOMPARE(worte, TestZugang::txtWarnWeeks(*w));
            if (!gefaerbt(z))
                QVERIFY(worte.isEmpty());
        }
    }
    QProgressBar *balken(int zeile) const
    {
        return qobject_cast<QProgressBar *>(tabelle->cellWidget(zeile, 1));
    }
};

const QStringList keinTermin{"Muster", "Erika", "01.02.1950", "0", "0"};

} // namespace

class TestUebersicht : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void prognoseWerte_data();
    void prognoseWerte();
    void balkenGrenzen_data();
    void balkenGrenzen();
    void gelbeGrenze();
    void roterTermin();
    void unsinnigeWerte();
    void leererPlan();
    void dosisText_data();
    void dosisText();
    void verordnungsplan();
};

void TestUebersicht::prognoseWerte_data()
{
    QTest::addColumn<QString>("bestand");
    QTest::addColumn<qint64>("vorSekunden");
    QTest::addColumn<QStringList>("dosen");
    QTest::addColumn<QString>("gezeigt"); // stock cell of the overview
    const QStringList eine{"1", "0", "0", "0"};
    QTest::newRow("drei tage") << "20" << qint64(3 * 86400 + 3600) << QStringList{"1", "0", "1", "0"} << "14";
    QTest::newRow("halbe") << "37.5" << qint64(86400 + 60) << QStringList{"0.5", "0", "0.5", "0.5"} << "36";
    QTest::newRow("leer gelaufen") << "5" << qint64(10 * 86400 + 5) << eine << "0";
    QTest::newRow("leer seit heute") << "5.5" << qint64(6 * 86400 + 5) << eine << "0";
    QTest::newRow("gross") << "12341" << qint64(100) << QStringList{"1", "1", "1", "1"} << "12341";
    QTest::newRow("gross bruch") << "12345.6" << qint64(100) << eine << "12346";
    QTest::newRow("fast 10000") << "9999.7" << qint64(100) << eine << "10000";
    QTest::newRow("zukunft kurz") << "14" << qint64(-3600) << eine << "14";
    QTest::newRow("zukunft tage") << "30" << qint64(-13 * 86400 - 3600) << eine << "30";
    QTest::newRow("text statt zahl") << "viel" << qint64(100) << QStringList{"1", "x", "", "0,5"} << "0";
    QTest::newRow("krumm") << "99.9" << qint64(7 * 86400 + 77) << QStringList{"0.3", "0.3", "0.3", "0.25"} << "91.85";
    QTest::newRow("nach 2038") << "10000" << qint64(100) << eine << "10000";
    QTest::newRow("bedarf") << "20" << qint64(5 * 86400) << QStringList{"0", "", "0", "0"} << "20";
}

void TestUebersicht::prognoseWerte()
{
    QFETCH(QString, bestand);
    QFETCH(qint64, vorSekunden);
    QFETCH(QStringList, dosen);
    QFETCH(QString, gezeigt);
    const quint32 jetzt = jetztUnix();
    const qint64 zeit = jetzt - vorSekunden;
    Fenster f(planMit(keinTermin, {med("A", bestand, zeit, dosen)}));
    const float d[4] = {dosen[0].toFloat(), dosen[1].toFloat(), dosen[2].toFloat(),
                        dosen[3].toFloat()};
    const Erwartet e = rechnen(bestand.toFloat(), qint32(zeit), d, jetzt);
    const bool bedarf = d[0] + d[1] + d[2] + d[3] == 0;

    QCOMPARE(f.tabelle->rowCount(), 1);
    QCOMPARE(f.text(0, 0), QString("A"));
    QCOMPARE(f.text(0, 1), QString("A Text"));
    QCOMPARE(f.text(0, 2), gezeigt);
    QCOMPARE(f.tabelle->item(0, 2)->textAlignment(), int(Qt::AlignHCenter | Qt::AlignVCenter));
    QProgressBar *b = f.balken(0);
    QVERIFY(b);
    QCOMPARE(b->format(), QString("A Text"));
    QCOMPARE(b->text(), QString("A Text")); // readable on an empty bar too
    if (bedarf) {
        QCOMPARE(f.text(0, 3), QString());
        QCOMPARE(f.text(0, 4), QString());
        QVERIFY(!f.gefaerbt(0));
        QCOMPARE(b->value(), 100);
    } else {
        QCOMPARE(f.text(0, 3), QString::number(e.W, 'f', 1) + "  " + TestZugang::txtWeekse(*f.w));
        QCOMPARE(f.text(0, 4), datum(e.T));
        QCOMPARE(f.tabelle->item(0, 4)->textAlignment(), int(Qt::AlignHCenter | Qt::AlignVCenter));
        QCOMPARE(f.gefaerbt(0), e.W < 4.0f);
        if (e.R > 60) {
            QCOMPARE(b->value(), 100);
            QCOMPARE(b->toolTip(), TestZugang::txtReicht(*f.w));
        } else if (e.R < 0) {
            QCOMPARE(b->value(), 0);
            QCOMPARE(b->toolTip(), TestZugang::txtLeer(*f.w).arg(-e.R));
        } else {
            QCOMPARE(b->value(), int(e.R * 1.66));
            QCOMPARE(b->toolTip(), TestZugang::txtReicht2(*f.w) + " " + QString::number(e.R)
                                       + " " + TestZugang::txtReicht3(*f.w));
        }
    }

    // The edit form and the pickup start from the same stock, with every unit.
    kind<QTabWidget>(f.w.get(), "tabReiter")->setCurrentIndex(2);
    const QString form = kind<QLineEdit>(f.w.get(), "eingabeFelder4")->text();
    QCOMPARE(form.toFloat(), e.C);
    QVERIFY2(!form.contains('e') && !form.startsWith('-'), qPrintable(form));
    QString abgeholt;
    {
        DialogHelfer h([&](QWidget *dlg) {
            abgeholt = kind<QLineEdit>(dlg, "apoStand")->text();
            dialogSchliessen(dlg);
        });
        kind<QPushButton>(f.w.get(), "butApotheke")->click();
    }
    QCOMPARE(abgeholt, form);
}

void TestUebersicht::balkenGrenzen_data()
{
    QTest::addColumn<QString>("bestand");
    QTest::addColumn<int>("wert");
    QTest::addColumn<bool>("langeReichweite");
    QTest::newRow("60 tage") << "60" << 99 << false;
    QTest::newRow("61 tage") << "61" << 100 << true;
    QTest::newRow("0 tage") << "0.5" << 0 << false;
    QTest::newRow("30 tage") << "30" << 49 << false;
}

void TestUebersicht::balkenGrenzen()
{
    QFETCH(QString, bestand);
    QFETCH(int, wert);
    QFETCH(bool, langeReichweite);
    Fenster f(planMit(keinTermin, {med("A", bestand, jetztUnix() - 100, {"1", "0", "0", "0"})}));
    QProgressBar *b = f.balken(0);
    QCOMPARE(b->value(), wert);
    if (langeReichweite)
        QCOMPARE(b->toolTip(), TestZugang::txtReicht(*f.w));
    else
        QVERIFY(b->toolTip().contains(" " + QString::number(int(bestand.toFloat())) + " "));
    QCOMPARE(b->alignment(), Qt::AlignHCenter | Qt::AlignVCenter);
}

void TestUebersicht::gelbeGrenze()
{
    const qint64 zeit = jetztUnix() - 100;
    // 27.72 days give W = 3.96: shown rounded as 4.0, yet still below four weeks.
    Fenster f(planMit(keinTermin, {med("knapp", "27.72", zeit, {"1", "0", "0", "0"}),
                                   med("genau", "28", zeit, {"0.5", "0", "0.5", "0"}),
                                   med("viel", "100", zeit, {"1", "0", "0", "0"})}));
    QCOMPARE(f.text(0, 3).left(3), QString("4.0"));
    QCOMPARE(f.farbe(0), QColor(Qt::yellow));
    QCOMPARE(f.text(1, 3).left(3), QString("4.0"));
    QVERIFY(!f.gefaerbt(1));
    QVERIFY(!f.gefaerbt(2));
    f.woerterWieFarbe();
}

void TestUebersicht::roterTermin()
{
    const quint32 jetzt = jetztUnix();
    const qint32 zeit = qint32(jetzt - 100);
    const float d[4] = {1, 0, 0, 0};
    const qint64 T = rechnen(20, zeit, d, jetzt).T;
    const qint64 T2 = rechnen(100, zeit, d, jetzt).T;
    const QList<QStringList> meds = {med("A", "20", zeit, {"1", "0", "0", "0"}),
                                     med("B", "100", zeit, {"1", "0", "0", "0"})};
    {
        // Run-out one second before the appointment: red, over the yellow.
        Fenster f(planMit({"M", "E", "01.01.1950", "1", QString::number(T + 1)}, meds));
        QCOMPARE(f.farbe(0), QColor(Qt::red));
        QVERIFY(!f.gefaerbt(1));
        f.woerterWieFarbe();
    }
    {
        // On the very second of the appointment: not red, only yellow.
        Fenster f(planMit({"M", "E", "01.01.1950", "1", QString::number(T)}, meds));
        QCOMPARE(f.farbe(0), QColor(Qt::yellow));
    }
    {
        // Not red without the flag, whatever the time holds.
        Fenster f(planMit({"M", "E", "01.01.1950", "0", QString::number(T2 + 100000)}, meds));
        QCOMPARE(f.farbe(0), QColor(Qt::yellow));
        QVERIFY(!f.gefaerbt(1));
        f.woerterWieFarbe();
    }
    {
        Fenster f(planMit({"M", "E", "01.01.1950", "1", QString::number(T2 + 1)}, meds));
        QCOMPARE(f.farbe(0), QColor(Qt::red));
        QCOMPARE(f.farbe(1), QColor(Qt::red));
        f.woerterWieFarbe();
    }
}

void TestUebersicht::unsinnigeWerte()
{
    // Absurd figures must neither crash nor hit undefined conversions.
    const QList<QStringList> meds = {
        med("riesig", "1e38", 0, {"1e-38", "0", "0", "0"}),
        med("unendlich", "inf", 100, {"1", "0", "0", "0"}),
        med("nan", "nan", 100, {"nan", "0", "0", "0"}),
        med("negativ", "-5", -2147483647, {"-1", "0", "0", "0"}),
        med("zeit", "10", 2147483647, {"0.0001", "0", "0", "0"}),
        med("klein", "1", 100, {"1e-30", "0", "0", "0"}),
    };
    Fenster f(planMit({"M", "E", "x", "1", "99999999999"}, meds));
    QCOMPARE(f.tabelle->rowCount(), meds.size());
    QCOMPARE(f.plan->rowCount(), meds.size());
}

void TestUebersicht::leererPlan()
{
    Fenster f(planMit(keinTermin, {}));
    QCOMPARE(f.tabelle->rowCount(), 0);
    QCOMPARE(f.tabelle->horizontalHeaderItem(0)->text(), QString("Medikament"));
    QCOMPARE(f.tabelle->horizontalHeaderItem(4)->text().isEmpty(), false);
    QCOMPARE(f.plan->rowCount(), 0);
    QCOMPARE(f.plan->horizontalHeaderItem(5)->text().isEmpty(), false);
}

void TestUebersicht::dosisText_data()
{
    QTest::addColumn<QString>("dosis");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << "0" << "0";
    QTest::newRow("halb") << "0.5" << "1/2";
    QTest::newRow("1") << "1" << "1";
    QTest::newRow("1.5") << "1.5" << "1.5";
    QTest::newRow("2") << "2" << "2";
    QTest::newRow("3") << "3" << "3.0";
    QTest::newRow("viertel") << "0.25" << "0.3";
    QTest::newRow("0.3") << "0.3" << "0.3";
    QTest::newRow("leer") << "" << "0";
    QTest::newRow("komma") << "0,5" << "0";
}

void TestUebersicht::dosisText()
{
    QFETCH(QString, dosis);
    QFETCH(QString, text);
    Fenster f(planMit(keinTermin, {med("A", "10", 0, {dosis, "0", "0", "0"})}));
    QCOMPARE(f.plan->item(0, 2)->text(), text);
    QCOMPARE(TestZugang::dosisText(*f.w, dosis.toFloat()), text);
}

void TestUebersicht::verordnungsplan()
{
    Fenster f(planMit(keinTermin, {med("A", "10", 0, {"0.5", "1", "0", "2"}, "1"),
                                   med("B", "10", 0, {"1", "0", "0", "0"}, ""),
                                   med("C", "10", 0, {"1", "0", "0", "0"}, "01"),
                                   med("D", "10", 0, {"1", "0", "0", "0"}, "1"),
                                   med("E", "10", 0, {"0.5", "1", "0", "2"}, " 1")}));
    QCOMPARE(f.tabelle->rowCount(), 5);
    QCOMPARE(f.plan->rowCount(), 3);
    QStringList namen;
    for (int i = 0; i < 3; ++i)
        namen << f.plan->item(i, 0)->text();
    QCOMPARE(namen, QStringList({"B", "C", "E"}));
    QStringList zeile;
    for (int s = 1; s < 6; ++s) {
        zeile << f.plan->item(2, s)->text();
        QCOMPARE(f.plan->item(2, s)->textAlignment(), int(Qt::AlignHCenter | Qt::AlignVCenter));
    }
    QCOMPARE(zeile, QStringList({"5 mg", "1/2", "1", "0", "2"}));
}

QTEST_MAIN(TestUebersicht)
#include "tst_uebersicht.moc"
