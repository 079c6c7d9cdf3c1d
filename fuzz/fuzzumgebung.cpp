// SPDX-License-Identifier: GPL-3.0-or-later
#include "fuzzumgebung.h"

#include "app/mainwindow.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QPointer>
#include <QSettings>
#include <QTemporaryDir>

namespace {

// Rejects every modal dialog right after it is shown. The rejection is queued,
// so it runs inside the dialog's own event loop and exec() returns at once;
// no timer and no polling, so nothing depends on how long a call takes.
class DialogSchliesser : public QObject
{
public:
    int anzahl = 0;

protected:
    bool eventFilter(QObject *objekt, QEvent *ereignis) override
    {
        if (ereignis->type() == QEvent::Show) {
            auto *dialog = qobject_cast<QDialog *>(objekt);
            if (dialog && dialog->isModal()) {
                ++anzahl;
                QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
            }
        }
        return false;
    }
};

struct Umgebung
{
    QApplication *app = nullptr;
    QTemporaryDir *ordner = nullptr;
    DialogSchliesser *schliesser = nullptr;
    MainWindow *fenster = nullptr;
    QString plan;
    QString daten;
};

// Warnings of the offscreen platform would bury libFuzzer's own output.
void meldungFiltern(QtMsgType typ, const QMessageLogContext &, const QString &text)
{
    if (typ == QtCriticalMsg || typ == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(text));
}

Umgebung &umgebung()
{
    // Lives until the process ends: libFuzzer never returns from its loop.
    static Umgebung u;
    return u;
}

void kopieren(const QString &name, const QString &ziel)
{
    fuzz::schreiben(ziel, fuzz::lesen(QStringLiteral(TABLORA_DATEN) + "/" + name));
}

} // namespace

namespace fuzz {

void einrichten(const QString &sprache)
{
    Umgebung &u = umgebung();
    if (u.fenster)
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(meldungFiltern);
    static int argc = 1;
    static char name[] = "tablora_fuzz";
    static char *argv[] = {name, nullptr};
    u.app = new QApplication(argc, argv);

    // Every input writes the plan, its versions and the settings several times
    // through the crash-safe path, each with a sync to disk: in memory that
    // costs next to nothing.
    const QString speicher = QStringLiteral("/dev/shm");
    u.ordner = QFileInfo(speicher).isDir() && QFileInfo(speicher).isWritable()
                   ? new QTemporaryDir(speicher + "/tablora-fuzz-XXXXXX")
                   : new QTemporaryDir();
    if (!u.ordner->isValid()) {
        delete u.ordner;
        u.ordner = new QTemporaryDir();
    }
    // libFuzzer ends the process with exit(): the folder goes with it.
    std::atexit([] {
        delete umgebung().ordner;
        umgebung().ordner = nullptr;
    });
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, u.ordner->path());
    u.daten = u.ordner->path() + "/Tablora/data/";
    QDir().mkpath(u.daten);
    QDir().mkpath(u.ordner->path() + "/plaene");
    for (const char *datei : {"lang_de.ini", "lang_en.ini", "lang_pers.ini"})
        kopieren(datei, u.daten + datei);
    u.plan = u.ordner->path() + "/plaene/plan.medat";
    kopieren("muster.medat", u.plan);
    {
        QSettings s(u.daten + "language.ini", QSettings::IniFormat);
        s.setValue("Language/set_lang", sprache);
    }
    {
        QSettings s(u.daten + "meddata.ini", QSettings::IniFormat);
        s.setValue("Pfade/letzteDatei", u.plan);
    }

    u.schliesser = new DialogSchliesser();
    u.app->installEventFilter(u.schliesser);

    // Left hidden: a shown window lays out every text it is given, which
    // makes each input four times slower and reaches no more of our code.
    u.fenster = new MainWindow();
    aufraeumenNachEingabe();
}

MainWindow &fenster()
{
    return *umgebung().fenster;
}

QString planPfad()
{
    return umgebung().plan;
}

QString datenPfad()
{
    return umgebung().daten;
}

int geschlosseneDialoge()
{
    return umgebung().schliesser->anzahl;
}

QByteArray lesen(const QString &pfad)
{
    QFile f(pfad);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

void schreiben(const QString &pfad, const QByteArray &inhalt)
{
    QFile f(pfad);
    FUZZ_PRUEFEN(f.open(QIODevice::WriteOnly) && f.write(inhalt) == inhalt.size(),
                 "temporary file not writable");
}

void aufrufen(const char *slot)
{
    FUZZ_PRUEFEN(QMetaObject::invokeMethod(umgebung().fenster, slot), slot);
}

void aufrufen(const char *slot, int wert)
{
    FUZZ_PRUEFEN(QMetaObject::invokeMethod(umgebung().fenster, slot, Q_ARG(int, wert)), slot);
}

void aufrufen(const char *slot, const QString &wert)
{
    FUZZ_PRUEFEN(QMetaObject::invokeMethod(umgebung().fenster, slot, Q_ARG(QString, wert)),
                 slot);
}

void aufraeumenNachEingabe()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace fuzz
