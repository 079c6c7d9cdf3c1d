// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "app/plattform.h"
#include "app/qtkompat.h"
#include "planfile/datensatz.h"

#include <QDir>
#include <QFileDialog>
#include <QFile>
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

// A file dialog that adds `endung` to a name typed without one before it asks
// whether to replace an existing file; mitEndung covers dialogs that do not.
QString MainWindow::speicherDateiErfragen(const QString &titel, const QString &start,
                                          const QString &filter, const QString &endung)
{
    QFileDialog dialog(this, titel, start, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(endung.mid(1));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return mitEndung(dialog.selectedFiles().constFirst(), endung);
}

void MainWindow::Datei_Speichern_unter()
{
    const QString name =
        speicherDateiErfragen(txtSaved, dokumentePfad, txtPlanFilter, QStringLiteral(".medat"));
    if (name.isEmpty())
        return;
    // A file written over keeps its old bytes as a version.
    if (QFileInfo(name).isFile()) {
        QFile alt(name);
        if (alt.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = alt.readAll();
            if (alt.error() == QFileDevice::NoError)
                VersionBehalten(name, bytes);
        }
    }
    PlanAblegen(name);
}

// Writes the table to `pfad` and goes on with that file.
bool MainWindow::PlanAblegen(const QString &pfad)
{
    if (!TabelleSchreiben(pfad) || !QFileInfo(pfad).isFile())
        return false;
    dokumentePfad = QFileInfo(pfad).absoluteFilePath();
    aktuelleDatei = pfad;
    tabellenDatei = QFileInfo(pfad).absoluteFilePath();
    {
        QSettings pfade(datenPfad + "meddata.ini", QSettings::IniFormat);
        iniUtf8(pfade);
        pfade.beginGroup("Pfade");
        pfade.setValue("letzteDatei", aktuelleDatei);
        pfade.endGroup();
    }
    aufraeumen();
    setzeFensterTitel();
    ListBoxDatFuellen();
    return true;
}

namespace {
// "Musterfrau_Erika" from the patient's names, without characters a file name
// cannot hold.
QString dateinameAus(const QStringList &teile)
{
    QStringList sauber;
    for (QString teil : teile) {
        for (QChar &c : teil) {
            if (c.category() == QChar::Other_Control || QStringLiteral("/\\:*?\"<>|").contains(c))
                c = QLatin1Char('_');
        }
        teil = teil.trimmed();
        if (!teil.isEmpty())
            sauber << teil;
    }
    return sauber.join(QLatin1Char('_'));
}
} // namespace

bool MainWindow::VorlageAblegen()
{
    if (!istVorlagenDatei(aktuelleDatei))
        return true;
    const QString dokumente = dokumenteOrdner();
    QDir().mkpath(dokumente);
    QString name = dateinameAus({editName ? editName->text() : feld(1, 1),
                                 editVorname ? editVorname->text() : feld(1, 2)});
    if (name.isEmpty())
        name = txtPlanName;
    const QString ziel = speicherDateiErfragen(txtSaved, dokumente + "/" + name + ".medat",
                                               txtPlanFilter, QStringLiteral(".medat"));
    if (ziel.isEmpty() || istVorlagenDatei(ziel))
        return false;
    const qint32 alteAnzahl = anzahlDatensaetze;
    if (anzahlDatensaetze < 2) {
        // A missing or unreadable template: the plan starts with a header and
        // an empty patient record.
        datensaetze[0] = QStringList{"1", "Tablora"};
        datensaetze[1] = QStringList{"2", QString(), QString(), QString(), "0", "0"};
        anzahlDatensaetze = 2;
    }
    if (PlanAblegen(ziel))
        return true;
    anzahlDatensaetze = alteAnzahl;
    return false;
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
        istVorlagenDatei(aktuelleDatei) ? QString() : QFileInfo(aktuelleDatei).absolutePath();
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
