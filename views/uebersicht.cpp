// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "planfile/datensatz.h"
#include "views/prognose.h"

#include <QProgressBar>
#include <QTableWidget>

namespace {
QTableWidgetItem *zentriert(const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    return item;
}
} // namespace

void MainWindow::UebersichtFuellen()
{
    const quint32 jetztSek = jetztUnix();
    tabelleUebersicht->clear();
    tabelleUebersicht->setRowCount(0);
    tabelleUebersicht->setHorizontalHeaderLabels(spaltenUebersicht);

    // All rows at once: each inserted row would move every bar above it again.
    tabelleUebersicht->setRowCount(qMax(0, anzahlDatensaetze - 2));
    for (int i = 2; i < anzahlDatensaetze; ++i) {
        const QStringList &r = datensaetze[i];
        const Prognose p = prognose(r, jetztSek);
        const int zeile = i - 2;
        tabelleUebersicht->setItem(zeile, 0, new QTableWidgetItem(feldVon(r, 1)));
        tabelleUebersicht->setItem(zeile, 1, new QTableWidgetItem(feldVon(r, 2)));
        tabelleUebersicht->setItem(zeile, 2, zentriert(bestandText(p.bestandHeute)));

        QString vorrat = txtReicht;
        if (p.verbrauch) {
            tabelleUebersicht->setItem(
                zeile, 3, zentriert(QString::number(p.wochen, 'f', 1) + "  " + txtWeekse));
            QTableWidgetItem *leer = zentriert(datumText(p.leerZeit));
            const Warnung w = warnung(p, datensaetze[1]);
            QStringList warnungen;
            if (w.aufgebraucht) {
                warnungen << txtLeer.arg(p.leerSeitTagen());
            } else {
                if (w.vorTermin)
                    warnungen << txtWarnTerm;
                if (w.knapp)
                    warnungen << txtWarnWeeks;
            }
            if (w.rot())
                leer->setBackground(Qt::red);
            else if (w.gelb())
                leer->setBackground(Qt::yellow);
            // The colour is also said in words, for screen readers and the
            // colour-blind, with the packs that bridge the gap.
            if (!warnungen.isEmpty()) {
                QString hinweis = warnungen.join(", ");
                const int packungen = packungenFuer(r, p, jetztSek, datensaetze[1]);
                if (packungen > 0)
                    hinweis += "\n" + txtPackungen + ": " + QString::number(packungen);
                leer->setToolTip(hinweis);
                leer->setData(Qt::AccessibleDescriptionRole, hinweis);
            }
            tabelleUebersicht->setItem(zeile, 4, leer);
            if (p.aufgebraucht())
                vorrat = txtLeer.arg(p.leerSeitTagen());
            else if (p.restTage <= 60)
                vorrat = txtReicht2 + " " + QString::number(p.restTage) + " " + txtReicht3;
        } else {
            // On-demand medication: nothing is used up, so there is no run-out date.
            tabelleUebersicht->setItem(zeile, 3, zentriert(QString()));
            tabelleUebersicht->setItem(zeile, 4, zentriert(QString()));
        }

        auto *balken = new QProgressBar();
        balken->setRange(0, 100);
        balken->setValue(p.balken);
        balken->setTextVisible(true);
        balken->setFormat(feldVon(r, 2));
        balken->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
        balken->setToolTip(vorrat);
        tabelleUebersicht->setCellWidget(zeile, 1, balken);
    }
}

QString MainWindow::ZeitZuDatum(quint32 zeit)
{
    return datumText(zeit);
}
