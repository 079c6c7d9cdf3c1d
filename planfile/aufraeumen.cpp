// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "planfile/eingabe.h"

void MainWindow::aufraeumen()
{
    for (int i = 0; i < anzahlDatensaetze; ++i) {
        QStringList neu{QString::number(i + 1)};
        neu += datensaetze[i];
        if (neu.size() > 1)
            neu.removeAt(1); // the old record number
        while (neu.size() > 12)
            neu.removeLast();
        while (neu.size() < 12)
            neu.append(QString());
        datensaetze[i] = neu;
    }
    // A table that does not hold this file's plan must never replace it.
    if (!tabelleHaeltPlan())
        return;
    TabelleSchreiben(aktuelleDatei);
}

QString MainWindow::zahlText(QString text)
{
    return text.replace(QLatin1Char(','), QLatin1Char('.'));
}

QString MainWindow::freiText(QString text)
{
    return ::freiText(text);
}
