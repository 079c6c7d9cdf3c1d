// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as a plan file: loading, the forecast and exports,
// compaction and the history for every input; the views, moves and edits of
// the window for a share of them. Nothing may crash, nor lose or garble what
// it writes.
#include "fuzzumgebung.h"

#include "pdf/csvtabelle.h"
#include "pdf/kalender.h"
#include "planfile/aenderungen.h"
#include "planfile/datensatz.h"
#include "planfile/eingabe.h"
#include "views/prognose.h"

#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTableWidget>

#include <cstdint>

namespace {

// A pass through the window costs some five times the rest of an input (its
// command writes the plan and refills every view), so it runs for one input
// in this many, picked by hash; everything else runs for every input.
constexpr uint fensterAnteil = 16;

const char *const ansichten[] = {"PatDatenFuellen", "UebersichtFuellen",
                                 "VerordnungsplanFuellen", "ListBoxFuellen"};

// Lines in the file as a text-mode line reader sees them, counted on the
// bytes alone: such a reader drops every carriage return, so a last line of
// nothing else is no line, and no decoding turns anything into or out of a
// 0x0A byte.
int zeilenIn(QByteArray bytes)
{
    bytes.replace("\r", "");
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    return bytes.isEmpty() ? 0 : bytes.count('\n') + (bytes.endsWith('\n') ? 0 : 1);
}

// Forecast, calendar and table of any plan: bounded figures in plain digits,
// short CRLF lines of whole UTF-8 characters, dates a calendar can hold.
void berechnungenPruefen(MainWindow &w, const QList<QStringList> &plan)
{
    const quint32 jetzt = jetztUnix();
    const QList<QStringList> medikamente = plan.mid(2);
    const QStringList patient = plan.value(1);
    for (const QStringList &r : medikamente) {
        for (quint32 zeit : {0u, 1u, 86399u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, jetzt}) {
            const Prognose p = prognose(r, zeit);
            const QString gespeichert = zahlSpeichern(p.bestandHeute);
            FUZZ_PRUEFEN(p.verbrauch == !(p.taeglich == 0.0f) && p.balken >= 0 && p.balken <= 100,
                         "on-demand flag, or bar value outside 0..100");
            FUZZ_PRUEFEN(!(p.bestandHeute < 0) && p.leerSeitTagen() >= 0, "stock or days below 0");
            FUZZ_PRUEFEN(!bestandText(p.bestandHeute).contains('e') && !gespeichert.contains('e'),
                         "shown or stored stock in exponent form");
            FUZZ_PRUEFEN(!qIsFinite(p.bestandHeute) || gespeichert.toFloat() == p.bestandHeute,
                         "stored stock reads back as another value");
        }
        const Prognose p = prognose(r, jetzt);
        datumText(p.leerZeit); // the run-out time does not depend on today
        for (int f = 7; f <= 10; ++f)
            TestZugang::dosisText(w, feldVon(r, f).toFloat());
        const int packungen = packungenFuer(r, p, jetzt, patient);
        FUZZ_PRUEFEN(packungen == -1 || (packungen >= 1 && packungen <= 1000000), "packs");
        FUZZ_PRUEFEN(uebersichtCsvZeile(r, patient, jetzt).size() == 6, "table row");
    }
    const QList<KalenderEreignis> ereignisse =
        kalenderEreignisse(medikamente, patient, jetzt, fuzz::planPfad, ExportTexte());
    FUZZ_PRUEFEN(ereignisse.size() <= medikamente.size() + 1, "more events than medications");
    for (const KalenderEreignis &e : ereignisse)
        FUZZ_PRUEFEN(e.tag.year() >= 1969 && e.tag.year() <= 2038, "event date out of range");
    const QByteArray ics = kalenderDatei(ereignisse, 1, QDateTime::currentDateTimeUtc());
    FUZZ_PRUEFEN(ics.count('\n') == ics.count("\r\n"), "bare line feed in the calendar");
    for (const QByteArray &zeile : ics.split('\n'))
        FUZZ_PRUEFEN(zeile.size() <= 76 && QString::fromUtf8(zeile).toUtf8() == zeile,
                     "calendar line longer than 75 octets, or UTF-8 split by folding");
}

void ansichtenPruefen(MainWindow &w)
{
    const int medikamente = qMax(0, TestZugang::tabelle(w).size() - 2);
    auto *uebersicht = w.findChild<QTableWidget *>("tabelleUebersicht");
    FUZZ_PRUEFEN(uebersicht->rowCount() == medikamente
                     && w.findChild<QListWidget *>("listBox")->count() == medikamente
                     && w.findChild<QTableWidget *>("tabelleVerordnungsplan")->rowCount()
                            <= medikamente,
                 "rows of the overview, the medication list or the regimen");
    QStringList bestaende{w.findChild<QLineEdit *>("eingabeFelder4")->text()};
    for (int z = 0; z < medikamente; ++z)
        bestaende << uebersicht->item(z, 2)->text();
    for (const QString &text : bestaende)
        FUZZ_PRUEFEN(!text.startsWith('-') && !text.contains('e'), "shown stock");
}

// The window on the loaded plan: every view filled, then one command picked
// by the input, and the views again after it.
void fensterPruefen(MainWindow &w, uint wahl)
{
    for (const char *slot : ansichten)
        fuzz::aufrufen(w, slot);
    ansichtenPruefen(w);
    const int medikamente = qMax(0, TestZugang::tabelle(w).size() - 2);
    for (int zeile : {-1, medikamente}) // no such row
        fuzz::aufrufen(w, "comboAuswahl", Q_ARG(int, zeile));
    switch (wahl % 5) {
    case 0:
    case 1: // the last medication up or the first down, chosen from the list
        w.findChild<QListWidget *>("listBox")->setCurrentRow(wahl % 5 ? medikamente - 1 : 0);
        fuzz::aufrufen(w, wahl % 5 ? "umsortieren" : "umsortieren2");
        break;
    case 2: // the third page shows the first medication; the patient saved
        w.findChild<QTabWidget *>("tabReiter")->setCurrentIndex(2);
        fuzz::aufrufen(w, "PatDatenAendern");
        break;
    case 3: { // the last medication's form saved as loaded: nothing typed, nothing changed
        fuzz::aufrufen(w, "comboAuswahl", Q_ARG(int, medikamente - 1));
        const int i = TestZugang::aktuelleNummer(w).toInt() - 1;
        const QStringList vorher = TestZugang::tabelle(w).value(i);
        fuzz::aufrufen(w, "Aenderung_Speichern");
        const QStringList nachher = TestZugang::tabelle(w).value(i);
        // A figure the save wrote is in plain digits; the others keep their text.
        for (int f = 4; i >= 2 && f <= 10; ++f)
            FUZZ_PRUEFEN(feldVon(nachher, f) == feldVon(vorher, f)
                             || !feldVon(nachher, f).contains('e'),
                         "stored figure in exponent form");
        break;
    }
    default: // opened again from the list of plan files
        fuzz::aufrufen(w, "Datei_AusListeOeffnen", Q_ARG(QString, "plan.medat"));
    }
    ansichtenPruefen(w);
}

// The bytes as a kept version of the plan: the history list and the change
// description must take anything without crashing, and list only real plans.
void alsVersionPruefen(const QByteArray &eingabe)
{
    // Words around the name, as in the language files: a medication without a
    // name still gets a line that says what happened.
    static const AenderungsWorte worte{"%1: %2 -> %3", "+%1", "-%1", "~%1", "-",
                                       "-",            "T %1", "-",  "-",  "-"};
    Versionsspeicher speicher(fuzz::planPfad);
    FUZZ_PRUEFEN(speicher.behalten(eingabe, {}, nullptr)
                     != Versionsspeicher::Ergebnis::Fehler,
                 "version not kept");
    const QByteArray jetzt = fuzz::lesen(fuzz::planPfad);
    const QList<VerlaufEintrag> liste = verlaufListe(speicher.versionen(), jetzt, worte);
    FUZZ_PRUEFEN(!Versionsspeicher::istPlan(eingabe) || eingabe == jetzt
                     || (!liste.isEmpty()
                         && Versionsspeicher::lesen(liste.first().pfad) == eingabe),
                 "kept plan missing from the history");
    for (const VerlaufEintrag &e : liste)
        FUZZ_PRUEFEN(!e.text.isEmpty(), "history line without a text");
    // A listed input was described against the file already; the other way
    // round, and anything that is no plan, is described here.
    FUZZ_PRUEFEN((!liste.isEmpty() || !aenderungenBeschreiben(eingabe, jetzt, worte).isEmpty())
                     && !aenderungenBeschreiben(jetzt, eingabe, worte).isEmpty(),
                 "no description");
}

// Back to an empty table, and after a pass through the window to empty views
// with no medication chosen and the radio buttons off: each input finds the
// same state, and frees again what it allocated, so libFuzzer counts no
// growth that would make it run the input a second time to look for a leak.
void leeren(MainWindow &w, bool mitAnsichten)
{
    TestZugang::leeren(w);
    if (!mitAnsichten)
        return;
    for (const char *slot : ansichten)
        fuzz::aufrufen(w, slot);
    TestZugang::auswahlVergessen(w);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::einrichten("de");
    leeren(*fuzz::fenster, true);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *daten, std::size_t groesse)
{
    MainWindow &w = *fuzz::fenster;
    const QString &plan = fuzz::planPfad;
    const QByteArray eingabe(reinterpret_cast<const char *>(daten), static_cast<int>(groesse));
    const auto hash = qHash(eingabe);

    // Every input starts from an empty window (see the end), the first tab
    // and no history: a refused load leaves the same state behind each time.
    w.findChild<QTabWidget *>("tabReiter")->setCurrentIndex(0);
    QDir(Versionsspeicher(plan).ordner()).removeRecursively();

    fuzz::schreiben(plan, eingabe);
    const int boxenVorher = fuzz::geschlosseneDialoge;
    fuzz::aufrufen(w, "DatenEinlesen", Q_ARG(QString, plan));
    const int zeilen = zeilenIn(eingabe);
    const bool geladen = zeilen <= MainWindow::maxDatensaetze;
    FUZZ_PRUEFEN(TestZugang::tabelle(w).size() == (geladen ? zeilen : 0)
                     && (geladen || fuzz::geschlosseneDialoge > boxenVorher),
                 "line count after loading, or too long a plan refused without a word");
    berechnungenPruefen(w, TestZugang::tabelle(w));
    if (hash % fensterAnteil == 0)
        fensterPruefen(w, uint(hash / fensterAnteil));

    // Compaction: twelve fields, numbered records, the file equal to the
    // table, and a file that holds no plan never written.
    fuzz::aufrufen(w, "aufraeumen");
    const QList<QStringList> kompakt = TestZugang::tabelle(w);
    const QByteArray erste = fuzz::lesen(plan);
    QString text;
    QList<QStringList> gelesen; // as a reader splits each line: one empty field after the last ';'
    for (int i = 0; i < kompakt.size(); ++i) {
        // Only a plan is compacted; a table that is none stays as read.
        FUZZ_PRUEFEN(kompakt.size() < 2
                         || (kompakt[i].size() == 12 && kompakt[i].at(0) == QString::number(i + 1)),
                     "record not trimmed to 12 numbered fields");
        text += kompakt[i].join(';') + ";\n";
        gelesen << kompakt[i] + QStringList{QString()};
    }
    FUZZ_PRUEFEN(erste == (kompakt.size() < 2 ? eingabe : text.toUtf8()),
                 "file differs from the compacted table, or a file without a plan was written");

    // Read back and compacted again, the plan stays as it is.
    if (kompakt.size() >= 2) {
        fuzz::aufrufen(w, "DatenEinlesen", Q_ARG(QString, plan));
        FUZZ_PRUEFEN(TestZugang::tabelle(w) == gelesen, "plan changed on its way through the file");
        fuzz::aufrufen(w, "aufraeumen");
        FUZZ_PRUEFEN(fuzz::lesen(plan) == erste, "second compaction changed the file");
    }
    // Last, so that reading back finds no history to look through.
    alsVersionPruefen(eingabe);

    leeren(w, hash % fensterAnteil == 0);
    // Frees the widgets that table and list refills leave for deletion.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
