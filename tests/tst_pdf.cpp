// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/testsupport.h"

#include "planfile/datensatz.h"
#include "views/prognose.h"

#include <QColor>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

namespace {
constexpr qint64 tag = 86400;
// Printable area of the writer's default page: 10 pt in from the paper edge.
constexpr double rand = 10.0 / 72.0 * 1200.0;

QByteArray ausfuehren(const QString &programm, const QStringList &argumente)
{
    QProcess p;
    p.start(programm, argumente);
    return p.waitForFinished(30000) && p.exitCode() == 0 ? p.readAllStandardOutput()
                                                         : QByteArray();
}

// Text in drawing order, blanks simplified; a form feed ends each page.
QString pdfText(const QString &pdf)
{
    static const QRegularExpression blanks("[ \\t\\r\\n]+");
    return QString::fromUtf8(ausfuehren("pdftotext", {"-enc", "UTF-8", "-raw", pdf, "-"}))
        .replace(blanks, " ");
}

// Top edge of the last word `wort` on page 1, in the writer's device units.
double wortOben(const QString &pdf, const QString &wort)
{
    const QString html = QString::fromUtf8(
        ausfuehren("pdftotext", {"-bbox", "-enc", "UTF-8", "-f", "1", "-l", "1", pdf, "-"}));
    const QRegularExpression muster("<word xMin=\"[^\"]*\" yMin=\"([^\"]*)\"[^>]*>"
                                    + QRegularExpression::escape(wort) + "</word>");
    double oben = -1;
    for (auto it = muster.globalMatch(html); it.hasNext();)
        oben = it.next().captured(1).toDouble() * 1200.0 / 72.0 - rand;
    return oben;
}

// Colour at a point in the writer's device units, on a page rendered at 100 dpi.
QColor farbe(const QImage &seite, int x, int y)
{
    return seite.pixelColor(int((rand + x) / 12.0), int((rand + y) / 12.0));
}

bool istBalken(const QImage &seite, int x, int y)
{
    const QColor c = farbe(seite, x, y);
    return c.red() >= 240 && c.red() <= 250 && c.green() == c.red() && c.blue() == c.red();
}

bool inReihenfolge(const QString &text, QStringList teile)
{
    for (QString &t : teile)
        t = QRegularExpression::escape(t);
    return text.contains(QRegularExpression(teile.join(".*?")));
}

// A medication counted `vorTagen` days ago.
QStringList mittel(const QString &name, const QString &bez, const QString &bestand,
                   const QStringList &dosen, int vorTagen = 0, const QString &flag = "0")
{
    const qint64 zeit = qint64(jetztUnix()) - vorTagen * tag;
    return QStringList{name, bez, "5 mg", "100", QString::number(zeit), bestand} + dosen
           + QStringList{flag};
}

QString mittelNr(int i) { return QString("Mittel %1").arg(i, 2, 10, QLatin1Char('0')); }
} // namespace

class TestPdf : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void inhalt_data();
    void inhalt();
    void medlisteZeilen();
    void seitenumbruch_data();
    void seitenumbruch();
    void keinDokument_data();
    void keinDokument();
    void persischeSchrift();
    void musterplanNamen();
    void seiteUndSchnitte();

private:
    // Writes a document through the real slot and its file dialog.
    QString schreiben(MainWindow &w, const QString &slot, const QString &name);
    void mitPlan(const QList<QStringList> &meds, qint64 termin = 0, const QString &sprache = "de");
    std::unique_ptr<TestUmgebung> env;
    std::unique_ptr<UrlFaenger> viewer;
};

void TestPdf::init()
{
    viewer.reset();
    env = std::make_unique<TestUmgebung>();
    viewer = std::make_unique<UrlFaenger>();
    if (qstrcmp(QTest::currentTestFunction(), "keinDokument") != 0)
        for (const char *p : {"pdftotext", "pdftoppm", "pdffonts", "pdfinfo"})
            if (QStandardPaths::findExecutable(p).isEmpty())
                QSKIP("poppler-utils not installed");
}

QString TestPdf::schreiben(MainWindow &w, const QString &slot, const QString &name)
{
    const QString ziel = env->arbeitsVerzeichnis() + "/" + name;
    DialogHelfer helfer([&](QWidget *d) { dateiDialogAusfuellen(d, ziel); });
    QMetaObject::invokeMethod(&w, slot.toLatin1().constData());
    [&] { QVERIFY(helfer.erledigt()); }();
    return ziel;
}

void TestPdf::mitPlan(const QList<QStringList> &meds, qint64 termin, const QString &sprache)
{
    const QStringList patient{"Musterfrau", "Erika", "12.03.1948", "0", QString::number(termin)};
    env->vorbereiten(env->planSchreiben("plan.medat", planMit(patient, meds)), sprache);
}

void TestPdf::inhalt_data()
{
    QTest::addColumn<QString>("slot");
    QTest::addColumn<int>("anzahl");
    QTest::addColumn<int>("fussOben"); // 1000 below the last row (or the header row)
    QTest::newRow("liste leer") << "print_medlist" << 0 << 2700;
    QTest::newRow("liste") << "print_medlist" << 3 << 3600;
    QTest::newRow("plan leer") << "print_regulation" << 0 << 2850;
    QTest::newRow("plan, ausgelassenes nimmt keinen Platz") << "print_regulation" << 3 << 3750;
}

void TestPdf::inhalt()
{
    QFETCH(QString, slot);
    QFETCH(int, anzahl);
    QFETCH(int, fussOben);
    mitPlan(QList<QStringList>{
        mittel("Ramipril", "Blutdruck", "100", {"0.5", "2", "1.5", ""}),
        mittel("Ibuprofen", "Bei Schmerzen", "20", {"0", "0", "0", "0"}, 0, "1"),
        mittel("Metformin", "Diabetes", "100", {"1", "0", "3", "4"})}.mid(0, anzahl));
    MainWindow w;
    // "#", "%" and "?" stay part of the file name handed to the viewer.
    const QString pdf = schreiben(w, slot, "Plan #2 für 50% ?.pdf");
    QCOMPARE(viewer->urls, QList<QUrl>{QUrl::fromLocalFile(pdf)});
    const QString text = pdfText(pdf);
    QCOMPARE(text.count('\f'), 1); // one page

    const bool liste = slot == "print_medlist";
    const QString titel = liste ? "Medikamentenliste" : "Einnahmeplan";
    auto leer = [&](int i) {
        const Prognose p = prognose(TestZugang::datensatz(w, i), jetztUnix());
        return TestZugang::zeitZuDatum(w, quint32(p.leerZeit));
    };
    QStringList erwartet{titel, "Patient: Musterfrau, Erika *12.03.1948"};
    if (liste) {
        erwartet << "Medikament Bestand Reichweite Leer am";
        if (anzahl) // the list shows name and second text, and every record
            erwartet << "Ramipril – Blutdruck 100 3.6 Wochen " + leer(2)
                     << "Ibuprofen – Bei Schmerzen 20" << "Metformin – Diabetes 100 1.8 Wochen " + leer(4);
    } else {
        erwartet << "Medikament Wirkstärke Früh Mittag Abend Nacht";
        if (anzahl)
            erwartet << "Ramipril Blutdruck 5 mg 1/2 2 1.5 0"
                     << "Metformin Diabetes 5 mg 1 0 3.0 4.0";
    }
    erwartet << titel + " Stand: " + TestZugang::zeitZuDatum(w, jetztUnix())
                    + " erstellt mit Vantorlight - Tablora";
    QVERIFY2(inReihenfolge(text, erwartet), qPrintable(text));
    QVERIFY(liste || !text.contains("Ibuprofen"));

    const double oben = wortOben(pdf, titel); // the footer, below the heading
    QVERIFY2(oben >= fussOben - 30 && oben <= fussOben + 180, qPrintable(QString::number(oben)));
}

void TestPdf::medlisteZeilen()
{
    // Appointment in 10 days with its flag "0": the list still marks red.
    mitPlan({mittel("A", "Genau 60 Tage", "60", {"1", "0", "0", "0"}),
             mittel("B", "Knapp", "20", {"0.5", "0", "0.5", "0"}),
             mittel("C", "Vor dem Termin", "60", {"1", "0", "0", "0"}, 55),
             mittel("D", "Aufgebraucht", "10", {"1", "0", "0", "0"}, 30),
             mittel("E", "Bei Bedarf", "14", {"0", "0", "0", "0"}),
             mittel("F", "Im Plan ausgelassen", "200", {"1", "0", "0", "0"}, 0, "1"),
             mittel("G", "Exponent", "12345.6", {"1", "0", "0", "0"}),
             mittel("H", "Halbe", "37.5", {"0.5", "0", "0", "0"}, 3),
             mittel("Ohne Text", "", "30", {"1", "0", "0", "0"})},
            qint64(jetztUnix()) + 10 * tag);
    MainWindow w;
    const QString pdf = schreiben(w, "print_medlist", "zeilen.pdf");
    const QImage seite = QImage::fromData(
        ausfuehren("pdftoppm", {"-r", "100", "-f", "1", "-l", "1", pdf}), "PPM");
    QVERIFY(!seite.isNull());

    // Colour of the date cell; the bar reaches `mit` but not `ohne` (0: not checked).
    const struct { QColor datum; int mit, ohne; } zeilen[] = {
        {Qt::white, 5200, 0},     // exactly 60 days fill the cell
        {Qt::yellow, 2000, 2200}, // 20 days: 1600 units; runs out after the appointment
        {Qt::red, 800, 1000},     // 5 days: 400 units
        {Qt::red, 0, 550},        // run out: no bar at all
        {Qt::white, 5200, 0},     // on demand: full bar
        {Qt::white, 5200, 0},     // flagged records are listed all the same
    };
    for (int z = 0; z < 6; ++z) {
        const int oben = 2000 + 300 * z;
        QCOMPARE(farbe(seite, 7700, oben + 150), zeilen[z].datum);
        QVERIFY(!istBalken(seite, 300, oben + 40)); // no bar grows leftwards
        QVERIFY(!zeilen[z].mit || istBalken(seite, zeilen[z].mit, oben + 40));
        QVERIFY(!zeilen[z].ohne || !istBalken(seite, zeilen[z].ohne, oben + 40));
    }

    // 37.5 counted three days ago at half a tablet a day: 36 left, 72 days.
    const QString text = pdfText(pdf);
    QVERIFY2(inReihenfolge(text, {"Genau 60 Tage 60 8.6 Wochen", "Knapp 20 2.9 Wochen",
                                  "Vor dem Termin 5 0.7 Wochen", "Aufgebraucht 0 -2.9 Wochen",
                                  "Bei Bedarf 14 F – Im Plan", "Exponent 12346",
                                  "Halbe 36 10.3 Wochen", "Ohne Text 30 4.3 Wochen"}),
             qPrintable(text));
    QVERIFY(!text.contains("inf") && !text.contains("nan"));
}

void TestPdf::seitenumbruch_data()
{
    QTest::addColumn<QString>("slot");
    QTest::addColumn<int>("anzahl");
    QTest::addColumn<int>("umbruchVor"); // row that starts page 2, anzahl + 1: the footer
    // The medication list holds 37 rows on its first page, the regimen 24.
    QTest::newRow("liste 34: Fuss passt") << "print_medlist" << 34 << 0;
    QTest::newRow("liste 35: Fuss auf neuer Seite") << "print_medlist" << 35 << 36;
    QTest::newRow("liste 38") << "print_medlist" << 38 << 38;
    QTest::newRow("plan 24") << "print_regulation" << 24 << 25;
    QTest::newRow("plan 48") << "print_regulation" << 48 << 25;
}

void TestPdf::seitenumbruch()
{
    QFETCH(QString, slot);
    QFETCH(int, anzahl);
    QFETCH(int, umbruchVor);
    QList<QStringList> meds;
    for (int i = 1; i <= anzahl; ++i)
        meds << mittel("Name", mittelNr(i), "500", {"1", "0", "0", "0"});
    mitPlan(meds);
    MainWindow w;
    const QString text = pdfText(schreiben(w, slot, "seiten.pdf"));
    const bool liste = slot == "print_medlist";
    const QString kopf = liste ? "Medikament Bestand Reichweite Leer am"
                               : "Medikament Wirkstärke Früh Mittag Abend Nacht";
    const QString fuss = (liste ? "Medikamentenliste" : "Einnahmeplan") + QString(" Stand:");

    // Every row once, in order; the header row, not the patient, repeated above the
    // rows that continue on the next page.
    QStringList erwartet{"Patient:", kopf};
    for (int i = 1; i <= anzahl + 1; ++i) {
        if (i == umbruchVor)
            erwartet << "\f" << (i <= anzahl ? kopf : QString());
        erwartet << (i <= anzahl ? mittelNr(i) : fuss);
    }
    QVERIFY2(inReihenfolge(text, erwartet << "\f"), qPrintable(text));
    QCOMPARE(text.count('\f'), umbruchVor ? 2 : 1);
    QCOMPARE(text.count("Mittel "), anzahl);
    QCOMPARE(text.count(kopf), umbruchVor && umbruchVor <= anzahl ? 2 : 1);
    QCOMPARE(text.count("Patient:"), 1);
}

void TestPdf::keinDokument_data()
{
    QTest::addColumn<QString>("slot");
    QTest::addColumn<QString>("fall");
    QTest::newRow("liste abgebrochen") << "print_medlist" << "abbrechen";
    QTest::newRow("plan abgebrochen") << "print_regulation" << "abbrechen";
    QTest::newRow("liste, Ordner am Platz der Datei") << "print_medlist" << "ordner";
    QTest::newRow("plan, Datei statt Ordner") << "print_regulation" << "datei";
}

void TestPdf::keinDokument()
{
    QFETCH(QString, slot);
    QFETCH(QString, fall);
    mitPlan({mittel("A", "Eins", "50", {"1", "0", "0", "0"})});
    MainWindow w;
    const QString ordner = env->arbeitsVerzeichnis();
    dateiSchreiben(ordner + "/keinordner", "x");
    const QString ziel = ordner + (fall == "datei" ? "/keinordner/liste.pdf" : "/liste.pdf");
    const QStringList vorher = QDir(ordner).entryList(QDir::Files);
    std::unique_ptr<DialogHelfer> meldung;
    DialogHelfer datei([&](QWidget *d) {
        if (fall == "abbrechen") {
            dialogSchliessen(d);
            return;
        }
        dateiDialogAusfuellen(d, ziel);
        // The folder appears after the name was chosen, as when another program made it.
        if (fall == "ordner")
            QDir().mkpath(ziel);
        meldung = std::make_unique<DialogHelfer>([](QWidget *m) { dialogSchliessen(m); });
    });
    QMetaObject::invokeMethod(&w, slot.toLatin1().constData());
    QVERIFY(datei.erledigt());
    QVERIFY(viewer->urls.isEmpty());
    QCOMPARE(QDir(ordner).entryList(QDir::Files), vorher); // no document, no leftovers
    if (fall == "abbrechen")
        return;
    QVERIFY(meldung && meldung->erledigt());
    const QString text = meldung->gesehenerText();
    QVERIFY(!TestZugang::txtPdfErr(w).isEmpty());
    QVERIFY2(text.startsWith(TestZugang::txtPdfErr(w)) && text.contains(ziel), qPrintable(text));
}

// Every Persian word on the page, the italic footer too, comes out as text:
// drawn with real glyphs, not as empty boxes.
void TestPdf::persischeSchrift()
{
    mitPlan({mittel("Ramipril", "\u0633\u0631\u062f\u0631\u062f", "50", {"1", "0", "0", "0"})},
            0, "pers");
    MainWindow w;
    for (const QString slot : {"print_medlist", "print_regulation"}) {
        const QString pdf = schreiben(w, slot, slot + ".pdf");
        const QString fonts = QString::fromUtf8(ausfuehren("pdffonts", {pdf}));
        QVERIFY2(fonts.contains("NotoSansArabic"), qPrintable(fonts));
        // pdftotext gives each Arabic letter on its own between direction marks.
        static const QRegularExpression trenner("[\\s\u200c-\u200f\u202a-\u202e]");
        const QString text =
            pdfText(pdf).normalized(QString::NormalizationForm_KC).remove(trenner);
        const QSettings sprache(env->datenVerzeichnis() + "lang_pers.ini", QSettings::IniFormat);
        QStringList schluessel{"sonst/pats", "sonst/created", "sonst/mit", "Labels/col1"};
        schluessel << (slot == "print_medlist"
                           ? QStringList{"sonst/pdfml", "Labels/col4", "Labels/col5",
                                         "Labels/col6", "Labels/weekse"}
                           : QStringList{"Tabs/tab2", "Labels/col8", "Labels/col9",
                                         "Labels/col10", "Labels/col11", "Labels/col12"});
        QStringList woerter{"\u0633\u0631\u062f\u0631\u062f"};
        for (const QString &k : schluessel)
            woerter << sprache.value(k).toString().split(' ', Qt::SkipEmptyParts);
        for (const QString &wort : woerter)
            QVERIFY2(text.contains(QString(wort).remove(trenner)), qPrintable(wort + " | " + text));
        QVERIFY2(!text.contains('?'), qPrintable(text));
    }
}

// Each row of the printed list names its medicine, as the sample plan shows.
void TestPdf::musterplanNamen()
{
    env->vorbereiten(env->programmDaten() + "muster.medat");
    MainWindow w;
    const QString text = pdfText(schreiben(w, "print_medlist", "muster.pdf"));
    QStringList zeilen{"Leer am"};
    for (int i = 2; i < TestZugang::anzahl(w); ++i) {
        const QStringList r = TestZugang::datensatz(w, i);
        zeilen << r.at(1) + " – " + r.at(2) + " "
                      + bestandText(prognose(r, jetztUnix()).bestandHeute);
    }
    QCOMPARE(zeilen.size(), 8);
    QVERIFY2(inReihenfolge(text, zeilen), qPrintable(text));
}

// A4 on both toolkits; real bold, regular and italic faces (Qt 6 reads a
// weight of 75 as thinner than thin); the table's first outline drawn in black.
void TestPdf::seiteUndSchnitte()
{
    mitPlan({mittel("Ramipril", "Blutdruck", "100", {"1", "0", "0", "0"})});
    MainWindow w;
    for (const QString slot : {"print_medlist", "print_regulation"}) {
        const QString pdf = schreiben(w, slot, slot + ".pdf");
        const QImage seite = QImage::fromData(
            ausfuehren("pdftoppm", {"-r", "100", "-f", "1", "-l", "1", pdf}), "PPM");
        const int kopfOben = slot == "print_medlist" ? 1700 : 1850;
        for (int x = 1000; x <= 4000; x += 1500) {
            int dunkelste = 255;
            for (int dy = -24; dy <= 24; dy += 12)
                dunkelste = qMin(dunkelste, qGray(farbe(seite, x, kopfOben + dy).rgb()));
            QVERIFY2(dunkelste < 100, qPrintable(slot + " " + QString::number(dunkelste)));
        }
        QVERIFY(QString::fromUtf8(ausfuehren("pdfinfo", {pdf})).contains(
            QRegularExpression("Page size: +595(\\.\\d+)? x 842(\\.\\d+)? pts \\(A4\\)")));
        QStringList schnitte;
        const QStringList zeilen = QString::fromUtf8(ausfuehren("pdffonts", {pdf})).split('\n');
        for (const QString &zeile : zeilen.mid(2)) {
            const QString name = zeile.section(' ', 0, 0).section('+', -1);
            if (!name.isEmpty())
                schnitte << (name.endsWith("-Bold") ? "fett" : name.endsWith("-Italic") ? "kursiv"
                                                                                         : "normal");
        }
        schnitte.removeDuplicates();
        schnitte.sort();
        QCOMPARE(schnitte, (QStringList{"fett", "kursiv", "normal"}));
    }
}

QTEST_MAIN(TestPdf)
#include "tst_pdf.moc"
