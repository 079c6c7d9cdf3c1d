// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "planfile/aenderungen.h"
#include "planfile/datensatz.h"
#include "planfile/eingabe.h"
#include "planfile/planlesen.h"
#include "planfile/versionen.h"
#include "views/prognose.h"

#include <QAction>
#include <QDateEdit>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

namespace {

// The bytes of a file, or a null array (with the reason) when it cannot be
// read or is larger than a plan may be.
QByteArray dateiInhalt(const QString &pfad, QString *fehler = nullptr, bool *zuGross = nullptr)
{
    return planDateiLesen(pfad, fehler, zuGross);
}

bool gleicherPfad(const QString &a, const QString &b)
{
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

} // namespace

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

// Before a command writes the plan: keeps the file's bytes as a version and,
// when the file changed since it was last read or written, reads it again and
// finds the command's medication by name. False: the command must not go on.
bool MainWindow::AenderungBeginnen(int *medIndex, bool patientFelder)
{
    // A template is never written: the plan first gets a file of its own.
    if (!VorlageAblegen() || !tabelleHaeltPlan())
        return false;
    bool zuGross = false;
    const QByteArray aufPlatte = dateiInhalt(aktuelleDatei, nullptr, &zuGross);
    if (zuGross) {
        // Grown past the limit outside: refused as on opening, never written over.
        PlanNeuZeigen();
        return false;
    }
    if (aufPlatte.isNull())
        return true; // the command's own write says what is wrong
    if (FremdeAenderungBehalten(aufPlatte))
        VersionBehalten(aktuelleDatei, aufPlatte);
    Versionsspeicher(aktuelleDatei).standLoeschen(); // a new change drops the redo steps
    if (aufPlatte == letzterStand)
        return true;

    // Changed behind the program's back: carry the command out on the plan as
    // it is now, on the medications found again by name.
    const int gewaehlt = gewaehlterIndex();
    const QString gewaehltName = feld(gewaehlt, 1);
    const int alterIndex = medIndex ? *medIndex : -1;
    const QString name = feld(alterIndex, 1);
    const QString eingabeName = editName->text();
    const QString eingabeVorname = editVorname->text();
    const QDate eingabeGeburt = dateGeburt->date();
    const QDate eingabeTermin = dateArztTermin->date();
    const bool eingabeTerminJa = radioJa->isChecked();

    DatenEinlesen(aktuelleDatei);
    const auto finden = [this](int alt, const QString &n) {
        if (alt < 2 || !tabelleHaeltPlan())
            return -1;
        if (alt < anzahlDatensaetze && feld(alt, 1) == n)
            return alt;
        for (int i = 2; i < anzahlDatensaetze; ++i) {
            if (feld(i, 1) == n)
                return i;
        }
        return -1;
    };
    const int neuerIndex = finden(alterIndex, name);
    const int neuGewaehlt = finden(gewaehlt, gewaehltName);
    const bool gefunden = tabelleHaeltPlan() && (!medIndex || neuerIndex >= 0);
    {
        // Refilling must neither load a record into the form nor run the
        // appointment switch as a command of its own.
        const QSignalBlocker liste(listBox);
        const QSignalBlocker termin(radioJa);
        PlanAnzeigen();
        if (neuGewaehlt >= 0)
            listBox->setCurrentRow(neuGewaehlt - 2);
        if (gefunden && patientFelder) {
            editName->setText(eingabeName);
            editVorname->setText(eingabeVorname);
            dateGeburt->setDate(eingabeGeburt);
            (eingabeTerminJa ? radioJa : radioNein)->setChecked(true);
            dateArztTermin->setDate(eingabeTermin);
            dateArztTermin->setVisible(eingabeTerminJa);
            butArztTermin->setVisible(eingabeTerminJa);
        }
    }
    // The form's medication keeps its number only where it still is; fields
    // the user has not typed into show it as it is now.
    if (neuGewaehlt >= 0) {
        aktuelleNummer = QString::number(neuGewaehlt + 1);
        const QStringList &r = datensaetze[neuGewaehlt];
        const int felder[9] = {1, 2, 3, 4, -1, 7, 8, 9, 10};
        for (int i = 0; i < 9; ++i) {
            if (eingabeFelder[i]->isModified())
                continue;
            eingabeFelder[i]->setText(
                felder[i] < 0 ? zahlSpeichern(prognose(r, jetztUnix()).bestandHeute)
                              : feldVon(r, felder[i]));
        }
    } else if (gewaehlt >= 0) {
        AuswahlVergessen();
    }
    if (!gefunden) {
        Hinweis(txtVerGone, true);
        return false;
    }
    if (medIndex)
        *medIndex = neuerIndex;
    Hinweis(txtVerReload);
    return true;
}

bool MainWindow::VersionBehalten(const QString &plan, const QByteArray &bytes)
{
    if (istVorlagenDatei(plan))
        return true;
    const QString pfad = QFileInfo(plan).absoluteFilePath();
    QString grund;
    Versionsspeicher speicher(plan);
    const auto ergebnis = speicher.behalten(bytes, {}, &grund);
    const bool aktuell = gleicherPfad(plan, aktuelleDatei);
    if (ergebnis != Versionsspeicher::Ergebnis::Fehler) {
        if (aktuell)
            undoGesperrtFuer.clear();
        if (speicher.ausweichOrdner() && !versionAusweichGemeldet.contains(pfad)) {
            versionAusweichGemeldet.append(pfad);
            Hinweis(txtVerFallback + "\n\n" + speicher.ordner(), true);
        }
        return true;
    }
    if (aktuell)
        undoGesperrtFuer = pfad;
    if (!versionFehlerGemeldet.contains(pfad)) {
        versionFehlerGemeldet.append(pfad);
        Hinweis(txtVerErr + "\n\n" + speicher.ordner() + "\n" + grund, true);
    }
    UndoZustandAktualisieren();
    return false;
}

// The plan was changed outside since it was last read or written: what the
// program last saw is kept first, so undo goes back across that change too.
bool MainWindow::FremdeAenderungBehalten(const QByteArray &aufPlatte)
{
    if (aufPlatte == letzterStand || !Versionsspeicher::istPlan(letzterStand)
        || !gleicherPfad(tabellenDatei, aktuelleDatei))
        return true;
    return VersionBehalten(aktuelleDatei, letzterStand);
}

void MainWindow::PlanGeschrieben(const QString &pfad, const QByteArray &inhalt)
{
    if (!gleicherPfad(pfad, aktuelleDatei))
        return;
    letzterStand = inhalt;
    UndoZustandAktualisieren();
}

void MainWindow::UndoZustandAktualisieren()
{
    if (!aktionUndo || !aktionRedo)
        return;
    bool zurueck = false;
    bool vor = false;
    if (tabelleHaeltPlan() && !istVorlagenDatei(aktuelleDatei)
        && undoGesperrtFuer != QFileInfo(aktuelleDatei).absoluteFilePath()) {
        const Versionsspeicher speicher(aktuelleDatei);
        const auto liste = speicher.versionen();
        const int pos = speicher.position(liste, letzterStand);
        zurueck = Versionsspeicher::ziel(liste, pos, -1, letzterStand) >= 0;
        vor = pos < liste.size() && Versionsspeicher::ziel(liste, pos, 1, letzterStand) >= 0;
    }
    aktionUndo->setEnabled(zurueck);
    aktionRedo->setEnabled(vor);
}

// Shows the plan as it is on disk now, as when a file is opened.
void MainWindow::PlanNeuZeigen()
{
    AuswahlVergessen();
    DatenEinlesen(aktuelleDatei);
    PlanAnzeigen();
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
    if (istVorlagenDatei(aktuelleDatei) || !QFileInfo(aktuelleDatei).isFile())
        return;
    QString grund;
    const QByteArray aufPlatte = dateiInhalt(aktuelleDatei, &grund);
    if (aufPlatte.isNull()) {
        Hinweis(txtVerRestoreErr + "\n\n" + aktuelleDatei + "\n" + grund, true);
        return;
    }
    const Versionsspeicher speicher(aktuelleDatei);
    QList<Versionsspeicher::Version> liste = speicher.versionen();
    int pos = speicher.position(liste, aufPlatte);
    int ziel = -1;
    if (pos == liste.size()) {
        // What is on disk now stays reachable (by redo, or in the history).
        if (!FremdeAenderungBehalten(aufPlatte) || !VersionBehalten(aktuelleDatei, aufPlatte))
            return;
        liste = speicher.versionen();
        pos = liste.size();
        while (pos > 0 && Versionsspeicher::lesen(liste.at(pos - 1).pfad) != aufPlatte)
            --pos;
        pos = pos > 0 ? pos - 1 : liste.size();
        if (schritt < 0)
            ziel = Versionsspeicher::ziel(liste, pos, -1, aufPlatte);
    } else {
        ziel = Versionsspeicher::ziel(liste, pos, schritt, aufPlatte);
    }
    if (ziel < 0) {
        if (aufPlatte != letzterStand) {
            PlanNeuZeigen();
            Hinweis(txtVerReload);
        }
        UndoZustandAktualisieren();
        return;
    }
    const QByteArray bytes = Versionsspeicher::lesen(liste.at(ziel).pfad);
    if (bytes.isNull()) {
        Hinweis(txtVerRestoreErr + "\n\n" + liste.at(ziel).pfad, true);
        return;
    }
    if (!DateiSchreiben(aktuelleDatei, bytes))
        return;
    Versionsspeicher(aktuelleDatei).setzeStand(liste.at(ziel).pfad);
    PlanNeuZeigen();
}

bool MainWindow::VersionWiederherstellen(const QString &versionPfad)
{
    if (istVorlagenDatei(aktuelleDatei))
        return false;
    const QByteArray bytes = Versionsspeicher::lesen(versionPfad);
    if (bytes.isNull()) {
        Hinweis(txtVerRestoreErr + "\n\n" + versionPfad, true);
        return false;
    }
    if (QFileInfo::exists(aktuelleDatei)) {
        QString grund;
        const QByteArray aufPlatte = dateiInhalt(aktuelleDatei, &grund);
        if (aufPlatte.isNull()) {
            Hinweis(txtVerRestoreErr + "\n\n" + aktuelleDatei + "\n" + grund, true);
            return false;
        }
        if (aufPlatte == bytes && aufPlatte == letzterStand)
            return true;
        // The restore is a change like any other: it can be undone.
        if (!FremdeAenderungBehalten(aufPlatte) || !VersionBehalten(aktuelleDatei, aufPlatte))
            return false;
    }
    if (!DateiSchreiben(aktuelleDatei, bytes))
        return false;
    Versionsspeicher(aktuelleDatei).standLoeschen();
    PlanNeuZeigen();
    return true;
}

void MainWindow::DateiAufraeumen()
{
    if (!AenderungBeginnen())
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
