// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TABLORA_DATENSATZ_H
#define TABLORA_DATENSATZ_H

#include <QDateTime>
#include <QString>
#include <QStringList>

// Field i of a record, or an empty text when the record is shorter.
inline QString feldVon(const QStringList &datensatz, int i)
{
    return i >= 0 && i < datensatz.size() ? datensatz.at(i) : QString();
}

// Truncation toward zero into 32 bits; NaN gives 0, out-of-range values are clamped.
qint32 ganzzahl(double wert);

// Unix seconds as the unsigned 32-bit count the plan file stores.
quint32 unixZeit(const QDateTime &zeit);
quint32 jetztUnix();

// Plan file bytes to text: UTF-8, or Windows-1252 for files that are not valid UTF-8.
QString planTextDekodieren(const QByteArray &bytes);
// Lines as a text-mode line reader gives them ("\r\n" and "\n" ends, no empty last line).
QStringList planZeilen(const QString &text);

// A file name from parts ("Musterfrau", "Erika" -> "Musterfrau_Erika"):
// characters a file name cannot hold become "_", empty parts are left out.
QString dateinameAus(const QStringList &teile);

// A file name typed without extension gets `endung` (".medat", ".pdf" ...);
// a name with an extension of its own is kept as typed.
QString mitEndung(const QString &pfad, const QString &endung);

#endif
