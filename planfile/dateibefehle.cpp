#include "app/mainwindow.h"
#include "app/qtkompat.h"
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
}

void MainWindow::Datei_AusListeOeffnen(QString eing)
{
    const QFileInfo info(QFileInfo(aktuelleDatei).absolutePath() + "/" + eing);
    if (eing.isEmpty() || !info.isFile())
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
        iniUtf8(pfade);
        pfade.beginGroup("Pfade");
        pfade.setValue("letzteDatei", aktuelleDatei);
        pfade.endGroup();
        aufraeumen();
        setzeFensterTitel();
    }
}

void MainWindow::ListBoxDatFuellen()
{
    const QDir ordner(QFileInfo(aktuelleDatei).absolutePath());
    const QStringList namen = ordner.entryList(QStringList{"*.medat"});
    listBoxDat = new QListWidget(groupLetzte);
    listBoxDat->setObjectName("listBoxDat");
    listBoxDat->setStyleSheet("background-color:white; color:black; border: 1px solid darkgray;");
    listBoxDat->setGeometry(15, 20, 185, 140);
    listBoxDat->addItems(namen);
    connect(listBoxDat, &QListWidget::currentTextChanged, this,
            &MainWindow::Datei_AusListeOeffnen);
}

void MainWindow::ListBoxFuellen()
{
    listBox->clear();
    for (int i = 2; i < anzahlDatensaetze; ++i)
        listBox->addItem(feld(i, 1));
}
