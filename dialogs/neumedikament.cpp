// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "app/qtkompat.h"
#include "dialogs/eingabepruefung.h"
#include "i18n/spiegeln.h"
#include "planfile/datensatz.h"
#include "planfile/eingabe.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

QLabel *rechtsLabel(QWidget *eltern, const QString &text, const QRect &rechteck)
{
    auto *label = new QLabel(text, eltern);
    label->setGeometry(rechteck);
    label->setAlignment(Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignVCenter);
    return label;
}

QLineEdit *zeile(QWidget *eltern, const char *name, const QRect &rechteck)
{
    auto *feld = new QLineEdit(eltern);
    feld->setObjectName(name);
    feld->setGeometry(rechteck);
    return feld;
}

} // namespace

void MainWindow::butMedNeu_clicked()
{
    // A line appended to a file that is not the loaded plan (missing, too long
    // to load) would land where no header and patient record precede it.
    if (!VorlageAblegen() || !tabelleHaeltPlan())
        return;
    if (anzahlDatensaetze - 2 >= maxMedikamente) {
        Hinweis(txtMedFull);
        return;
    }

    QDialog dialog;
    dialog.setObjectName("neuDialog");
    dialog.setFixedSize(600, 380);
    dialog.setWindowTitle(txtNeuTitle);

    auto *behaelter = new QWidget(&dialog);
    behaelter->setObjectName("neuBehaelter");
    behaelter->setGeometry(15, 15, 570, 370);

    auto *kasten1 = new QGroupBox(behaelter);
    kasten1->setObjectName("neuKasten1");
    kasten1->setGeometry(0, 0, 570, 135);
    kasten1->setTitle(txtField1);
    kasten1->setFont(fettSchrift);
    auto *innen1 = new QWidget(kasten1);
    innen1->setObjectName("neuInnen1");
    innen1->setGeometry(2, 15, 565, 120);
    innen1->setFont(normalSchrift);

    auto *labelEingabe = rechtsLabel(innen1, txtCol1 + ":", {15, 20, 105, 20});
    neuEingabe = zeile(innen1, "neuEingabe", {125, 20, 320, 20});
    labelEingabe->setBuddy(neuEingabe);
    neuCheck = new QCheckBox(txtExpart, innen1);
    neuCheck->setObjectName("neuCheck");
    neuCheck->setGeometry(460, 20, 120, 20);
    neuCheck->setChecked(false);
    auto *labelBez = rechtsLabel(innen1, txtCol2 + ":", {15, 50, 105, 20});
    neuBez = zeile(innen1, "neuBez", {125, 50, 430, 20});
    labelBez->setBuddy(neuBez);
    auto *labelDatum = rechtsLabel(innen1, txtFirsttake + ":", {15, 85, 105, 20});
    neuDatum = new QDateEdit(innen1);
    neuDatum->setObjectName("neuDatum");
    datumsFeld(neuDatum);
    neuDatum->setGeometry(125, 85, 100, 20);
    // The plan stores the date as signed 32-bit Unix seconds; outside this
    // range it would read back as 0 and the whole stock would count as used.
    neuDatum->setDateRange(QDate(1970, 1, 2), QDate(2038, 1, 18));
    neuDatum->setDate(heute);
    labelDatum->setBuddy(neuDatum);
    auto *labelDosis = rechtsLabel(innen1, txtDpu + ":", {220, 85, 105, 20});
    neuDosis = zeile(innen1, "neuDosis", {330, 85, 50, 20});
    labelDosis->setBuddy(neuDosis);
    auto *labelEinheiten = rechtsLabel(innen1, txtUpb + ":", {395, 85, 105, 20});
    neuEinheiten = zeile(innen1, "neuEinheiten", {505, 85, 50, 20});
    labelEinheiten->setBuddy(neuEinheiten);

    auto *kasten2 = new QGroupBox(behaelter);
    kasten2->setObjectName("neuKasten2");
    kasten2->setGeometry(0, 150, 570, 120);
    kasten2->setTitle(txtTab2);
    kasten2->setFont(fettSchrift);
    auto *innen2 = new QWidget(kasten2);
    innen2->setObjectName("neuInnen2");
    innen2->setGeometry(2, 15, 560, 90);
    innen2->setFont(normalSchrift);

    auto *halb = new QLabel(txtHalftext, innen2);
    halb->setObjectName("neuHalbText");
    halb->setGeometry(125, 10, 400, 20);
    QLineEdit **dosen[4] = {&neuMorgen, &neuMittag, &neuAbend, &neuNacht};
    const char *dosisNamen[4] = {"neuMorgen", "neuMittag", "neuAbend", "neuNacht"};
    const QString dosisTexte[4] = {txtCol9, txtCol10, txtCol11, txtCol12};
    const int labelX[4] = {45, 175, 305, 425};
    const int feldX[4] = {125, 255, 385, 505};
    for (int i = 0; i < 4; ++i) {
        auto *label = rechtsLabel(innen2, dosisTexte[i] + ":", {labelX[i], 55, 75, 20});
        *dosen[i] = zeile(innen2, dosisNamen[i], {feldX[i], 55, 50, 20});
        label->setBuddy(*dosen[i]);
    }

    // Some labels reach a few pixels into the field before them; keep the
    // fields on top so those pixels still take clicks.
    neuDatum->raise();
    neuAbend->raise();

    auto *eintragen = new QPushButton(txtEnter, behaelter);
    eintragen->setObjectName("neuEintragen");
    eintragen->setGeometry(250, 300, 150, 30);
    auto *abbrechen = new QPushButton(txtAbort, behaelter);
    abbrechen->setObjectName("neuAbbrechen");
    abbrechen->setGeometry(410, 300, 150, 30);

    // The entry closes the dialog itself once the input is accepted; refused
    // input keeps it open for correction.
    connect(eintragen, &QPushButton::clicked, this, &MainWindow::butMedEintragen_clicked);
    connect(abbrechen, &QPushButton::clicked, &dialog, &QDialog::close);
    eintragen->setDefault(true); // Return confirms, Escape cancels
    neuEingabe->setFocus();

    geometrieSpiegeln(&dialog); // right to left: the rectangles mirrored
    dialog.exec();

    neuEingabe = neuBez = neuDosis = neuEinheiten = nullptr;
    neuMorgen = neuMittag = neuAbend = neuNacht = nullptr;
    neuDatum = nullptr;
    neuCheck = nullptr;
}

void MainWindow::butMedEintragen_clicked()
{
    // Only meaningful while the dialog is open.
    if (!neuEingabe || !tabelleHaeltPlan() || anzahlDatensaetze - 2 >= maxMedikamente)
        return;
    if (!nameVorhanden(neuEingabe))
        return;
    float einheiten = 0;
    float dosis[4] = {};
    QLineEdit *const dosen[4] = {neuMorgen, neuMittag, neuAbend, neuNacht};
    const QString dosisNamen[4] = {txtCol9, txtCol10, txtCol11, txtCol12};
    // Empty fields stay empty in the file, as ever, and read as 0.
    QList<ZahlFeld> zahlen{{neuEinheiten, txtUpb, true, &einheiten}};
    for (int i = 0; i < 4; ++i)
        zahlen.append({dosen[i], dosisNamen[i], true, &dosis[i]});
    if (!zahlFelderPruefen(zahlen))
        return;
    const auto gespeichert = [](QLineEdit *feld, float wert) {
        return feld->text().trimmed().isEmpty() ? QString() : zahlSpeichern(wert);
    };
    const QString packung = gespeichert(neuEinheiten, einheiten);
    neuEingabe->window()->close();

    // Local midnight, or the first moment of the day when a clock change skips midnight.
    const QString datum = QString::number(unixZeit(neuDatum->date().startOfDay()));
    const QString nichtImPlan = neuCheck->isChecked() ? QStringLiteral("1") : QString();
    const QStringList felder = {QString(),
                                freiText(neuEingabe->text()),
                                freiText(neuBez->text()),
                                freiText(neuDosis->text()),
                                packung,
                                datum,
                                packung,
                                gespeichert(dosen[0], dosis[0]),
                                gespeichert(dosen[1], dosis[1]),
                                gespeichert(dosen[2], dosis[2]),
                                gespeichert(dosen[3], dosis[3]),
                                nichtImPlan};
    // The plan read again may be full by now: the document refuses then.
    Ausgefuehrt(dokument.hinzufuegen(felder));
    tabReiter->setCurrentIndex(0);
}
