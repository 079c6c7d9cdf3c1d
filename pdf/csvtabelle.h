// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TABLORA_CSVTABELLE_H
#define TABLORA_CSVTABELLE_H

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// How the table is written for a language's spreadsheets: German ones take
// ";" between fields and a decimal comma, English ones "," and a point.
struct CsvForm
{
    QChar trenner = QLatin1Char(',');
    QChar dezimal = QLatin1Char('.');
};
CsvForm csvForm(const QString &sprache);

// One CSV field: quoted when it holds the separator, a quote or a line break,
// quotes doubled. A text that a spreadsheet would run as a formula gets a leading "'".
QString csvFeld(const QString &text, bool zahl = false, QChar trenner = QLatin1Char(','));

// UTF-8 with byte-order mark, CRLF line ends, fields apart by the form's
// separator. Fields of the columns listed in `zahlSpalten` are figures: they
// never get the formula guard and take the form's decimal sign.
QByteArray csvDatei(const QList<QStringList> &zeilen, const QList<int> &zahlSpalten = {},
                    const CsvForm &form = CsvForm());

// One overview row: name, description, stock today, weeks of supply, run-out
// date (yyyy-MM-dd) and the packs needed until the appointment (or empty).
QStringList uebersichtCsvZeile(const QStringList &medikament, const QStringList &patient,
                               quint32 jetzt);

#endif
