// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "i18n/spiegeln.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

namespace {

QLabel *mittigesLabel(QWidget *eltern, const char *name, const QString &text,
                      const QRect &rechteck)
{
    auto *label = new QLabel(text, eltern);
    label->setObjectName(name);
    label->setGeometry(rechteck);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    return label;
}

QPushButton *knopf(QWidget *eltern, const char *name, const QString &text, const QRect &rechteck)
{
    auto *b = new QPushButton(text, eltern);
    b->setObjectName(name);
    b->setGeometry(rechteck);
    return b;
}

} // namespace

void MainWindow::butEntfernen_clicked()
{
    // Offered only where the removal below would act.
    const int index = gewaehlterIndex();
    if (index < 0 || feld(index, 0) != aktuelleNummer)
        return;
    // Only a removal that can happen asks for a file of the user's own.
    if (anzahlDatensaetze > 3 && !VorlageAblegen())
        return;
    if (!tabelleHaeltPlan())
        return;

    QDialog dialog;
    dialog.setObjectName("entfernenDialog");
    dialog.setFixedSize(380, 200);

    if (anzahlDatensaetze > 3) {
        mittigesLabel(&dialog, "entfernenFrage1", txtLoeschmed1, {40, 30, 300, 20});
        QLabel *name = mittigesLabel(&dialog, "entfernenName", feld(index, 1), {40, 50, 300, 30});
        name->setFont(fettSchrift);
        name->setStyleSheet("font-size:16px;");
        mittigesLabel(&dialog, "entfernenFrage2", txtLoeschmed2, {40, 90, 300, 20});
        QPushButton *entfernen = knopf(&dialog, "entfernenJa", txtDelmed, {50, 140, 140, 30});
        QPushButton *abbrechen = knopf(&dialog, "entfernenAbbrechen", txtAbort,
                                       {190, 140, 140, 30});
        // Return never removes: it takes the safe answer.
        abbrechen->setDefault(true);
        abbrechen->setFocus();
        // Closed first, so a message of the removal never opens over it.
        connect(entfernen, &QPushButton::clicked, &dialog, &QDialog::close);
        connect(entfernen, &QPushButton::clicked, this, &MainWindow::DatensatzLoeschen);
        connect(abbrechen, &QPushButton::clicked, &dialog, &QDialog::close);
    } else {
        QLabel *letztes = mittigesLabel(&dialog, "entfernenLetztes", txtLafi, {40, 30, 300, 60});
        letztes->setWordWrap(true);
        QPushButton *abbrechen = knopf(&dialog, "entfernenAbbrechen", txtAbort,
                                       {100, 140, 180, 30});
        connect(abbrechen, &QPushButton::clicked, &dialog, &QDialog::close);
    }

    geometrieSpiegeln(&dialog); // right to left: the rectangles mirrored
    dialog.exec();
}

void MainWindow::DatensatzLoeschen()
{
    activateWindow();
    const int index = gewaehlterIndex();
    // Only the chosen medication's own line goes, never the header or the
    // patient record, and a plan keeps at least one medication.
    if (index < 0 || feld(index, 0) != aktuelleNummer || anzahlDatensaetze <= 3
        || !tabelleHaeltPlan())
        return;
    Ausgefuehrt(dokument.entfernen(feld(index, Feld::Eingabe), index));
    tabReiter->setCurrentIndex(0);
}
