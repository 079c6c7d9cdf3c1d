// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "planfile/aenderungen.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>

void MainWindow::BearbeitenMenueBauen(QMenuBar *leiste)
{
    QMenu *menue = leiste->addMenu(txtMenu5);
    menue->setObjectName("menu5");
    aktionUndo = menue->addAction(txtMenu51);
    aktionUndo->setObjectName("menu51");
    aktionUndo->setShortcut(QKeySequence(tr("CTRL+Z")));
    aktionUndo->setEnabled(false);
    aktionRedo = menue->addAction(txtMenu52);
    aktionRedo->setObjectName("menu52");
    aktionRedo->setShortcut(QKeySequence(tr("SHIFT+CTRL+Z")));
    aktionRedo->setEnabled(false);
    menue->addSeparator();
    QAction *verlauf = menue->addAction(txtMenu53);
    verlauf->setObjectName("menu53");
    connect(aktionUndo, &QAction::triggered, this, &MainWindow::Rueckgaengig);
    connect(aktionRedo, &QAction::triggered, this, &MainWindow::Wiederholen);
    connect(verlauf, &QAction::triggered, this, &MainWindow::VerlaufZeigen);
}

void MainWindow::UndoZustandAktualisieren()
{
    if (!aktionUndo || !aktionRedo)
        return;
    const bool plan = tabelleHaeltPlan();
    aktionUndo->setEnabled(plan && dokument.kannRueckgaengig());
    aktionRedo->setEnabled(plan && dokument.kannWiederholen());
}

// Shows the plan as it is on disk now, as when a file is opened.
void MainWindow::PlanNeuZeigen()
{
    AuswahlVergessen();
    PlanAnzeigen();
    // The form shows the plan's first medication.
    listBox->setCurrentRow(0);
}

void MainWindow::Rueckgaengig()
{
    Zeitreise(-1);
}

void MainWindow::Wiederholen()
{
    Zeitreise(1);
}

void MainWindow::Zeitreise(int schritt)
{
    if (!tabelleHaeltPlan())
        return;
    const PlanDokument::Ergebnis e = schritt < 0 ? dokument.rueckgaengig() : dokument.wiederholen();
    Ausgefuehrt(e, QString(), txtVerRestoreErr);
    if (e.ok || e.neuGelesen)
        PlanNeuZeigen();
}

bool MainWindow::VersionWiederherstellen(const QString &versionPfad)
{
    if (!tabelleHaeltPlan())
        return false;
    const PlanDokument::Ergebnis e = dokument.wiederherstellen(versionPfad);
    if (!Ausgefuehrt(e, QString(), txtVerRestoreErr))
        return false;
    if (e.geschrieben)
        PlanNeuZeigen();
    return true;
}

void MainWindow::DateiAufraeumen()
{
    if (!VorlageAblegen() || !tabelleHaeltPlan())
        return;
    aufraeumen();
}

AenderungsWorte MainWindow::aenderungsWorte() const
{
    AenderungsWorte w;
    w.bestand = txtHisStock;
    w.hinzu = txtHisAdded;
    w.entfernt = txtHisRemoved;
    w.geaendert = txtHisChanged;
    w.reihenfolge = txtHisOrder;
    w.patient = txtHisPatient;
    w.termin = txtHisAppt;
    w.keinTermin = txtHisNoAppt;
    w.keine = txtHisSame;
    w.sonst = txtHisOther;
    return w;
}
