// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TABLORA_BMP_H
#define TABLORA_BMP_H

// The doctor's medication plan as its barcode holds it: the German standard
// plan (BMP, XML in ISO-8859-1) and the Swiss eMediplan (CHMED16A / CHMED23A,
// gzip'd JSON in base64). Read into one value type, and written as BMP XML.

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// How the program treats a section of the plan.
enum class BmpArt { Dauer, Bedarf, Selbst, Befristet, Sonst };

struct BmpAbschnitt
{
    QString code;  // c: "411" on demand, "412" regular ...
    QString titel; // t, or the standard heading of the code
    BmpArt art = BmpArt::Dauer;
};

// How a medication is identified when it has no name of its own.
enum class BmpKennung { Keine, Pzn, Gtin, Pharmacode, Produkt };

struct BmpMedikament
{
    QString handelsname;      // a
    QStringList wirkstoffe;   // W w, at most three
    QStringList staerken;     // W s, in the same order
    QString form;             // fd, or the code f
    QString dosen[4];         // m d v h, as written ("½", "1/2", "0,5")
    QString freiDosierung;    // t: never together with the four
    QString einheit;          // dud, or the name of the code du
    QString hinweis;          // i
    QString grund;            // r
    QString zusatz;           // x
    QString kennung;          // p (PZN without leading zeros), GTIN ...
    BmpKennung kennungsArt = BmpKennung::Keine;
    int abschnitt = 0;        // index into BmpPlan::abschnitte
    bool rezeptur = false;    // R: a free-text recipe, no schema
    bool hatDosen() const;    // any of the four written
};

struct BmpPlan
{
    enum class Format { Bmp, Emediplan };
    Format format = Format::Bmp;
    QString version;          // v: "026", "027", "028"; "16A", "23A"
    QString instanz;          // U: 32 hex digits, the same on every page of a print
    int seite = 0, seiten = 0; // a, z: 0 on a one-page plan
    QString vorname, nachname;
    QDate geburt;             // invalid when absent or only partly known
    QString autor;            // A n
    QList<BmpAbschnitt> abschnitte;
    QList<BmpMedikament> medikamente;
    QStringList freitexte;    // X t
    QList<int> fehlendeSeiten; // after merging: pages of the plan not given
};

enum class BmpFehler {
    Keiner,
    KeinPlan,     // neither a BMP nor an eMediplan
    Unlesbar,     // the text does not parse, or breaks the format
    Version,      // a version this reader does not know
    FremdeSeiten, // pages of different plans
};

struct BmpErgebnis
{
    BmpPlan plan;
    BmpFehler fehler = BmpFehler::KeinPlan;
    QString version; // the unknown version, for the message
    bool ok() const { return fehler == BmpFehler::Keiner; }
};

// The content of one barcode, either format.
BmpErgebnis planCodeLesen(const QByteArray &inhalt);
BmpErgebnis bmpLesen(const QByteArray &xml);
BmpErgebnis emediplanLesen(const QByteArray &text);

// The pages of one print as one plan, in page order; a page given twice
// counts once. Pages of different instance ids do not go together.
BmpErgebnis seitenZusammenfuehren(const QList<BmpPlan> &seiten);

// A value as the plan file can hold it: no control characters (line breaks,
// also the format's "~", become blanks), no ";" (it becomes ":" as typed
// text does), at most `laenge` characters.
QString bmpFeldText(const QString &wert, int laenge);

// A dose as the BMP writes it: "½", "¼", "¾", "1/3", "2/3", "1/8", whole
// numbers, else at most four characters with a decimal comma.
QString bmpDosis(float dosis);

// One line of a printed page: a section heading (medikament < 0) or a medication.
struct BmpDruckzeile
{
    int abschnitt = 0;
    int medikament = -1;
};

struct BmpSeite
{
    QByteArray xml; // the page's barcode content, at most bmpGroessterCode bytes
    QList<BmpDruckzeile> zeilen;
};

constexpr int bmpGroessterCode = 1400; // bytes one barcode may hold
constexpr int bmpZeilenJeSeite = 15;   // table lines below the column headings

// The plan as printed pages: every page at most 15 lines and a barcode of at
// most 1,400 bytes; more pages share the instance id and count themselves.
// `gedruckt` is the moment of printing (local time).
QList<BmpSeite> bmpSchreiben(const BmpPlan &plan, const QString &instanz,
                             const QDateTime &gedruckt);

// The plan file's records as a BMP: the medication name as trade name, the
// strength, the four doses, the description as reason; medications of no
// daily use in an on-demand section, those marked "not in plan" left out.
BmpPlan bmpAusPlan(const QStringList &patient, const QList<QStringList> &medikamente);

#endif
