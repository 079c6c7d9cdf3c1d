// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TABLORA_MAINWINDOW_H
#define TABLORA_MAINWINDOW_H

#include <QDate>
#include <QDateTime>
#include <QFont>
#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <functional>

#include "app/mytabwidget.h"
#include "planfile/plandokument.h"

class QCheckBox;
class QDateEdit;
class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTableWidget;

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

protected:
    bool eventFilter(QObject *objekt, QEvent *ereignis) override;
    void closeEvent(QCloseEvent *ereignis) override;

public:
    // Capacity of the record table: header line, patient record, 48 medications.
    static constexpr int maxDatensaetze = PlanDokument::maxDatensaetze;
    static constexpr int maxMedikamente = PlanDokument::maxMedikamente;

protected:
    void showEvent(class QShowEvent *ereignis) override;

private slots:
    void BeschriftungAuslesen(QString sprache);
    void SpracheAnwenden(); // writing direction and Qt's own texts of the language
    void comboAuswahl(int eingang);
    void butMedNeu_clicked();
    void butApotheke_clicked();
    void butApoEintrag_clicked();
    void butMedEintragen_clicked();
    void butEntfernen_clicked();
    void UebersichtFuellen();
    void PatDatenFuellen();
    void VerordnungsplanFuellen();
    void DatenEinlesen(QString fileDatei);
    void beiNachtFarbeAendern(QString);
    void beiAbendFarbeAendern(QString);
    void beiMittagFarbeAendern(QString);
    void beiMorgenFarbeAendern(QString);
    void beiHeuteFarbeAendern(QString);
    void beiEinheitenFarbeAendern(QString);
    void beiDosisFarbeAendern(QString);
    void beiBezFarbeAendern(QString);
    void beiEingabeFarbeAendern(QString);
    void beicheckMed_clicked();
    void Datei_Oeffnen();
    void Datei_AusListeOeffnen(QString eing);
    void Datei_Speichern_unter();
    void Aenderung_Speichern();
    void FelderZuruecksetzen();
    void lang_change_deu();
    void lang_change_eng();
    void lang_change_pers();
    void DateiNeu();
    void DatensatzLoeschen();
    void aufraeumen();
    void umsortieren();
    void umsortieren2();
    void ListBoxFuellen();
    void ListBoxDatFuellen();
    void ArztTerminMachen();
    void ArztRadio(bool eingang);
    void PatDatenAendern();
    void print_medlist();
    void print_regulation();
    void hilfeanzeigen();
    void aboutueber();
    void Reparieren();
    void RoamingLoeschen();

private:
    // Text helpers
    QString ZeitZuDatum(quint32 zeit);
    QString DosisText(float dosis);
    QString geburtsTagText() const; // the stored birth date in the language's form
    void TerminVorbeiZeigen();      // the patient line, and whether the appointment passed
    QString zahlText(QString text);
    QString freiText(QString text);
    QString umlauteText(QString text);

    // Construction steps (app/)
    void MenueBauen(const QString &sprache);
    void SeiteDreiBauen(QWidget *seite);
    bool istVorlage(const QString &pfad) const;
    bool istVorlagenDatei(const QString &pfad) const;

    // Plan file access (planfile/): every read and write goes through the document.
    QString feld(int index, int nummer) const { return dokument.feld(index, nummer); }
    bool tabelleHaeltPlan() const;
    int gewaehlterIndex() const;
    // The outcome of a command in words: failures, the reload line. True when
    // the change is in the file.
    bool Ausgefuehrt(const PlanDokument::Ergebnis &e, const QString &fehlerText = QString(),
                     const QString &leseText = QString());
    // Views refilled from the document; the form keeps what the user typed.
    void PlanAuffrischen();
    bool ExportSchreiben(const QString &pfad, const QByteArray &inhalt, const QString &fehlerText);
    void PlanAnzeigen();
    // Templates are never written: before the first change of one, the plan
    // gets a file of the user's own. False when the user cancelled.
    bool VorlageAblegen();
    bool PlanAblegen(const QString &pfad, const Plantabelle *neu = nullptr);
    void LetzteDateiMerken(const QString &pfad);
    // exportiert: the file must not be a plan file (refused before the
    // dialog asks whether to replace it).
    QString speicherDateiErfragen(const QString &titel, const QString &start,
                                  const QString &filter, const QString &endung,
                                  bool exportiert = false);
    void AuswahlVergessen();
    void FormularFreigeben();
    QString medWahlTitel(const QString &name) const;
    void setzeFensterTitel();

    // Shared dialogs
    void Hinweis(const QString &text, bool warnung = false);
    static QString einstellungsVerzeichnis();

    // views/ helpers
    void Verschieben(int von, int nach);

    // dialogs/ helpers

    // pdf/ helpers
    QString pdfDateiErfragen(const QString &dokument);
    void pdfKopfZeichnen(class PdfDokument &pdf, const QString &ueberschrift, int hoehe);
    QString pdfPatient() const;
    QByteArray pdfErstellen(const std::function<void(class PdfDokument &)> &zeichnen);
    QString pdfFusstext(const QString &titel, quint32 jetztSek);
    void pdfZeigen(const QString &pfad);
    QString txtPdfErr;

    // misc/ helpers

    // Paths and dates
    bool gespiegelt = false; // the window's rectangles mirrored for right to left
    QDate heute;
    QDateTime jetzt;
    QString jetztText;
    QFont fettSchrift;
    QFont normalSchrift;
    QFont kursivSchrift;
    QString datenPfad;
    QString aktuelleDatei;
    QString dokumentePfad;
    QString standardPlan;
    QString musterPlan;

    // The plan; views read its records through the two names below.
    PlanDokument dokument;
    struct TabellenSicht
    {
        const PlanDokument *dok;
        const QStringList &operator[](int i) const
        {
            static const QStringList leer;
            const auto &d = dok->tabelle().datensaetze;
            return i >= 0 && i < d.size() ? d.at(i) : leer;
        }
    };
    struct AnzahlSicht
    {
        const PlanDokument *dok;
        operator qint32() const { return dok->anzahlDatensaetze(); }
    };
    const TabellenSicht datensaetze{&dokument};
    const AnzahlSicht anzahlDatensaetze{&dokument};
    QString aktuelleNummer;
    QString gewaehlterName; // the chosen medication's name, to find it again
    class QLabel *labNeuGeladen = nullptr;
    class QTimer *neuGeladenUhr = nullptr;
    bool formularHakenGeaendert = false; // the not-in-plan box was clicked
    QDate gezeigteGeburt; // the birth date as the plan held it at the last refill
    QDate gezeigterTermin; // the appointment day likewise
    // Typed input not saved yet (views/offen.cpp)
    bool FormularOffen() const;
    bool PatientOffen() const;
    bool TerminOffen() const;
    void PatFelderMarkieren();
    bool EingabenKlaeren(bool nurFormular = false);
    void EingabenVerwerfen(bool nurFormular);
    QString txtOffen, txtOffenSpeichern, txtOffenVerwerfen;

    QStringList spaltenUebersicht;
    QStringList spaltenVerordnungsplan;

    // Label texts, one per language-file key
    QString programmTitel;
    QString txtMenu1, txtMenu11, txtMenu12, txtMenu13, txtMenu14, txtMenu15;
    QString txtMenu2, txtMenu21, txtMenu22;
    QString txtMenu3, txtMenu31, txtMenu32, txtMenu33;
    QString txtMenu4, txtMenu41, txtMenu42, txtMenu43;
    QString txtCol1, txtCol2, txtCol4, txtCol5, txtCol6, txtCol8, txtCol9, txtCol10, txtCol11,
        txtCol12;
    QString txtWeekse, txtReicht, txtReicht2, txtReicht3;
    QString txtTab1, txtTab2, txtTab3;
    QString txtMedwahl, txtPatdat, txtName, txtFirstname, txtBirth, txtSavebutton, txtDocterm,
        txtTermplan, txtYes, txtNo, txtHints, txtSavedbutton, txtChooser, txtDpu, txtUpb,
        txtCurstate, txtUnit, txtExpart, txtMenundos, txtNewmed, txtApo, txtSach, txtDelmed;
    QString txtOpenf, txtSaved, txtPlanFilter, txtPlanName;
    QString txtNeuTitle, txtField1, txtFirsttake, txtHalftext, txtEnter, txtAbort;
    QString txtNoDat, txtLafi, txtNewstart, txtTooLong, txtWriteErr, txtMedFull;
    QString txtHint1, txtHint2;
    QString txtPats, txtPatgeb, txtCreated, txtClock, txtPdfml, txtMit, txtLoeschmed1,
        txtLoeschmed2;
    QString txtLabelRep1, txtLabelRep2, txtButRep1, txtButRep2;
    QString txtTerminVorbei, txtGebZukunft; // an appointment passed, a birth date to come
    QString txtSeite;                       // "page %1 of %2" of the PDFs

    // Main window
    QLabel *labPatient = nullptr;
    QLabel *labDatum = nullptr;
    MyTabWidget *tabReiter = nullptr;
    QTableWidget *tabelleUebersicht = nullptr;
    QTableWidget *tabelleVerordnungsplan = nullptr;

    // Third page
    QGroupBox *groupMedWahl = nullptr;
    QGroupBox *groupPatDaten = nullptr;
    QLineEdit *editName = nullptr;
    QLineEdit *editVorname = nullptr;
    QDateEdit *dateGeburt = nullptr;
    QPushButton *butPatSpeichern = nullptr;
    QGroupBox *groupArztTermin = nullptr;
    QRadioButton *radioNein = nullptr;
    QRadioButton *radioJa = nullptr;
    QDateEdit *dateArztTermin = nullptr;
    QPushButton *butArztTermin = nullptr;
    QLabel *labTerminVorbei = nullptr;
    QGroupBox *groupHinweis2 = nullptr;
    QGroupBox *groupLetzte = nullptr;
    QListWidget *listBox = nullptr;
    QListWidget *listBoxDat = nullptr;
    QGroupBox *groupHinweis1 = nullptr;
    QGroupBox *groupDosierung = nullptr;
    QGroupBox *groupKnoepfe = nullptr;
    QCheckBox *checkMed = nullptr;
    QLineEdit *eingabeFelder[9] = {};
    QLabel *labBestand = nullptr;
    QPushButton *butAenderungSpeichern = nullptr;

    // New-medication dialog
    QLineEdit *neuEingabe = nullptr;
    QLineEdit *neuBez = nullptr;
    QLineEdit *neuDosis = nullptr;
    QLineEdit *neuEinheiten = nullptr;
    QDateEdit *neuDatum = nullptr;
    QLineEdit *neuMorgen = nullptr;
    QLineEdit *neuMittag = nullptr;
    QLineEdit *neuAbend = nullptr;
    QLineEdit *neuNacht = nullptr;
    QCheckBox *neuCheck = nullptr;

    // Pharmacy dialog
    QLineEdit *apoStand = nullptr;
    QLineEdit *apoPackungen = nullptr;
    QLineEdit *apoJe = nullptr;

    // Figures a user can trust: refused input, run-out tooltip, unreadable
    // fields, the file list that follows the open plan's folder
    QString txtLeer, txtZahlFalsch, txtNameLeer, txtUnlesbar;
    QString dateiListeOrdner; // folder whose plan files listBoxDat shows
    bool zahlFelderPruefen(const QList<struct ZahlFeld> &felder);
    bool nameVorhanden(class QLineEdit *feld);
    void UnlesbaresMelden();
    // Reminders (iCalendar) and overview table (CSV) export
    void ErinnerungenExportieren();
    void TabelleExportieren();
    QString exportDateiErfragen(const QString &titel, const QString &endung);
    int naechsteKalenderSequenz();
    QList<QStringList> medikamentenDatensaetze() const;
    QString txtMenu16, txtMenu17, txtNachbestellen, txtTermin, txtKnapp, txtAlleReichen,
        txtPackungen, txtPlanDatei, txtExportErr;
    // Undo, redo and the plan's history
    void UndoZustandAktualisieren();
    void NeuGeladenZeigen();
    void BearbeitenMenueBauen(class QMenuBar *leiste);
    void PlanNeuZeigen();
    void Zeitreise(int schritt);
    void Rueckgaengig();
    void Wiederholen();
    void VerlaufZeigen();
    bool VersionWiederherstellen(const QString &versionPfad);
    void DateiAufraeumen();
    struct AenderungsWorte aenderungsWorte() const;
    class QAction *aktionUndo = nullptr;
    class QAction *aktionRedo = nullptr;
    QString txtMenu5, txtMenu51, txtMenu52, txtMenu53;
    QString txtVerReload, txtVerGone, txtVerErr, txtVerRestoreErr, txtVerGeloescht, txtVerMuell,
        txtVerFrage, txtExportPlan, txtOhneUndo, txtVerFallback;
    // Privacy and limits: a plan file too large to open, a language file that cannot be read
    QString txtTooBig, txtLangErr;
    QString txtHisTitle, txtHisTime, txtHisChange, txtHisRestore, txtHisClose, txtHisEmpty,
        txtHisList, txtHisStock, txtHisAdded, txtHisRemoved, txtHisChanged, txtHisOrder,
        txtHisPatient, txtHisAppt, txtHisNoAppt, txtHisSame, txtHisOther;
    // Screen readers and keyboard: control names, pickup dialog texts, run-out warnings
    QString txtWarnWeeks, txtWarnTerm, txtMoveUp, txtMoveDown, txtFileList, txtPdfSave;
    QString txtApoTitle, txtApoGeholt, txtApoStand, txtApoPackungen, txtApoJe, txtApoEinheiten,
        txtApoKnopf;
    // The doctor's medication plan: imported from its barcode, printed in its layout
    void BmpImportieren();
    bool BmpVorschauZeigen(class BmpVorschau &vorschau, bool &patient);
    bool BmpUebernehmen(const class BmpVorschau &vorschau, bool patient);
    void print_bmp();
    QString txtMenu18, txtMenu23;
    QString txtBmpOpentitle, txtBmpFilter, txtBmpTitle, txtBmpIntro, txtBmpList, txtBmpGrund,
        txtBmpHinweis, txtBmpAbschnitt, txtBmpAktion, txtBmpNeu, txtBmpUpdate, txtBmpGleich,
        txtBmpDosen, txtBmpVoll, txtBmpPatneu, txtBmpPatanders, txtBmpSeitenfehlen, txtBmpNotizen,
        txtBmpOk, txtBmpNocode, txtBmpNotplan, txtBmpBadcode, txtBmpVersion, txtBmpMixed,
        txtBmpNoimage, txtBmpToobig, txtBmpEmpty, txtBmpReaderr, txtBmpPzn, txtBmpGtin,
        txtBmpPharmacode, txtBmpDruck, txtBmpSeite, txtBmpFuer, txtBmpGeb, txtBmpVon, txtBmpAm,
        txtBmpWirkstoff, txtBmpHandelsname, txtBmpStaerke, txtBmpForm, txtBmpMorgens,
        txtBmpMittags, txtBmpAbends, txtBmpNacht, txtBmpEinheit, txtBmpHinweise, txtBmpBedarf,
        txtBmpKopie;

    friend struct TestZugang; // tests reach the text helpers and the table
};

#endif
