// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/testsupport.h"

#include <QApplication>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest>

namespace {

const QStringList medA{"Aspirin", "Schmerz", "100 mg", "20", "1700000000", "30",
                       "1",       "0",       "1",      "0",  ""};
const QStringList medB{"Beta", "Herz", "5 mg", "50", "1700000000", "40", "0.5", "0", "0", "0", "0"};

QStringList patient(const QString &flag, const QString &zeit, const QString &name = "Muster",
                    const QString &vorname = "Max", const QString &geburt = "01.02.1950")
{
    return {name, vorname, geburt, flag, zeit};
}

// The window on plan a.medat, patient tab open.
struct Fenster
{
    TestUmgebung umg;
    QString a;
    std::unique_ptr<MainWindow> w;

    explicit Fenster(const QByteArray &inhalt, const QByteArray &zweiterPlan = QByteArray())
    {
        a = umg.planSchreiben("a.medat", inhalt);
        if (!zweiterPlan.isNull())
            umg.planSchreiben("b.medat", zweiterPlan);
        umg.vorbereiten(a);
        w = std::make_unique<MainWindow>();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        kind<QTabWidget>(w.get(), "tabReiter")->setCurrentIndex(2);
    }
    template <typename T = QAbstractButton>
    T *k(const char *name) const { return kind<T>(w.get(), name); }
    void klicken(const char *name) const { k(name)->click(); }
    void tippen(const char *name, const QString &text) const
    {
        k<QLineEdit>(name)->clear();
        QTest::keyClicks(k<QLineEdit>(name), text);
    }
    void planB() const
    {
        auto *liste = k<QListWidget>("listBoxDat");
        QVERIFY(liste);
        liste->setCurrentItem(liste->findItems("b.medat", Qt::MatchExactly).value(0));
        QCOMPARE(TestZugang::aktuelleDatei(*w), umg.arbeitsVerzeichnis() + "/b.medat");
    }
};

} // namespace

class TestPatDaten : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void patientSpeichern();
    void planWechsel_data();
    void planWechsel();
    void arztTermin();
    void keinGeladenerPlan_data();
    void keinGeladenerPlan();
};

void TestPatDaten::patientSpeichern()
{
    Fenster f(planMit(patient("0", "0"), {medA, medB}));
    QCOMPARE(f.k<QDateEdit>("dateGeburt")->date(), QDate(1950, 2, 1));
    f.tippen("editName", "Mei;er");
    f.tippen("editVorname", "An;n;a");
    f.k<QDateEdit>("dateGeburt")->setDate(QDate(1960, 4, 3));
    f.klicken("butPatSpeichern");
    QCOMPARE(dateiLesen(f.a),
             planMit(patient("0", "0", "Mei:er", "An:n:a", "03.04.1960"), {medA, medB}));
    // The widgets show the record as stored.
    QCOMPARE(f.k<QLineEdit>("editName")->text(), QString("Mei:er"));
    QVERIFY(f.k<QLabel>("labPatient")->text().contains("Mei:er, An:n:a"));
}

void TestPatDaten::planWechsel_data()
{
    QTest::addColumn<QString>("flagA");
    QTest::addColumn<QString>("flagB");
    QTest::addColumn<QString>("gespeichert"); // empty: b stays as it was
    QTest::newRow("termin an") << "0" << "1" << "1";
    QTest::newRow("null") << "0" << "0" << "";
    QTest::newRow("leer") << "0" << "" << "";
    QTest::newRow("nicht genau 1") << "0" << "01" << "";
    QTest::newRow("termin aus") << "1" << "" << "0";
    QTest::newRow("termin bleibt") << "1" << "1" << "";
}

void TestPatDaten::planWechsel()
{
    QFETCH(QString, flagA);
    QFETCH(QString, flagB);
    QFETCH(QString, gespeichert);
    const QString zeit = QString::number(QDate(2030, 5, 17).startOfDay().toSecsSinceEpoch());
    const QByteArray aInhalt = planMit(patient(flagA, "1700000000"), {medA});
    // A header numbered 7 shows whether b was rewritten in compacted form.
    QByteArray bInhalt = planMit(patient(flagB, zeit), {medB});
    bInhalt[0] = '7';
    Fenster f(aInhalt, bInhalt);
    f.planB();

    // Toggling the choice while loading stores it, in the newly opened plan only.
    QCOMPARE(dateiLesen(f.umg.arbeitsVerzeichnis() + "/b.medat"),
             gespeichert.isEmpty() ? bInhalt : planMit(patient(gespeichert, zeit), {medB}));
    QCOMPARE(dateiLesen(f.a), aInhalt);
    const bool termin = flagB == "1";
    QCOMPARE(f.k<QRadioButton>("radioJa")->isChecked(), termin);
    QCOMPARE(f.k<QDateEdit>("dateArztTermin")->isVisible(), termin);
    if (termin)
        QCOMPARE(f.k<QDateEdit>("dateArztTermin")->date(), QDate(2030, 5, 17));
}

void TestPatDaten::arztTermin()
{
    const qint64 nacht = QDate::currentDate().addDays(10).startOfDay().toSecsSinceEpoch();
    // Ten units at one a day: the stock runs out ten days after bestandZeit.
    const auto medikament = [&](const QString &name, qint64 leer) {
        return QStringList{name, "x", "1 mg", "10", QString::number(nacht + leer - 10 * 86400),
                           "10", "1",  "0",    "0",  "0", ""};
    };
    const QList<QStringList> meds{medikament("Vorher", -2 * 3600), medikament("AmTag", 12 * 3600)};
    const auto gespeichert = [&](const char *flag) {
        return planMit(patient(flag, QString::number(nacht)), meds);
    };
    Fenster f(planMit(patient("1", "86400"), meds));
    auto *datum = f.k<QDateEdit>("dateArztTermin");
    const auto rot = [&f](int zeile) {
        return f.k<QTableWidget>("tabelleUebersicht")->item(zeile, 4)->background().color()
               == QColor(Qt::red);
    };
    QVERIFY(!rot(0));

    // The day is stored as its midnight; what runs out before it turns red.
    datum->setDate(QDate::currentDate().addDays(10));
    f.klicken("butArztTermin");
    QCOMPARE(dateiLesen(f.a), gespeichert("1"));
    QVERIFY(rot(0));
    QVERIFY(!rot(1));

    // Switched off, the day stays stored for the next time.
    f.klicken("radioNein");
    QVERIFY(!datum->isVisible());
    QCOMPARE(dateiLesen(f.a), gespeichert("0"));
    QVERIFY(!rot(0));
    f.klicken("radioJa");
    QVERIFY(datum->isVisible());
    QCOMPARE(dateiLesen(f.a), gespeichert("1"));
    QVERIFY(rot(0));
}

void TestPatDaten::keinGeladenerPlan_data()
{
    // Too many lines: the load refuses, and the table still holds plan a.
    QByteArray zuLang = planMit(patient("0", "0"), {});
    for (int i = 0; i < MainWindow::maxDatensaetze; ++i)
        zuLang += planZeile(QStringList{QString::number(i + 3)} + medA);
    QTest::addColumn<QByteArray>("inhalt");
    QTest::newRow("leere Datei") << QByteArray("");
    QTest::newRow("nur Kopfzeile") << planZeile({"1", "Tablora"});
    QTest::newRow("zu lang") << zuLang;
}

void TestPatDaten::keinGeladenerPlan()
{
    QFETCH(QByteArray, inhalt);
    const QByteArray aInhalt = planMit(patient("0", "0"), {medA});
    Fenster f(aInhalt, inhalt);
    // Every message box is noted and closed, so none can hang the test.
    MeldungsWaechter waechter;
    QStringList &meldungen = waechter.meldungen;
    f.planB();
    QCOMPARE(meldungen.size(), inhalt.size() > aInhalt.size() ? 1 : 0);
    meldungen.clear();
    const int anzahl = TestZugang::anzahl(*f.w);

    // No command of the patient tab may touch either file, or reload one.
    f.tippen("editName", "Meier");
    f.klicken("butPatSpeichern");
    f.klicken("radioJa");
    QVERIFY(f.k<QDateEdit>("dateArztTermin")->isVisible());
    f.klicken("butArztTermin");
    f.klicken("radioNein");
    QCOMPARE(meldungen, QStringList());
    QCOMPARE(dateiLesen(f.a), aInhalt);
    QCOMPARE(dateiLesen(f.umg.arbeitsVerzeichnis() + "/b.medat"), inhalt);
    QCOMPARE(TestZugang::anzahl(*f.w), anzahl);
    if (anzahl > 1)
        QCOMPARE(TestZugang::datensatz(*f.w, 1).mid(0, 6), QStringList("2") + patient("0", "0"));
}

QTEST_MAIN(TestPatDaten)
#include "tst_patdaten.moc"
