// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "dialogs/eingabepruefung.h"
#include "i18n/spiegeln.h"
#include "planfile/datensatz.h"
#include "planfile/eingabe.h"
#include "views/prognose.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

namespace {

QLabel *label(QWidget *eltern, const QString &text, const QRect &rechteck,
              Qt::Alignment ausrichtung)
{
    auto *l = new QLabel(text, eltern);
    l->setGeometry(rechteck);
    if (ausrichtung)
        l->setAlignment(ausrichtung);
    return l;
}

QLineEdit *zahlFeld(QWidget *eltern, const char *name, const QString &text, const QRect &rechteck)
{
    auto *feld = new QLineEdit(text, eltern);
    feld->setObjectName(name);
    feld->setGeometry(rechteck);
    return feld;
}

} // namespace

void MainWindow::butApotheke_clicked()
{
    const int index = gewaehlterIndex();
    if (index < 0 || !VorlageAblegen() || !tabelleHaeltPlan())
        return;
    const Prognose p = prognose(datensaetze[index], jetztUnix());

    QDialog dialog;
    dialog.setObjectName("apoDialog");
    dialog.setFixedSize(380, 200);
    dialog.setWindowTitle(" " + txtApoTitle + " ");

    auto *behaelter = new QWidget(&dialog);
    behaelter->setObjectName("apoBehaelter");
    behaelter->setGeometry(15, 15, 350, 170);

    const Qt::Alignment mitte = Qt::AlignHCenter | Qt::AlignVCenter;
    const Qt::Alignment rechts = Qt::AlignRight | Qt::AlignVCenter;
    QLabel *name = label(behaelter, feld(index, 1), {0, 0, 350, 20}, mitte);
    name->setObjectName("apoName");
    name->setFont(fettSchrift);
    name->setStyleSheet("font-size:16px;");
    QLabel *geholt = label(behaelter, txtApoGeholt, {0, 25, 350, 20}, mitte);
    geholt->setFont(fettSchrift);

    QLabel *standLabel = label(behaelter, txtApoStand + ": ", {0, 70, 100, 20}, rechts);
    // A stock the plan holds as no number is asked for, never taken as 0.
    const bool lesbar = zahlFeldLesbar(feld(index, Feld::Bestand));
    apoStand = zahlFeld(behaelter, "apoStand", lesbar ? zahlSpeichern(p.bestandHeute) : QString(),
                        {100, 70, 50, 20});
    standLabel->setBuddy(apoStand);
    const int packungen = packungenFuer(datensaetze[index], p, jetztUnix(), datensaetze[1]);
    if (packungen > 0) {
        QLabel *bedarf = label(behaelter, txtPackungen + ": " + QString::number(packungen),
                               {0, 122, 350, 20}, Qt::AlignLeft | Qt::AlignVCenter);
        bedarf->setObjectName("apoBedarf");
    }
    QLabel *packungenLabel = label(behaelter, txtApoPackungen + ": ", {0, 100, 100, 20}, rechts);
    apoPackungen = zahlFeld(behaelter, "apoPackungen", "1", {100, 100, 50, 20});
    packungenLabel->setBuddy(apoPackungen);
    QLabel *jeLabel = label(behaelter, txtApoJe + ": ", {150, 100, 50, 20}, rechts);
    apoJe = zahlFeld(behaelter, "apoJe", feld(index, 4), {200, 100, 50, 20});
    jeLabel->setBuddy(apoJe);
    // Wider than the 50 pixels first drawn for it, so the word is not cut off.
    label(behaelter, " " + txtApoEinheiten, {250, 100, 100, 20}, {});

    auto *knopf = new QPushButton(txtApoKnopf, behaelter);
    knopf->setObjectName("apoEintragen");
    knopf->setGeometry(0, 145, 220, 25);
    knopf->setAutoDefault(false);
    knopf->setDefault(true); // Return confirms, Escape cancels
    auto *abbrechen = new QPushButton(txtAbort, behaelter);
    abbrechen->setObjectName("apoAbbrechen");
    abbrechen->setGeometry(230, 145, 120, 25);
    connect(abbrechen, &QPushButton::clicked, &dialog, &QDialog::reject);
    apoStand->setFocus();
    apoStand->selectAll();

    // The entry closes the dialog itself once the figures are accepted;
    // refused figures keep it open for correction.
    connect(knopf, &QPushButton::clicked, this, &MainWindow::butApoEintrag_clicked);

    geometrieSpiegeln(&dialog); // right to left: the rectangles mirrored
    dialog.exec();

    apoStand = apoPackungen = apoJe = nullptr;
}

void MainWindow::butApoEintrag_clicked()
{
    activateWindow();
    const int index = gewaehlterIndex();
    // Only meaningful while the dialog is open, and only on the loaded plan:
    // a change the file cannot take would show as stored when it is not.
    if (!apoStand || index < 0 || !tabelleHaeltPlan())
        return;

    // Typed like every other number ("2,5", "1/2"); nonsense stores nothing.
    float stand = 0, packungen = 0, je = 0;
    if (!zahlFelderPruefen({{apoStand, "aktueller Stand", false, &stand},
                            {apoPackungen, "Packung/en", false, &packungen},
                            {apoJe, "mit je", false, &je}}))
        return;
    apoStand->window()->close();
    // A stock left as shown counts from the plan as it is when the pickup is
    // written, which may have changed elsewhere meanwhile.
    const std::optional<float> getippt =
        apoStand->isModified() ? std::optional<float>(stand) : std::nullopt;
    const PlanDokument::Ergebnis e =
        dokument.abholen(feld(index, Feld::Eingabe), index, getippt, je * packungen, jetztUnix());
    Ausgefuehrt(e);
    FelderZuruecksetzen();
    tabReiter->setCurrentIndex(0);
}
