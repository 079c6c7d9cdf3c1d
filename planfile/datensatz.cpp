// SPDX-License-Identifier: GPL-3.0-or-later
#include "planfile/datensatz.h"

#include "app/qtkompat.h"

#include <QFileInfo>

#include <cmath>
#include <limits>

qint32 ganzzahl(double wert)
{
    if (std::isnan(wert))
        return 0;
    if (wert >= 2147483647.0)
        return std::numeric_limits<qint32>::max();
    if (wert <= -2147483648.0)
        return std::numeric_limits<qint32>::min();
    return static_cast<qint32>(wert);
}

quint32 unixZeit(const QDateTime &zeit)
{
    const qint64 s = zeit.toSecsSinceEpoch();
    // Same range as the old toTime_t(): anything outside gives (uint)-1.
    if (!zeit.isValid() || s < 0 || s >= 0xFFFFFFFFLL)
        return 0xFFFFFFFFu;
    return static_cast<quint32>(s);
}

quint32 jetztUnix()
{
    return unixZeit(QDateTime::currentDateTime());
}

QString planTextDekodieren(const QByteArray &bytes)
{
    QByteArray daten = bytes;
    if (daten.startsWith("\xEF\xBB\xBF"))
        daten.remove(0, 3);
    return istUtf8(daten) ? utf8Text(daten) : windows1252Text(daten);
}

QStringList planZeilen(const QString &text)
{
    if (text.isEmpty())
        return {};
    QStringList zeilen = text.split(QLatin1Char('\n'));
    if (zeilen.last().isEmpty())
        zeilen.removeLast();
    for (QString &zeile : zeilen) {
        if (zeile.endsWith(QLatin1Char('\r')))
            zeile.chop(1);
    }
    return zeilen;
}

QString dateinameAus(const QStringList &teile)
{
    QStringList sauber;
    for (QString teil : teile) {
        for (QChar &c : teil) {
            if (c.category() == QChar::Other_Control || QStringLiteral("/\\:*?\"<>|").contains(c))
                c = QLatin1Char('_');
        }
        teil = teil.trimmed();
        if (!teil.isEmpty())
            sauber << teil;
    }
    return sauber.join(QLatin1Char('_'));
}

QString mitEndung(const QString &pfad, const QString &endung)
{
    if (pfad.isEmpty() || !QFileInfo(pfad).suffix().isEmpty())
        return pfad;
    return pfad + endung;
}
