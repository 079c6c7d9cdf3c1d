// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TABLORA_SICHERSCHREIBEN_H
#define TABLORA_SICHERSCHREIBEN_H

#include <QByteArray>
#include <QString>

// Writes `inhalt` to a temporary file beside `pfad` and renames it over `pfad`:
// the file holds either its old or its new bytes, never a mix. On failure the
// reason goes to `fehler` (when given).
bool sicherSchreiben(const QString &pfad, const QByteArray &inhalt, QString *fehler = nullptr);

#endif
