// SPDX-License-Identifier: GPL-3.0-or-later
// The doctor's medication plan in and out. Barcodes are made by dmtx-utils
// and qrencode from the plans in tests/bmp, photographed, shrunk and put
// into PDFs by ImageMagick and img2pdf; each must import with its rows.
#include "support/ablauf.h"

#include "misc/barcode.h"
#include "pdf/bmpplan.h"
#include "planfile/bmp.h"
#include "planfile/bmpvorschau.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QTableWidget>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include <zlib.h>

namespace {

const QString quellen = QStringLiteral(TABLORA_BMP_DATEN);

// Output of a tool; a tool that fails fails the test.
QByteArray laufen(const QString &programm, const QStringList &argumente,
                  const QByteArray &eingabe = QByteArray())
{
    QProcess p;
    p.start(programm, argumente);
    p.write(eingabe);
    p.closeWriteChannel();
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        QTest::qFail(qPrintable(programm + " " + argumente.join(' ') + ": "
                                + QString::fromLocal8Bit(p.readAllStandardError())),
                     __FILE__, __LINE__);
    return p.readAllStandardOutput();
}

QByteArray lesen(const QString &pfad)
{
    QFile f(pfad);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The eMediplan's transmission format of a JSON file: prefix, base64 of gzip.
QByteArray emediplan(const QString &json)
{
    const QByteArray gepackt = laufen("gzip", {"-n", "-c", json});
    return (json.contains("23") ? "CHMED23A." : "CHMED16A1") + gepackt.toBase64();
}

// The code of a source as a picture, or several as the pages of one PDF:
// png (as made), foto (turned, blurred, a JPEG), klein (half the pixels),
// seite (on a 300 dpi A4 scan), pdf.
QStringList bilder(const QString &ordner, const QStringList &namen, const QString &art)
{
    QStringList codes;
    for (const QString &name : namen) {
        const QString quelle = quellen + "/" + name, code = ordner + "/" + name + ".png";
        if (name.endsWith(".json"))
            laufen("qrencode", {"-s", "4", "-m", "4", "-o", code, emediplan(quelle)});
        else
            laufen("dmtxwrite", {"-d", "4", "-m", "16", "-o", code, quelle});
        codes << code;
    }
    if (art == "pdf") {
        laufen("img2pdf", codes + QStringList{"-o", ordner + "/plan.pdf"});
        return {ordner + "/plan.pdf"};
    }
    QStringList aus;
    for (const QString &code : codes) {
        QString ziel = code;
        if (art == "foto") {
            ziel = code + ".jpg";
            laufen("convert", {code, "-bordercolor", "white", "-border", "40", "-background",
                               "white", "-rotate", "7", "-blur", "0x0.8", "-quality", "70", ziel});
        } else if (art == "klein") {
            laufen("convert", {code, "-resize", "50%", ziel});
        } else if (art == "seite") {
            laufen("convert", {"-size", "2480x3508", "xc:white", code, "-geometry", "+1900+120",
                               "-composite", "-colorspace", "Gray", ziel});
        }
        aus << ziel;
    }
    return aus;
}

QList<QByteArray> dateien(const QStringList &pfade)
{
    QList<QByteArray> inhalt;
    for (const QString &p : pfade)
        inhalt << lesen(p);
    return inhalt;
}

// The rows of the import, one line each: name|strength|doses|description|
// section|flags (B on demand, F doses to be entered, N new, = unchanged,
// U update, x checked).
QString zeilenText(const BmpVorschau &v)
{
    QStringList z{"P: " + v.patientGelesen()};
    for (const QString &t : v.plan().freitexte)
        z << "X: " + t;
    for (const BmpZeile &r : v.zeilen()) {
        QString merkmale = QString(r.bedarf ? "B" : "") + (r.dosenFehlen ? "F" : "")
                           + (r.planIndex < 0 ? "N" : r.gleich ? "=" : "U") + (r.angehakt ? "x" : "");
        z << QStringList{r.name, r.staerke,
                         QStringList{r.dosenText[0], r.dosenText[1], r.dosenText[2], r.dosenText[3]}.join('-'),
                         r.beschreibung, r.abschnitt, merkmale}
                 .join('|');
    }
    return z.join('\n');
}

const char *fehlerName(BmpFehler f)
{
    switch (f) {
    case BmpFehler::Keiner: return "ok";
    case BmpFehler::KeinPlan: return "kein Plan";
    case BmpFehler::Unlesbar: return "unlesbar";
    case BmpFehler::Version: return "Version";
    case BmpFehler::FremdeSeiten: return "fremde Seiten";
    }
    return "?";
}

QString fundText(const PlanFund &f)
{
    switch (f.bild) {
    case BarcodeFund::Fehler::KeinBild: return "kein Bild";
    case BarcodeFund::Fehler::ZuGross: return "zu gross";
    case BarcodeFund::Fehler::KeinCode: return "kein Code";
    case BarcodeFund::Fehler::Keiner: break;
    }
    return fehlerName(f.plan.fehler) + (f.plan.version.isEmpty() ? "" : " " + f.plan.version);
}

// A PNG whose header claims `breite` x `hoehe` pixels, with no pixels behind it.
QByteArray riesenPng(quint32 breite, quint32 hoehe)
{
    QByteArray kopf("IHDR");
    for (quint32 v : {breite, hoehe})
        for (int s = 24; s >= 0; s -= 8)
            kopf += char((v >> s) & 0xFF);
    kopf += QByteArray("\x08\x00\x00\x00\x00", 5);
    const uLong pruef = crc32(0, reinterpret_cast<const Bytef *>(kopf.constData()), uInt(kopf.size()));
    QByteArray png("\x89PNG\r\n\x1a\n\x00\x00\x00\x0d", 12);
    png += kopf;
    for (int s = 24; s >= 0; s -= 8)
        png += char((pruef >> s) & 0xFF);
    // The header of an image data chunk ends what a reader of the size reads.
    return png + QByteArray("\x00\x00\x00\x00IDAT\x35\xaf\x06\x1e", 12);
}

// Header, empty patient, and the given medications (name, strength, four doses).
QList<QStringList> planMit(const QList<QStringList> &medikamente, const QStringList &patient = {})
{
    QList<QStringList> t{{"1", "Tablora"}, QStringList{"2"} + (patient.isEmpty() ? QStringList{"", "", "", "0", "0"} : patient)};
    for (const QStringList &m : medikamente)
        t << QStringList{QString::number(t.size() + 1), m[0], "alt", m[1], "30", "1700000000", "20"}
                 + m.mid(2, 4) + QStringList{""};
    return t;
}

bool werkzeugeDa()
{
    for (const char *w : {"dmtxwrite", "dmtxread", "qrencode", "convert", "img2pdf", "gzip",
                          "pdftoppm", "pdftotext", "xmllint"})
        if (QStandardPaths::findExecutable(w).isEmpty())
            return false;
    return true;
}

} // namespace

class TstBmp : public QObject
{
    Q_OBJECT

    QTemporaryDir m_ordner;

private slots:
    void initTestCase()
    {
        if (!werkzeugeDa())
            QSKIP("dmtx-utils, qrencode, imagemagick, img2pdf, poppler-utils or libxml2-utils missing");
    }

    void importieren_data()
    {
        QTest::addColumn<QStringList>("quellen");
        QTest::addColumn<QString>("art");
        QTest::addColumn<QString>("erwartet");
        const QString einseitig = QString::fromUtf8(
            "P: Weißmüller, Jürgen, 17.02.1944\n"
            "X: Bitte messen Sie täglich Ihren Blutdruck.\n"
            "Ramipril|5 mg|1-0-0-0|Bluthochdruck||Nx\n"
            "Metoprolol 47,5 mg|47,5 mg|1/2-0-1/2-0|Herz: Kreislauf||Nx\n"
            "PZN 04129423||0-0-1-0|Blutverdünnung||Nx\n"
            "Insulin Beispiel||20-0-1/2-0|Diabetes||Nx\n"
            "Amoxicillin 1000|1000 mg|1-1-1-0|Nebenhöhlen|zeitlich befristet anzuwendende Medikamente|Nx");
        const QString dreiseitig = QString::fromUtf8(
            "P: Weißmüller, Jürgen, 17.02.1944\n"
            "Simvastatin 20 mg|20 mg|0-0-1-0|Cholesterin||Nx\n"
            "L-Thyroxin 75|75 µg|1-0-0-0|Schilddrüse||Nx\n"
            "Torasemid 10|10 mg|1-0-0-0|Wassertabletten||Nx\n"
            "Pantoprazol 20|20 mg|1-0-0-0|Magenschutz||Nx\n"
            "Allopurinol 300|300 mg|0-1-0-0|Gicht||Nx\n"
            "Amlodipin 5|5 mg|0-0-1-0|Blutdruck||Nx\n"
            "Paracetamol 500|500 mg|0-0-0-0|Schmerzen (bis 4x täglich)|Bedarfsmedikation|BNx");
        const QString emediplan = QString::fromUtf8(
            "P: Müller, Anna, 17.05.1952\n"
            "Aspirin Cardio 100||1-0-0-0|Blutverdünnung|Dauermedikation|Nx\n");
        const QStringList drei{"dreiseitig_1.xml", "dreiseitig_2.xml", "dreiseitig_3.xml"};
        QTest::newRow("eine Seite") << QStringList{"einseitig.xml"} << "png" << einseitig;
        QTest::newRow("eine Seite, Foto") << QStringList{"einseitig.xml"} << "foto" << einseitig;
        QTest::newRow("eine Seite, 150 dpi") << QStringList{"einseitig.xml"} << "klein" << einseitig;
        QTest::newRow("eine Seite, A4-Scan") << QStringList{"einseitig.xml"} << "seite" << einseitig;
        QTest::newRow("eine Seite, PDF") << QStringList{"einseitig.xml"} << "pdf" << einseitig;
        QTest::newRow("drei Seiten") << QStringList{drei[2], drei[0], drei[1]} << "foto" << dreiseitig;
        QTest::newRow("drei Seiten, PDF") << drei << "pdf" << dreiseitig;
        QTest::newRow("zwei von drei Seiten")
            << QStringList{drei[0], drei[2]} << "png"
            << (dreiseitig.split('\n').mid(0, 4) + dreiseitig.split('\n').mid(7)).join('\n');
        QTest::newRow("Bedarf") << QStringList{"bedarf.xml"} << "foto"
                                << QString::fromUtf8(
                                       "P: Musterfrau, Erika, 12.03.1948\n"
                                       "Ibuprofen 400|400 mg|0-0-0-0|Schmerzen (max. 3x täglich)|Bedarfsmedikation|BNx\n"
                                       "PZN 02083906||0-0-0-0|Schlaflosigkeit (0-0-0-1)|Bedarfsmedikation|BNx");
        QTest::newRow("Freitextdosierung") << QStringList{"freitext.xml"} << "png"
                                           << QString::fromUtf8(
                                                  "P: Musterfrau, Erika, 12.03.1948\n"
                                                  "Marcumar|3 mg|0-0-0-0|Blutgerinnung (nach INR-Wert)||FNx\n"
                                                  "Vitamin D3||1-0-0-0|Knochen||Nx");
        QTest::newRow("eMediplan 16") << QStringList{"emediplan16.json"} << "foto"
                                      << emediplan + QString::fromUtf8(
                                             "GTIN 7680123456789||1/2-0-1/2-0|Blutdruck|Dauermedikation|Nx\n"
                                             "Dafalgan 500||0-0-0-0|Schmerzen (1-1-1-1)|Bedarfsmedikation|BNx");
        QTest::newRow("eMediplan 23") << QStringList{"emediplan23.json"} << "pdf"
                                      << emediplan + QString::fromUtf8(
                                             "Methotrexat 10||0-0-0-0|Rheuma (montags 1)|Dauermedikation|FNx");
    }

    void importieren()
    {
        QFETCH(QStringList, quellen);
        QFETCH(QString, art);
        QFETCH(QString, erwartet);
        QTemporaryDir ordner;
        const QStringList pfade = bilder(ordner.path(), quellen, art);
        QVERIFY(!QTest::currentTestFailed());
        const PlanFund fund = planInDateien(dateien(pfade));
        QCOMPARE(fundText(fund), QString("ok"));
        const BmpVorschau vorschau(fund.plan.plan, planMit({}), 48);
        QCOMPARE(zeilenText(vorschau), erwartet);
        QCOMPARE(fund.plan.plan.fehlendeSeiten.size(), 3 - quellen.size() == 1 ? 1 : 0);
    }

    void fehler_data()
    {
        QTest::addColumn<QByteArray>("inhalt"); // a file's bytes, or "code:" and a code's content
        QTest::addColumn<QString>("erwartet");
        QTest::newRow("kein Bild") << QByteArray("Dies ist kein Bild.") << "kein Bild";
        QTest::newRow("kaputtes PDF") << QByteArray("%PDF-1.4\nkaputt") << "kein Bild";
        QTest::newRow("riesiges Bild") << riesenPng(8000, 7000) << "zu gross";
        QTest::newRow("kein Code") << QByteArray("leer") << "kein Code";
        QTest::newRow("kein Plan") << QByteArray("code:Hallo, Welt!") << "kein Plan";
        QTest::newRow("fremdes XML") << QByteArray("code:<html><body/></html>") << "kein Plan";
        QTest::newRow("abgebrochenes XML")
            << QByteArray("code:<MP v=\"027\" U=\"AB\"><P g=\"Erika\"/><S><M a=\"x\"/>") << "unlesbar";
        QTest::newRow("Version 2.5") << QByteArray("code:<MP v=\"025\" U=\"AB\"><P g=\"Erika\"/></MP>")
                                     << "Version 025";
        QTest::newRow("fremde Seiten") << QByteArray("seiten") << "fremde Seiten";
        QTest::newRow("eMediplan kaputt") << QByteArray("code:CHMED16A1H4sI!!!!") << "unlesbar";
        QTest::newRow("eMediplan 99") << QByteArray("code:CHMED99A1H4sIAAAA") << "Version 99A";
    }

    void fehler()
    {
        QFETCH(QByteArray, inhalt);
        QFETCH(QString, erwartet);
        QTemporaryDir ordner;
        QList<QByteArray> dateien{inhalt};
        if (inhalt == "leer") {
            laufen("convert", {"-size", "600x400", "xc:white", ordner.path() + "/leer.png"});
            dateien = {lesen(ordner.path() + "/leer.png")};
        } else if (inhalt == "seiten") {
            dateien = ::dateien(bilder(ordner.path(), {"dreiseitig_1.xml", "bedarf.xml"}, "png"));
        } else if (inhalt.startsWith("code:")) {
            laufen("dmtxwrite", {"-d", "4", "-o", ordner.path() + "/c.png"}, inhalt.mid(5));
            dateien = {lesen(ordner.path() + "/c.png")};
        }
        QVERIFY(!QTest::currentTestFailed());
        QCOMPARE(fundText(planInDateien(dateien)), erwartet);
    }

    // Barcode texts that try the reader: what comes out is a plain plan or nothing.
    void text_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("erwartet");
        const QByteArray kopf = "<MP v=\"027\" U=\"0123456789ABCDEF0123456789ABCDEF\">";
        QTest::newRow("Entitaet") << "<!DOCTYPE MP [<!ENTITY e \"Ibu\">]>" + kopf + "<S><M a=\"&e;\"/></S></MP>"
                                  << "unlesbar";
        QTest::newRow("externe Entitaet")
            << "<!DOCTYPE MP [<!ENTITY e SYSTEM \"file:///etc/passwd\">]>" + kopf + "<S><M a=\"&e;\"/></S></MP>"
            << "unlesbar";
        QTest::newRow("unbekannte Entitaet") << kopf + "<S><M a=\"&e;\"/></S></MP>" << "unlesbar";
        QTest::newRow("Text zwischen Elementen") << kopf + "<S>Hallo<M a=\"A\"/></S></MP>" << "unlesbar";
        QTest::newRow("Seite ueber Seitenzahl")
            << QByteArray("<MP v=\"027\" U=\"AB\" a=\"4\" z=\"3\"><S><M a=\"A\"/></S></MP>") << "unlesbar";
        QTest::newRow("zu lange Werte, Semikolon, Zeilenumbruch")
            << kopf + "<S><M a=\"" + QByteArray(70, 'A') + "\" m=\"1\" r=\"Herz;&#10;Kreis~lauf\"><W w=\"W\" s=\""
                   + QByteArray(20, '9') + "\"/></M></S></MP>"
            << QString(50, 'A') + "|" + QString(15, '9') + "|1-0-0-0|Herz: Kreis lauf||Nx";
        QTest::newRow("Dosen als Bruch, Komma und Zeichen")
            << kopf + "<S><M a=\"A\" m=\"1/2\" d=\"0,5\" v=\"\xbd\" h=\"1\xbd\"/></S></MP>"
            << "A||1/2-1/2-1/2-1 1/2|||Nx";
        QTest::newRow("Dosis ohne Zahl")
            << kopf + "<S><M a=\"A\" m=\"1-2\" v=\"1\"/></S></MP>" << "A||0-0-0-0|(1-2-0-1-0)||FNx";
        QTest::newRow("Rezeptur und leerer Eintrag")
            << kopf + "<S><R t=\"Salbe nach Rezeptur\"/><M du=\"1\"/></S></MP>"
            << "Salbe nach Rezeptur||0-0-0-0|||FNx";
        QTest::newRow("Bedarf als Titel, grossgeschrieben")
            << kopf + "<S t=\"BEDARFSMEDIKATION\"><M a=\"A\" m=\"1\"/></S></MP>"
            << "A||0-0-0-0|(1-0-0-0)|BEDARFSMEDIKATION|BNx";
        QByteArray bombe(3 * 1024 * 1024, '\0');
        QTest::newRow("eMediplan, entpackt zu gross")
            << "CHMED16A1" + laufen("gzip", {"-n", "-c"}, bombe).toBase64() << "unlesbar";
        QTest::newRow("eMediplan, kein Objekt")
            << "CHMED16A1" + laufen("gzip", {"-n", "-c"}, "[1,2]").toBase64() << "unlesbar";
        // Unpacked in more than one round of the inflater.
        QTest::newRow("eMediplan, entpackt ueber 16 KiB")
            << "CHMED16A1" + laufen("gzip", {"-n", "-c"}, "{\"Medicaments\":[{\"Id\":\"A\",\"IdType\":1}],\"Zz\":\""
                                                               + QByteArray(40000, 'x') + "\"}").toBase64()
            << "A||0-0-0-0||Dauermedikation|FNx";
        QTest::newRow("eMediplan, in Stuecken") << QByteArray("CHMED23A.1/2.H4sIAAAA") << "unlesbar";
        QTest::newRow("eMediplan, ungepackt")
            << QByteArray("CHMED16A0{\"Medicaments\":[{\"Id\":\"A\",\"IdType\":1,\"Pos\":[{\"D\":[2,0,0]}]}]}")
            << "A||2-0-0-0||Dauermedikation|Nx";
    }

    void text()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, erwartet);
        const BmpErgebnis e = planCodeLesen(text);
        QString ist = fehlerName(e.fehler);
        if (e.ok())
            ist = zeilenText(BmpVorschau(e.plan, planMit({}), 48)).section('\n', 1);
        QCOMPARE(ist, erwartet);
    }

    // A birth date is a real day from 1875 on, in either format.
    void geburt_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("erwartet");
        const QByteArray mp = "<MP v=\"027\" U=\"AB\"><P g=\"E\" f=\"M\" b=\"", s = "\"/><S><M a=\"A\"/></S></MP>";
        QTest::newRow("1875") << mp + "18750101" + s << "01.01.1875";
        QTest::newRow("1874") << mp + "18741231" + s << "";
        QTest::newRow("no day") << mp + "19500230" + s << "";
        const QByteArray json = R"({"Patient":{"FName":"E","LName":"M","BDt":"%1"},"Medicaments":[{"Id":"A","IdType":1}]})";
        QTest::newRow("eMediplan 1875") << "CHMED16A0" + QByteArray(json).replace("%1", "1875-01-01") << "01.01.1875";
        QTest::newRow("eMediplan 1874") << "CHMED16A0" + QByteArray(json).replace("%1", "1874-12-31") << "";
    }
    void geburt()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, erwartet);
        const BmpErgebnis e = planCodeLesen(text);
        QVERIFY(e.ok());
        QCOMPARE(e.plan.geburt.toString("dd.MM.yyyy"), erwartet);
    }

    // Against a plan that already holds medications: updates, room, patient.
    void vorschau_data()
    {
        QTest::addColumn<int>("schon");  // medications already in the plan
        QTest::addColumn<QString>("ramipril"); // its strength there
        QTest::addColumn<QStringList>("patient");
        QTest::addColumn<QString>("haken"); // rows to toggle, in order ("-3": uncheck row 3)
        QTest::addColumn<QString>("erwartet");
        QTest::newRow("zwei schon im Plan") << 2 << "5 mg" << QStringList{} << "1"
                                            << "=|Ux|Nx|Nx|Nx|frei 46|zu viele 0|ergaenzen";
        QTest::newRow("Plan fast voll") << 46 << "5 mg" << QStringList{"Weissmueller", "Juergen", "17.02.1944", "0", "0"}
                                        << "4" << "=|U|Nx|Nx|N|frei 2|zu viele 1|anders";
        QTest::newRow("Platz frei gemacht") << 46 << "5 mg" << QStringList{"", "", "01.01.1950", "0", "0"} << "-2,4"
                                            << "=|U|N|Nx|Nx|frei 2|zu viele 1|ergaenzen";
        // An update of the plan's first medication takes no room.
        QTest::newRow("Erstes Medikament aktualisiert") << 46 << "10 mg" << QStringList{} << "0,-2,4"
                                                        << "Ux|U|N|Nx|Nx|frei 2|zu viele 1|ergaenzen";
    }

    void vorschau()
    {
        QFETCH(int, schon);
        QFETCH(QString, ramipril);
        QFETCH(QStringList, patient);
        QFETCH(QString, haken);
        QFETCH(QString, erwartet);
        QList<QStringList> medikamente{{"Ramipril", ramipril, "1", "0", "0", "0"},
                                       {"metoprolol  47,5 MG", "23,75 mg", "1", "0", "0", "0"}};
        while (medikamente.size() < schon)
            medikamente << QStringList{"M" + QString::number(medikamente.size()), "", "1", "0", "0", "0"};
        const QList<QStringList> tabelle = planMit(medikamente.mid(0, schon), patient);
        BmpVorschau v(bmpLesen(lesen(quellen + "/einseitig.xml")).plan, tabelle, 48);
        for (const QString &h : haken.split(','))
            v.setzeHaken(qAbs(h.toInt()), !h.startsWith('-'));
        QStringList ist;
        for (const BmpZeile &z : v.zeilen())
            ist << QString(z.planIndex < 0 ? "N" : z.gleich ? "=" : "U") + (z.angehakt ? "x" : "");
        ist << "frei " + QString::number(v.freiePlaetze()) << "zu viele " + QString::number(v.zuViele())
            << (v.patientErgaenzbar() ? "ergaenzen" : v.patientAbweichend() ? "anders" : "-");
        QCOMPARE(ist.join('|'), erwartet);
    }

    // What confirming writes: new records with typed figures, an update of
    // strength and doses keeping today's stock, the patient filled in.
    void anwenden()
    {
        const quint32 jetzt = 1700000000 + 10 * 86400; // ten days after the stock was counted
        const QList<QStringList> tabelle = planMit({{"Metoprolol 47,5 mg", "23,75 mg", "1", "0", "0", "0"}});
        BmpVorschau v(bmpLesen(lesen(quellen + "/freitext.xml")).plan, tabelle, 48);
        v.setzeEinheiten(0, "100");
        v.setzeBestand(0, "1 1/2");
        v.setzeEinheiten(1, "0,5x");
        int spalte = -1;
        QCOMPARE(v.falscheZahl(&spalte), 1);
        QCOMPARE(spalte, 0);
        QVERIFY(!v.setzeHaken(v.zeilen().size(), true));
        v.setzeHaken(1, false); // an unticked row's figures are not asked for
        QCOMPARE(v.falscheZahl(), -1);
        v.setzeHaken(1, true);
        v.setzeEinheiten(1, "");
        QCOMPARE(v.falscheZahl(), -1);
        int ausgelassen = -1;
        QList<QStringList> neu = v.anwenden(tabelle, jetzt, true, &ausgelassen);
        QCOMPARE(ausgelassen, 0);
        QCOMPARE(neu.at(1).mid(1, 3).join(';'), QString("Musterfrau;Erika;12.03.1948"));
        QCOMPARE(neu.at(3).join(';'), QString("4;Marcumar;Blutgerinnung (nach INR-Wert);3 mg;100;%1;1.5;0;0;0;0;").arg(jetzt));
        QCOMPARE(neu.at(4).join(';'), QString("5;Vitamin D3;Knochen;;0;%1;0;1;0;0;0;").arg(jetzt));

        // The update: today's stock (20 - 10 days x 1) counts from now on.
        BmpVorschau u(bmpLesen(lesen(quellen + "/einseitig.xml")).plan, tabelle, 48);
        QVERIFY(u.setzeHaken(1, true));
        for (int i : {0, 2, 3, 4})
            u.setzeHaken(i, false);
        neu = u.anwenden(tabelle, jetzt, false);
        QCOMPARE(neu.size(), 3);
        QCOMPARE(neu.at(2).join(';'),
                 QString("3;Metoprolol 47,5 mg;alt;47,5 mg;30;%1;10;0.5;0;0.5;0;").arg(jetzt));
    }

    // The printed plan: rendered by Poppler's pdftoppm, each page's code read
    // back by dmtxread to the XML meant for it; libxml2 parses it and names
    // every medication; pdftotext finds each one in its row.
    void druck_data()
    {
        QTest::addColumn<int>("anzahl");
        QTest::addColumn<int>("seiten");
        QTest::newRow("eine Seite") << 6 << 1;
        QTest::newRow("drei Seiten") << 40 << 3;
    }

    void druck()
    {
        QFETCH(int, anzahl);
        QFETCH(int, seiten);
        QList<QStringList> medikamente;
        QStringList namen, bedarf;
        for (int i = 0; i < anzahl; ++i) {
            const QString name = QString::fromUtf8("Äraxin %1 & Co").arg(i + 1);
            const bool nachBedarf = i % 5 == 4, nichtImPlan = i % 7 == 6;
            medikamente << QStringList{QString::number(i + 3), name, "Grund " + QString::number(i),
                                       QString::number(i + 1) + " mg", "30", "1700000000", "20",
                                       nachBedarf ? "0" : "1", "0", nachBedarf ? "0" : "0.5", "0",
                                       nichtImPlan ? "1" : "0"};
            if (!nichtImPlan)
                (nachBedarf ? bedarf : namen) << name;
        }
        const BmpPlan plan = bmpAusPlan({"2", "Weißmüller", "Jürgen", "17.02.1944", "0", "0"}, medikamente);
        const QString instanz = "00112233445566778899AABBCCDDEEFF";
        const QDateTime zeit(QDate(2024, 3, 1), QTime(9, 30));
        const QList<BmpSeite> teile = bmpSchreiben(plan, instanz, zeit);
        QCOMPARE(teile.size(), seiten);
        BmpDruckTexte t{"Medikationsplan", "Seite %1 von %2", QString::fromUtf8("für:"), "geb. am:",
                        "ausgedruckt von:", "ausgedruckt:", "Bedarfsmedikation", "Eigene Kopie",
                        {"Wirkstoff", "Handelsname", QString::fromUtf8("Stärke"), "Form", "morgens",
                         "mittags", "abends", "zur Nacht", "Einheit", "Hinweise", "Grund"}};
        QTemporaryDir ordner;
        QFile pdf(ordner.path() + "/plan.pdf");
        QVERIFY(pdf.open(QIODevice::WriteOnly));
        pdf.write(bmpPdf(plan, teile, t, zeit));
        pdf.close();
        laufen("pdftoppm", {"-r", "300", "-gray", "-png", pdf.fileName(), ordner.path() + "/s"});
        QStringList gelesen;
        for (int n = 0; n < seiten; ++n) {
            const QString bild = ordner.path() + QString("/s-%1.png").arg(n + 1);
            const QByteArray xml = laufen("dmtxread", {"-N", "1", bild});
            QCOMPARE(xml, teile.at(n).xml);
            QVERIFY(xml.size() <= 1400);
            const QByteArray mitProlog = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" + xml;
            const QString a = QString::fromUtf8(laufen("xmllint", {"--xpath", "//M/@a", "-"}, mitProlog));
            for (const QString &name : a.split('\n', Qt::SkipEmptyParts))
                gelesen << name.trimmed().mid(3).chopped(1).replace("&amp;", "&");
        }
        QVERIFY(!QTest::currentTestFailed());
        QCOMPARE(gelesen, namen + bedarf);
        const QString text = QString::fromUtf8(laufen("pdftotext", {"-layout", pdf.fileName(), "-"}));
        for (const QStringList &r : medikamente) {
            if (r[11] == "1") {
                QVERIFY2(!text.contains(r[1] + " "), qPrintable(r[1]));
                continue;
            }
            const QString dosen = r[7] == "1" ? QString::fromUtf8("1 +0 +½ +0") : QString();
            QVERIFY2(text.contains(QRegularExpression(QRegularExpression::escape(r[1]) + " +" + r[3]
                                                      + " +" + dosen + ".*" + r[2] + "\n")),
                     qPrintable(r[1]));
        }
        QVERIFY(text.contains("Eigene Kopie"));

        // The headings start at their columns' edges, in mm from the first:
        // 40, 44, 18 and 18 wide, four doses of 8, the unit 20, the notes 64.
        const QString kasten = QString::fromUtf8(laufen("pdftotext", {"-bbox", "-f", "1", "-l", "1", pdf.fileName(), "-"}));
        auto links = [&](const QString &wort) {
            const auto m = QRegularExpression("xMin=\"([\\d.]+)\"[^>]*>" + wort + "<").match(kasten);
            return m.captured(1).toDouble() * 25.4 / 72;
        };
        const QList<QPair<QString, double>> kanten{{"Handelsname", 40}, {"Form", 102}, {"Einheit", 152},
                                                   {"Hinweise", 172}, {"Grund", 236}};
        for (const auto &[wort, mm] : kanten)
            QVERIFY2(qAbs(links(wort) - links("Wirkstoff") - mm) < 0.3, qPrintable(wort));
    }

    // The window: the import into a plan that holds two of the plan's
    // medications, written as one change that one undo takes back; a file
    // that is no picture changes nothing; the dialog named for screen
    // readers in every language; the print handed to the viewer.
    void fenster_data()
    {
        QTest::addColumn<QString>("ablauf");
        const QString plan = "datei p.medat wie erika\n"
                             "3;Ramipril;Blutdruck;5 mg;100;1700000000;50;1;0;0;0;0;\n"
                             "4;metoprolol 47,5 mg;Herz;23,75 mg;50;1700000000;30;1;0;0;0;0;\n"
                             ".\n";
        QTest::newRow("Import, Rueckgaengig") << plan + QString::fromUtf8(
            "start p.medat de\n"
            "klick \"Medikationsplan importieren\"\n"
            "> datei foto.jpg\n"
            "> zugang texte bmpTabelle#~5 bmpTabelle[0,9]~\"schon im Plan\" "
            "bmpTabelle[1,9]~\"Stärke und Dosis\" bmpTabelle[3,4]~1/2 bmpPatientAnders.sichtbar~1 "
            "bmpPatient.sichtbar~0 bmpNotizen~\"Bitte messen\" bmpTabelle[2,10]=zwei ok\n"
            "> warnung PZN 04129423: Pro Packung: Bitte geben Sie eine Zahl\n"
            "> bmpTabelle[2,10]= ok\n"
            "geaendert p.medat\n"
            "5;PZN 04129423;Blutverdünnung;;0;{T};0;0;0;1;0;;\n"
            "6;Insulin Beispiel;Diabetes;;0;{T};0;20;0;0.5;0;;\n"
            "7;Amoxicillin 1000;Nebenhöhlen;1000 mg;0;{T};0;1;1;1;0;;\n"
            ".\n"
            "ist tabelleVerordnungsplan# 5\n"
            "klick \"Rückgängig\"\n"
            "geaendert p.medat\n"
            ".\n"
            "klick \"Medikationsplan für Arzt und Apotheke\"\n"
            "> datei druck.pdf\n"
            "geoeffnet druck.pdf\n"
            "seiten druck.pdf 1\n");
        QTest::newRow("kein Bild") << plan + QString::fromUtf8(
            "datei kaputt.png Das ist kein Bild.\n"
            "start p.medat de\n"
            "merke\n"
            "klick \"Medikationsplan importieren\"\n"
            "> datei kaputt.png\n"
            "> warnung weder ein Bild\n"
            "unveraendert\n");
        // Cancelled, in the other languages: nothing written.
        for (const char *sprache : {"en", "pers"})
            QTest::newRow(sprache) << plan + "start p.medat " + sprache + "\n"
                                              "zugang\n"
                                              "merke\n"
                                              "klick menu18\n"
                                              "> datei foto.jpg\n"
                                              "> zugang texte abbrechen\n"
                                              "unveraendert\n";
    }

    void fenster()
    {
        QFETCH(QString, ablauf);
        Ablauf a;
        const QStringList foto = bilder(m_ordner.path(), {"einseitig.xml"}, "foto");
        QVERIFY(QFile::copy(foto.value(0), a.pfad("foto.jpg")));
        a.ausfuehren(ablauf.split('\n'));
    }

    // Figures a user waits for: a 300 dpi A4 scan decoded, the preview of
    // 20 medications on screen after the file dialog closed.
    void tempo()
    {
        QTemporaryDir ordner;
        QByteArray xml = "<MP v=\"027\" U=\"0123456789ABCDEF0123456789ABCDEF\" l=\"de-DE\"><P g=\"Erika\" "
                         "f=\"Musterfrau\" b=\"19480312\"/><A n=\"Praxis\" t=\"2024-03-01T09:30:00\"/><S>";
        for (int i = 0; i < 20; ++i)
            xml += "<M p=\"" + QByteArray::number(1000000 + i * 7919) + "\" m=\"1\" v=\"\xbd\" du=\"1\"/>";
        xml += "</S></MP>";
        QFile quelle(ordner.path() + "/zwanzig.xml");
        QVERIFY(quelle.open(QIODevice::WriteOnly));
        quelle.write(xml);
        quelle.close();
        laufen("dmtxwrite", {"-d", "3", "-m", "9", "-o", ordner.path() + "/code.png", quelle.fileName()});
        const QString scan = ordner.path() + "/scan.png";
        laufen("convert", {"-size", "2480x3508", "xc:white", ordner.path() + "/code.png", "-geometry",
                           "+1950+110", "-composite", "-colorspace", "Gray", scan});
        const QByteArray bytes = lesen(scan);
        qint64 bester = LLONG_MAX;
        for (int i = 0; i < 3; ++i) {
            QElapsedTimer uhr;
            uhr.start();
            QCOMPARE(barcodesInDatei(bytes).inhalte.value(0), xml);
            bester = qMin(bester, uhr.elapsed());
        }
        qInfo("decoding a 2480 x 3508 scan: %lld ms", bester);
        QVERIFY(bester < 1000);

        Ablauf a;
        QVERIFY(QFile::copy(ordner.path() + "/code.png", a.pfad("code.png")));
        a.ausfuehren({"datei p.medat", "1;Tablora;;;;;;;;;;;", "2;Muster;Erika;01.02.1950;0;0;;;;;;;",
                      "3;Ramipril;Blutdruck;5 mg;100;1700000000;50;1;0;0;0;0;", ".", "start p.medat de"});
        struct Stoppuhr : QObject
        {
            QString bild;
            QElapsedTimer uhr;
            qint64 dauer = -1;
            int zeilen = 0;
            bool eventFilter(QObject *o, QEvent *e) override
            {
                if (auto *d = qobject_cast<QFileDialog *>(o); d && e->type() == QEvent::Show) {
                    d->selectFile(bild);
                    QMetaObject::invokeMethod(d, [d, this] { uhr.start(); QMetaObject::invokeMethod(d, "accept"); }, Qt::QueuedConnection);
                } else if (o->objectName() == "bmpDialog" && e->type() == QEvent::Show) {
                    dauer = uhr.elapsed();
                    zeilen = o->findChild<QTableWidget *>("bmpTabelle")->rowCount();
                    QMetaObject::invokeMethod(o, "reject", Qt::QueuedConnection);
                }
                return false;
            }
        } stoppuhr;
        stoppuhr.bild = a.pfad("code.png");
        qApp->installEventFilter(&stoppuhr);
        a.fenster()->findChild<QAction *>("menu18")->trigger();
        qApp->removeEventFilter(&stoppuhr);
        qInfo("preview of %d medications shown after %lld ms", stoppuhr.zeilen, stoppuhr.dauer);
        QCOMPARE(stoppuhr.zeilen, 20);
        QVERIFY(stoppuhr.dauer >= 0 && stoppuhr.dauer < 100);
    }

    void dosis_data()
    {
        QTest::addColumn<float>("wert");
        QTest::addColumn<QString>("erwartet");
        const QList<QPair<float, const char *>> reihen{
            {0.5f, "\u00bd"}, {0.25f, "\u00bc"}, {0.75f, "\u00be"}, {1.0f / 3, "1/3"},
            {2.0f / 3, "2/3"}, {0.125f, "1/8"}, {2, "2"}, {1.5f, "1,5"}, {12.5f, "12,5"},
            {0.33f, "0,33"}, {123.45f, "123"}, {0.1f, "0,1"}, {0, ""}};
        for (const auto &r : reihen)
            QTest::newRow(*r.second ? r.second : "0") << r.first << QString::fromUtf8(r.second);
    }

    void dosis()
    {
        QFETCH(float, wert);
        QFETCH(QString, erwartet);
        QCOMPARE(bmpDosis(wert), erwartet);
    }
};

QTEST_MAIN(TstBmp)
#include "tst_bmp.moc"
