// SPDX-License-Identifier: GPL-3.0-or-later
#include "planfile/sicherschreiben.h"

#include <QSaveFile>

bool sicherSchreiben(const QString &pfad, const QByteArray &inhalt, QString *fehler)
{
    // A short write or a failed flush cancels: commit() alone would report
    // success over a truncated file.
    // Never the direct-write fallback: without a temporary file beside the
    // plan it would truncate the plan itself before writing it anew.
    QSaveFile datei(pfad);
    datei.setDirectWriteFallback(false);
    bool ok = datei.open(QIODevice::WriteOnly);
    QString grund;
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
