#include "support/testsupport.h"

#include "planfile/datensatz.h"
#include "views/prognose.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

namespace {
constexpr qint64 tag = 86400;

// Printable area of the writer's default page: 10 pt in from the paper edge.
constexpr double rand = 10.0 / 72.0 * 1200.0;
constexpr int aufloesung = 100;

bool popplerDa()
{
    return !QStandardPaths::findExecutable("pdftotext").isEmpty()
           && !QStandardPaths::findExecutable("pdftoppm").isEmpty();
}

QByteArray ausfuehren(const QString &programm, const QStringList &argumente)
{
    QProcess p;
    p.start(programm, argumente);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QByteArray();
    return p.readAllStandardOutput();
}

// Text of one page (0: all pages), in reading order of the drawing.
QString pdfText(const QString &pdf, int seite = 0)
{
    QStringList arg{"-enc", "UTF-8", "-raw"};
    if (seite > 0)
        arg << "-f" << QString::number(seite) << "-l" << QString::number(seite);
    return QString::fromUtf8(ausfuehren("pdftotext", arg << pdf << "-"));
}

int seitenZahl(const QString &pdf)
{
    return pdfText(pdf).count(QLatin1Char('\f'));
}

// Colour at a point given in the writer's device units.
QColor pixel(const QString &pdf, int seite, int x, int y)
{
    const QByteArray ppm =
        ausfuehren("pdftoppm", {"-r", QString::number(aufloesung), "-f", QString::number(seite),
                                "-l", QString::number(seite), pdf});
    // P6 <w> <h> <max> then the pixels.
    int pos = 0, felder[3] = {0, 0, 0};
    if (!ppm.startsWith("P6"))
        return QColor();
    pos = 2;
    for (int &f : felder) {
        while (pos < ppm.size() && QChar(ppm.at(pos)).isSpace())
            ++pos;
        int start = pos;
        while (pos < ppm.size() && QChar(ppm.at(pos)).isDigit())
            ++pos;
        f = ppm.mid(start, pos - start).toInt();
    }
    ++pos;
    const int px = int((rand + x) * aufloesung / 1200.0);
    const int py = int((rand + y) * aufloesung / 1200.0);
    const int i = pos + (py * felder[0] + px) * 3;
    if (px >= felder[0] || py >= felder[1] || i + 2 >= ppm.size())
        return QColor();
    return QColor(quint8(ppm.at(i)), quint8(ppm.at(i + 1)), quint8(ppm.at(i + 2)));
}

// Top edges of the words `wort` on a page, in the writer's device units.
QList<double> wortOben(const QString &pdf, const QString &wort, int seite = 1)
{
    const QString html = QString::fromUtf8(ausfuehren(
        "pdftotext", {"-bbox", "-enc", "UTF-8", "-f", QString::number(seite), "-l",
                      QString::number(seite), pdf, "-"}));
    static const QRegularExpression muster(
        "<word xMin=\"[^\"]*\" yMin=\"([^\"]*)\"[^>]*>([^<]*)</word>");
    QList<double> oben;
    auto it = muster.globalMatch(html);
    while (it.hasNext()) {
        const auto m = it.next();
        if (m.captured(2) == wort)
            oben << m.captured(1).toDouble() * 1200.0 / 72.0 - rand;
    }
    return oben;
}

// Whether a text line drawn centred in a rectangle from `oben` (height `hoehe`)
// has its top edge there.
bool liegtIn(double y, int oben, int hoehe)
{
    return y >= oben - 30 && y <= oben + hoehe;
}

bool istBalken(const QColor &c)
{
    return c.red() >= 240 && c.red() <= 250 && c.green() == c.red() && c.blue() == c.red();
}

// Every text of `teile` occurs in `text`, in this order.
bool inReihenfolge(const QString &text, const QStringList &teile, QString *fehlt = nullptr)
{
    int pos = 0;
    for (const QString &t : teile) {
        const int neu = text.indexOf(t, pos);
        if (neu < 0) {
            if (fehlt)
                *fehlt = t;
            return false;
        }
        pos = neu + t.size();
    }
    return true;
}

QStringList patient(qint64 termin, const QString &gesetzt = "0")
{
    return {"Musterfrau", "Erika", "12.03.1948", gesetzt, QString::number(termin)};
}

// A medication counted `vorTagen` days ago.
QStringList mittel(const QString &name, const QString &bez, const QString &bestand,
                   const QStringList &dosen, int vorTagen = 0, const QString &flag = "0")
{
    const qint64 zeit = qint64(jetztUnix()) - vorTagen * tag;
    return QStringList{name, bez, "5 mg", "100", QString::number(zeit), bestand} + dosen
           + QStringList{flag};
}

QList<QStringList> viele(int anzahl)
{
    QList<QStringList> liste;
    for (int i = 1; i <= anzahl; ++i) {
        const QString n = QString("%1").arg(i, 2, 10, QLatin1Char('0'));
        liste << mittel("Name " + n, "Mittel " + n, "500", {"1", "0", "0", "0"});
    }
    return liste;
}
} // namespace

class TestPdf : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void medlisteInhalt_data();
    void medlisteInhalt();
    void medlisteFarbenUndBalken();
    void medlisteZahlen();
    void einnahmeplanInhalt_data();
    void einnahmeplanInhalt();
    void seitenumbruch_data();
    void seitenumbruch();
    void abbrechenSchreibtNichts_data();
    void abbrechenSchreibtNichts();
    void schreibfehlerWirdGemeldet_data();
    void schreibfehlerWirdGemeldet();
    void sonderzeichenImNamen();
    void persischeSchrift();

private:
    // Writes a document through the real menu slot and its file dialog.
    QString schreiben(MainWindow &w, const char *slot, const QString &name);
    std::unique_ptr<TestUmgebung> env;
    std::unique_ptr<UrlFaenger> viewer;
};

void TestPdf::init()
{
    viewer.reset();
    env = std::make_unique<TestUmgebung>();
    viewer = std::make_unique<UrlFaenger>();
}

QString TestPdf::schreiben(MainWindow &w, const char *slot, const QString &name)
{
    const QString ziel = env->arbeitsVerzeichnis() + "/" + name;
    DialogHelfer helfer([&](QWidget *d) { dateiDialogAusfuellen(d, ziel); });
    QMetaObject::invokeMethod(&w, slot);
    [&] { QVERIFY(helfer.erledigt()); }();
    return ziel;
}

void TestPdf::medlisteInhalt_data()
{
    QTest::addColumn<int>("anzahl");
    QTest::newRow("keins") << 0;
    QTest::newRow("eins") << 1;
    QTest::newRow("drei") << 3;
}

void TestPdf::medlisteInhalt()
{
    if (!popplerDa())
        QSKIP("poppler-utils (pdftotext, pdftoppm) not installed");
    QFETCH(int, anzahl);
    const QString plan =
        env->planSchreiben("plan.medat", planMit(patient(0), viele(anzahl)));
    env->vorbereiten(plan);
    MainWindow w;
    const QString pdf = schreiben(w, "print_medlist", "liste.pdf");

    QVERIFY(QFileInfo(pdf).isFile());
    QCOMPARE(viewer->urls, QList<QUrl>{QUrl::fromLocalFile(pdf)});
    QCOMPARE(seitenZahl(pdf), 1);

    const QString heute = TestZugang::zeitZuDatum(w, jetztUnix());
    QStringList erwartet{"Medikamentenliste", "Patient: Musterfrau, Erika *12.03.1948",
                         "Medikament", "Bestand", "Reichweite", "Leer am"};
    for (int i = 1; i <= anzahl; ++i) {
        const Prognose p = prognose(TestZugang::datensatz(w, i + 1), jetztUnix());
        erwartet << QString("Mittel %1").arg(i, 2, 10, QLatin1Char('0')) << "500"
                 << "71.4 Wochen" << TestZugang::zeitZuDatum(w, quint32(p.leerZeit));
    }
    erwartet << "Medikamentenliste Stand: " + heute + " erstellt mit Vantorlight - Tablora";
    QString fehlt;
    const QString text = pdfText(pdf).simplified();
    QVERIFY2(inReihenfolge(text, erwartet, &fehlt), qPrintable(fehlt + " in: " + text));
    QVERIFY(!text.contains("Name 01")); // the list shows the second text
    QVERIFY(!text.contains("Mittel 0" + QString::number(anzahl + 1)));

    // The footer stands 1000 below the top of the last row (or of the header row).
    const int letzte = anzahl == 0 ? 1700 : 2000 + 300 * (anzahl - 1);
    const QList<double> fuss = wortOben(pdf, "Medikamentenliste");
    QCOMPARE(fuss.size(), 2);
    QVERIFY2(liegtIn(fuss.last(), letzte + 1000, 180), qPrintable(QString::number(fuss.last())));
    QVERIFY(fuss.first() < 900); // the heading (its glyphs reach above its rectangle)
}

void TestPdf::medlisteFarbenUndBalken()
{
    if (!popplerDa())
        QSKIP("poppler-utils (pdftotext, pdftoppm) not installed");
    // Appointment in 10 days, but its flag is "0": the list still marks red.
    const qint64 termin = qint64(jetztUnix()) + 10 * tag;
    const QList<QStringList> meds{
        mittel("A", "Genau 60 Tage", "60", {"1", "0", "0", "0"}),
        mittel("B", "Knapp", "20", {"0.5", "0", "0.5", "0"}),
        mittel("C", "Vor dem Termin", "60", {"1", "0", "0", "0"}, 55),
        mittel("D", "Aufgebraucht", "10", {"1", "0", "0", "0"}, 30),
        mittel("E", "Bei Bedarf", "14", {"0", "0", "0", "0"}),
        mittel("F", "Im Plan ausgelassen", "200", {"1", "0", "0", "0"}, 0, "1"),
    };
    const QString plan = env->planSchreiben("plan.medat", planMit(patient(termin), meds));
    env->vorbereiten(plan);
    MainWindow w;
    const QString pdf = schreiben(w, "print_medlist", "farben.pdf");
    QVERIFY(QFileInfo(pdf).isFile());

    auto oben = [](int zeile) { return 2000 + 300 * zeile; };
    auto datum = [&](int zeile) { return pixel(pdf, 1, 7700, oben(zeile) + 150); };
    auto balken = [&](int zeile, int x) { return istBalken(pixel(pdf, 1, x, oben(zeile) + 40)); };

    QCOMPARE(datum(0), QColor(Qt::white));
    QCOMPARE(datum(1), QColor(Qt::yellow)); // runs out after the appointment
    QCOMPARE(datum(2), QColor(Qt::red));
    QCOMPARE(datum(3), QColor(Qt::red));
    QCOMPARE(datum(4), QColor(Qt::white));
    QCOMPARE(datum(5), QColor(Qt::white)); // flagged records are listed all the same

    QVERIFY(balken(0, 5200));  // exactly 60 days fill the cell
    QVERIFY(balken(1, 2000));  // 20 days: 1600 units
    QVERIFY(!balken(1, 2200));
    QVERIFY(balken(2, 800));   // 5 days: 400 units
    QVERIFY(!balken(2, 1000));
    QVERIFY(!balken(3, 550));  // run out: no bar at all
    QVERIFY(!balken(3, 5200));
    QVERIFY(balken(4, 5200));  // on demand: full bar
    QVERIFY(balken(5, 5200));  // more than 60 days

    const QString text = pdfText(pdf).simplified();
    QString fehlt;
    QVERIFY2(inReihenfolge(text,
                           {"Genau 60 Tage", "60", "8.6 Wochen", "Knapp", "20", "2.9 Wochen",
                            "Vor dem Termin", "5", "0.7 Wochen", "Aufgebraucht", "-20",
                            "-2.9 Wochen", "Bei Bedarf 14 Im Plan"},
                           &fehlt),
             qPrintable(fehlt + " in: " + text));
    // On-demand medication has no weeks and no run-out date.
    QVERIFY(!text.contains("inf") && !text.contains("nan"));
}

void TestPdf::medlisteZahlen()
{
    if (!popplerDa())
        QSKIP("poppler-utils (pdftotext, pdftoppm) not installed");
    const QList<QStringList> meds{
        mittel("A", "Exponent", "12345.6", {"1", "0", "0", "0"}),
        mittel("B", "Halbe", "37.5", {"0.5", "0", "0", "0"}, 3),
        mittel("C", "", "30", {"1", "0", "0", "0"}),
    };
    const QString plan = env->planSchreiben("plan.medat", planMit(patient(0), meds));
    env->vorbereiten(plan);
    MainWindow w;
    const QString pdf = schreiben(w, "print_medlist", "zahlen.pdf");
    const QString text = pdfText(pdf).simplified();
    QString fehlt;
    // 37.5 counted three days ago at half a tablet a day: 36 left, 72 days.
    QVERIFY2(inReihenfolge(text, {"Exponent", "1.235e+04", "Halbe", "36", "10.3 Wochen",
                                  "C", "30", "4.3 Wochen"},
                           &fehlt),
             qPrintable(fehlt + " in: " + text));
}

void TestPdf::einnahmeplanInhalt_data()
{
    QTest::addColumn<int>("anzahl");
    QTest::newRow("keins") << 0;
    QTest::newRow("eins") << 1;
    QTest::newRow("drei") << 3;
}

void TestPdf::einnahmeplanInhalt()
{
    if (!popplerDa())
        QSKIP("poppler-utils (pdftotext, pdftoppm) not installed");
    QFETCH(int, anzahl);
    QList<QStringList> meds{
        mittel("Ramipril", "Blutdruck", "100", {"0.5", "2", "1.5", ""}),
        mittel("Ibuprofen", "Bei Schmerzen", "20", {"0", "0", "0", "0"}, 0, "1"),
        mittel("Metformin", "Diabetes", "100", {"1", "0", "3", "4"}),
    };
    meds = meds.mid(0, anzahl);
    const QString plan = env->planSchreiben("plan.medat", planMit(patient(0), meds));
    env->vorbereiten(plan);
    MainWindow w;
    const QString pdf = schreiben(w, "print_regulation", "plan.pdf");
    QCOMPARE(viewer->urls, QList<QUrl>{QUrl::fromLocalFile(pdf)});
    QCOMPARE(seitenZahl(pdf), 1);

    const QString text = pdfText(pdf).simplified();
    QStringList erwartet{"Einnahmeplan", "Patient: Musterfrau, Erika *12.03.1948", "Medikament",
                         "Wirkstärke", "Früh", "Mittag", "Abend", "Nacht"};
    if (anzahl >= 1)
        erwartet << "Ramipril" << "Blutdruck" << "5 mg" << "1/2 2 1.5 0";
    if (anzahl >= 3)
        erwartet << "Metformin" << "Diabetes" << "5 mg" << "1 0 3.0 4.0";
    erwartet << "Einnahmeplan Stand: " + TestZugang::zeitZuDatum(w, jetztUnix());
    QString fehlt;
    QVERIFY2(inReihenfolge(text, erwartet, &fehlt), qPrintable(fehlt + " in: " + text));
    QVERIFY(!text.contains("Ibuprofen"));

    // The flagged record takes no space: the third medication sits in the second row.
    const int zeilen = anzahl == 3 ? 2 : anzahl;
    if (anzahl == 3) {
        const QList<double> metformin = wortOben(pdf, "Metformin");
        QCOMPARE(metformin.size(), 1);
        QVERIFY(liegtIn(metformin.first(), 2750, 450));
    }
    const int letzte = zeilen == 0 ? 1850 : 2300 + 450 * (zeilen - 1);
    const QList<double> fuss = wortOben(pdf, "Einnahmeplan");
    QCOMPARE(fuss.size(), 2);
    QVERIFY2(liegtIn(fuss.last(), letzte + 1000, 180), qPrintable(QString::number(fuss.last())));
}

void TestPdf::seitenumbruch_data()
{
    QTest::addColumn<QString>("slot");
    QTest::addColumn<int>("anzahl");
    QTest::addColumn<int>("seiten");
    QTest::addColumn<int>("ersteAufSeite2"); // 0: none
    // The medication list holds 37 rows on its first page, the regimen 24.
    QTest::newRow("liste 34: Fuss passt") << "print_medlist" << 34 << 1 << 0;
    QTest::newRow("liste 35: Fuss auf neuer Seite") << "print_medlist" << 35 << 2 << 0;
    QTest::newRow("liste 37") << "print_medlist" << 37 << 2 << 0;
    QTest::newRow("liste 38") << "print_medlist" << 38 << 2 << 38;
    QTest::newRow("liste 48") << "print_medlist" << 48 << 2 << 38;
    QTest::newRow("plan 24") << "print_regulation" << 24 << 2 << 0;
    QTest::newRow("plan 48") << "print_regulation" << 48 << 2 << 25;
}

void TestPdf::seitenumbruch()
{
    if (!popplerDa())
        QSKIP("poppler-utils (pdftotext, pdftoppm) not installed");
    QFETCH(QString, slot);
    QFETCH(int, anzahl);
    QFETCH(int, seiten);
    QFETCH(int, ersteAufSeite2);
    const QString plan = env->planSchreiben("plan.medat", planMit(patient(0), viele(anzahl)));
    env->vorbereiten(plan);
    MainWindow w;
    const QString pdf = schreiben(w, slot.toLatin1().constData(), "seiten.pdf");
    QCOMPARE(seitenZahl(pdf), seiten);

    const bool liste = slot == "print_medlist";
    const QString fuss = (liste ? "Medikamentenliste" : "Einnahmeplan") + QString(" Stand:");
    const QString letzteSeite = pdfText(pdf, seiten).simplified();
    QVERIFY2(letzteSeite.contains(fuss), qPrintable(letzteSeite));

    // Every medication is printed exactly once, in order.
    const QString alles = pdfText(pdf).simplified();
    QStringList alle;
    for (int i = 1; i <= anzahl; ++i)
        alle << QString("Mittel %1 ").arg(i, 2, 10, QLatin1Char('0'));
    QString fehlt;
    QVERIFY2(inReihenfolge(alles + " ", alle, &fehlt), qPrintable(fehlt));
    for (int i = 1; i <= anzahl; ++i)
        QCOMPARE(alles.count(QString("Mittel %1").arg(i, 2, 10, QLatin1Char('0'))), 1);

    if (seiten == 2) {
        const QString seite2 = pdfText(pdf, 2).simplified();
        const QString kopf = liste ? "Medikament Bestand Reichweite Leer am"
                                   : "Medikament Wirkstärke Früh Mittag Abend Nacht";
        if (ersteAufSeite2 > 0) {
            // The header row is repeated above the rows that continue.
            QVERIFY2(inReihenfolge(seite2, {kopf, QString("Mittel %1").arg(ersteAufSeite2)}),
                     qPrintable(seite2));
            QVERIFY(!seite2.contains("Patient:"));
            QVERIFY(pdfText(pdf, 1).contains(
                QString("Mittel %1").arg(ersteAufSeite2 - 1, 2, 10, QLatin1Char('0'))));
        } else {
            // Only the footer moved on.
            QVERIFY2(!seite2.contains("Mittel") && !seite2.contains(kopf), qPrintable(seite2));
        }
    }
    // The first page is unchanged: the header row stays at its place.
    if (liste)
        QVERIFY(istBalken(pixel(pdf, 1, 5200, 2000 + 40)));
}

void TestPdf::abbrechenSchreibtNichts_data()
{
    QTest::addColumn<QString>("slot");
    QTest::newRow("liste") << "print_medlist";
    QTest::newRow("plan") << "print_regulation";
}

void TestPdf::abbrechenSchreibtNichts()
{
    QFETCH(QString, slot);
    const QString plan = env->planSchreiben("plan.medat", planMit(patient(0), viele(2)));
    env->vorbereiten(plan);
    MainWindow w;
    const QStringList vorher = QDir(env->arbeitsVerzeichnis()).entryList(QDir::Files);
    DialogHelfer helfer([](QWidget *d) { dialogSchliessen(d); });
    QElapsedTimer uhr;
    uhr.start();
    QMetaObject::invokeMethod(&w, slot.toLatin1().constData());
    QVERIFY(helfer.erledigt());
    QVERIFY(uhr.elapsed() < 3000); // no second dialog waited for
    QVERIFY(viewer->urls.isEmpty());
    QCOMPARE(QDir(env->arbeitsVerzeichnis()).entryList(QDir::Files), vorher);
}

void TestPdf::schreibfehlerWirdGemeldet_data()
{
    QTest::addColumn<QString>("slot");
    QTest::addColumn<bool>("ordnerStattDatei");
    QTest::newRow("liste, Ordner am Platz der Datei") << "print_medlist" << true;
    QTest::newRow("plan, Ordner am Platz der Datei") << "print_regulation" << true;
    QTest::newRow("liste, Datei statt Ordner") << "print_medlist" << false;
}

void TestPdf::schreibfehlerWirdGemeldet()
{
    QFETCH(QString, slot);
    QFETCH(bool, ordnerStattDatei);
    const QString plan = env->planSchreiben("plan.medat", planMit(patient(0), viele(2)));
    env->vorbereiten(plan);
    MainWindow w;
    QString ziel;
    if (ordnerStattDatei) {
        ziel = env->arbeitsVerzeichnis() + "/liste.pdf";
    } else {
        dateiSchreiben(env->arbeitsVerzeichnis() + "/keinordner", "x");
        ziel = env->arbeitsVerzeichnis() + "/keinordner/liste.pdf";
    }
    std::unique_ptr<DialogHelfer> meldung;
    DialogHelfer datei([&](QWidget *d) {
        dateiDialogAusfuellen(d, ziel);
        // The folder appears after the name was chosen, as when another
        // program creates it meanwhile.
        if (ordnerStattDatei)
            QDir().mkpath(ziel);
        meldung = std::make_unique<DialogHelfer>([](QWidget *m) { dialogSchliessen(m); });
    });
    QMetaObject::invokeMethod(&w, slot.toLatin1().constData());
    QVERIFY(datei.erledigt());
    QVERIFY(meldung);
    QVERIFY(meldung->erledigt());
    const QString text = meldung->gesehenerText();
    QVERIFY(!TestZugang::txtPdfErr(w).isEmpty());
    QVERIFY2(text.startsWith(TestZugang::txtPdfErr(w)), qPrintable(text));
    QVERIFY2(text.contains(ziel), qPrintable(text));
    QVERIFY(viewer->urls.isEmpty());
    QCOMPARE(QFileInfo(ziel).isDir(), ordnerStattDatei);
}

void TestPdf::sonderzeichenImNamen()
{
    const QString plan = env->planSchreiben("plan.medat", planMit(patient(0), viele(1)));
    env->vorbereiten(plan);
    MainWindow w;
    const QString pdf = schreiben(w, "print_regulation", "Plan #2 für 50% ?.pdf");
    QVERIFY(QFileInfo(pdf).isFile());
    QCOMPARE(viewer->urls.size(), 1);
    const QUrl url = viewer->urls.first();
    QVERIFY(url.isLocalFile());
    QCOMPARE(url.toLocalFile(), pdf);
    QVERIFY(!url.hasFragment() && !url.hasQuery());
}

void TestPdf::persischeSchrift()
{
    if (!popplerDa())
        QSKIP("poppler-utils (pdftotext, pdftoppm) not installed");
    if (QStandardPaths::findExecutable("pdffonts").isEmpty())
        QSKIP("pdffonts not installed");
    const QString plan = env->planSchreiben(
        "plan.medat",
        planMit({"\u0627\u062d\u0645\u062f\u06cc", "\u0645\u0631\u06cc\u0645", "01.01.1950", "0",
                 "0"},
                {mittel("\u0622\u0633\u067e\u0631\u06cc\u0646", "\u0633\u0631\u062f\u0631\u062f",
                        "50", {"1", "0", "0", "0"})}));
    env->vorbereiten(plan, "pers");
    MainWindow w;
    for (const char *slot : {"print_medlist", "print_regulation"}) {
        const QString pdf = schreiben(w, slot, QString(slot) + ".pdf");
        // Liberation has no Arabic letters; they must come from a font that has them.
        const QString fonts = QString::fromUtf8(ausfuehren("pdffonts", {pdf}));
        QVERIFY2(fonts.contains("DejaVu") || fonts.contains("Noto") || fonts.contains("Droid"),
                 qPrintable(fonts));
    }
}

QTEST_MAIN(TestPdf)
#include "tst_pdf.moc"
