#include "views/prognose.h"

#include "planfile/datensatz.h"

#include <algorithm>
#include <cmath>
#include <limits>

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

bool prognoseBrauchbar(const Prognose &p)
{
    return p.verbrauch && std::isfinite(p.taeglich) && p.taeglich > 0.0f
           && std::isfinite(p.bestandHeute) && p.leerZeit > 0
           && p.leerZeit < std::numeric_limits<qint32>::max();
}

int packungenBisTermin(const Prognose &p, float einheitenProPackung, const QDate &heute,
                       const QDate &termin)
{
    if (!termin.isValid() || !heute.isValid() || !std::isfinite(p.taeglich)
        || p.taeglich <= 0.0f || !std::isfinite(p.bestandHeute)
        || !std::isfinite(einheitenProPackung) || einheitenProPackung <= 0.0f)
        return -1;
    const qint64 tage = heute.daysTo(termin);
    if (tage < 0)
        return -1;
    const double bedarf = double(p.taeglich) * double(tage + 7)
                          - std::max(0.0, double(p.bestandHeute));
    const double packungen = bedarf / double(einheitenProPackung);
    // Single-precision doses such as 0.1 + 0.2 must not cost a whole extra pack.
    const double aufgerundet = std::ceil(packungen - 1e-4);
    if (!std::isfinite(aufgerundet) || aufgerundet < 1.0 || aufgerundet > 1e6)
        return -1;
    return int(aufgerundet);
}

bool bestandZeitGueltig(const QStringList &r)
{
    bool ok = false;
    const qint32 zeit = feldVon(r, 5).toInt(&ok);
    return ok && zeit > 0;
}

int packungenFuer(const QStringList &r, const Prognose &p, quint32 jetzt,
                  const QStringList &patient)
{
    if (!bestandZeitGueltig(r))
        return -1;
    return packungenBisTermin(p, feldVon(r, 4).toFloat(), lokalerTag(jetzt), terminTag(patient));
}

QDate lokalerTag(qint64 sekunden)
{
    return QDateTime::fromSecsSinceEpoch(sekunden).date();
}

QDate terminTag(const QStringList &patient)
{
    if (feldVon(patient, 4).toInt() != 1)
        return QDate();
    return lokalerTag(feldVon(patient, 5).toInt());
}

QString bestandText(float bestand)
{
    return QString::number(bestand, 'g', 4);
}

QString wochenText(float wochen)
{
    return QString::number(wochen, 'f', 1);
}
