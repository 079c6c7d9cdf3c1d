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

// One all-day event with one display alarm; a cancelled one has none.
struct KalenderEreignis
{
    QString uid;
    QDate tag;
    QString titel;
    QString beschreibung;
    QString ausloeser; // alarm trigger relative to the start of the day ("PT9H", "-P1D"); empty: none
    bool abgesagt = false; // STATUS:CANCELLED: gone from the plan since the last export
};

// What the last export of one plan held, one entry per event, kept in the
// settings: the next export cancels what is gone, and a renamed medication
// keeps its event. An event's id is made from the plan file, its kind and a
// seed: the medication's name (and its occurrence, for a name used twice)
// when it was first exported. The seed stays with the medication when it is
// renamed, so the id does too.
struct KalenderStand
{
    QString art;  // "nachbestellen" or "termin"
    QString saat; // what the id is made from
    QString name; // the medication's name at that export
    QDate tag;    // the event's day at that export
};
// One line each, for the settings file, and back; lines that do not read are left out.
QStringList kalenderStandText(const QList<KalenderStand> &stand);
QList<KalenderStand> kalenderStandLesen(const QStringList &zeilen);

// iCalendar TEXT value: backslash, semicolon, comma and line breaks escaped,
// other control characters dropped.
QString icsText(const QString &text);
// One content line, folded at 75 octets without splitting a UTF-8 sequence,
// each physical line ended by CRLF.
QByteArray icsZeile(const QByteArray &zeile);

// Stable id of one event of one plan file.
QString kalenderUid(const QString &planPfad, const QString &art, const QString &name);

// Events of a plan: one reorder reminder per medication in regular use, and
// the appointment when one is set and has not passed; titles begin with the
// patient's name. A medication of the last export (`vorher`) keeps its id
// under the same name, else (renamed) the id of an entry no longer matched,
// in the plan's order; an entry matched by none gets a cancelled event.
// A reminder whose moment (09:00 on its day) has passed is set to the next
// morning. `nachher` receives what this export holds.
QList<KalenderEreignis> kalenderEreignisse(const QList<QStringList> &medikamente,
                                           const QStringList &patient, quint32 jetzt,
                                           const QString &planPfad, const ExportTexte &t,
                                           const QList<KalenderStand> &vorher = {},
                                           QList<KalenderStand> *nachher = nullptr);

QByteArray kalenderDatei(const QList<KalenderEreignis> &ereignisse, int sequenz,
                         const QDateTime &stempel);

#endif
