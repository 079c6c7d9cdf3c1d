#include "views/prognose.h"

#include "planfile/datensatz.h"

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
    p.bestandHeute = bestand - tage * p.taeglich;
    if (p.taeglich == 0.0f)
        return p;
    p.verbrauch = true;
    const float reichweite = bestand / p.taeglich;
    const float rest = reichweite - tage;
    p.wochen = rest / 7;
    p.restTage = ganzzahl(rest);
    const float ende = static_cast<float>(bestandZeit) + reichweite * 86400;
    p.leerZeit = ganzzahl(ende);
    p.balken = p.restTage > 60 ? 100 : ganzzahl(p.restTage * 1.66);
    return p;
}
