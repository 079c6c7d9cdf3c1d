#include "app/mainwindow.h"
#include "planfile/datensatz.h"

#include <QCheckBox>
#include <QLineEdit>

void MainWindow::Aenderung_Speichern()
{
    int index = gewaehlterIndex();
    // No medication in the form, or a table that is not this file's plan:
    // storing would hit a wrong record or never reach the file.
    if (index < 0 || !tabelleHaeltPlan() || !AenderungBeginnen(&index))
        return;

    const QString zeitText = QString::number(jetztUnix());
    setzeFeld(index, 0, aktuelleNummer);
    setzeFeld(index, 1, freiText(eingabeFelder[0]->text()));
    setzeFeld(index, 2, freiText(eingabeFelder[1]->text()));
    setzeFeld(index, 3, freiText(eingabeFelder[2]->text()));
    setzeFeld(index, 4, zahlText(eingabeFelder[3]->text()));
    // The form shows today's stock, so that figure counts from now on.
    setzeFeld(index, 5, zeitText);
    setzeFeld(index, 6, zahlText(eingabeFelder[4]->text()));
    setzeFeld(index, 7, zahlText(eingabeFelder[5]->text()));
    setzeFeld(index, 8, zahlText(eingabeFelder[6]->text()));
    setzeFeld(index, 9, zahlText(eingabeFelder[7]->text()));
    setzeFeld(index, 10, zahlText(eingabeFelder[8]->text()));
    setzeFeld(index, 11, checkMed->isChecked() ? "1" : "0");

    aufraeumen();
    PatDatenFuellen();
    UebersichtFuellen();
    VerordnungsplanFuellen();
    FelderZuruecksetzen();
}
