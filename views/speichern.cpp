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
    int index = gewaehlterIndex();
    // No medication in the form, or a table that is not this file's plan:
    // storing would hit a wrong record or never reach the file.
    if (index < 0 || !AenderungBeginnen(&index))
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

    const QString zeitText = QString::number(jetztUnix());
    setzeFeld(index, 0, aktuelleNummer);
    setzeFeld(index, 1, freiText(eingabeFelder[0]->text()));
    setzeFeld(index, 2, freiText(eingabeFelder[1]->text()));
    setzeFeld(index, 3, freiText(eingabeFelder[2]->text()));
    setzeFeld(index, 4, gespeichert(3, einheiten));
    // The form shows today's stock, so that figure counts from now on.
    setzeFeld(index, 5, zeitText);
    setzeFeld(index, 6, gespeichert(4, bestand));
    for (int i = 0; i < 4; ++i)
        setzeFeld(index, 7 + i, gespeichert(5 + i, dosis[i]));
    setzeFeld(index, 11, checkMed->isChecked() ? "1" : "0");

    aufraeumen();
    PatDatenFuellen();
    UebersichtFuellen();
    VerordnungsplanFuellen();
    FelderZuruecksetzen();

    // The list and the heading show the new name; the form keeps this medication.
    {
        const QSignalBlocker sperre(listBox);
        ListBoxFuellen();
        listBox->setCurrentRow(index - 2);
    }
    groupMedWahl->setTitle(medWahlTitel(feld(index, 1)));
}
