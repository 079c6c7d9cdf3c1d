// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TABLORA_VERSIONEN_H
#define TABLORA_VERSIONEN_H

#include "planfile/planlesen.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>

// Earlier states of one plan file, kept in a hidden folder beside it
// (".<file name>.versions"), one file per state, named by the time it was kept.
// Only a folder of the user's own is used: when the one beside the plan is
// not a real folder, belongs to someone else or others may write to it, the
// versions go to a folder in the settings folder instead (data/versions/,
// named by a hash of the plan's absolute path). Inside, only regular files of
// the user's are read, never through a link and never waiting on a pipe; new
// files are created under names nobody else has made.
class Versionsspeicher
{
public:
    // Writes bytes to a path safely; false with a reason on failure.
    using Schreiber = std::function<bool(const QString &, const QByteArray &, QString *)>;

    static constexpr int grenze = 100;                     // versions kept per plan
    static constexpr qint64 maxGroesse = maxPlanGroesse;   // larger files are no plan

    struct Version
    {
        QString pfad;
        QDateTime zeit; // UTC
        // Undone before a new change: off the undo path, restorable from the history.
        bool abseits = false;
    };

    enum class Ergebnis { Neu, Gleich, Fehler };

    // Owner and st_mode (type and permission bits) of a versions folder or of
    // a file in it, as lstat or fstat gave them.
    struct Besitz
    {
        QString pfad;
        uint eigner;
        uint modus;
    };
    // Whether such an entry may be used. The default is eigenes(); tests
    // replace it to fake an entry of another user.
    using Pruefung = std::function<bool(const Besitz &)>;
    static Pruefung &pruefung();
    // Owned by this user and, for a folder, writable by nobody else.
    static bool eigenes(const Besitz &besitz);

    explicit Versionsspeicher(const QString &planPfad);

    QString ordner() const;
    // Whether ordner() is the folder in the settings folder, the one beside
    // the plan not being fit for use.
    bool ausweichOrdner() const;
    // Where those folders lie: the settings folder's data/versions.
    static QString ausweichBasis();

    // The files named as versions, oldest first (foreign names left out);
    // lesen() refuses the damaged, over-long and foreign ones among them.
    QList<Version> versionen() const;

    // Keeps `bytes` as the newest version unless they equal it already.
    // Without `schreiben` the file is created exclusively, with the plan's
    // permissions, under a temporary name and renamed into place.
    Ergebnis behalten(const QByteArray &bytes, const Schreiber &schreiben = Schreiber(),
                      QString *fehler = nullptr,
                      const QDateTime &jetzt = QDateTime::currentDateTimeUtc());

    // The version the plan was last set back or forward to (undo, redo), or empty.
    QString stand() const;
    bool setzeStand(const QString &versionPfad);
    void standLoeschen();
    // A new change after undo: the versions after `pos` in `liste` leave the
    // undo path (undo and redo pass them by), and the mark of undo goes.
    void abzweigen(const QList<Version> &liste, int pos);

    // Where the plan stands in `liste`: the index of the version set by undo or
    // redo while the plan still holds its bytes, else liste.size() (after the newest).
    int position(const QList<Version> &liste, const QByteArray &aktuell) const;
    // The nearest version on the undo path from `pos` in direction `schritt`
    // (-1 or +1) whose bytes differ from `aktuell`, or -1.
    static int ziel(const QList<Version> &liste, int pos, int schritt, const QByteArray &aktuell);

    // The bytes of a version file, or a null array when it is no usable plan
    // or not the user's own (nor its folder).
    static QByteArray lesen(const QString &pfad);
    static bool istPlan(const QByteArray &bytes);

private:
    void ausweichen();
    bool markeSetzen(const QString &name); // an empty file, made exclusively
    bool ordnerAnlegen(QString *fehler);

    QString m_plan;   // absolute path
    QString m_ordner;
    bool m_ausweich = false;
    bool m_unbrauchbar = false; // not even the fallback folder can be trusted
};

#endif
