// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TABLORA_AENDERUNGEN_H
#define TABLORA_AENDERUNGEN_H

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "planfile/versionen.h"

// Wording of the change descriptions, from the language files;
// %1, %2, %3 stand for name, old and new figure.
struct AenderungsWorte
{
    QString bestand;     // "%1: stock %2 → %3"
    QString hinzu;       // "%1 added"
    QString entfernt;    // "%1 removed"
    QString geaendert;   // "%1 changed"
    QString reihenfolge; // "order changed"
    QString patient;     // "patient data changed"
    QString termin;      // "appointment %1"
    QString keinTermin;  // "appointment removed"
    QString keine;       // "no change"
    QString sonst;       // same plan, only written differently
};

// What changed from plan `alt` to plan `neu`, compared record by record, the
// medications matched by name: short texts, in plan order.
QStringList aenderungenBeschreiben(const QByteArray &alt, const QByteArray &neu,
                                   const AenderungsWorte &worte);

// One line of the plan's history: a kept version and what changed after it.
struct VerlaufEintrag
{
    QString pfad;
    QDateTime zeit; // UTC
    QString text;
};

// The usable versions, newest first, each described against the next newer
// one (the newest against the plan as it is now, `aktuell`); a version equal
// to the next is left out.
QList<VerlaufEintrag> verlaufListe(const QList<Versionsspeicher::Version> &versionen,
                                   const QByteArray &aktuell, const AenderungsWorte &worte);

#endif
