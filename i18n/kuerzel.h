// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TABLORA_KUERZEL_H
#define TABLORA_KUERZEL_H

#include <QString>

// A menu text as shown outside its menu: the single '&' that marks the
// mnemonic letter goes, "&&" stands for a literal '&'.
inline QString ohneKuerzel(const QString &text)
{
    QString ergebnis;
    ergebnis.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('&'))
            ergebnis += text.at(i);
        else if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('&'))
            ergebnis += text.at(++i);
    }
    return ergebnis;
}

#endif
