// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "planfile/datensatz.h"
#include "i18n/sprachform.h"
#include "planfile/eingabe.h"
#include "views/prognose.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>

#include <utility>

namespace {
const char *const geaendertStil = "color:rgb(200,0,0;);font-weight:bold;";
}

void MainWindow::comboAuswahl(int eingang)
{
    // The list and the tabs can signal while the page is still being built.
    if (!listBox || !checkMed || !labBestand || !eingabeFelder[8])
        return;

    // A call made by program code while another slot runs for some other
    // widget counts as a direct call.
    const QObject *ausloeser = sender();
    const bool vomReiter = ausloeser == tabReiter;
    const bool vonListe = ausloeser == listBox;
    const bool vonUebersicht = ausloeser == tabelleUebersicht;

    int k = eingang + 2;
    if (vomReiter || (vonListe && eingang < 0))
        k = 2;
    // Nothing to load: a plan without medications or a row that is gone.
    if (k < 2 || k >= anzahlDatensaetze)
        return;
    // A tab change keeps what is typed; choosing another medication asks.
    const int jetzt = gewaehlterIndex();
    if (FormularOffen() && k != jetzt) {
        if (vomReiter)
            return;
        if ((vonListe || vonUebersicht) && !EingabenKlaeren(true)) {
            const QSignalBlocker sperre(listBox);
            listBox->setCurrentRow(jetzt - 2);
            return;
        }
    }

    if (vonUebersicht)
        tabReiter->setCurrentIndex(2); // runs this slot nested for the tab change

    const quint32 jetztSek = jetztUnix();
    const QStringList &r = datensaetze[k];
    const Prognose p = prognose(r, jetztSek);

    // The record's index, not its stored number: a file not yet compacted may
    // hold numbers that name another line.
    aktuelleNummer = QString::number(k + 1);
    gewaehlterName = feldVon(r, Feld::Eingabe);
    formularHakenGeaendert = false;
    groupMedWahl->setTitle(medWahlTitel(feldVon(r, 1)));
    eingabeFelder[0]->setText(feldVon(r, 1));
    eingabeFelder[1]->setText(feldVon(r, 2));
    eingabeFelder[2]->setText(feldVon(r, 3));
    eingabeFelder[3]->setText(feldVon(r, 4));
    labBestand->setText(ZeitZuDatum(jetztSek));
    // Every unit of today's stock, so that saving the form loses none.
    eingabeFelder[4]->setText(zahlSpeichern(p.bestandHeute));
    eingabeFelder[5]->setText(feldVon(r, 7));
    eingabeFelder[6]->setText(feldVon(r, 8));
    eingabeFelder[7]->setText(feldVon(r, 9));
    eingabeFelder[8]->setText(feldVon(r, 10));
    FelderZuruecksetzen();
    checkMed->setChecked(feldVon(r, 11) == QLatin1String("1"));

    FormularFreigeben();

    // A changed row runs this slot again, nested, through the list's signal.
    listBox->setCurrentRow(vomReiter ? 0 : eingang);
}

// "Medications - Ramipril", with room after its last letter: the blanks come
// last in the reading order, which right to left is the other end.
QString MainWindow::medWahlTitel(const QString &name) const
{
    const QString titel = txtMedwahl + " - " + name;
    return vonRechtsNachLinks() ? "  " + titel : titel + "  ";
}

// Without a chosen medication the form has nothing to show or to save: its
// fields and the buttons that act on one medication are off until one is chosen.
void MainWindow::FormularFreigeben()
{
    if (!groupDosierung || !groupKnoepfe)
        return;
    const bool gewaehlt = gewaehlterIndex() >= 0;
    groupDosierung->setEnabled(gewaehlt);
    for (const char *name : {"butApotheke", "butEntfernen", "butHoch", "butRunter"}) {
        if (QWidget *knopf = groupMedWahl->findChild<QWidget *>(name))
            knopf->setEnabled(gewaehlt);
    }
    if (!gewaehlt) {
        butAenderungSpeichern->setEnabled(false);
        butAenderungSpeichern->setStyleSheet("color:gray;");
    }
}

void MainWindow::FelderZuruecksetzen()
{
    // A sheet is set only when it differs: each one set restyles the field.
    const auto zuruecksetzen = [this](QWidget *feld, const QString &stil) {
        feld->setFont(normalSchrift);
        if (feld->styleSheet() != stil)
            feld->setStyleSheet(stil);
    };
    for (QLineEdit *feld : eingabeFelder)
        zuruecksetzen(feld, QStringLiteral("background-color:white; color:black;"));
    zuruecksetzen(checkMed, QStringLiteral("color:black;"));
}

namespace {
void alsGeaendertZeigen(QWidget *feld, QPushButton *speichern)
{
    feld->setStyleSheet(geaendertStil);
    speichern->setEnabled(true);
    speichern->setStyleSheet("color:black;");
}
} // namespace

void MainWindow::beiEingabeFarbeAendern(QString)
{
    alsGeaendertZeigen(eingabeFelder[0], butAenderungSpeichern);
}

void MainWindow::beiBezFarbeAendern(QString)
{
    alsGeaendertZeigen(eingabeFelder[1], butAenderungSpeichern);
}

void MainWindow::beiDosisFarbeAendern(QString)
{
    alsGeaendertZeigen(eingabeFelder[2], butAenderungSpeichern);
}

void MainWindow::beiEinheitenFarbeAendern(QString)
{
    alsGeaendertZeigen(eingabeFelder[3], butAenderungSpeichern);
}

void MainWindow::beiHeuteFarbeAendern(QString)
{
    alsGeaendertZeigen(eingabeFelder[4], butAenderungSpeichern);
}

void MainWindow::beiMorgenFarbeAendern(QString)
{
    alsGeaendertZeigen(eingabeFelder[5], butAenderungSpeichern);
}

void MainWindow::beiMittagFarbeAendern(QString)
{
    alsGeaendertZeigen(eingabeFelder[6], butAenderungSpeichern);
}

void MainWindow::beiAbendFarbeAendern(QString)
{
    alsGeaendertZeigen(eingabeFelder[7], butAenderungSpeichern);
}

void MainWindow::beiNachtFarbeAendern(QString)
{
    alsGeaendertZeigen(eingabeFelder[8], butAenderungSpeichern);
}

void MainWindow::beicheckMed_clicked()
{
    formularHakenGeaendert = true;
    alsGeaendertZeigen(checkMed, butAenderungSpeichern);
}

void MainWindow::umsortieren()
{
    const int zeile = listBox->currentRow();
    const int k = zeile + 2;
    if (k < 3 || k >= anzahlDatensaetze)
        return;
    Verschieben(k, k - 1);
}

void MainWindow::umsortieren2()
{
    const int zeile = listBox->currentRow();
    const int k = zeile + 2;
    if (k < 2 || k >= anzahlDatensaetze - 1)
        return;
    Verschieben(k, k + 1);
}

void MainWindow::Verschieben(int von, int nach)
{
    if (!VorlageAblegen() || !tabelleHaeltPlan())
        return;
    // The medication the list shows moves, and the list follows it.
    gewaehlterName = feld(von, Feld::Eingabe);
    aktuelleNummer = QString::number(von + 1);
    const PlanDokument::Ergebnis e = dokument.verschieben(feld(von, Feld::Eingabe), von, nach - von);
    Ausgefuehrt(e);
}
