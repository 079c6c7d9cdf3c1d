// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/plattform.h"

#include <QDir>
#include <QFile>

#ifdef Q_OS_WIN
#include <QFileInfo>
#include <QStandardPaths>
#else
#include <sys/stat.h>
#endif

QString dokumenteOrdner()
{
#ifdef Q_OS_WIN
    // Forward slashes, no trailing one; never empty, as on Linux.
    const QString ordner = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!ordner.isEmpty())
        return QDir::cleanPath(ordner);
#endif
    return QDir::homePath() + "/Documents";
}

bool gibtEs(const QString &pfad)
{
#ifdef Q_OS_WIN
    // The C library's stat takes the path in the ANSI code page, which cannot
    // hold every user name.
    return QFileInfo::exists(pfad);
#else
    struct stat info;
    return ::stat(QFile::encodeName(pfad).constData(), &info) == 0;
#endif
}
