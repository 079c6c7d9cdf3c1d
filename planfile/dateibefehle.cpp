#include "app/mainwindow.h"
#include "planfile/datensatz.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSettings>
#include <QSignalBlocker>

void MainWindow::PlanAnzeigen()
{
    PatDatenFuellen();
    UebersichtFuellen();
    VerordnungsplanFuellen();
    ListBoxFuellen();
}

// The form still shows a medication of the previous plan; its number must not
// name a record of the plan opened now.
void MainWindow::AuswahlVergessen()
{
    aktuelleNummer.clear();
    for (QLineEdit *f : eingabeFelder)
        f->clear();
    checkMed->setChecked(false);
    labBestand->clear();
    groupMedWahl->setTitle(txtMedwahl);
    FelderZuruecksetzen();
}

void MainWindow::DateiNeu()
{
    AuswahlVergessen();
    aktuelleDatei = standardPlan;
    DatenEinlesen(aktuelleDatei);
    PlanAnzeigen();
    setzeFensterTitel();
    ListBoxDatFuellen();
    UnlesbaresMelden();
}

void MainWindow::Datei_Oeffnen()
{
    const QString name = QFileDialog::getOpenFileName(this, umlauteText(txtOpenf), dokumentePfad,
                                                      "(*.medat)");
    const QFileInfo info(name);
    if (name.isEmpty() || !info.isFile())
        return;
    AuswahlVergessen();
    dokumentePfad = info.absoluteFilePath();
    aktuelleDatei = info.absoluteFilePath();
    setzeFensterTitel();
    DatenEinlesen(name);
    PlanAnzeigen();
    ListBoxDatFuellen();
    UnlesbaresMelden();
}

void MainWindow::Datei_AusListeOeffnen(QString eing)
{
    // The folder the list shows, so a name always opens the file it stands for.
    const QFileInfo info(dateiListeOrdner + "/" + eing);
    if (eing.isEmpty() || dateiListeOrdner.isEmpty() || !info.isFile())
        return;
    AuswahlVergessen();
    dokumentePfad = info.absoluteFilePath();
    aktuelleDatei = info.absoluteFilePath();
    setzeFensterTitel();
    DatenEinlesen(info.filePath());
    PatDatenFuellen();
    UebersichtFuellen();
    VerordnungsplanFuellen();
    listBox->setCurrentRow(0);
    ListBoxFuellen();
    UnlesbaresMelden();
}

void MainWindow::Datei_Speichern_unter()
{
    const QString name = QFileDialog::getSaveFileName(this, txtSaved, dokumentePfad, "(*.db)");
    if (name.isEmpty())
        return;
    if (!TabelleSchreiben(name) || !QFileInfo(name).isFile())
        return;
    dokumentePfad = QFileInfo(name).absoluteFilePath();
    aktuelleDatei = name;
    tabellenDatei = QFileInfo(name).absoluteFilePath();
    {
        QSettings pfade(datenPfad + "meddata.ini", QSettings::IniFormat);
        pfade.beginGroup("Pfade");
        pfade.setValue("letzteDatei", aktuelleDatei);
        pfade.endGroup();
        aufraeumen();
        setzeFensterTitel();
    }
    ListBoxDatFuellen();
}

// The plan files beside the open plan; run whenever that folder may have
// changed. A template's folder is the program's own, so the list stays empty.
void MainWindow::ListBoxDatFuellen()
{
    if (!listBoxDat) {
        listBoxDat = new QListWidget(groupLetzte);
        listBoxDat->setObjectName("listBoxDat");
        listBoxDat->setStyleSheet(
            "background-color:white; color:black; border: 1px solid darkgray;");
        listBoxDat->setGeometry(15, 20, 185, 140);
        connect(listBoxDat, &QListWidget::currentTextChanged, this,
                &MainWindow::Datei_AusListeOeffnen);
    }
    const QString ordner =
        istVorlage(aktuelleDatei) ? QString() : QFileInfo(aktuelleDatei).absolutePath();
    // Refilling is no choice of the user: nothing may open from it.
    const QSignalBlocker sperre(listBoxDat);
    listBoxDat->clear();
    dateiListeOrdner = ordner;
    if (ordner.isEmpty())
        return;
    listBoxDat->addItems(QDir(ordner).entryList(QStringList{"*.medat"}, QDir::Files));
}

void MainWindow::ListBoxFuellen()
{
    listBox->clear();
    for (int i = 2; i < anzahlDatensaetze; ++i)
        listBox->addItem(feld(i, 1));
}
