#include "support/testsupport.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {
const QString anleitung = "Tablora_Anleitung.pdf";

// Records and closes every modal box that comes up while it lives, so that a
// construction that shows a message cannot hang the test.
class MeldungsWaechter : public QObject
{
public:
    MeldungsWaechter()
    {
        connect(&m_uhr, &QTimer::timeout, this, [this] {
            if (QWidget *d = QApplication::activeModalWidget()) {
                gesehen << nachrichtText(d);
                dialogSchliessen(d);
            }
        });
        m_uhr.start(20);
    }
    QStringList gesehen;

private:
    QTimer m_uhr;
};

QStringList dateienUnter(const QString &verzeichnis)
{
    QStringList liste;
    QDirIterator it(verzeichnis, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        liste << QDir(verzeichnis).relativeFilePath(it.next());
    liste.sort();
    return liste;
}

void reparaturAusloesen(MainWindow &w, const char *knopf)
{
    DialogHelfer helfer([knopf](QWidget *d) {
        auto *b = d->findChild<QPushButton *>(knopf);
        if (b)
            b->click();
        else
            dialogSchliessen(d);
    });
    w.findChild<QAction *>("menu43")->trigger();
    QVERIFY(helfer.erledigt());
}
} // namespace

class TestHilfe : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void anleitungIstEchtesDokument();
    void hilfeOeffnetAnleitung_data();
    void hilfeOeffnetAnleitung();
    void reparaturLoeschtUndNaechsterStartIstErsterLauf();
    void reparaturAbbrechenLoeschtNichts_data();
    void reparaturAbbrechenLoeschtNichts();
    void reparaturBewahrtPlaeneImEinstellungsordner();
    void ueberBox_data();
    void ueberBox();
};

void TestHilfe::initTestCase()
{
    // The repair closes the only window; the test run must go on.
    QApplication::setQuitOnLastWindowClosed(false);
}

void TestHilfe::anleitungIstEchtesDokument()
{
    TestUmgebung env;
    const QString pdf = env.programmDaten() + anleitung;
    const QByteArray inhalt = dateiLesen(pdf);
    QVERIFY2(inhalt.startsWith("%PDF-"), "the generated manual is missing beside the program");
    QVERIFY(inhalt.size() > 20000); // not the placeholder

    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        QSKIP("pdftotext not installed");
    QProcess p;
    p.start("pdftotext", {"-enc", "UTF-8", pdf, "-"});
    QVERIFY(p.waitForFinished(30000));
    const QString roh = QString::fromUtf8(p.readAllStandardOutput());
    QVERIFY(roh.count(QLatin1Char('\f')) >= 6); // pages
    const QString text = roh.simplified();
    for (const char *teil :
         {"Tablora – Anleitung", "Übersicht", "Was die Farben bedeuten", "Wie Tablora rechnet",
          "Einnahmeplan", "Aus der Apotheke geholt", "Neues Medikament", "Menü „PDF“",
          "Menü „Sprache“", "Einstellungen zurücksetzen", "Tablora – User manual",
          "What the colours mean", "How Tablora counts", "Pharmacy pickup", "Reset settings"}) {
        QVERIFY2(text.contains(QString::fromUtf8(teil)), teil);
    }
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
    QTemporaryDir extra;
    QString einstellungen = env.settingsVerzeichnis();
    if (!einstellungsOrt.isEmpty()) {
        const QString ort = extra.path() + "/" + einstellungsOrt;
        QDir().mkpath(ort);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, ort);
        einstellungen = ort + "/Tablora";
    }
    UrlFaenger viewer;
    MeldungsWaechter waechter; // first run: the template opens without a message
    MainWindow w;
    const QString kopie = einstellungen + "/data/" + anleitung;
    QVERIFY(QFileInfo(kopie).isFile());
    if (kopieFehlt)
        QVERIFY(QFile::remove(kopie));

    w.findChild<QAction *>("menu41")->trigger();
    const QString erwartet = kopieFehlt ? env.programmDaten() + anleitung : kopie;
    QCOMPARE(viewer.urls.size(), 1);
    QVERIFY(viewer.urls.first().isLocalFile());
    QCOMPARE(QFileInfo(viewer.urls.first().toLocalFile()).absoluteFilePath(),
             QFileInfo(erwartet).absoluteFilePath());
    QVERIFY(QFileInfo(viewer.urls.first().toLocalFile()).isFile());
}

void TestHilfe::reparaturLoeschtUndNaechsterStartIstErsterLauf()
{
    TestUmgebung env;
    const QString plan = env.planSchreiben("plan.medat", planMit({"Muster", "Eva"}, {{"A"}}));
    env.vorbereiten(plan, "en");
    const QByteArray planVorher = dateiLesen(plan);
    {
        MainWindow w;
        w.show();
        QCOMPARE(TestZugang::aktuelleDatei(w), plan);
        reparaturAusloesen(w, "butRep1");
        QVERIFY(!QFileInfo::exists(env.settingsVerzeichnis()));
        QVERIFY(!w.isVisible());
    }
    QCOMPARE(dateiLesen(plan), planVorher); // plans elsewhere are not touched

    MeldungsWaechter waechter;
    MainWindow neu;
    QVERIFY2(waechter.gesehen.isEmpty(), qPrintable(waechter.gesehen.join(" | ")));
    for (const char *name : {"language.ini", "lang_de.ini", "lang_en.ini", "lang_pers.ini",
                             "meddata.ini", "Tablora_Anleitung.pdf"})
        QVERIFY2(QFileInfo(env.datenVerzeichnis() + name).isFile(), name);
    QSettings pfade(env.datenVerzeichnis() + "meddata.ini", QSettings::IniFormat);
    const QString standard = env.programmDaten() + "default.medat";
    QCOMPARE(pfade.value("Pfade/letzteDatei").toString(), standard);
    QCOMPARE(TestZugang::aktuelleDatei(neu), standard);
    QVERIFY(neu.windowTitle().endsWith(standard));
}

void TestHilfe::reparaturAbbrechenLoeschtNichts_data()
{
    QTest::addColumn<QString>("knopf"); // empty: the title bar's close
    QTest::newRow("zweiter Knopf") << "butRep2";
    QTest::newRow("Fenster schliessen") << QString();
}

void TestHilfe::reparaturAbbrechenLoeschtNichts()
{
    QFETCH(QString, knopf);
    TestUmgebung env;
    const QString plan = env.planSchreiben("plan.medat", planMit({"Muster", "Eva"}, {{"A"}}));
    env.vorbereiten(plan);
    MainWindow w;
    w.show();
    const QStringList vorher = dateienUnter(env.settingsVerzeichnis());
    QVERIFY(vorher.contains("data/meddata.ini"));

    QString text1, text2;
    DialogHelfer helfer([&](QWidget *d) {
        QCOMPARE(d->size(), QSize(380, 200));
        text1 = d->findChild<QPushButton *>("butRep1")->text();
        text2 = d->findChild<QPushButton *>("butRep2")->text();
        if (knopf.isEmpty())
            d->close();
        else
            d->findChild<QPushButton *>(knopf)->click();
    });
    w.findChild<QAction *>("menu43")->trigger();
    QVERIFY(helfer.erledigt());
    QVERIFY(!text1.isEmpty() && !text2.isEmpty() && text1 != text2);
    QCOMPARE(dateienUnter(env.settingsVerzeichnis()), vorher);
    QVERIFY(w.isVisible());
}

void TestHilfe::reparaturBewahrtPlaeneImEinstellungsordner()
{
    TestUmgebung env;
    QTemporaryDir heim;
    const QByteArray altesHeim = qgetenv("HOME");
    qputenv("HOME", heim.path().toUtf8());
    env.vorbereiten();
    const QString plan = env.datenVerzeichnis() + "mein plan.medat";
    const QByteArray inhalt = planMit({"Muster", "Eva"}, {{"A"}, {"B"}});
    dateiSchreiben(plan, inhalt);
    dateiSchreiben(env.settingsVerzeichnis() + "/alt.db", "1;x;\n");
    {
        QSettings m(env.datenVerzeichnis() + "meddata.ini", QSettings::IniFormat);
        m.setValue("Pfade/letzteDatei", plan);
    }

    MainWindow w;
    w.show();
    std::unique_ptr<DialogHelfer> meldung;
    DialogHelfer helfer([&](QWidget *d) {
        meldung = std::make_unique<DialogHelfer>([](QWidget *m) { dialogSchliessen(m); });
        d->findChild<QPushButton *>("butRep1")->click();
    });
    w.findChild<QAction *>("menu43")->trigger();
    qputenv("HOME", altesHeim);
    QVERIFY(helfer.erledigt());
    QVERIFY(meldung && meldung->erledigt());

    QVERIFY(!QFileInfo::exists(env.settingsVerzeichnis()));
    const QStringList sicherungen =
        QDir(heim.path() + "/Documents").entryList({"Tablora-Sicherung-*"}, QDir::Dirs);
    QCOMPARE(sicherungen.size(), 1);
    const QString sicherung = heim.path() + "/Documents/" + sicherungen.first();
    QCOMPARE(dateienUnter(sicherung), (QStringList{"alt.db", "data/mein plan.medat"}));
    QCOMPARE(dateiLesen(sicherung + "/data/mein plan.medat"), inhalt);
    QVERIFY2(meldung->gesehenerText().contains(sicherung), qPrintable(meldung->gesehenerText()));
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
    const QString plan = env.planSchreiben("plan.medat", planMit({"Muster", "Eva"}, {{"A"}}));
    env.vorbereiten(plan, sprache);
    // The desktop's usual font, so that "fits" means what a user sees.
    const QFont altesFont = QApplication::font();
    QApplication::setFont(QFont("DejaVu Sans", 9));
    MainWindow w;
    w.show();

    struct Beschriftung
    {
        QString text;
        QRect ort;
        Qt::Alignment ausrichtung;
        bool fett = false;
        bool kursiv = false;
        bool passt = false;
    };
    QMap<QString, Beschriftung> gesehen;
    QSize groesse;
    bool geschlossen = false;
    DialogHelfer helfer([&](QWidget *d) {
        groesse = d->size();
        for (QLabel *l : d->findChildren<QLabel *>()) {
            const QRect noetig = QFontMetrics(l->font()).boundingRect(
                QRect(QPoint(), l->size()), int(l->alignment()), l->text());
            gesehen[l->objectName()] = {l->text(),        l->geometry(),
                                        l->alignment(),   l->font().bold(),
                                        l->font().italic(),
                                        noetig.width() <= l->width()
                                            && noetig.height() <= l->height() + 2};
        }
        auto *ok = d->findChild<QPushButton *>("butOk");
        QVERIFY(ok);
        QCOMPARE(ok->text(), QString("Ok"));
        ok->click();
        geschlossen = !d->isVisible();
    });
    w.findChild<QAction *>("menu42")->trigger();
    QApplication::setFont(altesFont);
    QVERIFY(helfer.erledigt());
    QVERIFY(geschlossen);
    QCOMPARE(groesse, QSize(380, 240));
    QCOMPARE(gesehen.size(), 6);

    QCOMPARE(gesehen["labVersion"].text, QString("Version 2017_06_10_1"));
    QVERIFY(gesehen["labVersion"].fett);
    const Beschriftung de = gesehen["labUeberDe"];
    const Beschriftung en = gesehen["labUeberEn"];
    QCOMPARE(de.ort, QRect(20, 55, 340, 45));
    QCOMPARE(en.ort, QRect(20, 100, 340, 45));
    for (const Beschriftung &b : {de, en}) {
        QCOMPARE(b.ausrichtung, Qt::AlignCenter);
        QCOMPARE(b.text.count('\n'), 2);
        QVERIFY(!b.fett && !b.kursiv);
        QVERIFY2(b.passt, qPrintable(b.text));
    }
    QVERIFY(de.text.contains("Textdateien") && de.text.contains("nichts im Internet"));
    QVERIFY(en.text.contains("text files") && en.text.contains("nothing on the internet"));
    QCOMPARE(gesehen["labBy"].text, QString("by"));
    QCOMPARE(gesehen["labVantor"].text, QString("Vantor"));
    QVERIFY(gesehen["labVantor"].fett);
    QCOMPARE(gesehen["labVantor"].ausrichtung, Qt::AlignRight | Qt::AlignVCenter);
    QCOMPARE(gesehen["labLight"].text, QString("light"));
    QVERIFY(gesehen["labLight"].kursiv);
    QCOMPARE(gesehen["labLight"].ort.left(), gesehen["labVantor"].ort.right() + 1);
}

QTEST_MAIN(TestHilfe)
#include "tst_hilfe.moc"
