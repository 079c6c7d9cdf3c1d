// SPDX-License-Identifier: GPL-3.0-or-later
// Typed input that is not saved yet: marked where it was typed, and never
// dropped without asking when the user moves on.
#include "app/mainwindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDateEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

namespace {
const char *const offenStil = "color:rgb(200,0,0); font-weight:bold;";
}

bool MainWindow::FormularOffen() const
{
    if (aktuelleNummer.isEmpty())
        return false;
    for (const QLineEdit *f : eingabeFelder) {
        if (f->isModified())
            return true;
    }
    return formularHakenGeaendert;
}

bool MainWindow::PatientOffen() const
{
    return editName->isModified() || editVorname->isModified()
           || dateGeburt->date() != gezeigteGeburt;
}

bool MainWindow::TerminOffen() const
{
    return radioJa->isChecked() && dateArztTermin->date() != gezeigterTermin;
}

// Patient and appointment fields show unsaved input as the form does.
void MainWindow::PatFelderMarkieren()
{
    const QString mitRahmen = "background-color:white; border:1px solid gray;";
    const auto markieren = [&](QWidget *feld, bool offen, const QString &basis) {
        const QString stil = offen ? basis + offenStil : basis;
        if (feld->styleSheet() != stil)
            feld->setStyleSheet(stil);
    };
    markieren(editName, editName->isModified(), mitRahmen);
    markieren(editVorname, editVorname->isModified(), mitRahmen);
    markieren(dateGeburt, dateGeburt->date() != gezeigteGeburt, mitRahmen);
    markieren(dateArztTermin, TerminOffen(), "background-color:white;");
}

// Before the form, the patient fields or the plan are left: true when the
// user may move on (nothing pending, saved, or discarded).
bool MainWindow::EingabenKlaeren(bool nurFormular)
{
    const bool formular = FormularOffen();
    const bool patient = !nurFormular && PatientOffen();
    const bool termin = !nurFormular && TerminOffen();
    if (!formular && !patient && !termin)
        return true;
    QMessageBox box(this);
    box.setObjectName("offenFrage");
    box.setIcon(QMessageBox::Question);
    box.setText(txtOffen);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    box.button(QMessageBox::Yes)->setText(txtOffenSpeichern);
    box.button(QMessageBox::No)->setText(txtOffenVerwerfen);
    box.button(QMessageBox::Cancel)->setText(txtAbort);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    const int antwort = box.exec();
    if (antwort == QMessageBox::Yes) {
        if (patient)
            PatDatenAendern();
        if (termin)
            ArztTerminMachen();
        if (formular)
            Aenderung_Speichern();
        // Refused input stays for correction.
        return !FormularOffen() && (nurFormular || (!PatientOffen() && !TerminOffen()));
    }
    if (antwort != QMessageBox::No)
        return false;
    EingabenVerwerfen(nurFormular);
    return true;
}

void MainWindow::EingabenVerwerfen(bool nurFormular)
{
    for (QLineEdit *f : eingabeFelder)
        f->setModified(false);
    formularHakenGeaendert = false;
    if (!nurFormular) {
        editName->setModified(false);
        editVorname->setModified(false);
        PatDatenFuellen();
    }
    const int index = gewaehlterIndex();
    if (index >= 2) {
        const QSignalBlocker sperre(listBox);
        comboAuswahl(index - 2);
    }
}

void MainWindow::closeEvent(QCloseEvent *ereignis)
{
    if (EingabenKlaeren())
        ereignis->accept();
    else
        ereignis->ignore();
}
