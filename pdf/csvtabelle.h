// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TABLORA_CSVTABELLE_H
#define TABLORA_CSVTABELLE_H

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// One CSV field: quoted when it holds a comma, a quote or a line break, quotes
// doubled. A text that a spreadsheet would run as a formula gets a leading "'".
QString csvFeld(const QString &text, bool zahl = false);

// UTF-8 with byte-order mark, comma separated, CRLF line ends. Fields of the
// columns listed in `zahlSpalten` are figures and never get the formula guard.
QByteArray csvDatei(const QList<QStringList> &zeilen, const QList<int> &zahlSpalten = {});

// One overview row: name, description, stock today, weeks of supply, run-out
// date (yyyy-MM-dd) and the packs needed until the appointment (or empty).
QStringList uebersichtCsvZeile(const QStringList &medikament, const QStringList &patient,
                               quint32 jetzt);

#endif
