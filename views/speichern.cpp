// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "dialogs/eingabepruefung.h"
#include "planfile/datensatz.h"
#include "planfile/eingabe.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>

void MainWindow::Aenderung_Speichern()
{
    const int index = gewaehlterIndex();
    // No medication in the form, or a table that is not this file's plan:
    // storing would hit a wrong record or never reach the file.
    if (index < 0 || !VorlageAblegen() || !tabelleHaeltPlan())
        return;

    // Nonsense is refused before anything changes; the form stays as typed.
    if (!nameVorhanden(eingabeFelder[0]))
        return;
    float einheiten = 0, bestand = 0;
    float dosis[4] = {};
    QList<ZahlFeld> zahlen{{eingabeFelder[3], txtUpb, true, &einheiten},
                           {eingabeFelder[4], txtUnit, true, &bestand}};
    const QString dosisNamen[4] = {txtCol9, txtCol10, txtCol11, txtCol12};
    for (int i = 0; i < 4; ++i)
        zahlen.append({eingabeFelder[5 + i], dosisNamen[i], true, &dosis[i]});
    if (!zahlFelderPruefen(zahlen))
        return;
    // Empty fields stay empty in the file, as ever, and read as 0.
    const auto gespeichert = [this](int feld, float wert) {
        return eingabeFelder[feld]->text().trimmed().isEmpty() ? QString() : zahlSpeichern(wert);
    };

    // Only what the user typed: on a plan changed elsewhere the rest stays
    // as it is there.
    QMap<int, QString> felder;
    const auto getippt = [this](int i) { return eingabeFelder[i]->isModified(); };
    if (getippt(0))
        felder[Feld::Eingabe] = freiText(eingabeFelder[0]->text());
    if (getippt(1))
        felder[Feld::Bez] = freiText(eingabeFelder[1]->text());
    if (getippt(2))
        felder[Feld::Dosis] = freiText(eingabeFelder[2]->text());
    if (getippt(3))
        felder[Feld::Einheiten] = gespeichert(3, einheiten);
    // A typed stock is today's: it counts from now on.
    if (getippt(4)) {
        felder[Feld::BestandZeit] = QString::number(jetztUnix());
        felder[Feld::Bestand] = gespeichert(4, bestand);
    }
    for (int i = 0; i < 4; ++i) {
        if (getippt(5 + i))
            felder[Feld::Morgen + i] = gespeichert(5 + i, dosis[i]);
    }
    if (formularHakenGeaendert)
        felder[Feld::NichtImPlan] = checkMed->isChecked() ? "1" : "0";

    const QString name = feld(index, Feld::Eingabe);
    if (felder.contains(Feld::Eingabe))
        gewaehlterName = felder.value(Feld::Eingabe);
    const PlanDokument::Ergebnis e = dokument.medikamentAendern(name, index, felder);
    if (!Ausgefuehrt(e)) {
        gewaehlterName = name;
        return;
    }
    // The form shows the medication as stored now.
    if (e.index >= 2) {
        const QSignalBlocker sperre(listBox);
        comboAuswahl(e.index - 2);
    }
}
