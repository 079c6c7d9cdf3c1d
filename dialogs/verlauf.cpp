// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "i18n/spiegeln.h"
#include "i18n/sprachform.h"
#include "planfile/aenderungen.h"
#include "planfile/planlesen.h"
#include "planfile/versionen.h"

#include <QDialog>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

void MainWindow::VerlaufZeigen()
{
    QList<VerlaufEintrag> eintraege;
    if (!istVorlagenDatei(aktuelleDatei)) {
        // The newest version is described against the plan as it is on disk.
        eintraege = verlaufListe(Versionsspeicher(aktuelleDatei).versionen(), dokument.aufPlatte(),
                                 aenderungsWorte());
    }

    QDialog dialog(this);
    dialog.setObjectName("verlaufDialog");
    dialog.setWindowTitle(txtHisTitle);
    dialog.setAccessibleName(txtHisTitle);
    dialog.setFixedSize(760, 440);

    auto *tabelle = new QTableWidget(eintraege.size(), 2, &dialog);
    tabelle->setObjectName("verlaufTabelle");
    tabelle->setAccessibleName(txtHisList);
    tabelle->setGeometry(15, 15, 730, 360);
    tabelle->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tabelle->setSelectionBehavior(QAbstractItemView::SelectRows);
    tabelle->setSelectionMode(QAbstractItemView::SingleSelection);
    tabelle->setTabKeyNavigation(false);
    tabelle->setHorizontalHeaderLabels({txtHisTime, txtHisChange});
    tabelle->verticalHeader()->hide();
    tabelle->setColumnWidth(0, 170);
    tabelle->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    for (int i = 0; i < eintraege.size(); ++i) {
        const VerlaufEintrag &e = eintraege.at(i);
        auto *zeit = new QTableWidgetItem(zeitpunktText(e.zeit.toLocalTime(), QStringLiteral("  ")));
        zeit->setData(Qt::UserRole, e.pfad);
        tabelle->setItem(i, 0, zeit);
        auto *text = new QTableWidgetItem(e.text);
        text->setToolTip(e.text);
        tabelle->setItem(i, 1, text);
    }

    auto *leer = new QLabel(txtHisEmpty, &dialog);
    leer->setObjectName("verlaufLeer");
    leer->setGeometry(15, 385, 400, 30);
    leer->setVisible(eintraege.isEmpty());

    auto *wiederherstellen = new QPushButton(txtHisRestore, &dialog);
    wiederherstellen->setObjectName("verlaufWiederherstellen");
    wiederherstellen->setAccessibleName(txtHisRestore);
    wiederherstellen->setGeometry(435, 385, 150, 30);
    wiederherstellen->setEnabled(false);
    auto *schliessen = new QPushButton(txtHisClose, &dialog);
    schliessen->setObjectName("verlaufSchliessen");
    schliessen->setAccessibleName(txtHisClose);
    schliessen->setGeometry(595, 385, 150, 30);
    schliessen->setDefault(true);

    connect(tabelle, &QTableWidget::itemSelectionChanged, &dialog, [=] {
        wiederherstellen->setEnabled(!tabelle->selectedItems().isEmpty());
    });
    connect(wiederherstellen, &QPushButton::clicked, &dialog, [&, tabelle] {
        const int zeile = tabelle->currentRow();
        if (zeile < 0 || !tabelle->item(zeile, 0))
            return;
        if (VersionWiederherstellen(tabelle->item(zeile, 0)->data(Qt::UserRole).toString()))
            dialog.accept();
    });
    connect(schliessen, &QPushButton::clicked, &dialog, &QDialog::reject);

    QWidget::setTabOrder(tabelle, wiederherstellen);
    QWidget::setTabOrder(wiederherstellen, schliessen);
    if (tabelle->rowCount() > 0)
        tabelle->setCurrentCell(0, 0);
    tabelle->setFocus();
    geometrieSpiegeln(&dialog); // right to left: the rectangles mirrored
    dialog.exec();
}
