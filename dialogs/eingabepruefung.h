// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TABLORA_EINGABEPRUEFUNG_H
#define TABLORA_EINGABEPRUEFUNG_H

#include <QString>

class QLineEdit;

// One number field of a form or dialog, checked before anything is written.
struct ZahlFeld
{
    QLineEdit *feld = nullptr;
    QString name;             // its label, named in the refusal
    bool leerIstNull = false; // an empty field counts as 0
    float *wert = nullptr;    // the figure read, when accepted
};

#endif
