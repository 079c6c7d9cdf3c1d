// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TABLORA_SCHRIFT_H
#define TABLORA_SCHRIFT_H

#include <QFont>

// The Persian texts need a font with Arabic letters in every style: the
// italic fallbacks of many systems have none and print empty boxes.
extern const char *const arabischeSchrift;

// `schrift` with the Arabic font as the next family to take missing glyphs from.
QFont mitArabisch(QFont schrift);

#endif
