// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TABLORA_PROGNOSE_H
#define TABLORA_PROGNOSE_H

#include <QDate>
#include <QStringList>

#include <climits>

// Stock forecast of one medication record, in single precision as the plan
// has always been computed: daily use D, elapsed whole days E, weeks W,
// days left R, stock today C and run-out time T.
struct Prognose
{
    float taeglich = 0;     // D
    qint32 tage = 0;        // E
    float wochen = 0;       // W
    qint32 restTage = 0;    // R (negative once run out)
    float bestandHeute = 0; // C, never below 0; the stored stock while counting lies ahead
    qint64 leerZeit = 0;    // T, Unix seconds (may lie beyond 2038)
    int balken = 100;       // bar value 0..100
    bool verbrauch = false; // false for on-demand medication (D == 0): W, R, T undefined
    // Used up: nothing left at home today (also when it ran out less than a day ago).
    bool aufgebraucht() const { return verbrauch && (restTage < 0 || !(bestandHeute > 0)); }
    // Whole days since the stock ran out, never below 0 (a stock of 0 with days
    // still to come, as from negative doses); R may be clamped to the least
    // 32-bit value, which has no positive counterpart.
    qint32 leerSeitTagen() const { return aufgebraucht() ? qMax(0, -qMax(restTage, -INT_MAX)) : 0; }
};

Prognose prognose(const QStringList &datensatz, quint32 jetzt);

// A stock as shown to the user: four significant digits below 10,000, whole
// units from there on, never an exponent.
QString bestandText(float bestand);

// Unix seconds as the local date in the language's form ("dd. MM. yyyy" in
// German), for any time a forecast gives.
QString datumText(qint64 sekunden);

// Whether D, C and T are real figures: D above 0, C finite and T a moment
// between 1970 and 2038 that was not clamped. Absurd records give false.
bool prognoseBrauchbar(const Prognose &p);

// Whole packs that bridge the gap from today until a week after the
// appointment day, or -1 when there is none (no appointment, an appointment
// already past, no regular use, stock enough, units per pack not above 0,
// or an absurd figure). A stock below 0 counts as none left.
int packungenBisTermin(const Prognose &p, float einheitenProPackung, const QDate &heute,
                       const QDate &termin);

// The same for a medication record and the patient record, on the day of
// `jetzt`; a stock time before 1970, past 2038 or no number gives -1 too.
int packungenFuer(const QStringList &medikament, const Prognose &p, quint32 jetzt,
                  const QStringList &patient);
// Whether the record's stock time is a moment between 1970 and 2038.
bool bestandZeitGueltig(const QStringList &medikament);

// Local calendar day of a Unix time; the appointment day of a patient record
// (field 4 "1", field 5 its time), or an invalid date when none is set.
QDate lokalerTag(qint64 sekunden);
QDate terminTag(const QStringList &patient);
// Whether the appointment set in the patient record lies on a day before `heute`:
// it has passed, and the next one is to be entered.
bool terminVorbei(const QStringList &patient, const QDate &heute);

// How a run-out date is marked, in the overview and in the medication list
// alike: red when the stock is used up (appointment or not) or runs out
// before the appointment (its switch on), yellow when less than four weeks
// are left, else not at all.
struct Warnung
{
    bool aufgebraucht = false;
    bool vorTermin = false;
    bool knapp = false;
    bool rot() const { return aufgebraucht || vorTermin; }
    bool gelb() const { return knapp && !rot(); }
};
Warnung warnung(const Prognose &p, const QStringList &patient);

// Weeks of supply as the overview shows them.
QString wochenText(float wochen);

#endif
