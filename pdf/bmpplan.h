// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TABLORA_BMPPLAN_H
#define TABLORA_BMPPLAN_H

#include "planfile/bmp.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The printed plan's words, in the user's language.
struct BmpDruckTexte
{
    QString titel;   // "Medikationsplan"
    QString seite;   // "Seite %1 von %2"
    QString fuer;    // "für:"
    QString geboren; // "geb. am:"
    QString von;     // "ausgedruckt von:"
    QString am;      // "ausgedruckt:"
    QString bedarf;  // heading of the on-demand section
    QString kopie;   // the patient's own copy, not certified software
    // Wirkstoff, Handelsname, Stärke, Form, morgens, mittags, abends, zur
    // Nacht, Einheit, Hinweise, Grund.
    QString spalten[11];
};

// The plan's pages in the layout of the German standard plan: A4 landscape,
// header with patient and printing time, the Data Matrix of each page's
// content top right, the table of up to 15 lines, the notice in the foot.
QByteArray bmpPdf(const BmpPlan &plan, const QList<BmpSeite> &seiten, const BmpDruckTexte &texte,
                  const QDateTime &gedruckt);

#endif
