// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "planfile/datensatz.h"
#include "planfile/eingabe.h"

// Tells once, on opening, which figures of the plan are no numbers and so
// count as 0. The file is left as it is.
void MainWindow::UnlesbaresMelden()
{
    const QString namen[11] = {{}, {}, {}, {}, txtUpb, txtCurstate, txtUnit,
                               txtCol9, txtCol10, txtCol11, txtCol12};
    QStringList zeilen;
    for (int i = 2; i < anzahlDatensaetze; ++i) {
        const QList<int> felder = unlesbareFelder(datensaetze[i]);
        if (felder.isEmpty())
            continue;
        QStringList welche;
        for (int f : felder)
            welche << namen[f];
        zeilen << feldVon(datensaetze[i], 1) + ": " + welche.join(", ");
    }
    if (!zeilen.isEmpty())
        Hinweis(txtUnlesbar + "\n\n" + zeilen.join('\n'), true);
}
