// SPDX-License-Identifier: GPL-3.0-or-later
#include "i18n/schrift.h"

#include <QFontInfo>
#include <QStringList>

const char *const arabischeSchrift = "Noto Sans Arabic";

QFont mitArabisch(QFont schrift)
{
    // The family the name resolves to ("arial" is an alias), then the Arabic one.
    schrift.setFamilies({QFontInfo(schrift).family(), QString::fromLatin1(arabischeSchrift)});
    return schrift;
}
