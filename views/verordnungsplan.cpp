// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "i18n/sprachform.h"
#include "planfile/datensatz.h"
#include "planfile/eingabe.h"
#include "views/prognose.h"

#include <QTableWidget>

void MainWindow::VerordnungsplanFuellen()
{
    tabelleVerordnungsplan->clear();
    tabelleVerordnungsplan->setRowCount(0);
    tabelleVerordnungsplan->setHorizontalHeaderLabels(spaltenVerordnungsplan);
    for (int i = 2; i < anzahlDatensaetze; ++i) {
        const QStringList &r = datensaetze[i];
        if (feldVon(r, 11) == QLatin1String("1"))
            continue;
        const int zeile = tabelleVerordnungsplan->rowCount();
        tabelleVerordnungsplan->insertRow(zeile);
        tabelleVerordnungsplan->setItem(zeile, 0, new QTableWidgetItem(feldVon(r, 1)));
        const QString zellen[5] = {eigeneReihenfolge(feldVon(r, 3)), DosisText(gespeicherteZahl(feldVon(r, 7))),
                                   DosisText(gespeicherteZahl(feldVon(r, 8))),
                                   DosisText(gespeicherteZahl(feldVon(r, 9))),
                                   DosisText(gespeicherteZahl(feldVon(r, 10)))};
        for (int spalte = 1; spalte <= 5; ++spalte) {
            auto *item = new QTableWidgetItem(zellen[spalte - 1]);
            tabelleVerordnungsplan->setItem(zeile, spalte, item);
            item->setTextAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
        }
    }
}

QString MainWindow::DosisText(float dosis)
{
    // Right to left, "1 1/2" would read "1/2 1": the figure keeps its order.
    return eigeneReihenfolge(dosisText(dosis, dezimalZeichen()));
}
