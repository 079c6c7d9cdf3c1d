// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TABLORA_SPRACHFORM_H
#define TABLORA_SPRACHFORM_H

#include <QChar>
#include <QDate>
#include <QDateTime>
#include <QString>

// What the program's language (de, en, pers) decides beyond its words: how a
// day and a decimal are written and the writing direction. Set once from the
// language setting before the window is built; window-free, so that the
// exports and the tests write the same forms as the window. German until set.
void sprachformSetzen(const QString &sprache);
QString sprachform();

// A day as the overview, the PDFs and the calendar write it:
// "12. 03. 1948" (German), "12 Mar 1948" (English, no month first or last to
// guess), "1948/03/12" (Persian).
QString tagText(const QDate &tag);
// The same, short: "12.03.1948", "12 Mar 1948" (patient line, as-of line, history).
QString tagTextKurz(const QDate &tag);
// A day and its time of day: "12.03.1948 - 14:05:09".
QString zeitpunktText(const QDateTime &zeit, const QString &trenner = QStringLiteral(" - "));
// How date fields show and take a day: "dd.MM.yyyy", "dd/MM/yyyy", "yyyy/MM/dd".
QString datumsFeldFormat();

// The decimal sign of shown figures: ',' in German, '.' in English and in
// Persian, whose figures the program writes in Latin digits.
QChar dezimalZeichen();

// Whether the language is written from right to left.
bool vonRechtsNachLinks();

// In a line read from the right, a text of several words that begins left to
// right keeps its own order ("5 mg", "1 1/2" would read "mg 5", "1/2 1"):
// embedded left to right. Any other text, and every text left to right, as it is.
QString eigeneReihenfolge(const QString &text);

#endif
