// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "app/qtkompat.h"
#include "planfile/datensatz.h"
#include "planfile/planlesen.h"
#include "planfile/sicherschreiben.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>

void MainWindow::DatenEinlesen(QString fileDatei)
{
    // The table stays as it was. If it came from this very file, which now
    // holds something it cannot read, writing it back would destroy that.
    const auto fehlgeschlagen = [&] {
        if (QFileInfo::exists(fileDatei)
            && QFileInfo(fileDatei).absoluteFilePath() == tabellenDatei)
            tabellenDatei.clear();
    };
    // A file past the limit is refused before it is read, not read whole first.
    bool zuGross = false;
    const QByteArray roh = planDateiLesen(fileDatei, nullptr, &zuGross);
    if (roh.isNull()) {
        if (zuGross)
            Hinweis(txtTooBig + "\n\n" + fileDatei, true);
        return fehlgeschlagen();
    }
    // What a text-mode read gives; the raw bytes tell later whether the file changed.
    QByteArray bytes = roh;
    bytes.replace("\r", "");

    const QStringList zeilen = planZeilen(planTextDekodieren(bytes));
    if (zeilen.size() > maxDatensaetze) {
        Hinweis(txtTooLong + "\n\n" + fileDatei, true);
        return fehlgeschlagen();
    }
    anzahlDatensaetze = zeilen.size();
    for (int i = 0; i < anzahlDatensaetze; ++i)
        datensaetze[i] = zeilen.at(i).split(QLatin1Char(';'), Qt::KeepEmptyParts);
    tabellenDatei = QFileInfo(fileDatei).absoluteFilePath();
    letzterStand = roh;
    UndoZustandAktualisieren();

    QSettings pfade(datenPfad + "meddata.ini", QSettings::IniFormat);
    iniUtf8(pfade);
    pfade.beginGroup("Pfade");
    // Written only when it changes: setting the same value rewrites the file.
    if (pfade.value("letzteDatei").toString() != fileDatei)
        pfade.setValue("letzteDatei", fileDatei);
    pfade.endGroup();
}

QString MainWindow::feld(int index, int nummer) const
{
    if (index < 0 || index >= anzahlDatensaetze)
        return QString();
    return feldVon(datensaetze[index], nummer);
}

void MainWindow::setzeFeld(int index, int nummer, const QString &wert)
{
    if (index < 0 || index >= anzahlDatensaetze || nummer < 0)
        return;
    QStringList &datensatz = datensaetze[index];
    while (datensatz.size() <= nummer)
        datensatz.append(QString());
    datensatz[nummer] = wert;
}

bool MainWindow::tabelleHaeltPlan() const
{
    return anzahlDatensaetze >= 2 && !tabellenDatei.isEmpty()
           && tabellenDatei == QFileInfo(aktuelleDatei).absoluteFilePath();
}

int MainWindow::gewaehlterIndex() const
{
    bool ok = false;
    const int index = aktuelleNummer.toInt(&ok) - 1;
    return ok && index >= 2 && index < anzahlDatensaetze ? index : -1;
}

QByteArray MainWindow::tabellenText(int auslassen) const
{
    QString text;
    for (int i = 0; i < anzahlDatensaetze; ++i) {
        if (i == auslassen)
            continue;
        for (const QString &f : datensaetze[i])
            text += f + ';';
        text += '\n';
    }
    return text.toUtf8();
}

bool MainWindow::TabelleSchreiben(const QString &pfad, int auslassen)
{
    return DateiSchreiben(pfad, tabellenText(auslassen));
}

bool MainWindow::ZeileAnhaengen(const QString &pfad, const QString &zeile)
{
    QString text;
    QFile alt(pfad);
    // A plan file that vanished is not recreated holding just the new line.
    if (!alt.exists()) {
        Hinweis(txtWriteErr + "\n\n" + pfad + "\n" + QFile::tr("No such file or directory"),
                true);
        return false;
    }
    {
        // Never replace a file whose old contents could not be read in full.
        if (!alt.open(QIODevice::ReadOnly)) {
            Hinweis(txtWriteErr + "\n\n" + pfad + "\n" + alt.errorString(), true);
            return false;
        }
        text = planTextDekodieren(alt.readAll());
        if (alt.error() != QFileDevice::NoError) {
            Hinweis(txtWriteErr + "\n\n" + pfad + "\n" + alt.errorString(), true);
            return false;
        }
        alt.close();
    }
    if (!text.isEmpty() && !text.endsWith('\n'))
        text += '\n';
    text += zeile + '\n';
    return DateiSchreiben(pfad, text.toUtf8());
}

bool MainWindow::DateiSchreiben(const QString &pfad, const QByteArray &inhalt,
                                const QString &fehlerText, const QString &vorbild)
{
    // Written to a temporary file and renamed over the plan, so a crash or a
    // full disk never leaves half a plan.
    // The shipped templates stay as shipped, whatever path led to them.
    if (istVorlagenDatei(pfad)) {
        Hinweis((fehlerText.isNull() ? txtWriteErr : fehlerText) + "\n\n" + pfad, true);
        return false;
    }
    QString grund;
    const bool ok = vorbild.isNull() ? sicherSchreiben(pfad, inhalt, &grund)
                                     : sicherSchreibenWie(pfad, inhalt, vorbild, &grund);
    if (ok)
        PlanGeschrieben(pfad, inhalt);
    if (!ok) {
        Hinweis((fehlerText.isNull() ? txtWriteErr : fehlerText) + "\n\n" + pfad + "\n"
                    + grund,
                true);
    }
    return ok;
}
