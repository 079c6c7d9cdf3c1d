// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TABLORA_EINGABE_H
#define TABLORA_EINGABE_H

#include <QList>
#include <QString>
#include <QStringList>

// Largest figure a number field takes (doses, stock, units, packs).
constexpr float groessteEingabe = 1000000.0f;

// A number as typed into a field: "2", "0,5", "1.5", "1/2", "1 1/2", "½", "1½"
// (Persian and Arabic digits too). ok is false for text that is no such number,
// for a negative one and for one above groessteEingabe. An empty field is 0
// only when leerIstNull is set.
struct Zahleingabe
{
    bool ok = false;
    float wert = 0;
};
Zahleingabe zahlEingabe(const QString &text, bool leerIstNull);

// A figure as the plan file stores it: plain decimal digits with a point,
// never an exponent, and as few digits as read back as the very same value.
QString zahlSpeichern(float wert);

// Typed text as the plan file stores it: a field can never hold ";", so
// every one becomes ":".
QString freiText(QString text);

// A stored number field: plain decimal with a point, or with a decimal comma
// as a hand edit leaves it ("37,5"); anything else reads as 0 with ok false.
float gespeicherteZahl(const QString &text, bool *ok = nullptr);

// A dose as the regimen shows it: whole units and the common fractions as a
// patient writes them ("1", "1/2", "1 1/2", "1/4", "2/3"), anything else with
// at most three decimals and the given decimal sign ("0,3", "1,25").
QString dosisText(float dosis, QChar dezimal = QLatin1Char('.'));

// `wert` with `stellen` decimals, trailing zeros and a bare point dropped, never "-0".
QString ohneNullen(double wert, int stellen);

// Whether a stored number field reads as a number ("" counts as 0).
bool zahlFeldLesbar(const QString &text);

// The number fields of a medication record (4, 5, 6, 7..10) whose text is no
// number and so counts as 0.
QList<int> unlesbareFelder(const QStringList &datensatz);

#endif
