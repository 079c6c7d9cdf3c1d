// SPDX-License-Identifier: GPL-3.0-or-later
#include "planfile/planlesen.h"

#include <QFile>

QByteArray planDateiLesen(const QString &pfad, QString *fehler, bool *zuGross)
{
    if (zuGross)
        *zuGross = false;
    QFile datei(pfad);
    const auto abbruch = [&](const QString &grund, bool gross) {
        if (fehler)
            *fehler = grund;
        if (zuGross)
            *zuGross = gross;
        return QByteArray();
    };
    if (!datei.open(QIODevice::ReadOnly))
        return abbruch(datei.errorString(), false);
    // Told by its size before a byte is read; one that grows meanwhile stops at the limit.
    if (datei.size() > maxPlanGroesse)
        return abbruch(QStringLiteral("File too large"), true);
    // A buffer as large as the file, not as the limit.
    const qint64 groesse = datei.size();
    QByteArray bytes = datei.read(groesse + 1);
    if (bytes.size() > groesse)
        bytes += datei.read(maxPlanGroesse + 1 - bytes.size());
    if (datei.error() != QFileDevice::NoError)
        return abbruch(datei.errorString(), false);
    if (bytes.size() > maxPlanGroesse)
        return abbruch(QStringLiteral("File too large"), true);
    if (bytes.isNull())
        bytes = QByteArray("");
    return bytes;
}
