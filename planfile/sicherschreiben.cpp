// SPDX-License-Identifier: GPL-3.0-or-later
#include "planfile/sicherschreiben.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// hoechstens: the permission bits the file may have at most, or -1 for a
// plan file (keeps its own, 0600 when new).
bool schreiben(const QString &pfad, const QByteArray &inhalt, QString *fehler, int hoechstens)
{
    // A short write or a failed flush cancels: commit() alone would report
    // success over a truncated file.
    // Never the direct-write fallback: without a temporary file beside the
    // plan it would truncate the plan itself before writing it anew.
    QSaveFile datei(pfad);
    datei.setDirectWriteFallback(false);
    bool ok = datei.open(QIODevice::WriteOnly);
    QString grund;
#ifdef Q_OS_UNIX
    if (ok) {
        // Set on the temporary file before a byte is in it: QSaveFile gives it
        // the old file's permissions, or 0666 less the umask when there is none.
        struct stat alt;
        const bool gab = ::stat(QFile::encodeName(pfad).constData(), &alt) == 0;
        int modus = gab ? int(alt.st_mode & 07777) : 0600;
        if (hoechstens >= 0)
            modus = gab ? modus & hoechstens : hoechstens;
        // A file system without permissions (FAT) refuses; it has none to widen.
        (void)::fchmod(datei.handle(), mode_t(modus));
    }
#else
    Q_UNUSED(hoechstens);
#endif
    if (ok) {
        ok = datei.write(inhalt) == inhalt.size() && datei.flush()
             && datei.error() == QFileDevice::NoError;
        if (ok) {
            ok = datei.commit();
        } else {
            // Taken before cancelling, which would replace it with its own.
            grund = datei.errorString();
            datei.cancelWriting();
        }
    }
    if (!ok && fehler)
        *fehler = grund.isEmpty() ? datei.errorString() : grund;
    return ok;
}

} // namespace

bool sicherSchreiben(const QString &pfad, const QByteArray &inhalt, QString *fehler)
{
    return schreiben(pfad, inhalt, fehler, -1);
}

bool sicherSchreibenWie(const QString &pfad, const QByteArray &inhalt, const QString &vorbild,
                        QString *fehler)
{
    return schreiben(pfad, inhalt, fehler, planRechte(vorbild));
}

int planRechte(const QString &vorbild)
{
#ifdef Q_OS_UNIX
    struct stat plan;
    if (!vorbild.isEmpty() && ::stat(QFile::encodeName(vorbild).constData(), &plan) == 0)
        return int(plan.st_mode & 0666);
#else
    Q_UNUSED(vorbild);
#endif
    return 0600;
}

void einstellungenSchuetzen(const QString &ordner)
{
#ifdef Q_OS_UNIX
    // Only what this user owns, each by the kind lstat tells: a link is left
    // alone, not its target.
    const auto anpassen = [](const QString &pfad, bool istOrdner) {
        const QByteArray name = QFile::encodeName(pfad);
        struct stat info;
        if (::lstat(name.constData(), &info) != 0 || info.st_uid != ::geteuid()
            || (istOrdner ? !S_ISDIR(info.st_mode) : !S_ISREG(info.st_mode)))
            return false;
        const mode_t soll = istOrdner ? 0700 : 0600;
        if ((info.st_mode & 07777) != soll)
            ::chmod(name.constData(), soll);
        return true;
    };
    for (const QString &o : {ordner, ordner + "/data"}) {
        if (!anpassen(o, true))
            continue;
        const QStringList namen =
            QDir(o).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
        for (const QString &name : namen)
            anpassen(o + "/" + name, false);
    }
#else
    Q_UNUSED(ordner);
#endif
}
