// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "planfile/eingabe.h"

void MainWindow::aufraeumen()
{
    // A table that does not hold this file's plan must never replace it.
    if (!tabelleHaeltPlan())
        return;
    Ausgefuehrt(dokument.verdichten());
}

QString MainWindow::zahlText(QString text)
{
    return text.replace(QLatin1Char(','), QLatin1Char('.'));
}

QString MainWindow::freiText(QString text)
{
    return ::freiText(text);
}
