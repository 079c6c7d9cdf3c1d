// SPDX-License-Identifier: GPL-3.0-or-later
#include "planfile/versionen.h"

#include "planfile/datensatz.h"
#include "planfile/sicherschreiben.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSettings>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const char *const zeitFormat = "yyyy-MM-dd_HH-mm-ss-zzz";
const char *const standPraefix = "stand_";
const char *const abseitsPraefix = "weg_";

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

// A name no version and no mark has: what is written under it is never read.
QString temporaerName()
{
    return ".neu-" + QString::number(QRandomGenerator::global()->generate64(), 36);
}

enum class Zustand { Fehlt, Gut, Schlecht };

#ifdef Q_OS_UNIX
QString fehlerText(int nummer)
{
    return QString::fromLocal8Bit(std::strerror(nummer));
}

// A descriptor closed when it goes out of scope.
struct Fd
{
    int fd = -1;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

bool vertraut(const QString &pfad, const struct stat &info)
{
    return Versionsspeicher::pruefung()({pfad, uint(info.st_uid), uint(info.st_mode)});
}

// The folder opened without following a link in its place, when it is one to
// use; else -1 with errno set. Files in it are then reached through the
// descriptor, so the folder cannot be swapped between the check and the use.
int ordnerOeffnen(const QString &pfad)
{
    const int fd = ::open(QFile::encodeName(pfad).constData(),
                          O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISDIR(info.st_mode) || !vertraut(pfad, info)) {
        ::close(fd);
        errno = EPERM;
        return -1;
    }
    return fd;
}
#endif

Zustand zustand(const QString &pfad)
{
#ifdef Q_OS_UNIX
    struct stat info;
    if (::lstat(QFile::encodeName(pfad).constData(), &info) != 0)
        return errno == ENOENT ? Zustand::Fehlt : Zustand::Schlecht;
    return S_ISDIR(info.st_mode) && vertraut(pfad, info) ? Zustand::Gut : Zustand::Schlecht;
#else
    const QFileInfo info(pfad);
    if (!info.exists() && !info.isSymLink())
        return Zustand::Fehlt;
    return info.isDir() && !info.isSymLink() && !info.isJunction() ? Zustand::Gut
                                                                    : Zustand::Schlecht;
#endif
}

// A folder for the user alone; one that is there already is checked by the caller.
void ordnerMachen(const QString &pfad)
{
#ifdef Q_OS_UNIX
    ::mkdir(QFile::encodeName(pfad).constData(), 0700);
#else
    QDir().mkdir(pfad);
#endif
}

// Creates `name` in `ordner` holding `bytes`, with the permission bits
// `modus`: written whole under a temporary name that nobody has made before
// (O_EXCL, no link followed), then renamed into place, so a file cut short
// never carries a version's name.
bool exklusivSchreiben(const QString &ordner, const QString &name, const QByteArray &bytes,
                       int modus, QString *fehler)
{
    const auto scheitern = [fehler](const QString &grund) {
        if (fehler)
            *fehler = grund;
        return false;
    };
#ifdef Q_OS_UNIX
    Fd verzeichnis{ordnerOeffnen(ordner)};
    if (verzeichnis.fd < 0)
        return scheitern(fehlerText(errno) + ": " + ordner);
    QByteArray temp;
    Fd datei;
    for (int versuch = 0; datei.fd < 0 && versuch < 16; ++versuch) {
        temp = QFile::encodeName(temporaerName());
        datei.fd = ::openat(verzeichnis.fd, temp.constData(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (datei.fd < 0 && errno != EEXIST)
            break;
    }
    if (datei.fd < 0)
        return scheitern(fehlerText(errno) + ": " + ordner);
    // Exactly the plan's bits, whatever the umask; refused only where the
    // file system has no permissions to widen.
    (void)::fchmod(datei.fd, mode_t(modus));
    int nummer = 0;
    for (qint64 fertig = 0; fertig < bytes.size() && !nummer;) {
        const ssize_t n = ::write(datei.fd, bytes.constData() + fertig, size_t(bytes.size() - fertig));
        if (n > 0)
            fertig += n;
        else if (n == 0 || errno != EINTR)
            nummer = n == 0 ? EIO : errno;
    }
    if (!nummer && ::fsync(datei.fd) != 0)
        nummer = errno;
    if (::close(datei.fd) != 0 && !nummer)
        nummer = errno;
    datei.fd = -1;
    if (!nummer
        && ::renameat(verzeichnis.fd, temp.constData(), verzeichnis.fd,
                      QFile::encodeName(name).constData())
               != 0)
        nummer = errno;
    if (nummer) {
        ::unlinkat(verzeichnis.fd, temp.constData(), 0);
        return scheitern(fehlerText(nummer));
    }
    return true;
#else
    Q_UNUSED(modus);
    QFile datei(ordner + "/" + temporaerName());
    if (!datei.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return scheitern(datei.errorString());
    const bool ok = datei.write(bytes) == bytes.size() && datei.flush();
    const QString grund = datei.errorString();
    datei.close();
    // Windows renames only onto a free name.
    if (!ok || !QFile::rename(datei.fileName(), ordner + "/" + name)) {
        QFile::remove(datei.fileName());
        return scheitern(ok ? QFile::tr("File exists") : grund);
    }
    return true;
#endif
}

} // namespace

Versionsspeicher::Pruefung &Versionsspeicher::pruefung()
{
    static Pruefung pruefen = &Versionsspeicher::eigenes;
    return pruefen;
}

bool Versionsspeicher::eigenes(const Besitz &besitz)
{
#ifdef Q_OS_UNIX
    return besitz.eigner == uint(::geteuid())
           && (!S_ISDIR(besitz.modus) || !(besitz.modus & (S_IWGRP | S_IWOTH)));
#else
    Q_UNUSED(besitz);
    return true;
#endif
}

Versionsspeicher::Versionsspeicher(const QString &planPfad)
{
    const QFileInfo info(planPfad);
    m_plan = info.absoluteFilePath();
    m_ordner = info.absolutePath() + "/." + info.fileName() + ".versions";
    // Not there yet is fine: behalten() makes it for the user alone.
    if (zustand(m_ordner) == Zustand::Schlecht)
        ausweichen();
}

void Versionsspeicher::ausweichen()
{
    const QString basis = ausweichBasis();
    const QByteArray name =
        QCryptographicHash::hash(m_plan.toUtf8(), QCryptographicHash::Sha256).toHex().left(32);
    m_ausweich = true;
    m_ordner = basis + "/" + QString::fromLatin1(name);
    m_unbrauchbar =
        zustand(basis) == Zustand::Schlecht || zustand(m_ordner) == Zustand::Schlecht;
}

QString Versionsspeicher::ordner() const
{
    return m_ordner;
}

bool Versionsspeicher::ausweichOrdner() const
{
    return m_ausweich;
}

QString Versionsspeicher::ausweichBasis()
{
    const QSettings einstellungen(QSettings::IniFormat, QSettings::UserScope, "Tablora",
                                  "application");
    return QFileInfo(einstellungen.fileName()).absolutePath() + "/data/versions";
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
    QFile datei;
#ifdef Q_OS_UNIX
    const QFileInfo info(pfad);
    Fd verzeichnis{ordnerOeffnen(info.absolutePath())};
    if (verzeichnis.fd < 0)
        return QByteArray();
    // No link followed, and no waiting for a writer when it is a pipe.
    Fd fd{::openat(verzeichnis.fd, QFile::encodeName(info.fileName()).constData(),
                   O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC)};
    struct stat st;
    if (fd.fd < 0 || ::fstat(fd.fd, &st) != 0 || !S_ISREG(st.st_mode) || !vertraut(pfad, st)
        || !datei.open(fd.fd, QIODevice::ReadOnly))
        return QByteArray();
#else
    datei.setFileName(pfad);
    if (!datei.open(QIODevice::ReadOnly))
        return QByteArray();
#endif
    if (datei.size() > maxGroesse)
        return QByteArray();
    // A buffer as large as the file, not as the limit; one that grew since
    // its size was taken is read on up to the limit.
    const qint64 groesse = datei.size();
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
    if (m_unbrauchbar)
        return liste;
    // By name alone: size, kind, owner and contents are checked when a version is read.
    const QStringList weg = QDir(m_ordner).entryList({QString(abseitsPraefix) + "*"},
                                                     QDir::Files | QDir::Hidden | QDir::System);
    for (const Eintrag &e : benannte(m_ordner))
        liste.append({m_ordner + "/" + e.name, e.zeit, weg.contains(abseitsPraefix + e.name)});
    return liste;
}

// The folder of the user's own, made when missing; when the one beside the
// plan turns out unfit, the fallback folder instead.
bool Versionsspeicher::ordnerAnlegen(QString *fehler)
{
    for (;;) {
        if (m_unbrauchbar) {
            *fehler = QFile::tr("Not a folder of this user's own") + ": " + m_ordner;
            return false;
        }
        if (m_ausweich) {
            const QString basis = ausweichBasis();
            QDir().mkpath(QFileInfo(basis).absolutePath());
            ordnerMachen(basis);
            if (zustand(basis) != Zustand::Gut) {
                m_unbrauchbar = true;
                continue;
            }
        }
        ordnerMachen(m_ordner);
        switch (zustand(m_ordner)) {
        case Zustand::Gut:
            return true;
        case Zustand::Schlecht:
            if (m_ausweich)
                m_unbrauchbar = true;
            else
                ausweichen();
            continue;
        case Zustand::Fehlt:
            *fehler = QFile::tr("Cannot create directory") + ": " + m_ordner;
            return false;
        }
    }
}

Versionsspeicher::Ergebnis Versionsspeicher::behalten(const QByteArray &bytes,
                                                      const Schreiber &schreiben,
                                                      QString *fehler, const QDateTime &jetzt)
{
    QString grund;
    const auto scheitern = [&] {
        if (fehler)
            *fehler = grund;
        return Ergebnis::Fehler;
    };
    if (bytes.size() > maxGroesse) {
        grund = QFile::tr("File too large");
        return scheitern();
    }
    if (!ordnerAnlegen(&grund))
        return scheitern();

    QList<Eintrag> alle = benannte(m_ordner);
    for (int i = alle.size() - 1; i >= 0; --i) {
        const QByteArray neueste = lesen(m_ordner + "/" + alle.at(i).name);
        if (neueste.isNull())
            continue;
        if (neueste == bytes)
            return Ergebnis::Gleich;
        break;
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
    const bool ok = schreiben ? schreiben(m_ordner + "/" + name, bytes, &grund)
                              : exklusivSchreiben(m_ordner, name, bytes, planRechte(m_plan), &grund);
    if (!ok)
        return scheitern();

    alle.append({name, zeit, zaehler});
    while (alle.size() > grenze) {
        const QString alt = alle.takeFirst().name;
        QFile::remove(m_ordner + "/" + alt);
        QFile::remove(m_ordner + "/" + abseitsPraefix + alt);
    }
    return Ergebnis::Neu;
}

// The mark is an empty file whose name carries the version's name: made and
// dropped without writing any contents, so it is never half written.
QString Versionsspeicher::stand() const
{
    if (m_unbrauchbar)
        return QString();
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
    return markeSetzen(standPraefix + QFileInfo(versionPfad).fileName());
}

bool Versionsspeicher::markeSetzen(const QString &name)
{
    if (m_unbrauchbar)
        return false;
#ifdef Q_OS_UNIX
    Fd verzeichnis{ordnerOeffnen(m_ordner)};
    if (verzeichnis.fd < 0)
        return false;
    // Never through a name that is there already.
    Fd marke{::openat(verzeichnis.fd, QFile::encodeName(name).constData(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600)};
    return marke.fd >= 0 || errno == EEXIST;
#else
    QFile marke(m_ordner + "/" + name);
    if (marke.exists())
        return true;
    if (!marke.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    marke.close();
    return true;
#endif
}

void Versionsspeicher::standLoeschen()
{
    if (m_unbrauchbar)
        return;
    const QStringList marken = QDir(m_ordner).entryList(
        {QString(standPraefix) + "*"}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &marke : marken)
        QFile::remove(m_ordner + "/" + marke);
}

void Versionsspeicher::abzweigen(const QList<Version> &liste, int pos)
{
    for (int i = pos + 1; i < liste.size(); ++i) {
        if (!liste.at(i).abseits)
            markeSetzen(abseitsPraefix + QFileInfo(liste.at(i).pfad).fileName());
    }
    standLoeschen();
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
        if (liste.at(i).abseits)
            continue;
        const QByteArray bytes = lesen(liste.at(i).pfad);
        if (!bytes.isNull() && bytes != aktuell)
            return i;
    }
    return -1;
}
