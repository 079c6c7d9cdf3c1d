// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "i18n/sprachform.h"
#include "misc/barcode.h"
#include "planfile/bmpvorschau.h"
#include "planfile/datensatz.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>

namespace {

enum Spalte {
    Name, Staerke, Morgen, Mittag, Abend, Nacht, Grund, Hinweis, Abschnitt, Aktion, Einheiten,
    Bestand, Spalten
};

// Larger files are no scan or photo of a plan.
constexpr qint64 groessteDatei = 200 * 1024 * 1024;

} // namespace

void MainWindow::BmpImportieren()
{
    if (!tabelleHaeltPlan())
        return;
    QFileDialog auswahl(this, txtBmpOpentitle, dokumentePfad, txtBmpFilter);
    auswahl.setFileMode(QFileDialog::ExistingFiles);
    auswahl.setAcceptMode(QFileDialog::AcceptOpen);
    if (auswahl.exec() != QDialog::Accepted || auswahl.selectedFiles().isEmpty())
        return;

    QList<QByteArray> dateien;
    for (const QString &pfad : auswahl.selectedFiles()) {
        QFile datei(pfad);
        if (datei.size() > groessteDatei) {
            Hinweis(txtBmpToobig + "\n\n" + pfad, true);
            return;
        }
        if (!datei.open(QIODevice::ReadOnly)) {
            Hinweis(txtBmpReaderr + "\n\n" + pfad + "\n" + datei.errorString(), true);
            return;
        }
        dateien << datei.readAll();
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const PlanFund fund = planInDateien(dateien);
    QApplication::restoreOverrideCursor();

    QString fehler;
    switch (fund.bild) {
    case BarcodeFund::Fehler::KeinBild: fehler = txtBmpNoimage; break;
    case BarcodeFund::Fehler::ZuGross: fehler = txtBmpToobig; break;
    case BarcodeFund::Fehler::KeinCode: fehler = txtBmpNocode; break;
    case BarcodeFund::Fehler::Keiner:
        switch (fund.plan.fehler) {
        case BmpFehler::Keiner: break;
        case BmpFehler::KeinPlan: fehler = txtBmpNotplan; break;
        case BmpFehler::Unlesbar: fehler = txtBmpBadcode; break;
        case BmpFehler::Version: fehler = txtBmpVersion.arg(fund.plan.version); break;
        case BmpFehler::FremdeSeiten: fehler = txtBmpMixed; break;
        }
    }
    if (!fehler.isEmpty()) {
        Hinweis(fehler, true);
        return;
    }
    BmpKennungsWorte worte;
    worte.pzn = txtBmpPzn;
    worte.gtin = txtBmpGtin;
    worte.pharmacode = txtBmpPharmacode;
    BmpVorschau vorschau(fund.plan.plan, dokument.tabelle().datensaetze, maxMedikamente, worte);
    if (vorschau.zeilen().isEmpty()) {
        Hinweis(txtBmpEmpty, true);
        return;
    }
    bool patient = false;
    if (BmpVorschauZeigen(vorschau, patient))
        BmpUebernehmen(vorschau, patient);
}

bool MainWindow::BmpVorschauZeigen(BmpVorschau &vorschau, bool &patient)
{
    QDialog dialog(this);
    dialog.setObjectName("bmpDialog");
    dialog.setWindowTitle(txtBmpTitle);
    dialog.setAccessibleName(txtBmpTitle);
    dialog.setFixedSize(1180, 640);
    const bool rtl = txtBmpTitle.isRightToLeft();

    auto *einleitung = new QLabel(txtBmpIntro, &dialog);
    einleitung->setObjectName("bmpEinleitung");
    einleitung->setGeometry(15, 10, 1150, 22);

    auto *patientWahl = new QCheckBox(txtBmpPatneu.arg(vorschau.patientGelesen()), &dialog);
    patientWahl->setObjectName("bmpPatient");
    patientWahl->setGeometry(15, 36, 1150, 22);
    patientWahl->setChecked(true);
    patientWahl->setVisible(vorschau.patientErgaenzbar());
    auto *anders = new QLabel(txtBmpPatanders.arg(vorschau.patientImPlan(), vorschau.patientGelesen()),
                              &dialog);
    anders->setObjectName("bmpPatientAnders");
    anders->setGeometry(15, 60, 1150, 22);
    anders->setStyleSheet("color:rgb(170,0,0); font-weight:bold;");
    anders->setVisible(vorschau.patientAbweichend());

    const QList<BmpZeile> &zeilen = vorschau.zeilen();
    auto *tabelle = new QTableWidget(int(zeilen.size()), Spalten, &dialog);
    tabelle->setObjectName("bmpTabelle");
    tabelle->setAccessibleName(txtBmpList);
    tabelle->setGeometry(15, 88, 1150, 420);
    tabelle->setTabKeyNavigation(false);
    tabelle->setSelectionMode(QAbstractItemView::SingleSelection);
    tabelle->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                             | QAbstractItemView::AnyKeyPressed);
    tabelle->setHorizontalHeaderLabels({txtCol1, txtCol8, txtCol9, txtCol10, txtCol11, txtCol12,
                                        txtBmpGrund, txtBmpHinweis, txtBmpAbschnitt, txtBmpAktion,
                                        txtUpb, txtUnit});
    if (rtl)
        tabelle->setLayoutDirection(Qt::RightToLeft);
    tabelle->verticalHeader()->hide();
    const int breiten[Spalten] = {190, 85, 45, 45, 45, 45, 150, 130, 110, 140, 85, 60};
    for (int s = 0; s < Spalten; ++s)
        tabelle->setColumnWidth(s, breiten[s]);
    tabelle->horizontalHeader()->setStretchLastSection(true);

    const auto hakenZeigen = [&] {
        const QSignalBlocker sperre(tabelle);
        for (int i = 0; i < zeilen.size(); ++i) {
            QTableWidgetItem *item = tabelle->item(i, Name);
            Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
            if (vorschau.waehlbar(i))
                f |= Qt::ItemIsUserCheckable;
            item->setFlags(f);
            item->setCheckState(zeilen.at(i).angehakt ? Qt::Checked : Qt::Unchecked);
        }
    };
    for (int i = 0; i < zeilen.size(); ++i) {
        const BmpZeile &z = zeilen.at(i);
        QString aktion = z.planIndex < 0 ? txtBmpNeu : z.gleich ? txtBmpGleich : txtBmpUpdate;
        if (z.dosenFehlen)
            aktion += " - " + txtBmpDosen;
        const QString texte[Spalten] = {z.name, z.staerke, z.dosenText[0], z.dosenText[1],
                                        z.dosenText[2], z.dosenText[3], z.beschreibung, z.hinweis,
                                        z.abschnitt, aktion, z.einheiten, z.bestand};
        for (int s = 0; s < Spalten; ++s) {
            const bool neu = z.planIndex < 0;
            // "5 mg" keeps its order in a table read from the right.
            auto *item = new QTableWidgetItem(s >= Einheiten ? (neu ? texte[s] : QString())
                                                             : eigeneReihenfolge(texte[s]));
            item->setToolTip(texte[s]);
            if (s >= Morgen && s <= Nacht)
                item->setTextAlignment(Qt::AlignCenter);
            if (s >= Einheiten)
                item->setFlags(neu ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable
                                   : Qt::NoItemFlags);
            else if (s != Name)
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            if (s == Aktion && z.dosenFehlen)
                item->setForeground(QColor(170, 0, 0));
            tabelle->setItem(i, s, item);
        }
    }
    hakenZeigen();

    auto *voll = new QLabel(txtBmpVoll.arg(vorschau.zuViele()), &dialog);
    voll->setObjectName("bmpVoll");
    voll->setGeometry(15, 514, 1150, 36);
    voll->setWordWrap(true);
    voll->setStyleSheet("color:rgb(170,0,0);");
    voll->setVisible(vorschau.zuViele() > 0);

    QStringList notizen;
    if (!vorschau.plan().fehlendeSeiten.isEmpty()) {
        QStringList seiten;
        for (int s : vorschau.plan().fehlendeSeiten)
            seiten << QString::number(s);
        notizen << txtBmpSeitenfehlen.arg(seiten.join(", "));
    }
    if (!vorschau.plan().freitexte.isEmpty())
        notizen << txtBmpNotizen.arg(vorschau.plan().freitexte.join(" / "));
    auto *notiz = new QLabel(notizen.join("\n"), &dialog);
    notiz->setObjectName("bmpNotizen");
    notiz->setGeometry(15, 552, 1150, 36);
    notiz->setWordWrap(true);

    auto *uebernehmen = new QPushButton(txtBmpOk, &dialog);
    uebernehmen->setObjectName("bmpUebernehmen");
    uebernehmen->setAccessibleName(txtBmpOk);
    uebernehmen->setGeometry(845, 596, 155, 30);
    uebernehmen->setDefault(true);
    auto *abbrechen = new QPushButton(txtAbort, &dialog);
    abbrechen->setObjectName("bmpAbbrechen");
    abbrechen->setAccessibleName(txtAbort);
    abbrechen->setGeometry(1010, 596, 155, 30);

    connect(tabelle, &QTableWidget::itemChanged, &dialog, [&](QTableWidgetItem *item) {
        const int i = item->row();
        if (item->column() == Name) {
            // Refused beyond the plan's room; the others' check boxes follow.
            vorschau.setzeHaken(i, item->checkState() == Qt::Checked);
            hakenZeigen();
        } else if (item->column() == Einheiten) {
            vorschau.setzeEinheiten(i, item->text());
        } else if (item->column() == Bestand) {
            vorschau.setzeBestand(i, item->text());
        }
    });
    connect(uebernehmen, &QPushButton::clicked, &dialog, [&] {
        int spalte = 0;
        const int falsch = vorschau.falscheZahl(&spalte);
        if (falsch >= 0) {
            Hinweis(txtZahlFalsch.arg(zeilen.at(falsch).name + ": " + (spalte == 0 ? txtUpb : txtUnit)),
                    true);
            tabelle->setCurrentCell(falsch, spalte == 0 ? Einheiten : Bestand);
            tabelle->setFocus();
            return;
        }
        dialog.accept();
    });
    connect(abbrechen, &QPushButton::clicked, &dialog, &QDialog::reject);

    QWidget::setTabOrder(tabelle, patientWahl);
    QWidget::setTabOrder(patientWahl, uebernehmen);
    QWidget::setTabOrder(uebernehmen, abbrechen);
    tabelle->setCurrentCell(0, Name);
    tabelle->setFocus();
    if (dialog.exec() != QDialog::Accepted)
        return false;
    patient = !patientWahl->isHidden() && patientWahl->isChecked();
    return true;
}

bool MainWindow::BmpUebernehmen(const BmpVorschau &vorschau, bool patient)
{
    bool etwas = patient;
    for (const BmpZeile &z : vorschau.zeilen())
        etwas = etwas || z.angehakt;
    // A template is never written: the plan first gets a file of its own.
    if (!etwas || !VorlageAblegen() || !tabelleHaeltPlan())
        return false;
    // One operation on the plan as it is on disk: one version, one undo step.
    int ausgelassen = 0;
    const quint32 jetzt = jetztUnix();
    const bool ok = Ausgefuehrt(dokument.ausfuehren([&](Plantabelle &tabelle, int &) {
        tabelle.datensaetze = vorschau.anwenden(tabelle.datensaetze, jetzt, patient, &ausgelassen);
        return true;
    }));
    if (ok) {
        tabReiter->setCurrentIndex(0);
        if (ausgelassen > 0)
            Hinweis(txtMedFull);
    }
    return ok;
}
