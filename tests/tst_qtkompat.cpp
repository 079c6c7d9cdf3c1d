// SPDX-License-Identifier: GPL-3.0-or-later
// What Qt 5 and Qt 6 do differently, checked to come out the same on both.

#include "support/testsupport.h"

#include "app/qtkompat.h"
#include "planfile/datensatz.h"

#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QtTest>

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
#include <QTextCodec>
#endif

#include <ctime>

namespace {
QByteArray b(const char *s, int n = -1) { return n < 0 ? QByteArray(s) : QByteArray(s, n); }

// Local time zone of the process while it lives.
class Zeitzone
{
public:
    explicit Zeitzone(const QByteArray &tz)
        : m_alt(qgetenv("TZ")), m_hatte(qEnvironmentVariableIsSet("TZ"))
    {
        qputenv("TZ", tz);
        tzset();
    }
    ~Zeitzone()
    {
        if (m_hatte)
            qputenv("TZ", m_alt);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    QByteArray m_alt;
    bool m_hatte;
};

// Replaces the line "<schluessel>=..." of an ini file.
void iniZeileSetzen(const QString &datei, const QByteArray &schluessel, const QByteArray &wert)
{
    QList<QByteArray> zeilen = dateiLesen(datei).split('\n');
    for (QByteArray &z : zeilen)
        if (z.startsWith(schluessel + "=")) {
            z = schluessel + "=" + wert;
            break;
        }
    dateiSchreiben(datei, zeilen.join('\n'));
}
} // namespace

class TestQtKompat : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void planText_data();
    void planText();
    void planTextWieCodec();
    void sprachDatei_data();
    void sprachDatei();
    void letzteDatei_data();
    void letzteDatei();
    void ortsDatum_data();
    void ortsDatum();
    void neuesMedikamentMitternacht_data();
    void neuesMedikamentMitternacht();
    void hochDpi();
};

void TestQtKompat::planText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("leer") << b("") << QString();
    QTest::newRow("utf8") << b("M\xc3\xbcller \xd8\xaf\xd8\xa7") << QString::fromUtf8("Müller دا");
    QTest::newRow("utf8 vier bytes") << b("\xf0\x9f\x92\x8a") << QString::fromUtf8("💊");
    QTest::newRow("utf8 mit bom") << b("\xef\xbb\xbfJ\xc3\xb6rg") << QString::fromUtf8("Jörg");
    QTest::newRow("zwei bom") << b("\xef\xbb\xbf\xef\xbb\xbfx") << QString("x");
    QTest::newRow("utf8 nichtzeichen") << b("\xef\xbf\xbe\xef\xbf\xbd")
                                       << QString(QChar(0xFFFE)) + QChar(0xFFFD);
    QTest::newRow("nul bleibt") << b("a\0\xc3\xa4", 4) << QString::fromUtf16(u"a\0\u00e4", 3);
    QTest::newRow("1252") << b("M\xfcller-Wei\xdf \x80 \x84\x93\x9f")
                          << QString::fromUtf8("Müller-Weiß € „“Ÿ");
    QTest::newRow("1252 unbelegt") << b("\x81\x8d\x8f\x90\x9d")
                                   << QString::fromUtf16(u"\u0081\u008d\u008f\u0090\u009d");
    QTest::newRow("1252 nul") << b("\0\xe4", 2) << QString::fromUtf16(u"\0\u00e4", 2);
    QTest::newRow("ueberlang") << b("\xc0\x80") << QString::fromUtf8("À€");
    QTest::newRow("surrogat") << b("\xed\xa0\x80") << QString::fromUtf8("í\u00a0€");
    QTest::newRow("abgeschnitten") << b("a\xc3") << QString::fromUtf8("aÃ");
    QTest::newRow("ueber 10FFFF") << b("\xf4\x90\x80\x80") << QString::fromUtf8("ô\u0090€€");
}

void TestQtKompat::planText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(planTextDekodieren(bytes), text);
}

// Qt 5's codecs decide as plan files have always been read; the own decoder
// must agree with them byte for byte.
void TestQtKompat::planTextWieCodec()
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    QSKIP("Qt 6 has no codecs to compare with; the Qt 5 build checks this");
#else
    auto alt = [](QByteArray daten) {
        if (daten.startsWith("\xEF\xBB\xBF"))
            daten.remove(0, 3);
        QTextCodec::ConverterState zustand;
        const QString text = QTextCodec::codecForName("UTF-8")->toUnicode(
            daten.constData(), daten.size(), &zustand);
        if (zustand.invalidChars == 0 && zustand.remainingChars == 0)
            return text;
        return QTextCodec::codecForName("Windows-1252")->toUnicode(daten);
    };
    QList<QByteArray> proben;
    for (int i = 0; i < 256; ++i)
        for (int j = 0; j < 256; j += (i < 0x80 ? 255 : 1))
            proben << QByteArray(1, char(i)) + char(j);
    // Random strings from bytes that start, continue or break UTF-8 sequences.
    static const unsigned char teile[] = {'a', 0, 0x80, 0x8f, 0x9f, 0xa0, 0xbf, 0xc2, 0xc0,
                                          0xdf, 0xe0, 0xed, 0xef, 0xbb, 0xf0, 0xf4, 0xf5, 0xff};
    QRandomGenerator zufall(14);
    for (int n = 0; n < 20000; ++n) {
        QByteArray p;
        for (int k = zufall.bounded(1, 9); k > 0; --k)
            p += char(teile[zufall.bounded(int(sizeof teile))]);
        proben << p;
    }
    for (const QByteArray &p : proben)
        QVERIFY2(planTextDekodieren(p) == alt(p), p.toHex(' ').constData());
#endif
}

void TestQtKompat::sprachDatei_data()
{
    QTest::addColumn<QByteArray>("wert");
    QTest::addColumn<QString>("titel");
    QTest::newRow("umlaut-escape") << b("Tabl:oe:ra") << QString::fromUtf8("Tablöra");
    QTest::newRow("x-escape persisch") << b("\\x062a\\x0628\\x0644\\x0648\\x0631\\x0627")
                                       << QString::fromUtf8("تبلورا");
    QTest::newRow("utf8 roh") << b("Tabl\xc3\xb6ra \xd8\xaa\xd8\xa8")
                              << QString::fromUtf8("Tablöra تب");
    QTest::newRow("komma in anfuehrung") << b("\"Plan, Liste\"") << QString("Plan, Liste");
    QTest::newRow("komma als liste") << b("Plan, Liste") << QString();
}

// A language file's value reaches the window as the same text on both toolkits.
void TestQtKompat::sprachDatei()
{
    QFETCH(QByteArray, wert);
    QFETCH(QString, titel);
    TestUmgebung u;
    const QString plan = u.planSchreiben("p.medat", planMit({"A", "B", "1.1.1950", "0", "0"}, {}));
    u.vorbereiten(plan, "pers");
    iniZeileSetzen(u.datenVerzeichnis() + "lang_pers.ini", "title", wert);
    MainWindow w;
    QCOMPARE(TestZugang::programmTitel(w), titel);
    QCOMPARE(w.windowTitle(), titel + " - " + plan);
}

void TestQtKompat::letzteDatei_data()
{
    QTest::addColumn<bool>("escapes");
    QTest::newRow("utf8 roh") << false;
    QTest::newRow("wie Qt 5 mit escapes") << true;
}

// The last plan file's path is read in either form and written as UTF-8.
void TestQtKompat::letzteDatei()
{
    QFETCH(bool, escapes);
    TestUmgebung u;
    const QString plan = u.planSchreiben(QString::fromUtf8("Pläne دارو/p.medat"),
                                         planMit({"A", "B", "1.1.1950", "0", "0"}, {}));
    u.vorbereiten(plan);
    QByteArray gespeichert;
    if (escapes) {
        for (const QChar c : plan)
            gespeichert += c.unicode() < 0x80 ? QByteArray(1, char(c.unicode()))
                                              : "\\x" + QByteArray::number(c.unicode(), 16);
    } else {
        gespeichert = plan.toUtf8();
    }
    const QString ini = u.datenVerzeichnis() + "meddata.ini";
    dateiSchreiben(ini, "[Pfade]\nletzteDatei=" + gespeichert + "\n");
    MainWindow w;
    QCOMPARE(TestZugang::aktuelleDatei(w), plan);
    QCOMPARE(dateiLesen(ini), "[Pfade]\nletzteDatei=" + plan.toUtf8() + "\n");
}

void TestQtKompat::ortsDatum_data()
{
    // Expected dates from Python's zoneinfo.
    QTest::addColumn<QByteArray>("tz");
    QTest::addColumn<quint32>("zeit");
    QTest::addColumn<QString>("datum");
    QTest::newRow("Berlin 0") << b("Europe/Berlin") << 0u << "01. 01. 1970";
    QTest::newRow("Berlin") << b("Europe/Berlin") << 1616358600u << "21. 03. 2021";
    QTest::newRow("Teheran nach Umstellung") << b("Asia/Tehran") << 1616358600u << "22. 03. 2021";
    QTest::newRow("Teheran davor") << b("Asia/Tehran") << 1616358599u << "21. 03. 2021";
    QTest::newRow("LA 2038") << b("America/Los_Angeles") << 2147483648u << "18. 01. 2038";
    QTest::newRow("LA Sommer 2040") << b("America/Los_Angeles") << 2224740600u << "01. 07. 2040";
    QTest::newRow("Berlin 2106") << b("Europe/Berlin") << 4294967295u << "07. 02. 2106";
}

void TestQtKompat::ortsDatum()
{
    QFETCH(QByteArray, tz);
    QFETCH(quint32, zeit);
    QFETCH(QString, datum);
    TestUmgebung u;
    u.vorbereiten();
    MeldungsWaechter meldungen;
    MainWindow w;
    Zeitzone zone(tz);
    QCOMPARE(TestZugang::zeitZuDatum(w, zeit), datum);
}

void TestQtKompat::neuesMedikamentMitternacht_data()
{
    QTest::addColumn<QByteArray>("tz");
    QTest::addColumn<QDate>("tag");
    QTest::addColumn<QString>("zeit");
    // Midnight skipped by the clock change: the day starts at 01:00.
    QTest::newRow("Teheran Umstellung") << b("Asia/Tehran") << QDate(2021, 3, 22) << "1616358600";
    QTest::newRow("Sao Paulo Umstellung") << b("America/Sao_Paulo") << QDate(2018, 11, 4)
                                          << "1541300400";
    QTest::newRow("Teheran Folgetag") << b("Asia/Tehran") << QDate(2021, 3, 23) << "1616441400";
    QTest::newRow("Berlin Umstellung um zwei") << b("Europe/Berlin") << QDate(2021, 3, 28)
                                               << "1616886000";
}

// The date fields hold that day, and the stock time of a new medication is
// its first moment.
void TestQtKompat::neuesMedikamentMitternacht()
{
    QFETCH(QByteArray, tz);
    QFETCH(QDate, tag);
    QFETCH(QString, zeit);
    Zeitzone zone(tz);
    TestUmgebung u;
    u.vorbereiten(u.planSchreiben("p.medat", planMit({"A", "B", "1.1.1950", "0", "0"}, {})));
    MainWindow w;
    for (const char *name : {"dateGeburt", "dateArztTermin"}) {
        auto *feld = kind<QDateEdit>(&w, name);
        feld->setDate(tag);
        QCOMPARE(feld->date(), tag);
    }
    DialogHelfer helfer([&](QWidget *d) {
        kind<QLineEdit>(d, "neuEingabe")->setText("Neu");
        kind<QDateEdit>(d, "neuDatum")->setDate(tag);
        kind<QPushButton>(d, "neuEintragen")->click();
    });
    QVERIFY(QMetaObject::invokeMethod(&w, "butMedNeu_clicked"));
    QVERIFY(helfer.erledigt());
    QCOMPARE(TestZugang::anzahl(w), 3);
    QCOMPARE(TestZugang::datensatz(w, 2).value(5), zeit);
}

// Scale factors are rounded to whole numbers: a 1.5 screen draws at 2.
void TestQtKompat::hochDpi()
{
    TestUmgebung u;
    u.vorbereiten();
    MeldungsWaechter meldungen;
    MainWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.devicePixelRatioF(), 2.0);
    QCOMPARE(w.size(), QSize(1200, 700));
}

int main(int argc, char *argv[])
{
    // A screen of 144 dpi, as the program itself starts.
    qputenv("QT_FONT_DPI", "144");
    hochDpiEinstellen();
    QApplication app(argc, argv);
    TestQtKompat test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_qtkompat.moc"
