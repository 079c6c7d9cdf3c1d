// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TABLORA_PLANLESEN_H
#define TABLORA_PLANLESEN_H

#include <QByteArray>
#include <QString>

// The largest plan file the program reads, for the plan and for its versions
// alike. The form takes up to 32767 characters per field (a line edit's own
// limit), three bytes each in UTF-8: 48 medications with all three text
// fields that full, and the patient's names too, come to about 14 MiB.
constexpr qint64 maxPlanGroesse = qint64(32) << 20;

// The bytes of a plan file, never more than maxPlanGroesse + 1 of them read;
// a null array when it cannot be read (the reason to `fehler`) or is larger
// than maxPlanGroesse (then also `zuGross`). An empty file gives "".
QByteArray planDateiLesen(const QString &pfad, QString *fehler = nullptr,
                          bool *zuGross = nullptr);

#endif
