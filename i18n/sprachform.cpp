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

// Persian writes year/month/day; the slashes also keep the figures in their
// order inside a line read from the right.
QString tagText(const QDate &tag)
{
    if (vonRechtsNachLinks())
        return tag.toString(QStringLiteral("yyyy/MM/dd"));
    return englisch() ? englischerTag(tag) : tag.toString(QStringLiteral("dd. MM. yyyy"));
}

QString tagTextKurz(const QDate &tag)
{
    if (vonRechtsNachLinks())
        return tag.toString(QStringLiteral("yyyy/MM/dd"));
    return englisch() ? englischerTag(tag) : tag.toString(QStringLiteral("dd.MM.yyyy"));
}

QString zeitpunktText(const QDateTime &zeit, const QString &trenner)
{
    return tagTextKurz(zeit.date()) + trenner + zeit.time().toString(QStringLiteral("hh:mm:ss"));
}

QString datumsFeldFormat()
{
    if (vonRechtsNachLinks())
        return QStringLiteral("yyyy/MM/dd");
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

QString eigeneReihenfolge(const QString &text)
{
    if (!vonRechtsNachLinks() || text.isRightToLeft() || !text.trimmed().contains(QLatin1Char(' ')))
        return text;
    return QChar(0x202A) + text + QChar(0x202C);
}
