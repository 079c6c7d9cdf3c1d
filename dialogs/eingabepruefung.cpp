// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/eingabepruefung.h"

#include "app/mainwindow.h"
#include "planfile/eingabe.h"

#include <QLineEdit>
#include <QVariant>

namespace {
const char *const abgelehntStil = "background-color:rgb(255,225,225); border:2px solid red;";
const char *const stilVorher = "tabloraStilVorher";

void markieren(QLineEdit *feld)
{
    if (feld->styleSheet() != QLatin1String(abgelehntStil))
        feld->setProperty(stilVorher, feld->styleSheet());
    feld->setStyleSheet(abgelehntStil);
}

void entmarkieren(QLineEdit *feld)
{
    // Only a mark of ours is taken back; the form may have restyled the field since.
    const QVariant vorher = feld->property(stilVorher);
    if (!vorher.isValid() || feld->styleSheet() != QLatin1String(abgelehntStil))
        return;
    feld->setStyleSheet(vorher.toString());
    feld->setProperty(stilVorher, QVariant());
}
} // namespace

bool MainWindow::zahlFelderPruefen(const QList<ZahlFeld> &felder)
{
    QStringList falsch;
    QLineEdit *erstes = nullptr;
    for (const ZahlFeld &f : felder) {
        const Zahleingabe e = zahlEingabe(f.feld->text(), f.leerIstNull);
        if (e.ok) {
            entmarkieren(f.feld);
            if (f.wert)
                *f.wert = e.wert;
            continue;
        }
        markieren(f.feld);
        falsch << f.name;
        if (!erstes)
            erstes = f.feld;
    }
    if (falsch.isEmpty())
        return true;
    Hinweis(txtZahlFalsch.arg(falsch.join(", ")), true);
    erstes->setFocus();
    erstes->selectAll();
    return false;
}

bool MainWindow::nameVorhanden(QLineEdit *feld)
{
    if (!feld->text().trimmed().isEmpty()) {
        entmarkieren(feld);
        return true;
    }
    markieren(feld);
    Hinweis(txtNameLeer, true);
    feld->setFocus();
    return false;
}
