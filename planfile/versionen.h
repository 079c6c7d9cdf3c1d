// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TABLORA_VERSIONEN_H
#define TABLORA_VERSIONEN_H

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>

// Earlier states of one plan file, kept in a hidden folder beside it
// (".<file name>.versions"), one file per state, named by the time it was kept.
class Versionsspeicher
{
public:
    // Writes bytes to a path safely; false with a reason on failure.
    using Schreiber = std::function<bool(const QString &, const QByteArray &, QString *)>;

    static constexpr int grenze = 100;              // versions kept per plan
    static constexpr qint64 maxGroesse = 1 << 20;   // larger files are no plan

    struct Version
    {
        QString pfad;
        QDateTime zeit; // UTC
    };

    enum class Ergebnis { Neu, Gleich, Fehler };

    explicit Versionsspeicher(const QString &planPfad);

    QString ordner() const;

    // The files named as versions, oldest first (foreign names left out);
    // lesen() refuses the damaged and over-long ones among them.
    QList<Version> versionen() const;

    // Keeps `bytes` as the newest version unless they equal it already.
    Ergebnis behalten(const QByteArray &bytes, const Schreiber &schreiben, QString *fehler,
                      const QDateTime &jetzt = QDateTime::currentDateTimeUtc());

    // The version the plan was last set back or forward to (undo, redo), or empty.
    QString stand() const;
    bool setzeStand(const QString &versionPfad);
    void standLoeschen();

    // Where the plan stands in `liste`: the index of the version set by undo or
    // redo while the plan still holds its bytes, else liste.size() (after the newest).
    int position(const QList<Version> &liste, const QByteArray &aktuell) const;
    // The nearest version from `pos` in direction `schritt` (-1 or +1) whose
    // bytes differ from `aktuell`, or -1.
    static int ziel(const QList<Version> &liste, int pos, int schritt, const QByteArray &aktuell);

    // The bytes of a version file, or a null array when it is no usable plan.
    static QByteArray lesen(const QString &pfad);
    static bool istPlan(const QByteArray &bytes);

private:
    QString m_ordner;
};

#endif
