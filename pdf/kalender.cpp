// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/kalender.h"

#include "i18n/sprachform.h"
#include "planfile/datensatz.h"
#include "views/prognose.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QHash>

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

QList<KalenderEreignis> kalenderEreignisse(const QList<QStringList> &medikamente,
                                           const QStringList &patient, quint32 jetzt,
                                           const QString &planPfad, const ExportTexte &t)
{
    QList<KalenderEreignis> ereignisse;
    const QDate heute = lokalerTag(jetzt);
    const QDate termin = terminTag(patient);
    const qint32 terminZeit = feldVon(patient, 5).toInt();
    const QString plan = QFileInfo(planPfad).fileName();
    QStringList knapp;
    QHash<QString, int> gesehen; // a name used twice gets its own id the second time

    for (const QStringList &r : medikamente) {
        const QString name = feldVon(r, 1);
        const int mal = ++gesehen[name];
        const Prognose p = prognose(r, jetzt);
        if (!prognoseBrauchbar(p) || !bestandZeitGueltig(r))
            continue;
        const QDate leer = lokalerTag(p.leerZeit);
        if (termin.isValid() && p.leerZeit < terminZeit) {
            QString zeile = name + " \u2013 " + t.leerAm + ": " + datumText(leer);
            const int packungen = packungenFuer(r, p, jetzt, patient);
            if (packungen > 0)
                zeile += " \u2013 " + t.packungen + ": " + QString::number(packungen);
            knapp << zeile;
        }

        KalenderEreignis e;
        e.uid = kalenderUid(planPfad, QStringLiteral("nachbestellen"),
                            mal == 1 ? name : name + '\n' + QString::number(mal));
        e.tag = qMax(leer.addDays(-vorlaufTage), heute);
        e.titel = name + " \u2013 " + t.nachbestellen;
        e.beschreibung = QStringList{t.bestand + ": " + bestandText(p.bestandHeute),
                                     t.leerAm + ": " + datumText(leer),
                                     t.staerke + ": " + feldVon(r, 3),
                                     t.proPackung + ": " + feldVon(r, 4),
                                     t.planDatei + ": " + plan}
                             .join('\n');
        e.ausloeser = QStringLiteral("PT9H");
        ereignisse << e;
    }

    // Before 1970 or past 2038 the stored time is no real appointment.
    if (termin.isValid() && terminZeit > 0) {
        KalenderEreignis e;
        e.uid = kalenderUid(planPfad, QStringLiteral("termin"), QString());
        e.tag = termin;
        e.titel = t.termin;
        e.beschreibung = (knapp.isEmpty() ? t.alleReichen : t.knapp + '\n' + knapp.join('\n'))
                         + '\n' + t.planDatei + ": " + plan;
        e.ausloeser = QStringLiteral("-P1D");
        ereignisse << e;
    }
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
        aus += icsZeile("BEGIN:VALARM");
        aus += icsZeile("ACTION:DISPLAY");
        aus += eigenschaft("DESCRIPTION", icsText(e.titel));
        aus += eigenschaft("TRIGGER;RELATED=START", e.ausloeser);
        aus += icsZeile("END:VALARM");
        aus += icsZeile("END:VEVENT");
    }
    aus += icsZeile("END:VCALENDAR");
    return aus;
}
