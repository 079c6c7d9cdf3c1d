// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TABLORA_KALENDER_H
#define TABLORA_KALENDER_H

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// Wording of the exported reminders and table, from the language file.
struct ExportTexte
{
    QString nachbestellen; // summary word after the medication's name
    QString termin;        // summary of the appointment
    QString knapp;         // heading of the list of medications that run out before it
    QString alleReichen;   // instead of that list when nothing runs out
    QString packungen;     // packs needed until a week after the appointment
    QString bestand, leerAm, staerke, proPackung, planDatei;
};

// One all-day event with one display alarm.
struct KalenderEreignis
{
    QString uid;
    QDate tag;
    QString titel;
    QString beschreibung;
    QString ausloeser; // alarm trigger relative to the start of the day ("PT9H", "-P1D")
};

// iCalendar TEXT value: backslash, semicolon, comma and line breaks escaped,
// other control characters dropped.
QString icsText(const QString &text);
// One content line, folded at 75 octets without splitting a UTF-8 sequence,
// each physical line ended by CRLF.
QByteArray icsZeile(const QByteArray &zeile);

// Stable id of one event of one plan file.
QString kalenderUid(const QString &planPfad, const QString &art, const QString &name);

// Events of a plan: one reorder reminder per medication in regular use, and
// the appointment when one is set.
QList<KalenderEreignis> kalenderEreignisse(const QList<QStringList> &medikamente,
                                           const QStringList &patient, quint32 jetzt,
                                           const QString &planPfad, const ExportTexte &t);

QByteArray kalenderDatei(const QList<KalenderEreignis> &ereignisse, int sequenz,
                         const QDateTime &stempel);

#endif
