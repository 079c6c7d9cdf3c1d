// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TABLORA_PLANDOKUMENT_H
#define TABLORA_PLANDOKUMENT_H

#include "planfile/planlesen.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Field numbers of the plan file's records.
namespace Feld {
enum Medikament {
    Nummer = 0,
    Eingabe = 1, // name
    Bez = 2,
    Dosis = 3, // strength
    Einheiten = 4,
    BestandZeit = 5,
    Bestand = 6,
    Morgen = 7,
    Mittag = 8,
    Abend = 9,
    Nacht = 10,
    NichtImPlan = 11,
    Anzahl = 12 // fields of a compacted record
};
enum Patient { Name = 1, Vorname = 2, Geburtsdatum = 3, TerminGesetzt = 4, TerminZeit = 5 };
} // namespace Feld

// The records of a plan: header line, patient record, medications.
struct Plantabelle
{
    QList<QStringList> datensaetze;

    int anzahlDatensaetze() const { return int(datensaetze.size()); }
    QString feld(int index, int nummer) const;
    void setzeFeld(int index, int nummer, const QString &wert);
    // The medication named `name`: at `vermutet` when it is still there, else
    // the first of that name; -1 when there is none.
    int finden(const QString &name, int vermutet = -1) const;
    // Record numbers from 1, every record 12 fields.
    void verdichten();
    // One line per record, each field followed by ";".
    QByteArray text() const;
};

// Bytes to records, as the plan file is read: null when they hold no plan
// (too many lines). `zuLang` tells why.
std::optional<Plantabelle> planLesen(const QByteArray &bytes, bool *zuLang = nullptr);

// The open plan file: its records as last read or written, and every change
// to it. A change is an operation carried out on the plan as it is on disk
// at that moment, written whole or not at all; the file's previous state is
// kept as a version first, so it can be undone.
class PlanDokument : public QObject
{
    Q_OBJECT

public:
    static constexpr int maxDatensaetze = 50;
    static constexpr int maxMedikamente = maxDatensaetze - 2;

    // Writes bytes to a path whole (temporary file renamed over it) or not at all.
    using Schreiber = std::function<bool(const QString &, const QByteArray &, QString *)>;
    // Asked when the file's present state cannot be kept as a version:
    // true goes on without undo for this change.
    using OhneUndoFrage = std::function<bool(const QString &ordner, const QString &grund)>;

    enum class Fehler {
        Keiner,
        KeinPlan,   // nothing loaded that a change could act on
        Vorlage,    // a shipped template is never written
        Lesen,      // the file cannot be read
        ZuLang,     // more lines than a plan holds
        ZuGross,    // larger than a plan file may be; not read
        Muell,      // the file on disk holds no plan any more
        Weg,        // what the change was meant for is no longer in the plan
        Voll,       // 48 medications already
        Letztes,    // the last medication is not removed
        Version,    // its present state could not be kept; the user did not go on
        Schreiben,  // the write failed; the file is as it was
        PlanDatei,  // an export must not replace a plan file
        NichtsDa    // no earlier or later state to go to
    };

    struct Ergebnis
    {
        bool ok = false;
        Fehler fehler = Fehler::Keiner;
        QString pfad;           // the file a failure concerns
        QString grund;          // the system's reason
        bool neuGelesen = false;   // the plan had changed on disk and was read again
        bool wiederAngelegt = false; // the file had been deleted and was written anew
        bool geschrieben = false;  // the file's bytes changed
        int index = -1;            // record of the medication acted on, after the change
        // Set the first time this plan's versions go to the folder in the
        // settings folder, the one beside the plan not being fit for use.
        QString ausweichOrdner;
    };

    explicit PlanDokument(QObject *parent = nullptr);

    void setzeSchreiber(Schreiber schreiber);
    void setzeOhneUndoFrage(OhneUndoFrage frage);
    void setzeVorlagen(const QStringList &pfade);
    bool istVorlage(const QString &pfad) const;

    // Reads a plan file; writes nothing. On success the document holds it
    // and temporary files a crash left beside it are removed.
    Ergebnis laden(const QString &pfad);
    // No file, no records, no bytes.
    void leeren();

    QString pfad() const { return m_pfad; }
    bool haeltPlan() const;
    const Plantabelle &tabelle() const { return m_tabelle; }
    int anzahlDatensaetze() const { return m_tabelle.anzahlDatensaetze(); }
    QString feld(int index, int nummer) const { return m_tabelle.feld(index, nummer); }
    QByteArray letzterStand() const { return m_stand; }

    // Commands. Medications are named by their name and the record the window
    // shows them at; on a plan changed elsewhere they are found again by name.
    Ergebnis patientAendern(const QMap<int, QString> &felder);
    Ergebnis medikamentAendern(const QString &name, int index, const QMap<int, QString> &felder);
    // Adds `zugang` units to the stock of today (`stand` when the user typed
    // one, else the forecast of the plan as it is then).
    Ergebnis abholen(const QString &name, int index, std::optional<float> stand, float zugang,
                     quint32 jetzt);
    Ergebnis hinzufuegen(const QStringList &felder);
    Ergebnis entfernen(const QString &name, int index);
    Ergebnis verschieben(const QString &name, int index, int schritt);
    Ergebnis verdichten();
    // Any change: false from the operation means it does not apply any more.
    Ergebnis ausfuehren(const std::function<bool(Plantabelle &, int &index)> &operation,
                        const QString &name = QString(), int index = -1);

    // Writes the table to another file and goes on with that one; a file
    // written over keeps its old bytes as a version.
    Ergebnis speichernUnter(const QString &ziel, const Plantabelle *neu = nullptr);
    // An export: never over the open plan, a template or another plan file.
    Ergebnis exportSchreiben(const QString &ziel, const QByteArray &bytes);
    bool istPlanDatei(const QString &pfad) const;

    Ergebnis rueckgaengig() { return zeitreise(-1); }
    Ergebnis wiederholen() { return zeitreise(1); }
    Ergebnis wiederherstellen(const QString &versionPfad);
    bool kannRueckgaengig() const;
    bool kannWiederholen() const;
    // The file as it is on disk now (for the history), else the last state seen.
    QByteArray aufPlatte() const;

    static bool gleicherPfad(const QString &a, const QString &b);

signals:
    // The table or the file changed: views refill from it.
    void geaendert();

private:
    Ergebnis zeitreise(int schritt);
    bool zielDa(int schritt) const;
    bool versionBehalten(const QString &plan, const QByteArray &bytes, Ergebnis &e);
    bool fremdeAenderungBehalten(const QByteArray &aufPlatte, Ergebnis &e);
    // vorbild: the plan a file made from it must be no more readable than
    bool schreiben(const QString &pfad, const QByteArray &bytes, Ergebnis &e,
                   const QString &vorbild = QString());
    void uebernehmen(const QByteArray &bytes);
    static Ergebnis fehlschlag(Fehler f, const QString &pfad = QString(),
                               const QString &grund = QString());

    Schreiber m_schreiber; // set only by tests
    QStringList m_ausweichGemeldet; // plans whose fallback folder was reported
    OhneUndoFrage m_ohneUndo;
    QStringList m_vorlagen;
    QString m_pfad; // absolute path of the file the table was read from
    Plantabelle m_tabelle;
    QByteArray m_stand; // the file's bytes as last read or written
    bool m_undoGesperrt = false; // a change went through without its version
};

#endif
