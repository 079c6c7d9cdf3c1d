// SPDX-License-Identifier: GPL-3.0-or-later
//
// The BMP barcode as the KBV lays down the federal medication plan (BMP) in
// Anlage 3 zur Vereinbarung nach § 31a Abs. 4 SGB V, Version 2.7 of 15 July
// 2022: chapter 7 (the
// carrier: XML without prolog in ISO-8859-1, at most 1,400 bytes a code, the
// instance id on every page, a and z only on plans of several pages), table 2
// (field lengths), annex 2 (section codes of table 6, fractions of A 2.6,
// ISO-8859-1 without control characters of A 2.9, "~" as a line break of
// 7.3.5) and annex 4 (dose units). Its carrier syntax is HL7 Germany's
// "Ultrakurzformat Patientenbezogener Medikationsplan".
// The eMediplan is read in IG eMediplan's public ChTransmissionFormat,
// CHMED16A and CHMED23A (github.com/ig-emediplan).
#include "planfile/bmp.h"

#include "planfile/datensatz.h"
#include "planfile/eingabe.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <zlib.h>

#include <algorithm>
#include <cmath>

namespace {

// Far more than a code holds, yet bounded for hostile input.
constexpr int groessterText = 64 * 1024;
constexpr int groessteEntpackung = 1024 * 1024;

// Field lengths of table 2.
namespace laenge {
constexpr int name = 45, namensTeil = 20, autor = 50, handelsname = 50, wirkstoff = 80,
              staerke = 15, form = 7, dosis = 20, freiDosis = 20, einheit = 20, hinweis = 80,
              grund = 50, zusatz = 200, titel = 50, freitext = 200, kennung = 20;
}

// Annex 4: codes of the dose units.
QString einheitName(const QString &code)
{
    static const struct
    {
        char code;
        const char16_t *name;
    } einheiten[] = {
        {'#', u"Messl\u00F6ffel"}, {'0', u"Messbecher"}, {'1', u"St\u00FCck"},
        {'2', u"Pkg."}, {'3', u"Flasche"}, {'4', u"Beutel"}, {'5', u"Hub"},
        {'6', u"Tropfen"}, {'7', u"Teel\u00F6ffel"}, {'8', u"Essl\u00F6ffel"}, {'9', u"E"},
        {'a', u"Tasse"}, {'b', u"Applikatorf\u00FCllung"}, {'c', u"Augenbadewanne"},
        {'d', u"Dosierbriefchen"}, {'e', u"Dosierpipette"}, {'f', u"Dosierspritze"},
        {'g', u"Einzeldosis"}, {'h', u"Glas"}, {'i', u"Lik\u00F6rglas"}, {'j', u"Messkappe"},
        {'k', u"Messschale"}, {'l', u"Mio E"}, {'m', u"Mio IE"}, {'n', u"Pipettenteilstrich"},
        {'o', u"Spr\u00FChsto\u00DF"}, {'p', u"IE"}, {'q', u"cm"}, {'r', u"l"}, {'s', u"ml"},
        {'t', u"g"}, {'u', u"kg"}, {'v', u"mg"}};
    if (code.size() == 1) {
        for (const auto &e : einheiten) {
            if (code.at(0) == QLatin1Char(e.code))
                return QString::fromUtf16(e.name);
        }
    }
    return QString();
}

// Table 6: the standard headings.
QString abschnittsTitel(const QString &code)
{
    static const struct
    {
        int code;
        const char16_t *titel;
    } titel[] = {{411, u"Bedarfsmedikation"},
                 {412, u"Dauermedikation"},
                 {413, u"Intramuskul\u00E4re Anwendung"},
                 {414, u"Besondere Anwendung"},
                 {415, u"Intraven\u00F6se Anwendung"},
                 {416, u"Anwendung unter die Haut"},
                 {417, u"Fertigspritze"},
                 {418, u"Selbstmedikation"},
                 {419, u"Allergiehinweise"},
                 {421, u"Wichtige Hinweise"},
                 {422, u"Wichtige Angaben"},
                 {423, u"zu besonderen Zeiten anzuwendende Medikamente"},
                 {424, u"zeitlich befristet anzuwendende Medikamente"}};
    for (const auto &t : titel) {
        if (code == QString::number(t.code))
            return QString::fromUtf16(t.titel);
    }
    return QString();
}

BmpArt artVon(const QString &code, const QString &titel)
{
    const auto gleich = [&](const char *code_, int codeZahl) {
        return code == QLatin1String(code_)
               || titel.compare(abschnittsTitel(QString::number(codeZahl)), Qt::CaseInsensitive) == 0;
    };
    if (gleich("411", 411))
        return BmpArt::Bedarf;
    if (gleich("412", 412))
        return BmpArt::Dauer;
    if (gleich("418", 418))
        return BmpArt::Selbst;
    if (gleich("424", 424))
        return BmpArt::Befristet;
    // A plan's first block may go without a heading: regular medication.
    return code.isEmpty() && titel.isEmpty() ? BmpArt::Dauer : BmpArt::Sonst;
}

bool nurZiffern(const QString &t)
{
    return !t.isEmpty()
           && std::all_of(t.begin(), t.end(), [](QChar c) { return c >= '0' && c <= '9'; });
}

bool istHex(const QString &t)
{
    return std::all_of(t.begin(), t.end(), [](QChar c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    });
}

QDate datumAus(const QString &text, const char *format)
{
    const QDate d = QDate::fromString(text, QLatin1String(format));
    return d.isValid() && d.year() >= 1875 ? d : QDate();
}

BmpErgebnis fehler(BmpFehler f, const QString &version = QString())
{
    BmpErgebnis e;
    e.fehler = f;
    e.version = version;
    return e;
}

// Index of the section of that kind, added when the plan has none yet.
int abschnittFuer(BmpPlan &plan, BmpArt art, const char *code)
{
    for (int i = 0; i < plan.abschnitte.size(); ++i) {
        if (plan.abschnitte.at(i).art == art)
            return i;
    }
    plan.abschnitte.append({QLatin1String(code), abschnittsTitel(QLatin1String(code)), art});
    return plan.abschnitte.size() - 1;
}

// ---- BMP XML ----

class BmpLeser
{
public:
    explicit BmpLeser(const QByteArray &xml)
    {
        // The carrier has no prolog and is ISO-8859-1; one that brings a
        // prolog of its own is read as it declares.
        if (xml.trimmed().startsWith("<?xml"))
            m_xml.addData(xml);
        else
            m_xml.addData(QString::fromLatin1(xml));
    }

    BmpErgebnis lesen()
    {
        BmpErgebnis e;
        if (!naechstesElement())
            return fehler(BmpFehler::Unlesbar);
        if (m_xml.name() != QLatin1String("MP"))
            return fehler(BmpFehler::KeinPlan);
        BmpPlan &plan = e.plan;
        const QString v = attribut("v", 10);
        if (v != QLatin1String("026") && v != QLatin1String("027") && v != QLatin1String("028"))
            return fehler(BmpFehler::Version, v);
        plan.version = v;
        plan.instanz = attribut("U", 40).toUpper();
        if (plan.instanz.size() > 32 || !istHex(plan.instanz))
            return fehler(BmpFehler::Unlesbar);
        const QString a = attribut("a", 3), z = attribut("z", 3);
        if (!a.isEmpty() || !z.isEmpty()) {
            plan.seite = a.toInt();
            plan.seiten = z.toInt();
            if (!nurZiffern(a) || !nurZiffern(z) || plan.seite < 1 || plan.seite > plan.seiten)
                return fehler(BmpFehler::Unlesbar);
        }
        while (naechstesElement()) {
            const auto name = m_xml.name();
            if (name == QLatin1String("P")) {
                plan.vorname = attribut("g", laenge::name);
                plan.nachname = attribut("f", laenge::name);
                plan.geburt = datumAus(attribut("b", 8), "yyyyMMdd");
                m_xml.skipCurrentElement();
            } else if (name == QLatin1String("A")) {
                plan.autor = attribut("n", laenge::autor);
                m_xml.skipCurrentElement();
            } else if (name == QLatin1String("S")) {
                if (!abschnitt(plan))
                    return fehler(BmpFehler::Unlesbar);
            } else {
                m_xml.skipCurrentElement();
            }
        }
        if (m_xml.hasError() || m_kaputt)
            return fehler(BmpFehler::Unlesbar);
        e.fehler = BmpFehler::Keiner;
        return e;
    }

private:
    // The next start element on this level; false at the end of the parent
    // or on anything the carrier must not hold.
    bool naechstesElement()
    {
        while (!m_xml.atEnd()) {
            switch (m_xml.readNext()) {
            case QXmlStreamReader::StartElement:
                return true;
            case QXmlStreamReader::EndElement:
                return false;
            case QXmlStreamReader::DTD:
            case QXmlStreamReader::EntityReference:
                // No declarations, hence no entity of anyone's making.
                m_kaputt = true;
                return false;
            case QXmlStreamReader::Characters:
                if (!m_xml.isWhitespace()) {
                    m_kaputt = true;
                    return false;
                }
                break;
            case QXmlStreamReader::Invalid:
                return false;
            default:
                break;
            }
        }
        return false;
    }

    QString attribut(const char *name, int laenge) const
    {
        return bmpFeldText(m_xml.attributes().value(QLatin1String(name)).toString(), laenge);
    }

    bool abschnitt(BmpPlan &plan)
    {
        BmpAbschnitt s;
        s.code = attribut("c", 3);
        s.titel = attribut("t", laenge::titel);
        s.art = artVon(s.code, s.titel);
        if (s.titel.isEmpty())
            s.titel = abschnittsTitel(s.code);
        plan.abschnitte.append(s);
        const int index = plan.abschnitte.size() - 1;
        while (naechstesElement()) {
            const auto name = m_xml.name();
            if (name == QLatin1String("M")) {
                if (!medikament(plan, index))
                    return false;
            } else if (name == QLatin1String("R")) {
                BmpMedikament m;
                m.rezeptur = true;
                m.handelsname = attribut("t", laenge::freitext);
                m.zusatz = attribut("x", laenge::zusatz);
                m.abschnitt = index;
                if (!m.handelsname.isEmpty())
                    plan.medikamente.append(m);
                m_xml.skipCurrentElement();
            } else if (name == QLatin1String("X")) {
                const QString t = attribut("t", laenge::freitext);
                if (!t.isEmpty())
                    plan.freitexte.append(t);
                m_xml.skipCurrentElement();
            } else {
                m_xml.skipCurrentElement();
            }
        }
        return !m_xml.hasError() && !m_kaputt;
    }

    bool medikament(BmpPlan &plan, int abschnitt)
    {
        BmpMedikament m;
        m.abschnitt = abschnitt;
        const QString pzn = attribut("p", 8);
        if (nurZiffern(pzn)) {
            m.kennung = pzn;
            m.kennungsArt = BmpKennung::Pzn;
        }
        m.handelsname = attribut("a", laenge::handelsname);
        m.form = attribut("fd", laenge::form);
        if (m.form.isEmpty())
            m.form = attribut("f", laenge::form);
        const char *zeiten[4] = {"m", "d", "v", "h"};
        for (int i = 0; i < 4; ++i)
            m.dosen[i] = attribut(zeiten[i], laenge::dosis);
        m.freiDosierung = attribut("t", laenge::freiDosis);
        m.einheit = attribut("dud", laenge::einheit);
        if (m.einheit.isEmpty())
            m.einheit = einheitName(attribut("du", 1));
        m.hinweis = attribut("i", laenge::hinweis);
        m.grund = attribut("r", laenge::grund);
        m.zusatz = attribut("x", laenge::zusatz);
        while (naechstesElement()) {
            if (m_xml.name() == QLatin1String("W") && m.wirkstoffe.size() < 3) {
                m.wirkstoffe.append(attribut("w", laenge::wirkstoff));
                m.staerken.append(attribut("s", laenge::staerke));
            }
            m_xml.skipCurrentElement();
        }
        plan.medikamente.append(m);
        return !m_xml.hasError() && !m_kaputt;
    }

    QXmlStreamReader m_xml;
    bool m_kaputt = false;
};

// ---- eMediplan ----

// The gzip stream as its bytes, or a null array when it is broken or would
// unpack to more than `grenze` bytes.
QByteArray entpacken(const QByteArray &gepackt, int grenze)
{
    z_stream strom{};
    if (inflateInit2(&strom, 16 + MAX_WBITS) != Z_OK)
        return QByteArray();
    QByteArray aus;
    char puffer[16384];
    strom.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(gepackt.constData()));
    strom.avail_in = static_cast<uInt>(gepackt.size());
    int status = Z_OK;
    while (status == Z_OK) {
        strom.next_out = reinterpret_cast<Bytef *>(puffer);
        strom.avail_out = sizeof puffer;
        status = inflate(&strom, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END)
            break;
        aus.append(puffer, int(sizeof puffer - strom.avail_out));
        if (aus.size() > grenze) {
            status = Z_DATA_ERROR;
            break;
        }
        if (status == Z_OK && strom.avail_in == 0 && strom.avail_out != 0)
            status = Z_BUF_ERROR; // cut off
    }
    inflateEnd(&strom);
    if (status != Z_STREAM_END)
        return QByteArray();
    if (aus.isNull())
        aus = QByteArray("");
    return aus;
}

QString jsonText(const QJsonValue &v, int laenge)
{
    if (v.isDouble())
        return bmpFeldText(QString::number(v.toDouble(), 'g', 10), laenge);
    return bmpFeldText(v.toString(), laenge);
}

// A JSON dose as the dose parser reads it; nothing for a zero.
QString jsonDosis(const QJsonValue &v)
{
    if (!v.isDouble())
        return QStringLiteral("?");
    const double d = v.toDouble();
    return d == 0 ? QString() : QString::number(d, 'g', 6);
}

BmpErgebnis emediplanJson(const QJsonObject &o, bool neu, const QString &version)
{
    BmpErgebnis e;
    BmpPlan &plan = e.plan;
    plan.format = BmpPlan::Format::Emediplan;
    plan.version = version;
    const auto k = [neu](const char *alt, const char *jetzt) {
        return QLatin1String(neu ? jetzt : alt);
    };
    const QJsonObject patient = o.value(k("Patient", "patient")).toObject();
    plan.vorname = jsonText(patient.value(k("FName", "fName")), laenge::name);
    plan.nachname = jsonText(patient.value(k("LName", "lName")), laenge::name);
    plan.geburt = datumAus(jsonText(patient.value(k("BDt", "bdt")), 10), "yyyy-MM-dd");
    plan.instanz = jsonText(o.value(k("Id", "id")), 40);

    const QJsonArray meds = o.value(k("Medicaments", "meds")).toArray();
    for (const QJsonValue &wert : meds) {
        if (plan.medikamente.size() >= 200)
            break;
        const QJsonObject med = wert.toObject();
        BmpMedikament m;
        const QString id = jsonText(med.value(k("Id", "id")), laenge::wirkstoff);
        switch (med.value(k("IdType", "idType")).toInt()) {
        case 2: m.kennungsArt = BmpKennung::Gtin; break;
        case 3: m.kennungsArt = BmpKennung::Pharmacode; break;
        case 4: m.kennungsArt = BmpKennung::Produkt; break;
        default: m.kennungsArt = BmpKennung::Keine; break;
        }
        if (m.kennungsArt == BmpKennung::Keine)
            m.handelsname = id;
        else
            m.kennung = id.left(laenge::kennung);
        m.grund = jsonText(med.value(k("TkgRsn", "rsn")), laenge::grund);
        m.hinweis = jsonText(med.value(QLatin1String("AppInstr")), laenge::hinweis);
        m.einheit = jsonText(med.value(QLatin1String("Unit")), laenge::einheit);

        bool reserve = false;
        const QJsonArray pos = med.value(k("Pos", "pos")).toArray();
        // One plain daily schema is what the plan can hold; anything else
        // leaves the doses to be entered.
        if (pos.size() == 1) {
            const QJsonObject p = pos.at(0).toObject();
            reserve = p.value(k("InRes", "inRes")).toVariant().toInt() == 1
                      || p.value(QLatin1String("inRes")).toBool();
            QJsonArray dosen;
            if (neu) {
                const QJsonObject po = p.value(QLatin1String("po")).toObject();
                if (po.value(QLatin1String("t")).toInt() == 1)
                    dosen = po.value(QLatin1String("ds")).toArray();
                else if (po.value(QLatin1String("t")).toInt() == 2)
                    m.freiDosierung = jsonText(po.value(QLatin1String("text")), laenge::freiDosis);
                if (m.hinweis.isEmpty())
                    m.hinweis = jsonText(p.value(QLatin1String("appInstr")), laenge::hinweis);
                m.einheit = jsonText(p.value(QLatin1String("unit")), laenge::einheit);
            } else if (p.value(QLatin1String("TT")).toArray().isEmpty()) {
                dosen = p.value(QLatin1String("D")).toArray();
            }
            if (!dosen.isEmpty() && dosen.size() <= 4) {
                for (int i = 0; i < dosen.size(); ++i)
                    m.dosen[i] = jsonDosis(dosen.at(i));
            }
        }
        const bool selbst = med.value(k("AutoMed", "autoMed")).toVariant().toInt() == 1
                            || med.value(QLatin1String("autoMed")).toBool();
        m.abschnitt = reserve  ? abschnittFuer(plan, BmpArt::Bedarf, "411")
                      : selbst ? abschnittFuer(plan, BmpArt::Selbst, "418")
                               : abschnittFuer(plan, BmpArt::Dauer, "412");
        plan.medikamente.append(m);
    }
    e.fehler = BmpFehler::Keiner;
    return e;
}

// ---- writing ----

QByteArray xmlWert(const QString &text)
{
    QByteArray b;
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&': b += "&amp;"; break;
        case '<': b += "&lt;"; break;
        case '>': b += "&gt;"; break;
        case '"': b += "&quot;"; break;
        default:
            // What ISO-8859-1 cannot hold stays visible as a question mark.
            b += c.unicode() < 0x100 ? char(c.unicode()) : '?';
        }
    }
    return b;
}

// The carrier's value of a plan text: cut to its field, without the
// format's line-break sign.
QByteArray attr(const char *name, const QString &wert, int laenge)
{
    QString t = wert;
    t.replace(QLatin1Char('~'), QLatin1Char('-'));
    t = bmpFeldText(t, laenge);
    if (t.isEmpty())
        return QByteArray();
    return QByteArray(" ") + name + "=\"" + xmlWert(t) + '"';
}

QByteArray medikamentXml(const BmpMedikament &m)
{
    QByteArray x = "<M" + attr("a", m.handelsname, laenge::handelsname);
    const char *zeiten[4] = {"m", "d", "v", "h"};
    for (int i = 0; i < 4; ++i)
        x += attr(zeiten[i], m.dosen[i], 4);
    x += attr("r", m.grund, laenge::grund);
    QByteArray w;
    for (int i = 0; i < m.staerken.size(); ++i) {
        const QByteArray s = attr("w", m.wirkstoffe.value(i), laenge::wirkstoff)
                             + attr("s", m.staerken.at(i), laenge::staerke);
        if (!s.isEmpty())
            w += "<W" + s + "/>";
    }
    return w.isEmpty() ? x + "/>" : x + '>' + w + "</M>";
}

QByteArray abschnittXml(const BmpAbschnitt &s)
{
    if (s.art == BmpArt::Dauer && s.code.isEmpty() && s.titel.isEmpty())
        return "<S>";
    return !s.code.isEmpty() ? "<S c=\"" + s.code.toLatin1() + "\">"
                             : "<S" + attr("t", s.titel, laenge::titel) + '>';
}

} // namespace

bool BmpMedikament::hatDosen() const
{
    return std::any_of(std::begin(dosen), std::end(dosen), [](const QString &d) { return !d.isEmpty(); });
}

QString bmpFeldText(const QString &wert, int laenge)
{
    QString t;
    t.reserve(wert.size());
    for (int i = 0; i < wert.size(); ++i) {
        const QChar c = wert.at(i);
        const ushort u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < wert.size() && wert.at(i + 1).isLowSurrogate()) {
            t += c;
            t += wert.at(++i);
        } else if (c.isSurrogate() || u == 0xFFFE || u == 0xFFFF || (u >= 0xFDD0 && u <= 0xFDEF)) {
            continue;
        } else if (u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0) || u == '~' || u == 0x2028
                   || u == 0x2029) {
            t += QLatin1Char(' ');
        } else {
            t += c;
        }
    }
    t = freiText(t.simplified());
    if (t.size() > laenge) {
        t.truncate(laenge);
        if (!t.isEmpty() && QChar(t.back()).isHighSurrogate())
            t.chop(1);
        t = t.trimmed();
    }
    return t;
}

QString bmpDosis(float dosis)
{
    if (!std::isfinite(dosis) || dosis <= 0)
        return QString();
    static const struct
    {
        double wert;
        const char16_t *text;
    } brueche[] = {{0.5, u"\u00BD"}, {0.25, u"\u00BC"}, {0.75, u"\u00BE"},
                   {1.0 / 3, u"1/3"}, {2.0 / 3, u"2/3"}, {0.125, u"1/8"}};
    for (const auto &b : brueche) {
        if (dosis == static_cast<float>(b.wert))
            return QString::fromUtf16(b.text);
    }
    if (dosis == std::floor(dosis))
        return QString::number(double(dosis), 'f', 0);
    // Up to three digits and the comma; as exact as that allows.
    QString best;
    for (int stellen = 1; stellen <= 3; ++stellen) {
        QString t = QString::number(double(dosis), 'f', stellen);
        while (t.endsWith(QLatin1Char('0')))
            t.chop(1);
        if (t.endsWith(QLatin1Char('.')))
            t.chop(1);
        if (t.size() > 4)
            break;
        best = t;
        if (t.toFloat() == dosis)
            break;
    }
    if (best.isEmpty())
        best = QString::number(double(dosis), 'f', 0);
    return best.replace(QLatin1Char('.'), QLatin1Char(','));
}

BmpErgebnis bmpLesen(const QByteArray &xml)
{
    if (xml.size() > groessterText)
        return fehler(BmpFehler::Unlesbar);
    return BmpLeser(xml).lesen();
}

BmpErgebnis emediplanLesen(const QByteArray &text)
{
    if (text.size() > groessterText)
        return fehler(BmpFehler::Unlesbar);
    if (!text.left(5).toUpper().startsWith("CHMED"))
        return fehler(BmpFehler::KeinPlan);
    // CHMED16 <letter> <0: plain, 1: gzip'd base64> data;
    // CHMED23 <letters> [.<index>/<total>] . gzip'd base64 data.
    static const QRegularExpression alt(QStringLiteral("^CHMED(16[A-Z])([01])"),
                                        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression neu(QStringLiteral("^CHMED(23[A-Z]+)(\\.[0-9]+/[0-9]+)?\\."),
                                        QRegularExpression::CaseInsensitiveOption);
    const QString kopf = QString::fromLatin1(text.left(40));
    QByteArray daten;
    QString version;
    bool gepackt = true;
    bool jsonNeu = false;
    if (const auto t = alt.match(kopf); t.hasMatch()) {
        version = t.captured(1).toUpper();
        gepackt = t.captured(2) == QLatin1String("1");
        daten = text.mid(t.capturedLength(0));
    } else if (const auto t = neu.match(kopf); t.hasMatch()) {
        // A plan cut into chunks over several codes is not read piecewise.
        if (t.capturedLength(2) > 0)
            return fehler(BmpFehler::Unlesbar);
        version = t.captured(1).toUpper();
        daten = text.mid(t.capturedLength(0));
        jsonNeu = true;
    } else {
        return fehler(BmpFehler::Version, bmpFeldText(kopf.mid(5, 3), 10));
    }
    if (version != QLatin1String("16A") && version != QLatin1String("23A"))
        return fehler(BmpFehler::Version, version);
    if (gepackt) {
        const auto b64 =
            QByteArray::fromBase64Encoding(daten.trimmed(), QByteArray::AbortOnBase64DecodingErrors);
        if (!b64)
            return fehler(BmpFehler::Unlesbar);
        daten = entpacken(*b64, groessteEntpackung);
        if (daten.isNull())
            return fehler(BmpFehler::Unlesbar);
    }
    QJsonParseError fehlerJson{};
    const QJsonDocument doc = QJsonDocument::fromJson(daten, &fehlerJson);
    if (fehlerJson.error != QJsonParseError::NoError || !doc.isObject())
        return fehler(BmpFehler::Unlesbar);
    return emediplanJson(doc.object(), jsonNeu, version);
}

BmpErgebnis planCodeLesen(const QByteArray &inhalt)
{
    const QByteArray anfang = inhalt.left(16).trimmed();
    if (anfang.toUpper().startsWith("CHMED"))
        return emediplanLesen(inhalt.trimmed());
    if (anfang.startsWith('<'))
        return bmpLesen(inhalt);
    return fehler(BmpFehler::KeinPlan);
}

BmpErgebnis seitenZusammenfuehren(const QList<BmpPlan> &seiten)
{
    if (seiten.isEmpty())
        return fehler(BmpFehler::KeinPlan);
    QList<BmpPlan> sortiert = seiten;
    std::stable_sort(sortiert.begin(), sortiert.end(),
                     [](const BmpPlan &a, const BmpPlan &b) { return a.seite < b.seite; });
    const BmpPlan &erste = sortiert.constFirst();
    for (const BmpPlan &s : sortiert) {
        if (s.format != erste.format || s.instanz != erste.instanz || s.seiten != erste.seiten
            || (s.instanz.isEmpty() && seiten.size() > 1))
            return fehler(BmpFehler::FremdeSeiten);
    }
    BmpErgebnis e;
    e.fehler = BmpFehler::Keiner;
    BmpPlan &plan = e.plan;
    plan = erste;
    plan.abschnitte.clear();
    plan.medikamente.clear();
    plan.freitexte.clear();
    int letzte = -1;
    for (const BmpPlan &s : sortiert) {
        if (s.seite == letzte)
            continue; // the same page twice
        letzte = s.seite;
        const int versatz = plan.abschnitte.size();
        plan.abschnitte += s.abschnitte;
        for (BmpMedikament m : s.medikamente) {
            m.abschnitt += versatz;
            plan.medikamente.append(m);
        }
        plan.freitexte += s.freitexte;
    }
    for (int n = 1; n <= erste.seiten; ++n) {
        if (!std::any_of(sortiert.begin(), sortiert.end(),
                         [n](const BmpPlan &s) { return s.seite == n; }))
            plan.fehlendeSeiten.append(n);
    }
    plan.seite = 0;
    return e;
}

QList<BmpSeite> bmpSchreiben(const BmpPlan &plan, const QString &instanz,
                             const QDateTime &gedruckt)
{
    const auto kopf = [&](int seite, int seiten) {
        QByteArray k = "<MP v=\"027\" U=\"" + xmlWert(instanz) + "\" l=\"de-DE\"";
        if (seiten > 1)
            k += " a=\"" + QByteArray::number(seite) + "\" z=\"" + QByteArray::number(seiten) + '"';
        k += "><P g=\"" + xmlWert(bmpFeldText(plan.vorname, laenge::name)) + "\" f=\""
             + xmlWert(bmpFeldText(plan.nachname, laenge::name)) + '"';
        if (plan.geburt.isValid())
            k += " b=\"" + plan.geburt.toString(QStringLiteral("yyyyMMdd")).toLatin1() + '"';
        const QString autor =
            (plan.vorname + QLatin1Char(' ') + plan.nachname).trimmed();
        k += "/><A" + attr("n", autor.isEmpty() ? QStringLiteral("Patient") : autor, laenge::autor)
             + " t=\"" + gedruckt.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1()
             + "\"/>";
        return k;
    };
    // Laid out with the longest page numbers a plan can get, filled in after.
    const int kopfGroesse = kopf(99, 99).size();

    struct Teil
    {
        QByteArray inhalt;
        QList<BmpDruckzeile> zeilen;
    };
    QList<Teil> teile;
    Teil teil;
    int offenerAbschnitt = -1;
    const auto abschliessen = [&] {
        if (offenerAbschnitt >= 0)
            teil.inhalt += "</S>";
        teile.append(teil);
        teil = Teil();
        offenerAbschnitt = -1;
    };
    for (int i = 0; i < plan.medikamente.size(); ++i) {
        const BmpMedikament &m = plan.medikamente.at(i);
        const int a = qBound(0, m.abschnitt, int(plan.abschnitte.size()) - 1);
        const BmpAbschnitt abschnitt = plan.abschnitte.value(a);
        const QByteArray med = medikamentXml(m);
        for (int versuch = 0; versuch < 2; ++versuch) {
            const bool neuerAbschnitt = a != offenerAbschnitt;
            // A block that does not open a page needs its heading, as does a
            // block that goes on from the page before.
            BmpAbschnitt s = abschnitt;
            const bool mitKopf = neuerAbschnitt && (!teil.zeilen.isEmpty() || a > 0
                                                    || !s.code.isEmpty() || !s.titel.isEmpty());
            if (mitKopf && s.code.isEmpty() && s.titel.isEmpty())
                s.code = QStringLiteral("412");
            const QByteArray oeffnen =
                neuerAbschnitt ? (offenerAbschnitt >= 0 ? QByteArray("</S>") : QByteArray())
                                     + abschnittXml(mitKopf ? s : abschnitt)
                               : QByteArray();
            const int zeilen = teil.zeilen.size() + (mitKopf ? 1 : 0) + 1;
            const int groesse = kopfGroesse + teil.inhalt.size() + oeffnen.size() + med.size()
                                + int(sizeof "</S></MP>") - 1;
            if ((zeilen > bmpZeilenJeSeite || groesse > bmpGroessterCode) && !teil.zeilen.isEmpty()
                && versuch == 0) {
                abschliessen();
                continue;
            }
            teil.inhalt += oeffnen;
            if (mitKopf)
                teil.zeilen.append({a, -1});
            teil.inhalt += med;
            teil.zeilen.append({a, i});
            offenerAbschnitt = a;
            break;
        }
    }
    if (!teil.zeilen.isEmpty() || teile.isEmpty())
        abschliessen();

    QList<BmpSeite> seiten;
    for (int n = 0; n < teile.size(); ++n) {
        BmpSeite s;
        s.xml = kopf(n + 1, int(teile.size())) + teile.at(n).inhalt + "</MP>";
        s.zeilen = teile.at(n).zeilen;
        seiten.append(s);
    }
    return seiten;
}

BmpPlan bmpAusPlan(const QStringList &patient, const QList<QStringList> &medikamente)
{
    BmpPlan plan;
    plan.nachname = feldVon(patient, 1);
    plan.vorname = feldVon(patient, 2);
    plan.geburt = QDate::fromString(feldVon(patient, 3), QStringLiteral("dd.MM.yyyy"));
    plan.abschnitte.append({QString(), QString(), BmpArt::Dauer});
    QList<BmpMedikament> bedarf;
    for (const QStringList &r : medikamente) {
        if (feldVon(r, 11) == QLatin1String("1"))
            continue;
        BmpMedikament m;
        m.handelsname = feldVon(r, 1);
        m.grund = feldVon(r, 2);
        if (!feldVon(r, 3).trimmed().isEmpty()) {
            m.wirkstoffe.append(QString());
            m.staerken.append(feldVon(r, 3));
        }
        float taeglich = 0;
        for (int i = 0; i < 4; ++i) {
            const float d = gespeicherteZahl(feldVon(r, 7 + i));
            taeglich += d;
            m.dosen[i] = bmpDosis(d);
        }
        if (taeglich > 0) {
            plan.medikamente.append(m);
        } else {
            for (QString &d : m.dosen)
                d.clear();
            bedarf.append(m);
        }
    }
    if (!bedarf.isEmpty()) {
        plan.abschnitte.append({QStringLiteral("411"), abschnittsTitel(QStringLiteral("411")),
                                BmpArt::Bedarf});
        for (BmpMedikament &m : bedarf) {
            m.abschnitt = 1;
            plan.medikamente.append(m);
        }
    }
    return plan;
}
