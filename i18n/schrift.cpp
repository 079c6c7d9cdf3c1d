// SPDX-License-Identifier: GPL-3.0-or-later
#include "i18n/schrift.h"

#include <QFontInfo>

QStringList arabischeSchriften()
{
    return {QStringLiteral("Noto Sans Arabic"), QStringLiteral("Tahoma")};
}

QFont mitArabisch(QFont schrift)
{
    // The family the name resolves to ("arial" is an alias), then the Arabic ones.
    schrift.setFamilies(QStringList{QFontInfo(schrift).family()} + arabischeSchriften());
    return schrift;
}
