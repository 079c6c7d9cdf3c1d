#include "views/prognose.h"

#include "planfile/datensatz.h"

#include <QDateTime>

#include <cmath>

namespace {
qint64 ganzzahl64(double wert)
{
    if (std::isnan(wert))
        return 0;
    // Far beyond any calendar date, yet safe to convert.
    constexpr double grenze = 4.0e15;
    if (wert >= grenze)
        return qint64(grenze);
    if (wert <= -grenze)
        return -qint64(grenze);
    return static_cast<qint64>(wert);
}
} // namespace

Prognose prognose(const QStringList &r, quint32 jetzt)
{
    Prognose p;
    const qint32 bestandZeit = feldVon(r, 5).toInt();
    const float bestand = feldVon(r, 6).toFloat();
    p.taeglich = feldVon(r, 7).toFloat() + feldVon(r, 8).toFloat() + feldVon(r, 9).toFloat()
                 + feldVon(r, 10).toFloat();
    // Difference in 32-bit two's complement, read as signed; division truncates toward zero.
    const qint32 differenz = static_cast<qint32>(jetzt - static_cast<quint32>(bestandZeit));
    p.tage = differenz / 86400;
    const float tage = static_cast<float>(p.tage);
    // Before the counting time nothing has been taken yet; and what has run
    // out is 0 at home, not a debt.
    const float heute = p.tage > 0 ? bestand - tage * p.taeglich : bestand;
    p.bestandHeute = heute > 0 ? heute : 0.0f;
    if (p.taeglich == 0.0f)
        return p;
    p.verbrauch = true;
    const float reichweite = bestand / p.taeglich;
    const float rest = reichweite - tage;
    p.wochen = rest / 7;
    p.restTage = ganzzahl(rest);
    const float ende = static_cast<float>(bestandZeit) + reichweite * 86400;
    p.leerZeit = ganzzahl64(ende);
    p.balken = p.restTage > 60 ? 100 : qMax(0, ganzzahl(p.restTage * 1.66));
    return p;
}

QString bestandText(float bestand)
{
    if (std::isfinite(bestand) && std::fabs(bestand) >= 9999.5f)
        return QString::number(double(bestand), 'f', 0);
    QString text = QString::number(double(bestand), 'g', 4);
    if (text.contains(QLatin1Char('e'))) {
        // Tiny remainders: four decimals, trailing zeros dropped.
        text = QString::number(double(bestand), 'f', 4);
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
        if (text == QLatin1String("-0"))
            text = QStringLiteral("0");
    }
    return text;
}

QString datumText(qint64 sekunden)
{
    return QDateTime::fromSecsSinceEpoch(sekunden).toString("dd. MM. yyyy");
}
