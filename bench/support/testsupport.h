// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TABLORA_TESTSUPPORT_H
#define TABLORA_TESTSUPPORT_H

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>

#include "app/mainwindow.h"

class QWidget;

// Harness of the timings. Reaches the window's private state for assertions and direct calls.
struct TestZugang
{
    static int anzahl(MainWindow &w) { return w.anzahlDatensaetze; }
    static QStringList datensatz(MainWindow &w, int i) { return w.datensaetze[i]; }
    static QString aktuelleNummer(MainWindow &w) { return w.aktuelleNummer; }
    static void setzeAktuelleNummer(MainWindow &w, const QString &n) { w.aktuelleNummer = n; }
    static QString aktuelleDatei(MainWindow &w) { return w.aktuelleDatei; }
    static QString dokumentePfad(MainWindow &w) { return w.dokumentePfad; }
    static QString datenPfad(MainWindow &w) { return w.datenPfad; }
    static QString programmTitel(MainWindow &w) { return w.programmTitel; }
    static QString zeitZuDatum(MainWindow &w, quint32 t) { return w.ZeitZuDatum(t); }
    static QString dosisText(MainWindow &w, float d) { return w.DosisText(d); }
    static QString zahlText(MainWindow &w, const QString &s) { return w.zahlText(s); }
    static QString freiText(MainWindow &w, const QString &s) { return w.freiText(s); }
    static QString umlauteText(MainWindow &w, const QString &s) { return w.umlauteText(s); }
    static QString txtNoDat(MainWindow &w) { return w.txtNoDat; }
    static QString txtNewstart(MainWindow &w) { return w.txtNewstart; }
    static QString txtTooLong(MainWindow &w) { return w.txtTooLong; }
    static QString txtWriteErr(MainWindow &w) { return w.txtWriteErr; }
    static QString txtMedFull(MainWindow &w) { return w.txtMedFull; }
    static QString txtReicht(MainWindow &w) { return w.txtReicht; }
    static QString txtReicht2(MainWindow &w) { return w.txtReicht2; }
    static QString txtReicht3(MainWindow &w) { return w.txtReicht3; }
    static QString txtWeekse(MainWindow &w) { return w.txtWeekse; }
    static QString txtLafi(MainWindow &w) { return w.txtLafi; }

    // views tests
    static QString txtPats(MainWindow &w) { return w.txtPats; }
    static QString txtPatgeb(MainWindow &w) { return w.txtPatgeb; }
    static QString txtMedwahl(MainWindow &w) { return w.txtMedwahl; }

    // dialogs tests
    static QString txtAbort(MainWindow &w) { return w.txtAbort; }
    static QString txtDelmed(MainWindow &w) { return w.txtDelmed; }
    static QString txtNeuTitle(MainWindow &w) { return w.txtNeuTitle; }

    // pdf and help tests
    static QString txtPdfErr(MainWindow &w) { return w.txtPdfErr; }

    // refused input, run-out tooltip, unreadable fields
    static QString txtLeer(MainWindow &w) { return w.txtLeer; }
    static QString txtZahlFalsch(MainWindow &w) { return w.txtZahlFalsch; }
    static QString txtNameLeer(MainWindow &w) { return w.txtNameLeer; }
    static QString txtUnlesbar(MainWindow &w) { return w.txtUnlesbar; }
    // export tests
    static QString txtPackungen(MainWindow &w) { return w.txtPackungen; }
    static QString txtExportErr(MainWindow &w) { return w.txtExportErr; }
    // run-out warnings in words
    static QString txtWarnWeeks(MainWindow &w) { return w.txtWarnWeeks; }
    static QString txtWarnTerm(MainWindow &w) { return w.txtWarnTerm; }
};

// A private settings folder and working folder for one test.
class TestUmgebung
{
public:
    TestUmgebung();
    ~TestUmgebung();

    QString settingsVerzeichnis() const; // <settings>/Tablora
    QString datenVerzeichnis() const;    // <settings>/Tablora/data/
    QString arbeitsVerzeichnis() const;
    QString programmDaten() const;       // <program dir>/data/

    // Settings as after an earlier run: data files copied, language set,
    // last plan file pointing at `plan` (empty: none).
    void vorbereiten(const QString &plan = QString(), const QString &sprache = "de");
    // Writes a plan file in the working folder and returns its absolute path.
    QString planSchreiben(const QString &name, const QByteArray &inhalt) const;
    // Copies a fixture from tests/fixtures into the working folder.
    QString fixture(const QString &name) const;

private:
    QTemporaryDir m_settings;
    QTemporaryDir m_arbeit;
    QString m_altesArbeitsVerzeichnis;
};

QByteArray dateiLesen(const QString &pfad);
void dateiSchreiben(const QString &pfad, const QByteArray &inhalt);

// A compacted plan line: 12 fields each followed by ';'.
QByteArray planZeile(const QStringList &felder);
// A plan with a header, a patient and the given medication records (fields 1..11 each).
QByteArray planMit(const QStringList &patient, const QList<QStringList> &medikamente);

// Answers the next modal dialog from a timer. The test fails (in pruefen() or
// the destructor) when no dialog came within the timeout; a dialog the action
// left open is closed so the suite never hangs.
class DialogHelfer : public QObject
{
    Q_OBJECT
public:
    explicit DialogHelfer(std::function<void(QWidget *)> aktion, int wartezeitMs = 5000);
    ~DialogHelfer() override;
    bool erledigt() const { return m_erledigt; }
    QString gesehenerText() const { return m_text; }
    QString gesehenerTitel() const { return m_titel; }

private:
    void pruefe();
    std::function<void(QWidget *)> m_aktion;
    int m_rest;
    bool m_erledigt = false;
    QString m_text;
    QString m_titel;
};

// Closes every message box that comes up while it lives, noting its text;
// other dialogs are left to the test.
class MeldungsWaechter : public QObject
{
public:
    MeldungsWaechter();
    QStringList meldungen;

private:
    QTimer *m_timer;
};

// Closes a QMessageBox (or any dialog) with its default / reject.
void dialogSchliessen(QWidget *dialog);
// Text of a QMessageBox, or empty.
QString nachrichtText(QWidget *dialog);
// Fills Qt's own file dialog with `pfad` and accepts it.
void dateiDialogAusfuellen(QWidget *dialog, const QString &pfad);

// Collects URLs handed to QDesktopServices::openUrl for the file scheme.
class UrlFaenger : public QObject
{
    Q_OBJECT
public:
    UrlFaenger();
    ~UrlFaenger() override;
    QList<QUrl> urls;
public Q_SLOTS:
    void oeffnen(const QUrl &url);
};

// A tmpfs of 8 KiB below `ordner`, filled up on request; unmounted at the end.
// Mounting needs root: check bereit() and skip otherwise.
class KleinesDateisystem
{
public:
    explicit KleinesDateisystem(const QString &ordner);
    ~KleinesDateisystem();
    bool bereit() const { return m_bereit; }
    QString pfad() const { return m_pfad; }
    void fuellen() const; // writes a filler file until the disk is full

private:
    QString m_pfad;
    bool m_bereit = false;
};

// Whether the tests run as root (permission-based failures cannot be provoked then).
bool alsRoot();

template <typename T>
T *kind(QObject *eltern, const QString &name)
{
    return eltern->findChild<T *>(name);
}

#endif
