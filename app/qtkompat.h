// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TABLORA_QTKOMPAT_H
#define TABLORA_QTKOMPAT_H

// The places where Qt 5 and Qt 6 behave differently, pinned to one behaviour
// so that both builds read and write the same bytes and show the same texts.
//
// Also mind, without a helper here:
// - Font weights are QFont::Weight names (QFont::Bold, QFont::Normal,
//   QFont::Thin), never numbers: 75 is bold on Qt 5 but thinner than thin on Qt 6.
// - Local midnight of a day is QDate::startOfDay(): QDateTime(day, QTime(0, 0))
//   is invalid on days whose midnight a clock change skips.
// - QString::fromUtf8(const QByteArray &) stops at the first NUL byte on Qt 5;
//   utf8Text() keeps every byte.

#include <QByteArray>
#include <QString>

class QDateEdit;
class QSettings;

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF, no
// sequence cut off at the end.
bool istUtf8(const QByteArray &bytes);

// UTF-8 bytes to text, embedded NULs kept; a leading byte order mark is dropped.
QString utf8Text(const QByteArray &bytes);

// Windows-1252 bytes to text. The five bytes the code page leaves unassigned
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) give the control characters of the same value.
QString windows1252Text(const QByteArray &bytes);

// Ini values as UTF-8, read and written: Qt 6 does nothing else, Qt 5 reads
// Latin-1 and writes \x escapes unless told. Call right after construction.
void iniUtf8(QSettings &datei);

// Every date field of the program is set up here: it holds every calendar
// day (in local time Qt 5 cannot show a day whose midnight a clock change
// skips, and turns it into the day before), in the language's numeric form
// (the locale's long month names would not fit the fields), with a calendar
// to pick the day from. Tab and Shift+Tab go to the next or previous control,
// not from day to month to year; reached by the keyboard, the field takes a
// day typed in one go from its first part, with its separators or without
// ("10.05.1945", "10/05/1945", "10051945"), Persian and Arabic digits too.
void datumsFeld(QDateEdit *feld);

// The folder of Qt's own translations (Debian: qttranslations5-l10n,
// qt6-translations-l10n).
QString qtUebersetzungen();

// Before the application object exists: scale to the screen's density, by
// whole factors (1.5 becomes 2), so the fixed-size window looks the same on both.
void hochDpiEinstellen();

#endif
