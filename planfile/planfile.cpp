// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "app/qtkompat.h"
#include "planfile/datensatz.h"

#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QSettings>
#include <QTimer>

void MainWindow::DatenEinlesen(QString fileDatei)
{
    const PlanDokument::Ergebnis e = dokument.laden(fileDatei);
    if (e.fehler == PlanDokument::Fehler::ZuLang)
        Hinweis(txtTooLong + "\n\n" + fileDatei, true);
    else if (e.fehler == PlanDokument::Fehler::ZuGross)
        Hinweis(txtTooBig + "\n\n" + fileDatei, true);
    if (!e.ok)
        return;
    UndoZustandAktualisieren();
    LetzteDateiMerken(fileDatei);
}

void MainWindow::LetzteDateiMerken(const QString &pfad)
{
    QSettings pfade(datenPfad + "meddata.ini", QSettings::IniFormat);
    iniUtf8(pfade);
    pfade.beginGroup("Pfade");
    // Written only when it changes: setting the same value rewrites the file.
    if (pfade.value("letzteDatei").toString() != pfad)
        pfade.setValue("letzteDatei", pfad);
    pfade.endGroup();
}

bool MainWindow::tabelleHaeltPlan() const
{
    return dokument.haeltPlan() && PlanDokument::gleicherPfad(dokument.pfad(), aktuelleDatei);
}

int MainWindow::gewaehlterIndex() const
{
    bool ok = false;
    const int index = aktuelleNummer.toInt(&ok) - 1;
    return ok && index >= 2 && index < anzahlDatensaetze ? index : -1;
}

bool MainWindow::Ausgefuehrt(const PlanDokument::Ergebnis &e, const QString &fehlerText,
                             const QString &leseText)
{
    using F = PlanDokument::Fehler;
    if (e.neuGelesen)
        NeuGeladenZeigen();
    UndoZustandAktualisieren();
    const QString text = fehlerText.isNull() ? txtWriteErr : fehlerText;
    switch (e.fehler) {
    case F::Keiner:
    case F::KeinPlan:
    case F::NichtsDa:
    case F::Letztes:
        break;
    case F::Vorlage:
    case F::Schreiben:
    case F::Lesen:
        Hinweis((e.fehler == F::Lesen && !leseText.isNull() ? leseText : text) + "\n\n" + e.pfad
                    + (e.grund.isEmpty() ? QString() : "\n" + e.grund),
                true);
        break;
    case F::ZuLang:
        Hinweis(txtTooLong + "\n\n" + e.pfad, true);
        break;
    case F::ZuGross:
        Hinweis(txtTooBig + "\n\n" + e.pfad, true);
        break;
    case F::Muell:
        Hinweis(txtVerMuell + "\n\n" + e.pfad, true);
        break;
    case F::Weg:
        Hinweis(txtVerGone, true);
        break;
    case F::Voll:
        Hinweis(txtMedFull);
        break;
    case F::Version:
        break; // the user was asked and chose not to go on
    case F::PlanDatei:
        Hinweis(txtExportPlan + "\n\n" + e.pfad, true);
        break;
    }
    if (!e.ausweichOrdner.isEmpty())
        Hinweis(txtVerFallback + "\n\n" + e.ausweichOrdner, true);
    if (e.ok && e.wiederAngelegt)
        Hinweis(txtVerGeloescht + "\n\n" + e.pfad);
    return e.ok;
}

// A line over the patient line that goes by itself, or at a click.
void MainWindow::NeuGeladenZeigen()
{
    if (!labNeuGeladen) {
        labNeuGeladen = new QLabel(this);
        labNeuGeladen->setObjectName("labNeuGeladen");
        labNeuGeladen->setGeometry(40, 45, 1120, 30);
        labNeuGeladen->setStyleSheet(
            "background-color:rgb(255,245,200); color:black; border:1px solid rgb(200,160,0);");
        labNeuGeladen->setAlignment(Qt::AlignCenter);
        labNeuGeladen->installEventFilter(this);
        neuGeladenUhr = new QTimer(this);
        neuGeladenUhr->setSingleShot(true);
        neuGeladenUhr->setInterval(8000);
        connect(neuGeladenUhr, &QTimer::timeout, labNeuGeladen, &QWidget::hide);
    }
    labNeuGeladen->setText(txtVerReload);
    labNeuGeladen->setAccessibleName(txtVerReload);
    labNeuGeladen->show();
    labNeuGeladen->raise();
    neuGeladenUhr->start();
}

bool MainWindow::eventFilter(QObject *objekt, QEvent *ereignis)
{
    if (objekt == labNeuGeladen && ereignis->type() == QEvent::MouseButtonPress)
        labNeuGeladen->hide();
    return QMainWindow::eventFilter(objekt, ereignis);
}

bool MainWindow::ExportSchreiben(const QString &pfad, const QByteArray &inhalt,
                                 const QString &fehlerText)
{
    return Ausgefuehrt(dokument.exportSchreiben(pfad, inhalt), fehlerText);
}
