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
    const QString familie = QFontInfo(schrift).family();
    QStringList familien{familie};
    // Where Arial is neither installed nor an alias (fonts read from a bare
    // folder), Liberation Sans has its widths.
    if (schrift.family().compare(QLatin1String("arial"), Qt::CaseInsensitive) == 0
        && familie.compare(QLatin1String("arial"), Qt::CaseInsensitive) != 0)
        familien.prepend(QStringLiteral("Liberation Sans"));
    familien.removeDuplicates();
    schrift.setFamilies(familien + arabischeSchriften());
    return schrift;
}
