// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "i18n/sprachform.h"
#include "planfile/datensatz.h"
#include "views/prognose.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

QString MainWindow::geburtsTagText() const
{
    // The plan keeps "dd.MM.yyyy"; what does not read as a day is shown as stored.
    const QDate tag = QDate::fromString(feld(1, 3), "dd.MM.yyyy");
    return tag.isValid() && sprachform() != QLatin1String("de") ? tagTextKurz(tag) : feld(1, 3);
}

// A passed appointment says so on the patient line and beside the switch.
void MainWindow::TerminVorbeiZeigen()
{
    const QString zeile = " - " + txtPats + ": " + feld(1, 1) + ", " + feld(1, 2) + "  |  "
                          + txtPatgeb + ": " + geburtsTagText();
    const QDate heuteTag = lokalerTag(jetztUnix());
    const QStringList patient = anzahlDatensaetze > 1 ? datensaetze[1] : QStringList();
    const bool vorbei = terminVorbei(patient, heuteTag);
    const QString vorbeiText = vorbei ? txtTerminVorbei.arg(tagText(terminTag(patient))) : QString();
    labPatient->setText(vorbei ? zeile + "  |  " + vorbeiText : zeile);
    labTerminVorbei->setText(vorbeiText);
    labTerminVorbei->setVisible(vorbei);
}

void MainWindow::PatDatenFuellen()
{
    // Missing fields (an empty or one-line plan) read as empty text.
    TerminVorbeiZeigen();
    labDatum->setText(txtCreated + ": " + jetztText + " " + txtClock + "  ");
    editName->setText(feld(1, 1));
    editVorname->setText(feld(1, 2));
    dateGeburt->setDate(QDate::fromString(feld(1, 3), "dd.MM.yyyy"));

    // Checking a radio button may run ArztRadio nested, which re-reads the
    // plan; the appointment is read only afterwards.
    QDate termin;
    bool sichtbar = false;
    if (feld(1, 4) == QLatin1String("1")) {
        radioJa->setChecked(true);
        termin = lokalerTag(static_cast<quint32>(feld(1, 5).toInt()));
        sichtbar = true;
    } else {
        radioNein->setChecked(true);
        termin = heute;
    }
    dateArztTermin->setDate(termin);
    dateArztTermin->setVisible(sichtbar);
    butArztTermin->setText(txtSavedbutton);
    butArztTermin->setVisible(sichtbar);
}

void MainWindow::PatDatenAendern()
{
    // Nobody is born after today: refused before anything changes, the field as typed.
    if (dateGeburt->date() > QDate::currentDate()) {
        Hinweis(txtGebZukunft, true);
        dateGeburt->setFocus();
        return;
    }
    // Without the plan's patient record there is nothing to change, and a
    // compaction would not be allowed to write anyway.
    if (!AenderungBeginnen(nullptr, true))
        return;
    setzeFeld(1, 1, freiText(editName->text()));
    setzeFeld(1, 2, freiText(editVorname->text()));
    setzeFeld(1, 3, dateGeburt->date().toString("dd.MM.yyyy"));
    aufraeumen();
    PatDatenFuellen();
}

void MainWindow::ArztRadio(bool eingang)
{
    dateArztTermin->setVisible(eingang);
    butArztTermin->setVisible(eingang);
    const QString wert = eingang ? QStringLiteral("1") : QStringLiteral("0");
    // A refill showing a template's stored state changes nothing.
    if (istVorlagenDatei(aktuelleDatei) && feld(1, 4) == wert)
        return;
    if (!VorlageAblegen()) {
        const QSignalBlocker ja(radioJa);
        const QSignalBlocker nein(radioNein);
        (eingang ? radioNein : radioJa)->setChecked(true);
        dateArztTermin->setVisible(!eingang);
        butArztTermin->setVisible(!eingang);
        return;
    }
    if (!tabelleHaeltPlan())
        return;
    // Refilling the page sets the switch to what the plan holds: no change then.
    if (feld(1, 4) != wert && !AenderungBeginnen(nullptr, true))
        return;
    setzeFeld(1, 4, wert);
    aufraeumen();
    DatenEinlesen(aktuelleDatei);
    UebersichtFuellen();
    TerminVorbeiZeigen();
}

void MainWindow::ArztTerminMachen()
{
    if (!AenderungBeginnen(nullptr, true))
        return;
    // startOfDay() is local midnight, or the first valid moment on a day
    // whose midnight a clock change skips.
    const quint32 zeit = unixZeit(dateArztTermin->date().startOfDay());
    setzeFeld(1, 5, QString::number(zeit));
    aufraeumen();
    DatenEinlesen(aktuelleDatei);
    UebersichtFuellen();
    TerminVorbeiZeigen();
}
