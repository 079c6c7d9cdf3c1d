// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TABLORA_BMPVORSCHAU_H
#define TABLORA_BMPVORSCHAU_H

#include "planfile/bmp.h"

#include <QList>
#include <QString>
#include <QStringList>

// Names for medications a plan gives only by number; %1 is the number.
struct BmpKennungsWorte
{
    QString pzn = QStringLiteral("PZN %1");
    QString gtin = QStringLiteral("GTIN %1");
    QString pharmacode = QStringLiteral("Pharmacode %1");
    QString produkt = QStringLiteral("%1");
};

// One medication of the read plan as it would enter the plan file.
struct BmpZeile
{
    QString name;          // trade name, else the ingredients, else the number
    QString staerke;
    QString grund;
    QString hinweis;
    QString abschnitt;     // the heading of its section
    QString dosierung;     // free-text dosage, or the schema of an on-demand medication
    QString beschreibung;  // field 2 of a new record: the reason (and that dosage)
    float dosen[4] = {};
    QString dosenText[4];  // as the regimen shows them
    bool bedarf = false;   // on demand: doses 0, as the plan keeps such use
    bool dosenFehlen = false; // no four doses to take: 0 until the user enters them
    int planIndex = -1;    // record of the same name in the plan, -1: new
    bool gleich = false;   // that record already has this strength and these doses
    bool angehakt = false;
    QString einheiten = QStringLiteral("0"); // units per pack, typed (new rows)
    QString bestand = QStringLiteral("0");   // stock at home, typed (new rows)
};

// What the import dialog shows and what confirming it writes. The table is
// the plan file's records (header, patient, medications); `platz` the most
// medications a plan holds.
class BmpVorschau
{
public:
    BmpVorschau(const BmpPlan &plan, const QList<QStringList> &tabelle, int platz,
                const BmpKennungsWorte &worte = BmpKennungsWorte());

    const BmpPlan &plan() const { return m_plan; }
    const QList<BmpZeile> &zeilen() const { return m_zeilen; }

    // New medications are checked as long as the plan has room; beyond that
    // they cannot be, until another is unchecked. An update that would
    // change nothing cannot be checked either.
    bool waehlbar(int zeile) const;
    bool setzeHaken(int zeile, bool an);
    void setzeEinheiten(int zeile, const QString &text);
    void setzeBestand(int zeile, const QString &text);

    int freiePlaetze() const { return m_frei; }
    // New medications that do not fit into the plan.
    int zuViele() const;

    // The plan file lacks patient data that the read plan has.
    bool patientErgaenzbar() const;
    // Both have names or a birth date, and they differ.
    bool patientAbweichend() const;
    QString patientImPlan() const;  // "surname, first name, dd.MM.yyyy"
    QString patientGelesen() const;

    // First checked row whose typed units (spalte 0) or stock (1) is no
    // number, or -1.
    int falscheZahl(int *spalte = nullptr) const;

    // The table with the checked rows taken over: new records at the end
    // (stock counted from `jetzt`), strength and doses of records of the same
    // name; their stock stays what it is today. With `patient`, the plan's
    // empty patient fields are filled. Rows beyond the room are left out and
    // counted in `ausgelassen`.
    QList<QStringList> anwenden(const QList<QStringList> &tabelle, quint32 jetzt, bool patient,
                                int *ausgelassen = nullptr) const;

private:
    bool ohnePatient() const;

    BmpPlan m_plan;
    QList<BmpZeile> m_zeilen;
    QStringList m_patient;
    int m_frei = 0;
};

// Index of the medication record named `name` (blanks and case aside), or -1.
int medikamentNamens(const QList<QStringList> &tabelle, const QString &name);

#endif
