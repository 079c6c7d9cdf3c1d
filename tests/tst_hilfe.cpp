// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/testsupport.h"

#include <QAction>
#include <QApplication>
#include <QDirIterator>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {
const QString anleitung = "Tablora_Anleitung.pdf";

QStringList dateienUnter(const QString &verzeichnis)
{
    QStringList liste;
    for (QDirIterator it(verzeichnis, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        liste << QDir(verzeichnis).relativeFilePath(it.next());
    liste.sort();
    return liste;
}
} // namespace

class TestHilfe : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void hilfeOeffnetAnleitung_data();
    void hilfeOeffnetAnleitung();
    void reparatur_data();
    void reparatur();
    void ueberBox_data();
    void ueberBox();
};

void TestHilfe::initTestCase()
{
    // The repair closes the only window; the test run must go on.
    QApplication::setQuitOnLastWindowClosed(false);
}

void TestHilfe::hilfeOeffnetAnleitung_data()
{
    QTest::addColumn<QString>("einstellungsOrt"); // empty: the test's own
    QTest::addColumn<bool>("kopieFehlt");
    QTest::newRow("Kopie im Einstellungsordner") << QString() << false;
    QTest::newRow("Ordner mit # und Leerzeichen") << "Ordner #1 mit 50% ?" << false;
    QTest::newRow("Kopie fehlt") << QString() << true;
}

void TestHilfe::hilfeOeffnetAnleitung()
{
    QFETCH(QString, einstellungsOrt);
    QFETCH(bool, kopieFehlt);
    TestUmgebung env;
    QString einstellungen = env.settingsVerzeichnis();
    if (!einstellungsOrt.isEmpty()) {
        const QString ort = env.arbeitsVerzeichnis() + "/" + einstellungsOrt;
        QDir().mkpath(ort);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, ort);
        einstellungen = ort + "/Tablora";
    }
    UrlFaenger viewer;
    const MeldungsWaechter waechter; // a first run: the copy is made
    MainWindow w;
    const QString kopie = einstellungen + "/data/" + anleitung;
    QVERIFY(QFileInfo(kopie).isFile());
    if (kopieFehlt)
        QVERIFY(QFile::remove(kopie));

    w.findChild<QAction *>("menu41")->trigger();
    QCOMPARE(viewer.urls.size(), 1);
    QVERIFY(viewer.urls.first().isLocalFile());
    const QString geoeffnet = viewer.urls.first().toLocalFile();
    QCOMPARE(QFileInfo(geoeffnet).absoluteFilePath(),
             QFileInfo(kopieFehlt ? env.programmDaten() + anleitung : kopie).absoluteFilePath());
    QVERIFY(dateiLesen(geoeffnet).startsWith("%PDF-"));
    QVERIFY(QFileInfo(geoeffnet).size() > 20000); // the real manual, not a placeholder
}

void TestHilfe::reparatur_data()
{
    QTest::addColumn<QString>("knopf"); // empty: the title bar's close
    QTest::addColumn<bool>("planImOrdner");
    QTest::newRow("zweiter Knopf loescht nichts") << "butRep2" << true;
    QTest::newRow("Fenster schliessen loescht nichts") << QString() << false;
    QTest::newRow("loeschen, Plan anderswo") << "butRep1" << false;
    QTest::newRow("loeschen, Plan im Einstellungsordner gesichert") << "butRep1" << true;
}

void TestHilfe::reparatur()
{
    QFETCH(QString, knopf);
    QFETCH(bool, planImOrdner);
    TestUmgebung env;
    QTemporaryDir heim;
    const QString plan = planImOrdner ? env.datenVerzeichnis() + "mein plan.medat"
                                      : env.arbeitsVerzeichnis() + "/plan.medat";
    env.vorbereiten(plan, "en");
    const QByteArray inhalt = planMit({"Muster", "Eva"}, {{"A"}, {"B"}});
    dateiSchreiben(plan, inhalt);
    if (planImOrdner)
        dateiSchreiben(env.settingsVerzeichnis() + "/alt.db", "1;x;\n");
    {
        MainWindow w;
        w.show();
        QCOMPARE(TestZugang::aktuelleDatei(w), plan);
        const QStringList vorher = dateienUnter(env.settingsVerzeichnis());
        const MeldungsWaechter waechter;
        const QStringList &meldungen = waechter.meldungen;
        DialogHelfer helfer([&](QWidget *d) {
            if (knopf.isEmpty())
                d->close();
            else
                kind<QPushButton>(d, knopf)->click();
        });
        const QByteArray altesHeim = qgetenv("HOME");
        qputenv("HOME", heim.path().toUtf8());
        w.findChild<QAction *>("menu43")->trigger();
        qputenv("HOME", altesHeim);
        QVERIFY(helfer.erledigt());
        const QStringList sicherungen =
            QDir(heim.path() + "/Documents").entryList({"Tablora-Sicherung-*"}, QDir::Dirs);
        if (knopf != "butRep1") {
            QCOMPARE(dateienUnter(env.settingsVerzeichnis()), vorher);
            QVERIFY(w.isVisible() && sicherungen.isEmpty() && meldungen.isEmpty());
            return;
        }
        QVERIFY(!QFileInfo::exists(env.settingsVerzeichnis()) && !w.isVisible());
        QCOMPARE(sicherungen.size(), int(planImOrdner));
        QCOMPARE(meldungen.size(), int(planImOrdner));
        if (!planImOrdner) {
            QCOMPARE(dateiLesen(plan), inhalt); // plans elsewhere are not touched
        } else {
            const QString sicherung = heim.path() + "/Documents/" + sicherungen.first();
            QCOMPARE(dateienUnter(sicherung), (QStringList{"alt.db", "data/mein plan.medat"}));
            QCOMPARE(dateiLesen(sicherung + "/data/mein plan.medat"), inhalt);
            QVERIFY2(meldungen.first().contains(sicherung), qPrintable(meldungen.first()));
        }
    }

    // The next start is a first run: the default plan, without a message.
    const MeldungsWaechter waechter;
    MainWindow neu;
    QVERIFY2(waechter.meldungen.isEmpty(), qPrintable(waechter.meldungen.join(" | ")));
    const QString standard = env.programmDaten() + "default.medat";
    QSettings pfade(env.datenVerzeichnis() + "meddata.ini", QSettings::IniFormat);
    QCOMPARE(pfade.value("Pfade/letzteDatei").toString(), standard);
    QCOMPARE(TestZugang::aktuelleDatei(neu), standard);
}

void TestHilfe::ueberBox_data()
{
    QTest::addColumn<QString>("sprache");
    QTest::newRow("de") << "de";
    QTest::newRow("en") << "en";
    QTest::newRow("pers") << "pers";
}

void TestHilfe::ueberBox()
{
    QFETCH(QString, sprache);
    TestUmgebung env;
    env.vorbereiten(env.planSchreiben("plan.medat", planMit({"Muster", "Eva"}, {{"A"}})), sprache);
    // The desktop's usual font, so that "fits" means what a user sees.
    const QFont altesFont = QApplication::font();
    QApplication::setFont(QFont("DejaVu Sans", 9));
    MainWindow w;
    w.show();
    QStringList texte, zuKnapp;
    bool geschlossen = false;
    DialogHelfer helfer([&](QWidget *d) {
        for (QLabel *l : d->findChildren<QLabel *>()) {
            const QRect noetig = QFontMetrics(l->font()).boundingRect(
                QRect(QPoint(), l->size()), int(l->alignment()), l->text());
            texte << l->text();
            if (noetig.width() > l->width() || noetig.height() > l->height() + 2)
                zuKnapp << l->text();
        }
        kind<QPushButton>(d, "butOk")->click();
        geschlossen = !d->isVisible();
    });
    w.findChild<QAction *>("menu42")->trigger();
    QApplication::setFont(altesFont);
    QVERIFY(helfer.erledigt() && geschlossen);
    QVERIFY2(zuKnapp.isEmpty(), qPrintable(zuKnapp.join(" | ")));
    const QString alles = texte.join(' '); // the same whatever language is chosen
    for (const char *teil : {"Version 1.1.0", "Textdateien", "nichts im Internet",
                             "text files", "nothing on the internet"})
        QVERIFY2(alles.contains(teil), teil);
}

QTEST_MAIN(TestHilfe)
#include "tst_hilfe.moc"
