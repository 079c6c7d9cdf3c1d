// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "planfile/datensatz.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

void MainWindow::PatDatenFuellen()
{
    // Missing fields (an empty or one-line plan) read as empty text.
    labPatient->setText(" - " + txtPats + ": " + feld(1, 1) + ", " + feld(1, 2) + "  |  "
                        + txtPatgeb + ": " + feld(1, 3));
    labDatum->setText(txtCreated + ": " + jetztText + " " + txtClock + "  ");
    editName->setText(feld(1, 1));
    editVorname->setText(feld(1, 2));
    dateGeburt->setDate(QDate::fromString(feld(1, 3), "dd.MM.yyyy"));
    gezeigteGeburt = dateGeburt->date();

    // Showing the plan's appointment switch is no change of it.
    const QSignalBlocker ja(radioJa);
    const QSignalBlocker nein(radioNein);
    // Switched off, the day stays stored: "Yes" offers it again.
    const qint32 zeit = feld(1, 5).toInt();
    QDate termin = zeit > 0 ? QDate::fromString(ZeitZuDatum(quint32(zeit)), "dd. MM. yyyy") : heute;
    const bool sichtbar = feld(1, 4) == QLatin1String("1");
    (sichtbar ? radioJa : radioNein)->setChecked(true);
    if (!sichtbar && !termin.isValid())
        termin = heute;
    dateArztTermin->setDate(termin);
    gezeigterTermin = dateArztTermin->date();
    dateArztTermin->setVisible(sichtbar);
    butArztTermin->setText(txtSavedbutton);
    butArztTermin->setVisible(sichtbar);
    PatFelderMarkieren();
}

void MainWindow::PatDatenAendern()
{
    // Without the plan's patient record there is nothing to change.
    if (!VorlageAblegen() || !tabelleHaeltPlan())
        return;
    // Only the fields typed into: what another window changed stays.
    QMap<int, QString> felder;
    if (editName->isModified())
        felder[Feld::Name] = freiText(editName->text());
    if (editVorname->isModified())
        felder[Feld::Vorname] = freiText(editVorname->text());
    if (dateGeburt->date() != gezeigteGeburt)
        felder[Feld::Geburtsdatum] = dateGeburt->date().toString("dd.MM.yyyy");
    if (!Ausgefuehrt(dokument.patientAendern(felder)))
        return;
    editName->setModified(false);
    editVorname->setModified(false);
    PatDatenFuellen();
}

void MainWindow::ArztRadio(bool eingang)
{
    dateArztTermin->setVisible(eingang);
    butArztTermin->setVisible(eingang);
    const QString wert = eingang ? QStringLiteral("1") : QStringLiteral("0");
    const auto zuruecknehmen = [&] {
        const QSignalBlocker ja(radioJa);
        const QSignalBlocker nein(radioNein);
        (eingang ? radioNein : radioJa)->setChecked(true);
        dateArztTermin->setVisible(!eingang);
        butArztTermin->setVisible(!eingang);
    };
    if (!VorlageAblegen()) {
        zuruecknehmen();
        return;
    }
    if (!tabelleHaeltPlan())
        return;
    QMap<int, QString> felder{{Feld::TerminGesetzt, wert}};
    // An appointment is a day: the one the date field shows, never none.
    if (eingang)
        felder[Feld::TerminZeit] = QString::number(unixZeit(dateArztTermin->date().startOfDay()));
    if (!Ausgefuehrt(dokument.patientAendern(felder)))
        zuruecknehmen();
}

void MainWindow::ArztTerminMachen()
{
    if (!VorlageAblegen() || !tabelleHaeltPlan())
        return;
    // startOfDay() is local midnight, or the first valid moment on a day
    // whose midnight a clock change skips.
    const quint32 zeit = unixZeit(dateArztTermin->date().startOfDay());
    Ausgefuehrt(dokument.patientAendern({{Feld::TerminZeit, QString::number(zeit)}}));
}
