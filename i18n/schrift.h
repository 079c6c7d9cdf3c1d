// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TABLORA_SCHRIFT_H
#define TABLORA_SCHRIFT_H

#include <QFont>
#include <QStringList>

// The Persian texts need a font with Arabic letters in every style: the
// italic fallbacks of many systems have none and print empty boxes. Noto
// Sans Arabic first (Debian's package depends on it; the same glyphs on every
// system that has it), then Tahoma, which every Windows has: Arabic and
// Persian letters, and no italic of its own that could lack them (the italic
// is the upright face slanted).
QStringList arabischeSchriften();

// `schrift` with the Arabic fonts as the next families to take missing glyphs from.
QFont mitArabisch(QFont schrift);

#endif
