// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/prognose.h"

#include "i18n/sprachform.h"
#include "planfile/datensatz.h"
#include "planfile/eingabe.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>
#include <limits>

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
    const float bestand = gespeicherteZahl(feldVon(r, 6));
    p.taeglich = gespeicherteZahl(feldVon(r, 7)) + gespeicherteZahl(feldVon(r, 8)) + gespeicherteZahl(feldVon(r, 9))
                 + gespeicherteZahl(feldVon(r, 10));
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
    // Tiny remainders: four decimals, trailing zeros dropped.
    return text.contains(QLatin1Char('e')) ? ohneNullen(double(bestand), 4) : text;
}

QString datumText(qint64 sekunden)
{
    return tagText(QDateTime::fromSecsSinceEpoch(sekunden).date());
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
    return packungenBisTermin(p, gespeicherteZahl(feldVon(r, 4)), lokalerTag(jetzt), terminTag(patient));
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

Warnung warnung(const Prognose &p, const QStringList &patient)
{
    Warnung w;
    if (!p.verbrauch)
        return w;
    w.aufgebraucht = p.aufgebraucht();
    w.vorTermin = feldVon(patient, 4).toInt() == 1 && p.leerZeit < feldVon(patient, 5).toInt();
    w.knapp = p.wochen < 4.0f;
    return w;
}

bool terminVorbei(const QStringList &patient, const QDate &heute)
{
    const QDate termin = terminTag(patient);
    return termin.isValid() && heute.isValid() && termin < heute;
}

QString wochenText(float wochen)
{
    return QString::number(wochen, 'f', 1);
}
