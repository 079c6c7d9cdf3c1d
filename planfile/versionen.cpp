// SPDX-License-Identifier: GPL-3.0-or-later
#include "planfile/versionen.h"

#include "planfile/datensatz.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace {

const char *const zeitFormat = "yyyy-MM-dd_HH-mm-ss-zzz";
const char *const standPraefix = "stand_";

// "2026-12-06_23-55-00-123.medat", with "_2", "_3" ... when two share a millisecond.
const QRegularExpression &namensMuster()
{
    static const QRegularExpression muster(
        QStringLiteral("^(\\d{4}-\\d{2}-\\d{2}_\\d{2}-\\d{2}-\\d{2}-\\d{3})(?:_(\\d{1,6}))?\\.medat$"));
    return muster;
}

struct Eintrag
{
    QString name;
    QDateTime zeit;
    int zaehler;
};

bool frueher(const Eintrag &a, const Eintrag &b)
{
    return a.zeit != b.zeit ? a.zeit < b.zeit : a.zaehler < b.zaehler;
}

// Every file whose name is a version name, oldest first, whatever it holds.
QList<Eintrag> benannte(const QString &ordner)
{
    QList<Eintrag> liste;
    const QStringList namen =
        QDir(ordner).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    for (const QString &name : namen) {
        const auto treffer = namensMuster().match(name);
        if (!treffer.hasMatch())
            continue;
        const QString t = treffer.captured(1);
        const auto zahl = [&t](int von, int laenge) { return t.mid(von, laenge).toInt(); };
        const QDate tag(zahl(0, 4), zahl(5, 2), zahl(8, 2));
        const QTime uhr(zahl(11, 2), zahl(14, 2), zahl(17, 2), zahl(20, 3));
        if (!tag.isValid() || !uhr.isValid())
            continue;
        const QDateTime zeit(tag, uhr, Qt::UTC);
        liste.append({name, zeit, treffer.captured(2).toInt()});
    }
    std::sort(liste.begin(), liste.end(), frueher);
    return liste;
}

} // namespace

Versionsspeicher::Versionsspeicher(const QString &planPfad)
{
    const QFileInfo info(planPfad);
    m_ordner = info.absolutePath() + "/." + info.fileName() + ".versions";
}

QString Versionsspeicher::ordner() const
{
    return m_ordner;
}

bool Versionsspeicher::istPlan(const QByteArray &bytes)
{
    if (bytes.size() > maxGroesse || bytes.contains('\0'))
        return false;
    const int zeilen = planZeilen(planTextDekodieren(bytes)).size();
    return zeilen >= 2 && zeilen <= 50;
}

QByteArray Versionsspeicher::lesen(const QString &pfad)
{
    QFile datei(pfad);
    if (datei.size() > maxGroesse || !datei.open(QIODevice::ReadOnly))
        return QByteArray();
    // A buffer as large as the file, not as the limit; one that grew since
    // its size was taken is read on up to the limit.
    const qint64 groesse = qMin(datei.size(), maxGroesse);
    QByteArray bytes = datei.read(groesse + 1);
    if (bytes.size() > groesse)
        bytes += datei.read(maxGroesse + 1 - bytes.size());
    if (datei.error() != QFileDevice::NoError || !istPlan(bytes))
        return QByteArray();
    return bytes;
}

QList<Versionsspeicher::Version> Versionsspeicher::versionen() const
{
    QList<Version> liste;
    // By name alone: size and contents are checked when a version is read.
    for (const Eintrag &e : benannte(m_ordner))
        liste.append({m_ordner + "/" + e.name, e.zeit});
    return liste;
}

Versionsspeicher::Ergebnis Versionsspeicher::behalten(const QByteArray &bytes,
                                                      const Schreiber &schreiben,
                                                      QString *fehler, const QDateTime &jetzt)
{
    QList<Eintrag> alle = benannte(m_ordner);
    for (int i = alle.size() - 1; i >= 0; --i) {
        const QByteArray neueste = lesen(m_ordner + "/" + alle.at(i).name);
        if (neueste.isNull())
            continue;
        if (neueste == bytes)
            return Ergebnis::Gleich;
        break;
    }

    if (!QDir().mkpath(m_ordner) || !QFileInfo(m_ordner).isDir()) {
        if (fehler)
            *fehler = QFileInfo::exists(m_ordner) ? QFile::tr("Not a directory") + ": " + m_ordner
                                                  : QFile::tr("Cannot create directory") + ": "
                                                        + m_ordner;
        return Ergebnis::Fehler;
    }

    // Never older than the newest name, so the order holds when the clock goes back.
    QDateTime zeit = jetzt.toUTC();
    int zaehler = 0;
    if (!alle.isEmpty() && zeit <= alle.last().zeit) {
        zeit = alle.last().zeit;
        zaehler = alle.last().zaehler + 1;
    }
    QString name = zeit.toString(zeitFormat);
    if (zaehler > 0)
        name += "_" + QString::number(zaehler);
    name += ".medat";
    if (!schreiben(m_ordner + "/" + name, bytes, fehler))
        return Ergebnis::Fehler;

    alle.append({name, zeit, zaehler});
    while (alle.size() > grenze) {
        QFile::remove(m_ordner + "/" + alle.takeFirst().name);
    }
    return Ergebnis::Neu;
}

// The mark is an empty file whose name carries the version's name: made and
// dropped without writing any contents, so it is never half written.
QString Versionsspeicher::stand() const
{
    const QStringList marken =
        QDir(m_ordner).entryList({QString(standPraefix) + "*"}, QDir::Files | QDir::Hidden);
    if (marken.size() != 1)
        return QString();
    const QString name = marken.first().mid(int(qstrlen(standPraefix)));
    if (!namensMuster().match(name).hasMatch())
        return QString();
    return m_ordner + "/" + name;
}

bool Versionsspeicher::setzeStand(const QString &versionPfad)
{
    standLoeschen();
    QFile marke(m_ordner + "/" + standPraefix + QFileInfo(versionPfad).fileName());
    if (!marke.open(QIODevice::WriteOnly))
        return false;
    marke.close();
    return true;
}

void Versionsspeicher::standLoeschen()
{
    const QStringList marken =
        QDir(m_ordner).entryList({QString(standPraefix) + "*"}, QDir::Files | QDir::Hidden);
    for (const QString &marke : marken)
        QFile::remove(m_ordner + "/" + marke);
}

int Versionsspeicher::position(const QList<Version> &liste, const QByteArray &aktuell) const
{
    const QString markiert = stand();
    if (markiert.isEmpty())
        return liste.size();
    for (int i = 0; i < liste.size(); ++i) {
        if (liste.at(i).pfad == markiert)
            return lesen(markiert) == aktuell ? i : liste.size();
    }
    return liste.size();
}

int Versionsspeicher::ziel(const QList<Version> &liste, int pos, int schritt,
                           const QByteArray &aktuell)
{
    for (int i = pos + schritt; i >= 0 && i < liste.size(); i += schritt) {
        const QByteArray bytes = lesen(liste.at(i).pfad);
        if (!bytes.isNull() && bytes != aktuell)
            return i;
    }
    return -1;
}
