// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "app/plattform.h"
#include "i18n/spiegeln.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

namespace {
const char *const anleitungName = "Tablora_Anleitung.pdf";

// Plan files a user saved into the settings folder: the repair must not take
// a medication plan with it.
QStringList planDateienIn(const QString &verzeichnis, const QString &offenerPlan)
{
    const QString offen = QFileInfo(offenerPlan).absoluteFilePath();
    QStringList plaene;
    QDirIterator it(verzeichnis, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        const QString endung = info.suffix().toLower();
        if (endung == "medat" || endung == "db" || info.absoluteFilePath() == offen)
            plaene << info.absoluteFilePath();
    }
    return plaene;
}

QLabel *beschriftung(QDialog *dialog, const char *name, const QRect &rechteck,
                     Qt::Alignment ausrichtung, const QString &text)
{
    auto *label = new QLabel(text, dialog);
    label->setObjectName(name);
    label->setGeometry(rechteck);
    label->setAlignment(ausrichtung);
    return label;
}

QPushButton *knopf(QDialog *dialog, const char *name, const QRect &rechteck,
                   const QString &text)
{
    auto *button = new QPushButton(text, dialog);
    button->setObjectName(name);
    button->setGeometry(rechteck);
    return button;
}
} // namespace

void MainWindow::hilfeanzeigen()
{
    QString pfad = einstellungsVerzeichnis() + "/data/" + anleitungName;
    // Without the copy of the first run the manual beside the program is the same.
    const QString mitgeliefert =
        QCoreApplication::applicationDirPath() + "/data/" + anleitungName;
    if (!QFileInfo(pfad).isFile() && QFileInfo(mitgeliefert).isFile())
        pfad = mitgeliefert;
    QDesktopServices::openUrl(QUrl::fromLocalFile(pfad));
}

void MainWindow::Reparieren()
{
    QDialog dialog(this);
    dialog.setObjectName("dialogReparieren");
    dialog.setFixedSize(380, 200);
    // Wrapped, so that a longer translation loses no words at the edges.
    beschriftung(&dialog, "labelRep1", QRect(20, 20, 340, 50), Qt::AlignCenter, txtLabelRep1)
        ->setWordWrap(true);
    beschriftung(&dialog, "labelRep2", QRect(20, 80, 340, 40), Qt::AlignCenter, txtLabelRep2)
        ->setWordWrap(true);
    QPushButton *loeschen = knopf(&dialog, "butRep1", QRect(90, 140, 100, 30), txtButRep1);
    QPushButton *abbrechen = knopf(&dialog, "butRep2", QRect(190, 140, 100, 30), txtButRep2);
    // Return never resets: it takes the safe answer.
    abbrechen->setDefault(true);
    abbrechen->setFocus();
    connect(loeschen, &QPushButton::clicked, this, &MainWindow::RoamingLoeschen);
    connect(loeschen, &QPushButton::clicked, &dialog, &QDialog::close);
    connect(abbrechen, &QPushButton::clicked, &dialog, &QDialog::close);
    geometrieSpiegeln(&dialog); // right to left: the rectangles mirrored
    dialog.exec();
}

void MainWindow::RoamingLoeschen()
{
    const QString verzeichnis = einstellungsVerzeichnis();

    const QStringList plaene = planDateienIn(verzeichnis, aktuelleDatei);
    if (!plaene.isEmpty()) {
        const QString sicherung =
            dokumenteOrdner() + "/Tablora-Sicherung-"
            + QDateTime::currentDateTime().toString("yyyyMMdd-hhmmss");
        const QDir quelle(verzeichnis);
        for (const QString &plan : plaene) {
            const QString ziel = sicherung + "/" + quelle.relativeFilePath(plan);
            if (!QDir().mkpath(QFileInfo(ziel).absolutePath()) || !QFile::rename(plan, ziel)) {
                // Better no repair than a lost plan.
                Hinweis("Die Einstellungen wurden nicht gel\u00f6scht: diese Plandatei lie\u00df "
                        "sich nicht in Sicherheit bringen.\n"
                        "The settings were not deleted: this plan file could not be moved "
                        "to safety.\n\n"
                            + plan,
                        true);
                return;
            }
        }
        Hinweis("Ihre Plandateien aus dem Einstellungsordner liegen jetzt in:\n"
                "Your plan files from the settings folder are now in:\n\n"
                + sicherung);
    }

    QDir(verzeichnis).removeRecursively();
    close();
}

void MainWindow::aboutueber()
{
    QDialog dialog(this);
    dialog.setObjectName("dialogUeber");
    dialog.setFixedSize(380, 240);
    beschriftung(&dialog, "labVersion", QRect(20, 5, 340, 50), Qt::AlignCenter,
                 QStringLiteral("Version " TABLORA_VERSION))
        ->setFont(fettSchrift);
    beschriftung(&dialog, "labUeberDe", QRect(20, 55, 340, 45), Qt::AlignCenter,
                 "Tablora speichert alles in lesbaren\n"
                 "Textdateien auf diesem Computer\n"
                 "und nichts im Internet.");
    beschriftung(&dialog, "labUeberEn", QRect(20, 100, 340, 45), Qt::AlignCenter,
                 "Tablora keeps everything in readable\n"
                 "text files on this computer\n"
                 "and nothing on the internet.");
    beschriftung(&dialog, "labBy", QRect(20, 145, 340, 15), Qt::AlignCenter, "by");
    beschriftung(&dialog, "labVantor", QRect(20, 160, 170, 15), Qt::AlignRight | Qt::AlignVCenter,
                 "Vantor")
        ->setFont(fettSchrift);
    beschriftung(&dialog, "labLight", QRect(190, 160, 170, 15), Qt::AlignLeft | Qt::AlignVCenter,
                 "light")
        ->setFont(kursivSchrift);
    QPushButton *ok = knopf(&dialog, "butOk", QRect(100, 200, 180, 20), "Ok");
    ok->setDefault(true);
    ok->setFocus();
    connect(ok, &QPushButton::clicked, &dialog, &QDialog::close);
    geometrieSpiegeln(&dialog); // right to left: the rectangles mirrored
    dialog.exec();
}
