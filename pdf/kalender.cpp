// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/kalender.h"

#include "i18n/sprachform.h"
#include "planfile/datensatz.h"
#include "views/prognose.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QVector>
#include <QTime>

namespace {
constexpr int vorlaufTage = 7;

QString datumText(const QDate &tag)
{
    return tagText(tag);
}

QByteArray eigenschaft(const char *name, const QString &wert)
{
    return icsZeile(QByteArray(name) + ':' + wert.toUtf8());
}
} // namespace

QString icsText(const QString &text)
{
    QString aus;
    aus.reserve(text.size() + 8);
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        switch (c.unicode()) {
        case '\\': aus += QLatin1String("\\\\"); break;
        case ';': aus += QLatin1String("\\;"); break;
        case ',': aus += QLatin1String("\\,"); break;
        case '\r':
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            aus += QLatin1String("\\n");
            break;
        case '\n': aus += QLatin1String("\\n"); break;
        case '\t': aus += c; break;
        default:
            if (c.unicode() >= 0x20 && c.unicode() != 0x7F)
                aus += c;
        }
    }
    return aus;
}

QByteArray icsZeile(const QByteArray &zeile)
{
    QByteArray aus;
    aus.reserve(zeile.size() + zeile.size() / 70 * 3 + 2);
    int start = 0;
    int platz = 75; // the first line; continuation lines lose one octet to the blank
    while (zeile.size() - start > platz) {
        int ende = start + platz;
        // Never break in front of a UTF-8 continuation byte.
        while (ende > start && (static_cast<unsigned char>(zeile.at(ende)) & 0xC0) == 0x80)
            --ende;
        if (ende == start) // not UTF-8 at all: cut where the octets say
            ende = start + platz;
        aus += zeile.mid(start, ende - start);
        aus += "\r\n ";
        start = ende;
        platz = 74;
    }
    aus += zeile.mid(start);
    aus += "\r\n";
    return aus;
}

QString kalenderUid(const QString &planPfad, const QString &art, const QString &name)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(QFileInfo(planPfad).absoluteFilePath().toUtf8());
    hash.addData(QByteArray(1, '\0'));
    hash.addData(art.toUtf8());
    hash.addData(QByteArray(1, '\0'));
    hash.addData(name.toUtf8());
    return QString::fromLatin1(hash.result().toHex()) + QLatin1String("@tablora");
}

namespace {
constexpr int morgenStunde = 9;
const QChar standTrenner(0x1F);

// The next 09:00 after `jetzt`, local time.
QDateTime naechsterMorgen(const QDateTime &jetzt)
{
    const QDate tag = jetzt.time() < QTime(morgenStunde, 0) ? jetzt.date() : jetzt.date().addDays(1);
    return QDateTime(tag, QTime(morgenStunde, 0));
}

// A trigger relative to the start of `tag`, for a moment at 09:00 of another day.
QString ausloeserFuer(const QDate &tag, const QDate &morgen)
{
    const qint64 tage = tag.daysTo(morgen);
    if (tage == 0)
        return QStringLiteral("PT9H");
    if (tage == -1)
        return QStringLiteral("-PT15H");
    return QStringLiteral("P%1DT9H").arg(tage);
}
} // namespace

QStringList kalenderStandText(const QList<KalenderStand> &stand)
{
    QStringList zeilen;
    for (const KalenderStand &e : stand)
        zeilen << QStringList{e.art, e.saat, e.name, e.tag.toString("yyyyMMdd")}.join(standTrenner);
    return zeilen;
}

QList<KalenderStand> kalenderStandLesen(const QStringList &zeilen)
{
    QList<KalenderStand> stand;
    for (const QString &z : zeilen) {
        const QStringList teile = z.split(standTrenner);
        if (teile.size() != 4)
            continue;
        const QDate tag = QDate::fromString(teile.at(3), "yyyyMMdd");
        if (!tag.isValid() || (teile.at(0) != "nachbestellen" && teile.at(0) != "termin"))
            continue;
        stand << KalenderStand{teile.at(0), teile.at(1), teile.at(2), tag};
    }
    return stand;
}

QList<KalenderEreignis> kalenderEreignisse(const QList<QStringList> &medikamente,
                                           const QStringList &patient, quint32 jetzt,
                                           const QString &planPfad, const ExportTexte &t,
                                           const QList<KalenderStand> &vorher,
                                           QList<KalenderStand> *nachher)
{
    QList<KalenderEreignis> ereignisse;
    QList<KalenderStand> stand;
    const QDateTime jetztLokal = QDateTime::fromSecsSinceEpoch(jetzt);
    const QDate heute = lokalerTag(jetzt);
    const QDateTime morgen = naechsterMorgen(jetztLokal);
    const QDate termin = terminTag(patient);
    const qint32 terminZeit = feldVon(patient, 5).toInt();
    const QString plan = QFileInfo(planPfad).fileName();
    // The carer of two people imports both calendars: every title names its person.
    const QStringList namen{feldVon(patient, 1).trimmed(), feldVon(patient, 2).trimmed()};
    QString person = namen.at(0);
    if (!namen.at(1).isEmpty())
        person += (person.isEmpty() ? QString() : QStringLiteral(", ")) + namen.at(1);
    const QString vorsatz = person.isEmpty() ? QString() : person + QStringLiteral(": ");
    QStringList knapp;
    QHash<QString, int> gesehen; // a name used twice gets its own id the second time

    struct Kandidat
    {
        QStringList r;
        Prognose p;
        QString name, saat;
    };
    QList<Kandidat> kandidaten;
    for (const QStringList &r : medikamente) {
        const QString name = feldVon(r, 1);
        const int mal = ++gesehen[name];
        const Prognose p = prognose(r, jetzt);
        if (!prognoseBrauchbar(p) || !bestandZeitGueltig(r))
            continue;
        if (termin.isValid() && p.leerZeit < terminZeit) {
            QString zeile = name + " \u2013 " + t.leerAm + ": " + datumText(lokalerTag(p.leerZeit));
            const int packungen = packungenFuer(r, p, jetzt, patient);
            if (packungen > 0)
                zeile += " \u2013 " + t.packungen + ": " + QString::number(packungen);
            knapp << zeile;
        }
        kandidaten << Kandidat{r, p, name, mal == 1 ? name : name + '\n' + QString::number(mal)};
    }

    // Ids of the last export: the same name first, then (renamed) what is left, in order.
    QList<int> frei;
    for (int i = 0; i < vorher.size(); ++i) {
        if (vorher.at(i).art == QLatin1String("nachbestellen"))
            frei << i;
    }
    QVector<bool> vergeben(kandidaten.size(), false);
    for (int k = 0; k < kandidaten.size(); ++k) {
        for (int j = 0; j < frei.size(); ++j) {
            if (vorher.at(frei.at(j)).name == kandidaten.at(k).name) {
                kandidaten[k].saat = vorher.at(frei.takeAt(j)).saat;
                vergeben[k] = true;
                break;
            }
        }
    }
    for (int k = 0; k < kandidaten.size() && !frei.isEmpty(); ++k) {
        if (!vergeben.at(k)) {
            kandidaten[k].saat = vorher.at(frei.takeFirst()).saat;
            vergeben[k] = true;
        }
    }
    // A new medication never takes a seed that another one carries on.
    QSet<QString> saaten;
    for (int k = 0; k < kandidaten.size(); ++k) {
        if (vergeben.at(k))
            saaten.insert(kandidaten.at(k).saat);
    }
    for (int k = 0; k < kandidaten.size(); ++k) {
        if (vergeben.at(k))
            continue;
        QString saat = kandidaten.at(k).saat;
        for (int n = 2; saaten.contains(saat); ++n)
            saat = kandidaten.at(k).name + '\n' + QString::number(n);
        saaten.insert(saat);
        kandidaten[k].saat = saat;
    }

    for (const Kandidat &k : kandidaten) {
        const QDate leer = lokalerTag(k.p.leerZeit);
        KalenderEreignis e;
        e.uid = kalenderUid(planPfad, QStringLiteral("nachbestellen"), k.saat);
        e.tag = qMax(leer.addDays(-vorlaufTage), heute);
        // Its morning passed already: the next one.
        if (QDateTime(e.tag, QTime(morgenStunde, 0)) <= jetztLokal)
            e.tag = morgen.date();
        e.titel = vorsatz + k.name + " \u2013 " + t.nachbestellen;
        e.beschreibung = QStringList{t.bestand + ": " + bestandText(k.p.bestandHeute),
                                     t.leerAm + ": " + datumText(leer),
                                     t.staerke + ": " + feldVon(k.r, 3),
                                     t.proPackung + ": " + feldVon(k.r, 4),
                                     t.planDatei + ": " + plan}
                             .join('\n');
        e.ausloeser = QStringLiteral("PT9H");
        ereignisse << e;
        stand << KalenderStand{QStringLiteral("nachbestellen"), k.saat, k.name, e.tag};
    }
    // What the plan no longer holds: cancelled, on the day it stood.
    for (int j : frei) {
        const KalenderStand &alt = vorher.at(j);
        KalenderEreignis e;
        e.uid = kalenderUid(planPfad, QStringLiteral("nachbestellen"), alt.saat);
        e.tag = alt.tag;
        e.titel = vorsatz + alt.name + " \u2013 " + t.nachbestellen;
        e.beschreibung = t.planDatei + ": " + plan;
        e.abgesagt = true;
        ereignisse << e;
    }

    // Before 1970 or past 2038 the stored time is no real appointment; a
    // passed one is left as the calendar holds it, neither sent nor cancelled.
    bool terminVorher = false;
    for (const KalenderStand &alt : vorher)
        terminVorher = terminVorher || alt.art == QLatin1String("termin");
    if (termin.isValid() && terminZeit > 0 && termin >= heute) {
        KalenderEreignis e;
        e.uid = kalenderUid(planPfad, QStringLiteral("termin"), QString());
        e.tag = termin;
        e.titel = vorsatz + t.termin;
        e.beschreibung = (knapp.isEmpty() ? t.alleReichen : t.knapp + '\n' + knapp.join('\n'))
                         + '\n' + t.planDatei + ": " + plan;
        // The day before; when that has passed, the next morning, if that
        // still comes before the appointment's day is over.
        e.ausloeser = QStringLiteral("-P1D");
        if (termin.addDays(-1).startOfDay() <= jetztLokal)
            e.ausloeser = morgen.date() <= termin ? ausloeserFuer(termin, morgen.date()) : QString();
        ereignisse << e;
        stand << KalenderStand{QStringLiteral("termin"), QString(), t.termin, termin};
    } else if (terminVorher && !(termin.isValid() && termin < heute)) {
        // The appointment switched off since the last export.
        for (const KalenderStand &alt : vorher) {
            if (alt.art != QLatin1String("termin"))
                continue;
            KalenderEreignis e;
            e.uid = kalenderUid(planPfad, QStringLiteral("termin"), QString());
            e.tag = alt.tag;
            e.titel = vorsatz + t.termin;
            e.beschreibung = t.planDatei + ": " + plan;
            e.abgesagt = true;
            ereignisse << e;
            break;
        }
    }
    if (nachher)
        *nachher = stand;
    return ereignisse;
}

QByteArray kalenderDatei(const QList<KalenderEreignis> &ereignisse, int sequenz,
                         const QDateTime &stempel)
{
    const QString zeitStempel = stempel.toUTC().toString("yyyyMMdd'T'HHmmss'Z'");
    QByteArray aus;
    aus += icsZeile("BEGIN:VCALENDAR");
    aus += icsZeile("VERSION:2.0");
    aus += icsZeile("PRODID:-//Tablora//Tablora//EN");
    aus += icsZeile("CALSCALE:GREGORIAN");
    aus += icsZeile("METHOD:PUBLISH");
    for (const KalenderEreignis &e : ereignisse) {
        aus += icsZeile("BEGIN:VEVENT");
        aus += eigenschaft("UID", e.uid);
        aus += eigenschaft("DTSTAMP", zeitStempel);
        aus += eigenschaft("SEQUENCE", QString::number(sequenz));
        aus += eigenschaft("DTSTART;VALUE=DATE", e.tag.toString("yyyyMMdd"));
        aus += eigenschaft("DTEND;VALUE=DATE", e.tag.addDays(1).toString("yyyyMMdd"));
        aus += eigenschaft("SUMMARY", icsText(e.titel));
        aus += eigenschaft("DESCRIPTION", icsText(e.beschreibung));
        aus += eigenschaft("TRANSP", "TRANSPARENT");
        if (e.abgesagt)
            aus += icsZeile("STATUS:CANCELLED");
        if (!e.abgesagt && !e.ausloeser.isEmpty()) {
            aus += icsZeile("BEGIN:VALARM");
            aus += icsZeile("ACTION:DISPLAY");
            aus += eigenschaft("DESCRIPTION", icsText(e.titel));
            aus += eigenschaft("TRIGGER;RELATED=START", e.ausloeser);
            aus += icsZeile("END:VALARM");
        }
        aus += icsZeile("END:VEVENT");
    }
    aus += icsZeile("END:VCALENDAR");
    return aus;
}
