// SPDX-License-Identifier: GPL-3.0-or-later
#include "fuzzumgebung.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

namespace {

// Rejects every modal dialog right after it is shown. The rejection is queued,
// so it runs inside the dialog's own event loop and exec() returns at once;
// no timer and no polling, so nothing depends on how long a call takes.
struct DialogSchliesser : QObject
{
    bool eventFilter(QObject *objekt, QEvent *ereignis) override
    {
        auto *dialog = ereignis->type() == QEvent::Show ? qobject_cast<QDialog *>(objekt) : nullptr;
        if (dialog && dialog->isModal()) {
            ++fuzz::geschlosseneDialoge;
            QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
        }
        return false;
    }
};

// Lives until the process ends: libFuzzer never returns from its loop.
QTemporaryDir *ordner = nullptr;

} // namespace

namespace fuzz {

void einrichten(const char *sprache)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // A zone of its own, with summer time: without TZ the C library reads
    // /etc/localtime again for every local date, a twentieth of each input.
    qputenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
    // Warnings of the offscreen platform would bury libFuzzer's own output.
    qInstallMessageHandler([](QtMsgType typ, const QMessageLogContext &, const QString &text) {
        if (typ == QtCriticalMsg || typ == QtFatalMsg)
            std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    static int argc = 1;
    static char *argv[] = {const_cast<char *>("tablora_fuzz"), nullptr};
    new QApplication(argc, argv);

    // Every input writes the plan, its versions and the settings, each with a
    // sync to disk: in memory that costs next to nothing.
    const QString ort = QDir("/dev/shm").exists() ? "/dev/shm" : QDir::tempPath();
    ordner = new QTemporaryDir(ort + "/tablora-fuzz-XXXXXX");
    // libFuzzer ends the process with exit(): the folder goes with it.
    std::atexit([] { delete ordner; });
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, ordner->path());
    datenPfad = ordner->path() + "/Tablora/data/";
    planPfad = ordner->path() + "/plan.medat"; // alone in its folder, as the list shows it
    QDir().mkpath(datenPfad);
    for (const char *datei : {"lang_de.ini", "lang_en.ini", "lang_pers.ini"})
        schreiben(datenPfad + datei, lesen(QStringLiteral(TABLORA_DATEN "/") + datei));
    schreiben(planPfad, lesen(QStringLiteral(TABLORA_DATEN "/muster.medat")));
    QSettings(datenPfad + "language.ini", QSettings::IniFormat)
        .setValue("Language/set_lang", sprache);
    QSettings(datenPfad + "meddata.ini", QSettings::IniFormat)
        .setValue("Pfade/letzteDatei", planPfad);

    qApp->installEventFilter(new DialogSchliesser());
    // Left hidden: a shown window lays out every text it is given, which
    // makes each input four times slower and reaches no more of our code.
    fenster = new MainWindow();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QByteArray lesen(const QString &pfad)
{
    QFile f(pfad);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void schreiben(const QString &pfad, const QByteArray &inhalt)
{
    QFile f(pfad);
    FUZZ_PRUEFEN(f.open(QIODevice::WriteOnly) && f.write(inhalt) == inhalt.size(),
                 "temporary file not writable");
}

} // namespace fuzz
