// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/testsupport.h"

#include <QAction>
#include <QDateEdit>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

using Befehl = std::function<void(MainWindow &)>;
Q_DECLARE_METATYPE(Befehl)

namespace {

void waehle(MainWindow &w, int zeile)
{
    kind<QTabWidget>(&w, "tabReiter")->setCurrentIndex(2);
    kind<QListWidget>(&w, "listBox")->setCurrentRow(zeile);
}

// Answers every modal dialog while it lives: the file dialog with `ziel` (an
// empty one cancels), a message box with OK, the command's own dialog by its
// button `knopf`.
class Antworten : public QObject
{
public:
    Antworten(const QString &ziel, const char *knopf)
        : m_ziel(ziel), m_knopf(knopf)
    {
        auto *t = new QTimer(this);
        connect(t, &QTimer::timeout, this, [this] {
            QWidget *d = QApplication::activeModalWidget();
            if (!d)
                return;
            // A dialog that stays open was not answered: close it, never hang.
            if (d == m_letzter) {
                if (++m_warten > 150) {
                    haengt = true;
                    dialogSchliessen(d);
                }
                return;
            }
            m_letzter = d;
            m_warten = 0;
            if (auto *f = qobject_cast<QFileDialog *>(d)) {
                vorschlag = f->selectedFiles().value(0);
                ++dateiDialoge;
                if (m_ziel.isEmpty())
                    f->reject();
                else
                    dateiDialogAusfuellen(f, m_ziel);
            } else if (!nachrichtText(d).isEmpty()) {
                meldungen << nachrichtText(d);
                dialogSchliessen(d);
            } else if (auto *b = d->findChild<QAbstractButton *>(m_knopf)) {
                if (auto *name = d->findChild<QLineEdit *>("neuEingabe"))
                    QTest::keyClicks(name, "Neu");
                b->click();
            } else {
                dialogSchliessen(d);
            }
        });
        t->start(20);
    }
    ~Antworten() override { QVERIFY(!haengt); }
    bool haengt = false;
    int dateiDialoge = 0;
    QString vorschlag;
    QStringList meldungen;

private:
    QString m_ziel;
    const char *m_knopf;
    QPointer<QWidget> m_letzter;
    int m_warten = 0;
};

} // namespace

class TestVorlage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        qputenv("HOME", m_home->path().toUtf8());
    }
    void befehl_data();
    void befehl();
    void zielNichtSchreibbar();

private:
    std::unique_ptr<QTemporaryDir> m_home;
};

// Every command that writes the plan, with what it leaves in the new file.
void TestVorlage::befehl_data()
{
    QTest::addColumn<Befehl>("befehl");
    QTest::addColumn<QByteArray>("erwartet");
    QTest::addColumn<QString>("vorschlag");
    QTest::newRow("patient") << Befehl([](MainWindow &w) {
        waehle(w, 0);
        kind<QLineEdit>(&w, "editName")->setText("Meier");
        kind<QLineEdit>(&w, "editVorname")->setText("Hans / Jo");
        kind<QPushButton>(&w, "butPatSpeichern")->click();
    }) << QByteArray("\n2;Meier;Hans / Jo;") << "Meier_Hans _ Jo.medat";
    QTest::newRow("terminNein") << Befehl([](MainWindow &w) {
        waehle(w, 0);
        kind<QRadioButton>(&w, "radioNein")->click();
    }) << QByteArray("12.03.1948;0;") << "Musterfrau_Erika.medat";
    QTest::newRow("terminTag") << Befehl([](MainWindow &w) {
        waehle(w, 0);
        kind<QDateEdit>(&w, "dateArztTermin")->setDate(QDate(2027, 2, 1));
        kind<QPushButton>(&w, "butArztTermin")->click();
    }) << QByteArray(";1;" + QByteArray::number(QDate(2027, 2, 1).startOfDay().toSecsSinceEpoch())
                     + ';')
       << "Musterfrau_Erika.medat";
    QTest::newRow("aenderung") << Befehl([](MainWindow &w) {
        waehle(w, 0);
        QTest::keyClicks(kind<QLineEdit>(&w, "eingabeFelder1"), "X");
        kind<QPushButton>(&w, "butAenderungSpeichern")->click();
    }) << QByteArray(";Ramipril;BlutdruckX") << "Musterfrau_Erika.medat";
    QTest::newRow("neu") << Befehl([](MainWindow &w) {
        kind<QPushButton>(&w, "butMedNeu")->click();
    }) << QByteArray("\n10;Neu;") << "Musterfrau_Erika.medat";
    QTest::newRow("apotheke") << Befehl([](MainWindow &w) {
        waehle(w, 0);
        kind<QPushButton>(&w, "butApotheke")->click();
    }) << QByteArray() << "Musterfrau_Erika.medat";
    QTest::newRow("entfernen") << Befehl([](MainWindow &w) {
        waehle(w, 0);
        kind<QPushButton>(&w, "butEntfernen")->click();
    }) << QByteArray("\n3;Metformin;") << "Musterfrau_Erika.medat";
    QTest::newRow("hoch") << Befehl([](MainWindow &w) {
        waehle(w, 1);
        kind<QToolButton>(&w, "butHoch")->click();
    }) << QByteArray("\n3;Metformin;") << "Musterfrau_Erika.medat";
    QTest::newRow("runter") << Befehl([](MainWindow &w) {
        waehle(w, 0);
        kind<QToolButton>(&w, "butRunter")->click();
    }) << QByteArray("\n3;Metformin;") << "Musterfrau_Erika.medat";
    QTest::newRow("kompaktieren") << Befehl([](MainWindow &w) {
        kind<QAction>(&w, "menu13")->trigger();
    }) << QByteArray() << "Musterfrau_Erika.medat";
}

// A template opened like any plan: its first change asks once where to keep
// the plan, a cancel leaves everything as it was, and the template's bytes
// never change.
void TestVorlage::befehl()
{
    QFETCH(Befehl, befehl);
    QFETCH(QByteArray, erwartet);
    QFETCH(QString, vorschlag);
    const char *knopf = QTest::currentDataTag() == QLatin1String("neu") ? "neuEintragen"
                        : QTest::currentDataTag() == QLatin1String("apotheke") ? "apoEintragen"
                                                                               : "entfernenJa";
    TestUmgebung u;
    u.vorbereiten(u.planSchreiben("eigen.medat", planMit({"A", "B", "01.01.1950", "0", "0"}, {})));
    const QString vorlage = u.programmDaten() + "muster.medat";
    const QByteArray vorher = dateiLesen(vorlage);
    MainWindow w;
    {
        DialogHelfer oeffnen([&](QWidget *d) { dateiDialogAusfuellen(d, vorlage); });
        kind<QAction>(&w, "menu12")->trigger();
    }
    const QString titel = w.windowTitle();
    const QString dokumente = m_home->path() + "/Documents";

    {
        Antworten abbrechen(QString(), knopf);
        befehl(w);
        QTRY_COMPARE(abbrechen.dateiDialoge, 1);
        QCOMPARE(abbrechen.vorschlag, dokumente + "/" + vorschlag);
    }
    QCOMPARE(dateiLesen(vorlage), vorher);
    QCOMPARE(w.windowTitle(), titel);
    QCOMPARE(QDir(dokumente).entryList(QDir::Files), QStringList());

    const QString ziel = dokumente + "/plan";
    {
        Antworten speichern(ziel, knopf);
        befehl(w);
        QCOMPARE(speichern.dateiDialoge, 1);
        QCOMPARE(speichern.meldungen, QStringList());
    }
    QCOMPARE(dateiLesen(vorlage), vorher);
    QCOMPARE(TestZugang::aktuelleDatei(w), ziel + ".medat");
    QCOMPARE(w.windowTitle(), "Tablora - " + ziel + ".medat");
    const QByteArray neu = dateiLesen(ziel + ".medat");
    QVERIFY2(neu.contains(erwartet), neu);
    QCOMPARE(neu == vorher, QTest::currentDataTag() == QLatin1String("kompaktieren"));

    // From now on the commands act on the new file without asking.
    Antworten danach(QString(), knopf);
    befehl(w);
    QCOMPARE(danach.dateiDialoge, 0);
    QCOMPARE(dateiLesen(vorlage), vorher);
}

void TestVorlage::zielNichtSchreibbar()
{
    TestUmgebung u;
    u.vorbereiten(u.programmDaten() + "default.medat");
    const QByteArray vorher = dateiLesen(u.programmDaten() + "default.medat");
    MainWindow w;
    // A folder that does not exist.
    Antworten speichern(m_home->path() + "/Documents/fehlt/plan.medat", "");
    kind<QLineEdit>(&w, "editName")->setText("Meier");
    kind<QPushButton>(&w, "butPatSpeichern")->click();
    QTRY_COMPARE(speichern.meldungen.size(), 1);
    QVERIFY(speichern.meldungen.constFirst().startsWith(TestZugang::txtWriteErr(w)));
    QCOMPARE(TestZugang::aktuelleDatei(w), u.programmDaten() + "default.medat");
    QCOMPARE(dateiLesen(u.programmDaten() + "default.medat"), vorher);
}

QTEST_MAIN(TestVorlage)
#include "tst_vorlage.moc"
