// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as a plan file: loading, every view, the forecast, moves and
// compaction must neither crash nor lose or garble what they write.
#include "fuzzumgebung.h"

#include "pdf/csvtabelle.h"
#include "pdf/kalender.h"
#include "planfile/datensatz.h"
#include "planfile/eingabe.h"
#include "support/testsupport.h"
#include "views/prognose.h"

#include <QLineEdit>
#include "planfile/aenderungen.h"
#include "planfile/datensatz.h"
#include "planfile/sicherschreiben.h"
#include "planfile/versionen.h"
#include "support/testsupport.h"
#include "views/prognose.h"

#include <QDir>
#include <QListWidget>
#include <QTabWidget>
#include <QTableWidget>

#include <cmath>
#include <cstdint>

namespace {

// Lines in the file as a line reader sees them, counted on the bytes alone:
// no decoding turns anything into or out of a 0x0A byte.
int zeilenIn(QByteArray bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    if (bytes.isEmpty())
        return 0;
    return bytes.count('\n') + (bytes.endsWith('\n') ? 0 : 1);
}

QByteArray tabellenBytes(MainWindow &w)
{
    QString text;
    for (int i = 0; i < TestZugang::anzahl(w); ++i) {
        for (const QString &f : TestZugang::datensatz(w, i))
            text += f + ';';
        text += '\n';
    }
    return text.toUtf8();
}

void prognosenRechnen(MainWindow &w)
{
    const quint32 zeiten[] = {0u, 1u, 86399u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, jetztUnix()};
    for (int i = 2; i < TestZugang::anzahl(w); ++i) {
        const QStringList r = TestZugang::datensatz(w, i);
        for (quint32 jetzt : zeiten) {
            const Prognose p = prognose(r, jetzt);
            FUZZ_PRUEFEN(p.verbrauch == !(p.taeglich == 0.0f), "on-demand flag");
            FUZZ_PRUEFEN(p.balken <= 100 && p.balken >= 0, "bar value outside 0..100");
            FUZZ_PRUEFEN(!(p.bestandHeute < 0), "stock today below 0");
            FUZZ_PRUEFEN(!bestandText(p.bestandHeute).contains('e'), "shown stock in exponent form");
            const QString gespeichert = zahlSpeichern(p.bestandHeute);
            FUZZ_PRUEFEN(!gespeichert.contains('e'), "stored stock in exponent form");
            FUZZ_PRUEFEN(!std::isfinite(p.bestandHeute) || gespeichert.toFloat() == p.bestandHeute,
                         "stored stock reads back as another value");
            TestZugang::zeitZuDatum(w, static_cast<quint32>(p.leerZeit));
        }
        for (int f = 7; f <= 10; ++f)
            TestZugang::dosisText(w, feldVon(r, f).toFloat());
    }
}

// Calendar and table of any plan: short CRLF lines of whole UTF-8 characters,
// dates a calendar can hold, one table row per medication.
void exportePruefen(MainWindow &w)
{
    QList<QStringList> medikamente;
    for (int i = 2; i < TestZugang::anzahl(w); ++i)
        medikamente << TestZugang::datensatz(w, i);
    const QStringList patient = TestZugang::datensatz(w, 1);
    const quint32 jetzt = jetztUnix();
    const QList<KalenderEreignis> ereignisse =
        kalenderEreignisse(medikamente, patient, jetzt, fuzz::planPfad(), ExportTexte());
    FUZZ_PRUEFEN(ereignisse.size() <= medikamente.size() + 1, "more events than medications");
    for (const KalenderEreignis &e : ereignisse)
        FUZZ_PRUEFEN(e.tag.year() >= 1969 && e.tag.year() <= 2038, "event date out of range");
    const QByteArray ics = kalenderDatei(ereignisse, 1, QDateTime::currentDateTimeUtc());
    FUZZ_PRUEFEN(ics.count('\n') == ics.count("\r\n"), "bare line feed in the calendar");
    for (const QByteArray &zeile : ics.split('\n')) {
        FUZZ_PRUEFEN(zeile.size() <= 76, "calendar line longer than 75 octets");
        FUZZ_PRUEFEN(QString::fromUtf8(zeile).toUtf8() == zeile, "UTF-8 split by folding");
    }
    for (const QStringList &r : medikamente) {
        const int packungen = packungenFuer(r, prognose(r, jetzt), jetzt, patient);
        FUZZ_PRUEFEN(packungen == -1 || (packungen >= 1 && packungen <= 1000000), "packs");
        FUZZ_PRUEFEN(uebersichtCsvZeile(r, patient, jetzt).size() == 6, "table row");
    }
}

void ansichtenPruefen(MainWindow &w)
{
    const int medikamente = qMax(0, TestZugang::anzahl(w) - 2);
    FUZZ_PRUEFEN(w.findChild<QTableWidget *>("tabelleUebersicht")->rowCount() == medikamente,
                 "overview rows");
    FUZZ_PRUEFEN(w.findChild<QTableWidget *>("tabelleVerordnungsplan")->rowCount()
                     <= medikamente,
                 "regimen rows");
    FUZZ_PRUEFEN(w.findChild<QListWidget *>("listBox")->count() == medikamente,
                 "medication list rows");
    auto *uebersicht = w.findChild<QTableWidget *>("tabelleUebersicht");
    for (int z = 0; z < uebersicht->rowCount(); ++z) {
        const QString text = uebersicht->item(z, 2)->text();
        FUZZ_PRUEFEN(!text.startsWith('-') && !text.contains('e'), "shown stock");
    }
    const QString form = w.findChild<QLineEdit *>("eingabeFelder4")->text();
    FUZZ_PRUEFEN(!form.startsWith('-') && !form.contains('e'), "stock in the edit form");
}

void kompaktPruefen(MainWindow &w)
{
    for (int i = 0; i < TestZugang::anzahl(w); ++i) {
        const QStringList r = TestZugang::datensatz(w, i);
        FUZZ_PRUEFEN(r.size() == 12, "record not trimmed to 12 fields");
        FUZZ_PRUEFEN(r.at(0) == QString::number(i + 1), "record number");
    }
}

// The bytes as a kept version of the plan: the history list and the change
// description must take anything without crashing, and list only real plans.
void alsVersionPruefen(const QString &plan, const QByteArray &eingabe)
{
    AenderungsWorte worte;
    worte.bestand = "%1: %2 -> %3";
    // Words around the name, as in the language files: a medication without a
    // name still gets a line that says what happened.
    worte.hinzu = "+%1";
    worte.entfernt = "-%1";
    worte.geaendert = "~%1";
    worte.termin = "T %1";
    worte.reihenfolge = worte.patient = worte.keinTermin = worte.keine = worte.sonst = "-";
    Versionsspeicher speicher(plan);
    // A short history keeps the runs fast; the limit of 100 has its own test.
    if (speicher.versionen().size() > 8)
        QDir(speicher.ordner()).removeRecursively();
    const auto ergebnis = speicher.behalten(
        eingabe,
        [](const QString &pfad, const QByteArray &inhalt, QString *fehler) {
            return sicherSchreiben(pfad, inhalt, fehler);
        },
        nullptr);
    FUZZ_PRUEFEN(ergebnis != Versionsspeicher::Ergebnis::Fehler, "version not kept");
    const auto versionen = speicher.versionen();
    FUZZ_PRUEFEN(versionen.size() <= Versionsspeicher::grenze, "more versions than the limit");
    const QByteArray jetzt = fuzz::lesen(plan);
    const QList<VerlaufEintrag> liste = verlaufListe(versionen, jetzt, worte);
    const bool istPlan = Versionsspeicher::istPlan(eingabe);
    FUZZ_PRUEFEN(!istPlan || eingabe == jetzt || (!liste.isEmpty() && Versionsspeicher::lesen(liste.first().pfad) == eingabe),
                 "kept plan missing from the history");
    for (const VerlaufEintrag &e : liste)
        FUZZ_PRUEFEN(!e.text.isEmpty(), "history line without a text");
    FUZZ_PRUEFEN(!aenderungenBeschreiben(eingabe, jetzt, worte).isEmpty(), "no description");
    FUZZ_PRUEFEN(!aenderungenBeschreiben(jetzt, eingabe, worte).isEmpty(), "no description");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::einrichten("de");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *daten, std::size_t groesse)
{
    MainWindow &w = fuzz::fenster();
    const QString plan = fuzz::planPfad();
    const QByteArray eingabe(reinterpret_cast<const char *>(daten), static_cast<int>(groesse));
    auto *reiter = w.findChild<QTabWidget *>("tabReiter");
    auto *liste = w.findChild<QListWidget *>("listBox");

    // Every input starts from an empty table and empty widgets, so a refused
    // load leaves the same state behind each time, and the radio buttons do
    // not carry the last input's appointment flag into this one.
    TestZugang::setzeAnzahl(w, 0);
    TestZugang::setzeAktuelleNummer(w, QString());
    reiter->setCurrentIndex(0);
    fuzz::aufrufen("PatDatenFuellen");
    fuzz::aufrufen("ListBoxFuellen");

    fuzz::schreiben(plan, eingabe);
    const int boxenVorher = fuzz::geschlosseneDialoge();
    fuzz::aufrufen("DatenEinlesen", plan);
    const int zeilen = zeilenIn(eingabe);
    const bool geladen = zeilen <= MainWindow::maxDatensaetze;
    if (geladen) {
        FUZZ_PRUEFEN(TestZugang::anzahl(w) == zeilen, "line count after loading");
    } else {
        FUZZ_PRUEFEN(fuzz::geschlosseneDialoge() > boxenVorher, "too long a plan without a word");
        FUZZ_PRUEFEN(TestZugang::anzahl(w) == 0, "refused load changed the table");
    }

    fuzz::aufrufen("PatDatenFuellen");
    fuzz::aufrufen("UebersichtFuellen");
    fuzz::aufrufen("VerordnungsplanFuellen");
    fuzz::aufrufen("ListBoxFuellen");
    ansichtenPruefen(w);
    prognosenRechnen(w);
    exportePruefen(w);

    // Each step below refills views; a GUI harness is slow, so every input
    // takes one move only, chosen by its length.
    const int medikamente = qMax(0, TestZugang::anzahl(w) - 2);
    for (int zeile : {-1, medikamente - 1, medikamente})
        fuzz::aufrufen("comboAuswahl", zeile);
    for (int seite : {2, 0})
        reiter->setCurrentIndex(seite);
    if (medikamente >= 2) {
        const bool hoch = eingabe.size() % 2 == 0;
        liste->setCurrentRow(hoch ? medikamente - 1 : 0);
        fuzz::aufrufen(hoch ? "umsortieren" : "umsortieren2");
    }
    fuzz::aufrufen("PatDatenAendern");
    // Saving the form as loaded: refused, or stored in plain digits.
    const int gewaehlt = TestZugang::aktuelleNummer(w).toInt() - 1;
    const bool gueltig = gewaehlt >= 2 && gewaehlt < TestZugang::anzahl(w);
    const QStringList vorSpeichern = gueltig ? TestZugang::datensatz(w, gewaehlt) : QStringList();
    fuzz::aufrufen("Aenderung_Speichern");
    if (gueltig && TestZugang::datensatz(w, gewaehlt) != vorSpeichern) {
        const QStringList r = TestZugang::datensatz(w, gewaehlt);
        for (int f = 4; f <= 10; ++f)
            FUZZ_PRUEFEN(!feldVon(r, f).contains('e'), "stored figure in exponent form");
    }
    // The list of plan files: naming the open file reloads it from disk.
    fuzz::aufrufen("Datei_AusListeOeffnen", QStringLiteral("plan.medat"));
    ansichtenPruefen(w);

    fuzz::aufrufen("aufraeumen");
    alsVersionPruefen(plan, eingabe);
    if (!geladen) {
        fuzz::aufraeumenNachEingabe();
        return 0;
    }
    const int anzahl = TestZugang::anzahl(w);
    kompaktPruefen(w);
    if (anzahl < 2) {
        // Not a plan: nothing may have been written over it.
        FUZZ_PRUEFEN(fuzz::lesen(plan) == eingabe, "file that holds no plan was changed");
        fuzz::aufraeumenNachEingabe();
        return 0;
    }

    const QByteArray erste = fuzz::lesen(plan);
    FUZZ_PRUEFEN(erste == tabellenBytes(w), "file differs from the compacted table");
    QStringList vorher[MainWindow::maxDatensaetze];
    for (int i = 0; i < anzahl; ++i)
        vorher[i] = TestZugang::datensatz(w, i);

    fuzz::aufrufen("DatenEinlesen", plan);
    FUZZ_PRUEFEN(TestZugang::anzahl(w) == anzahl, "line count after reading back");
    for (int i = 0; i < anzahl; ++i)
        FUZZ_PRUEFEN(TestZugang::datensatz(w, i) == vorher[i] + QStringList{QString()},
                     "record changed on its way through the file");
    fuzz::aufrufen("aufraeumen");
    FUZZ_PRUEFEN(fuzz::lesen(plan) == erste, "second compaction changed the file");

    fuzz::aufraeumenNachEingabe();
    return 0;
}
