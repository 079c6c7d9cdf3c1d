// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "app/plattform.h"
#include "app/qtkompat.h"
#include "planfile/datensatz.h"
#include "planfile/eingabe.h"
#include "views/prognose.h"

#include <QDir>
#include <QFileDialog>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QCheckBox>
#include <QDateEdit>
#include <QRadioButton>
#include <QTableWidget>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSettings>
#include <QSignalBlocker>

#include <functional>
#include <utility>

void MainWindow::PlanAnzeigen()
{
    PlanAuffrischen();
}

// The one refill after the plan changed: every view, the list, the form's
// medication found again by name (its untyped fields showing the plan as it
// is now) and what the user typed into the patient fields kept.
void MainWindow::PlanAuffrischen()
{
    if (!tabelleUebersicht || !tabelleVerordnungsplan || !listBox || !labPatient)
        return;
    struct Getippt
    {
        QLineEdit *feld;
        QString text;
        bool getippt;
    };
    QList<Getippt> patient;
    for (QLineEdit *f : {editName, editVorname})
        patient.append({f, f->text(), f->isModified()});
    const QDate geburt = dateGeburt->date();
    const bool geburtGetippt = geburt != gezeigteGeburt;
    const QDate termin = dateArztTermin->date();
    const bool terminGetippt = termin != gezeigterTermin;
    {
        const QSignalBlocker ja(radioJa);
        const QSignalBlocker nein(radioNein);
        PatDatenFuellen();
    }
    for (const Getippt &g : patient) {
        if (g.getippt) {
            g.feld->setText(g.text);
            g.feld->setModified(true);
        }
    }
    if (geburtGetippt)
        dateGeburt->setDate(geburt);
    if (terminGetippt)
        dateArztTermin->setDate(termin);
    PatFelderMarkieren();
    UebersichtFuellen();
    VerordnungsplanFuellen();

    const int gewaehlt = aktuelleNummer.isEmpty()
                             ? -1
                             : dokument.tabelle().finden(gewaehlterName, aktuelleNummer.toInt() - 1);
    {
        const QSignalBlocker liste(listBox);
        ListBoxFuellen();
        if (gewaehlt >= 0)
            listBox->setCurrentRow(gewaehlt - 2);
    }
    if (gewaehlt >= 0) {
        aktuelleNummer = QString::number(gewaehlt + 1);
        const QStringList &r = datensaetze[gewaehlt];
        const int felder[9] = {Feld::Eingabe, Feld::Bez,    Feld::Dosis,
                               Feld::Einheiten, -1,          Feld::Morgen,
                               Feld::Mittag,    Feld::Abend, Feld::Nacht};
        for (int i = 0; i < 9; ++i) {
            if (eingabeFelder[i]->isModified())
                continue;
            eingabeFelder[i]->setText(
                felder[i] < 0 ? zahlSpeichern(prognose(r, jetztUnix()).bestandHeute)
                              : feldVon(r, felder[i]));
        }
        if (!formularHakenGeaendert)
            checkMed->setChecked(feldVon(r, Feld::NichtImPlan) == QLatin1String("1"));
        groupMedWahl->setTitle(medWahlTitel(feldVon(r, Feld::Eingabe)));
    } else if (!aktuelleNummer.isEmpty()) {
        AuswahlVergessen();
    }
    UndoZustandAktualisieren();
}

// The form still shows a medication of the previous plan; its number must not
// name a record of the plan opened now.
void MainWindow::AuswahlVergessen()
{
    aktuelleNummer.clear();
    gewaehlterName.clear();
    formularHakenGeaendert = false;
    for (QLineEdit *f : eingabeFelder)
        f->clear();
    checkMed->setChecked(false);
    labBestand->clear();
    groupMedWahl->setTitle(txtMedwahl);
    FelderZuruecksetzen();
    FormularFreigeben();
}

void MainWindow::DateiNeu()
{
    if (!EingabenKlaeren())
        return;
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
    if (!EingabenKlaeren())
        return;
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
    // The plan already open (a double click's second half, or Return on it) stays as it is.
    if (info.absoluteFilePath() == QFileInfo(aktuelleDatei).absoluteFilePath()
        && tabelleHaeltPlan())
        return;
    if (!EingabenKlaeren()) {
        ListBoxDatFuellen();
        return;
    }
    AuswahlVergessen();
    dokumentePfad = info.absoluteFilePath();
    aktuelleDatei = info.absoluteFilePath();
    setzeFensterTitel();
    DatenEinlesen(info.filePath());
    PlanNeuZeigen();
    UnlesbaresMelden();
}

namespace {
// A save dialog that can refuse a name before it asks whether to replace the file.
class SpeicherDialog : public QFileDialog
{
public:
    SpeicherDialog(QWidget *eltern, const QString &titel, const QString &start,
                   const QString &filter, std::function<bool(const QString &)> erlaubt)
        : QFileDialog(eltern, titel, start, filter)
        , m_erlaubt(std::move(erlaubt))
    {
    }

    void accept() override
    {
        const QStringList dateien = selectedFiles();
        if (m_erlaubt && !dateien.isEmpty()
            && !m_erlaubt(mitEndung(dateien.constFirst(), "." + defaultSuffix())))
            return;
        QFileDialog::accept();
    }

private:
    std::function<bool(const QString &)> m_erlaubt;
};
} // namespace

// A file dialog that adds `endung` to a name typed without one before it asks
// whether to replace an existing file; mitEndung covers dialogs that do not.
QString MainWindow::speicherDateiErfragen(const QString &titel, const QString &start,
                                          const QString &filter, const QString &endung,
                                          bool exportiert)
{
    std::function<bool(const QString &)> erlaubt;
    if (exportiert) {
        erlaubt = [this](const QString &pfad) {
            if (!dokument.istPlanDatei(pfad))
                return true;
            Hinweis(txtExportPlan + "\n\n" + pfad, true);
            return false;
        };
    }
    SpeicherDialog dialog(this, titel, start, filter, erlaubt);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(endung.mid(1));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    const QString pfad = mitEndung(dialog.selectedFiles().constFirst(), endung);
    if (exportiert && !erlaubt(pfad))
        return QString();
    return pfad;
}

void MainWindow::Datei_Speichern_unter()
{
    const QString name =
        speicherDateiErfragen(txtSaved, dokumentePfad, txtPlanFilter, QStringLiteral(".medat"));
    if (name.isEmpty())
        return;
    PlanAblegen(name);
}

// Writes the table to `pfad` and goes on with that file.
bool MainWindow::PlanAblegen(const QString &pfad, const Plantabelle *neu)
{
    if (!Ausgefuehrt(dokument.speichernUnter(pfad, neu)) || !QFileInfo(pfad).isFile())
        return false;
    dokumentePfad = QFileInfo(pfad).absoluteFilePath();
    aktuelleDatei = pfad;
    LetzteDateiMerken(aktuelleDatei);
    setzeFensterTitel();
    ListBoxDatFuellen();
    PlanAuffrischen();
    return true;
}


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
    if (anzahlDatensaetze < 2) {
        // A missing or unreadable template: the plan starts with a header and
        // an empty patient record.
        Plantabelle leer;
        leer.datensaetze = {QStringList{"1", "Tablora"},
                            QStringList{"2", QString(), QString(), QString(), "0", "0"}};
        return PlanAblegen(ziel, &leer);
    }
    return PlanAblegen(ziel);
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
        // Only the user's choice of an entry opens its plan: a click, a double
        // click or Return (itemActivated). Focus, the arrow keys and a refill
        // only move the current entry, whatever the list's state: a current
        // entry that changes opens nothing.
        const auto oeffnen = [this](QListWidgetItem *eintrag) {
            if (eintrag)
                Datei_AusListeOeffnen(eintrag->text());
        };
        connect(listBoxDat, &QListWidget::itemClicked, this, oeffnen);
        connect(listBoxDat, &QListWidget::itemActivated, this, oeffnen);
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
    // A plan read again may no longer hold the chosen medication.
    FormularFreigeben();
}
