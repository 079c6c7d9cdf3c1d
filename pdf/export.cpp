// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "i18n/kuerzel.h"
#include "i18n/sprachform.h"
#include "pdf/csvtabelle.h"
#include "app/qtkompat.h"
#include "pdf/kalender.h"
#include "planfile/datensatz.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QSettings>

#include <limits>

QList<QStringList> MainWindow::medikamentenDatensaetze() const
{
    QList<QStringList> medikamente;
    for (int i = 2; i < anzahlDatensaetze; ++i)
        medikamente << datensaetze[i];
    return medikamente;
}

QString MainWindow::exportDateiErfragen(const QString &titel, const QString &endung)
{
    const QFileInfo dokumente(dokumentePfad);
    const QString ordner = dokumente.isDir() ? dokumente.absoluteFilePath()
                                             : dokumente.absolutePath();
    const QString vorschlag = ordner + "/" + QFileInfo(aktuelleDatei).completeBaseName() + endung;
    // The menu entry's text names the dialog, without its mnemonic mark.
    return speicherDateiErfragen(ohneKuerzel(titel), vorschlag, "*" + endung, endung, true);
}

// Rises on every export, also across restarts and a reset of the settings:
// never below the minutes since 2020, so a calendar takes a newer export as
// an update of the events it already holds.
int MainWindow::naechsteKalenderSequenz()
{
    constexpr qint64 basis = 1577836800; // 2020-01-01 00:00 UTC
    const qint64 minuten = (QDateTime::currentSecsSinceEpoch() - basis) / 60;
    QSettings einstellungen(datenPfad + "meddata.ini", QSettings::IniFormat);
    einstellungen.beginGroup("Kalender");
    bool ok = false;
    constexpr qint64 hoechste = std::numeric_limits<qint32>::max();
    const qint64 alt = qBound<qint64>(0, einstellungen.value("sequenz").toLongLong(&ok), hoechste);
    const qint64 neu = qBound<qint64>(1, qMax(ok ? alt + 1 : 1, minuten), hoechste);
    einstellungen.setValue("sequenz", neu);
    einstellungen.endGroup();
    return int(neu);
}

void MainWindow::ErinnerungenExportieren()
{
    const QString pfad = exportDateiErfragen(txtMenu16, ".ics");
    if (pfad.isEmpty())
        return;
    ExportTexte t;
    t.nachbestellen = txtNachbestellen;
    t.termin = txtTermin;
    t.knapp = txtKnapp;
    t.alleReichen = txtAlleReichen;
    t.packungen = txtPackungen;
    t.bestand = txtCol4;
    t.leerAm = txtCol6;
    t.staerke = txtDpu;
    t.proPackung = txtUpb;
    t.planDatei = txtPlanDatei;
    // The last export of this plan: one short line per event, under a key
    // made from the plan's path.
    const QString schluessel =
        "Kalender/" + QString::fromLatin1(QCryptographicHash::hash(
                                              QFileInfo(aktuelleDatei).absoluteFilePath().toUtf8(),
                                              QCryptographicHash::Sha1)
                                              .toHex()
                                              .left(16));
    QList<KalenderStand> vorher, nachher;
    {
        QSettings einstellungen(datenPfad + "meddata.ini", QSettings::IniFormat);
        iniUtf8(einstellungen);
        vorher = kalenderStandLesen(einstellungen.value(schluessel).toStringList());
    }
    const QList<KalenderEreignis> ereignisse =
        kalenderEreignisse(medikamentenDatensaetze(), datensaetze[1], jetztUnix(), aktuelleDatei,
                           t, vorher, &nachher);
    const bool geschrieben = ExportSchreiben(
        pfad, kalenderDatei(ereignisse, naechsteKalenderSequenz(), QDateTime::currentDateTimeUtc()),
        txtExportErr);
    // Only what reached the file counts as exported.
    if (geschrieben) {
        QSettings einstellungen(datenPfad + "meddata.ini", QSettings::IniFormat);
        iniUtf8(einstellungen);
        if (nachher.isEmpty())
            einstellungen.remove(schluessel);
        else
            einstellungen.setValue(schluessel, kalenderStandText(nachher));
    }
}

void MainWindow::TabelleExportieren()
{
    const QString pfad = exportDateiErfragen(txtMenu17, ".csv");
    if (pfad.isEmpty())
        return;
    const quint32 jetztSek = jetztUnix();
    // Every row names the patient, so that the tables of two people stay apart
    // when they are put together.
    const QString patient = feld(1, 1) + ", " + feld(1, 2);
    QList<QStringList> zeilen{{txtPats, txtCol1, txtCol2, txtCol4, txtCol5, txtCol6, txtPackungen}};
    for (int i = 2; i < anzahlDatensaetze; ++i)
        zeilen << QStringList{patient} + uebersichtCsvZeile(datensaetze[i], datensaetze[1], jetztSek);
    ExportSchreiben(pfad, csvDatei(zeilen, {3, 4, 5, 6}, csvForm(sprachform())), txtExportErr);
}
