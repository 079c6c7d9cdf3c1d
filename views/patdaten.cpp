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
    gezeigteGeburt = dateGeburt->date();

    // Showing the plan's appointment switch is no change of it.
    const QSignalBlocker ja(radioJa);
    const QSignalBlocker nein(radioNein);
    // Switched off, the day stays stored: "Yes" offers it again.
    const qint32 zeit = feld(1, 5).toInt();
    QDate termin = zeit > 0 ? lokalerTag(quint32(zeit)) : heute;
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
    // Nobody is born after today: refused before anything changes, the field as typed.
    if (dateGeburt->date() > QDate::currentDate()) {
        Hinweis(txtGebZukunft, true);
        dateGeburt->setFocus();
        return;
    }
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
