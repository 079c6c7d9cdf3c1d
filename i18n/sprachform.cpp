// SPDX-License-Identifier: GPL-3.0-or-later
#include "i18n/sprachform.h"

#include <QLocale>

namespace {
QString &aktuelleSprache()
{
    static QString sprache = QStringLiteral("de");
    return sprache;
}

bool englisch()
{
    return aktuelleSprache() == QLatin1String("en");
}

QString englischerTag(const QDate &tag)
{
    // Month names in English whatever the system's locale.
    return QLocale(QLocale::English, QLocale::UnitedKingdom).toString(tag, QStringLiteral("d MMM yyyy"));
}
} // namespace

void sprachformSetzen(const QString &sprache)
{
    aktuelleSprache() = sprache == QLatin1String("en") || sprache == QLatin1String("pers")
                            ? sprache
                            : QStringLiteral("de");
}

QString sprachform()
{
    return aktuelleSprache();
}

QString tagText(const QDate &tag)
{
    return englisch() ? englischerTag(tag) : tag.toString(QStringLiteral("dd. MM. yyyy"));
}

QString tagTextKurz(const QDate &tag)
{
    return englisch() ? englischerTag(tag) : tag.toString(QStringLiteral("dd.MM.yyyy"));
}

QString zeitpunktText(const QDateTime &zeit, const QString &trenner)
{
    return tagTextKurz(zeit.date()) + trenner + zeit.time().toString(QStringLiteral("hh:mm:ss"));
}

QString datumsFeldFormat()
{
    return englisch() ? QStringLiteral("dd/MM/yyyy") : QStringLiteral("dd.MM.yyyy");
}

QChar dezimalZeichen()
{
    return aktuelleSprache() == QLatin1String("de") ? QLatin1Char(',') : QLatin1Char('.');
}

bool vonRechtsNachLinks()
{
    return aktuelleSprache() == QLatin1String("pers");
}
