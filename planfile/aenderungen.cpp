// SPDX-License-Identifier: GPL-3.0-or-later
#include "planfile/aenderungen.h"

#include "i18n/sprachform.h"
#include "planfile/datensatz.h"

#include <QDateTime>
#include <QHash>

namespace {

struct Plan
{
    QStringList patient;
    QList<QStringList> medikamente;
    QStringList schluessel; // name + occurrence, so equal names pair up in order
};

Plan zerlegen(const QByteArray &bytes)
{
    Plan plan;
    const QStringList zeilen = planZeilen(planTextDekodieren(bytes));
    QHash<QString, int> gesehen;
    for (int i = 1; i < zeilen.size(); ++i) {
        const QStringList felder = zeilen.at(i).split(QLatin1Char(';'));
        if (i == 1) {
            plan.patient = felder;
            continue;
        }
        const QString name = feldVon(felder, 1);
        plan.medikamente.append(felder);
        plan.schluessel.append(name + QChar(0x1F) + QString::number(gesehen[name]++));
    }
    return plan;
}

bool gleicheFelder(const QStringList &a, const QStringList &b, int von, int bis)
{
    for (int i = von; i <= bis; ++i) {
        if (feldVon(a, i) != feldVon(b, i))
            return false;
    }
    return true;
}

QString datumText(const QString &unixText)
{
    // Read as the patient page reads it.
    const QDateTime zeit = QDateTime::fromSecsSinceEpoch(static_cast<quint32>(unixText.toInt()));
    return tagText(zeit.date());
}

} // namespace

QStringList aenderungenBeschreiben(const QByteArray &alt, const QByteArray &neu,
                                   const AenderungsWorte &worte)
{
    if (alt == neu)
        return {worte.keine};
    const Plan a = zerlegen(alt);
    const Plan n = zerlegen(neu);
    QStringList texte;

    if (!gleicheFelder(a.patient, n.patient, 1, 3))
        texte << worte.patient;
    const bool terminAlt = feldVon(a.patient, 4) == QLatin1String("1");
    const bool terminNeu = feldVon(n.patient, 4) == QLatin1String("1");
    if (terminNeu && (!terminAlt || feldVon(a.patient, 5) != feldVon(n.patient, 5)))
        texte << worte.termin.arg(datumText(feldVon(n.patient, 5)));
    else if (terminAlt && !terminNeu)
        texte << worte.keinTermin;

    for (int i = 0; i < a.medikamente.size(); ++i) {
        if (!n.schluessel.contains(a.schluessel.at(i)))
            texte << worte.entfernt.arg(feldVon(a.medikamente.at(i), 1));
    }
    QStringList gemeinsamAlt;
    for (const QString &s : a.schluessel) {
        if (n.schluessel.contains(s))
            gemeinsamAlt << s;
    }
    QStringList gemeinsamNeu;
    for (int i = 0; i < n.medikamente.size(); ++i) {
        const QStringList &rn = n.medikamente.at(i);
        const int j = a.schluessel.indexOf(n.schluessel.at(i));
        const QString name = feldVon(rn, 1);
        if (j < 0) {
            texte << worte.hinzu.arg(name);
            continue;
        }
        gemeinsamNeu << n.schluessel.at(i);
        const QStringList &ra = a.medikamente.at(j);
        if (feldVon(ra, 6) != feldVon(rn, 6))
            texte << worte.bestand.arg(name, feldVon(ra, 6), feldVon(rn, 6));
        const bool neuGezaehlt = feldVon(ra, 6) == feldVon(rn, 6) && !gleicheFelder(ra, rn, 5, 5);
        if (!gleicheFelder(ra, rn, 2, 4) || !gleicheFelder(ra, rn, 7, 11) || neuGezaehlt)
            texte << worte.geaendert.arg(name);
    }
    if (gemeinsamAlt != gemeinsamNeu)
        texte << worte.reihenfolge;
    if (texte.isEmpty())
        texte << worte.sonst;
    return texte;
}

QList<VerlaufEintrag> verlaufListe(const QList<Versionsspeicher::Version> &versionen,
                                   const QByteArray &aktuell, const AenderungsWorte &worte)
{
    QList<VerlaufEintrag> liste;
    QByteArray danach = aktuell;
    for (int i = versionen.size() - 1; i >= 0; --i) {
        const QByteArray bytes = Versionsspeicher::lesen(versionen.at(i).pfad);
        // A state kept twice in a row (a command that changed nothing) shows once.
        if (bytes.isNull() || bytes == danach)
            continue;
        liste.append({versionen.at(i).pfad, versionen.at(i).zeit,
                      aenderungenBeschreiben(bytes, danach, worte).join(", ")});
        danach = bytes;
    }
    return liste;
}
