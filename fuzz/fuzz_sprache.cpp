// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as a language file: reading the texts must not crash and
// decoding the escapes must be final, for every input; putting the texts into
// the views and dialogs must not crash, for a share of them. The input also
// picks lines to leave out of the shipped German file and a place for a stray
// double quote, as in a user's file from an earlier version or edited by
// hand: no text may then be empty, the shipped file giving every one.
#include "fuzzumgebung.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QSettings>

#include <cstdint>

namespace {

// The views and dialogs cost some ten times the reading, so they take the
// texts of one input in this many, picked by hash.
constexpr uint fensterAnteil = 8;

const char *const ansichten[] = {"UebersichtFuellen", "VerordnungsplanFuellen",
                                 "PatDatenFuellen"};

// Reads the language file of the given code. Afterwards the settings reader
// is pointed at the file once more after it is gone: that drops what it
// cached of the file, and a later input under the same name is read afresh
// even when its size and time stamp agree with this one's.
void lesen(MainWindow &w, const QString &code)
{
    const QString datei = fuzz::datenPfad + "lang_" + code + ".ini";
    fuzz::aufrufen(w, "BeschriftungAuslesen", Q_ARG(QString, code));
    QFile::remove(datei);
    QSettings(datei, QSettings::IniFormat).allKeys();
}

// The shipped German file without the lines the input's first bits name,
// with a double quote where its next bytes say (when its bit is set).
QByteArray ohneZeilen(const QByteArray &eingabe)
{
    static const QList<QByteArray> zeilen =
        fuzz::lesen(QStringLiteral(TABLORA_DATEN "/lang_de.ini")).split('\n');
    const auto bit = [&eingabe](int i) {
        return i / 8 < eingabe.size() && (uchar(eingabe[i / 8]) >> (i % 8)) & 1;
    };
    QByteArray datei;
    for (int i = 0; i < zeilen.size(); ++i) {
        if (!bit(i))
            datei += zeilen.at(i) + '\n';
    }
    const int ort = (zeilen.size() + 7) / 8 * 8; // the first bit past the lines'
    if (bit(ort) && eingabe.size() > ort / 8 + 2) {
        const int stelle = uchar(eingabe[ort / 8 + 1]) << 8 | uchar(eingabe[ort / 8 + 2]);
        datei.insert(stelle % (datei.size() + 1), '"');
    }
    return datei;
}

// Empty texts, and the views filled with them: each input starts and ends in
// this state and so frees again what it allocated, which spares libFuzzer a
// second run of the input to look for a leak.
void leeren(MainWindow &w, bool mitAnsichten)
{
    lesen(w, QStringLiteral("leer"));
    for (int i = 0; mitAnsichten && i < 3; ++i)
        fuzz::aufrufen(w, ansichten[i]);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
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
    const QByteArray eingabe(reinterpret_cast<const char *>(daten), static_cast<int>(groesse));
    const QString einmal = TestZugang::umlauteText(w, QString::fromUtf8(eingabe));
    FUZZ_PRUEFEN(TestZugang::umlauteText(w, einmal) == einmal, "escape left after decoding");

    fuzz::schreiben(fuzz::datenPfad + "lang_fz.ini", eingabe);
    lesen(w, QStringLiteral("fz"));
    for (const QString &text : TestZugang::texte(w))
        FUZZ_PRUEFEN(TestZugang::umlauteText(w, text) == text, "escape left in a text");

    fuzz::schreiben(fuzz::datenPfad + "lang_de.ini", ohneZeilen(eingabe));
    lesen(w, QStringLiteral("de"));
    for (const QString &text : TestZugang::texte(w))
        FUZZ_PRUEFEN(!text.isEmpty(), "a text empty although the shipped file has it");

    // The texts on their way into tables, labels, tooltips and dialogs.
    const bool fenster = qHash(eingabe) % fensterAnteil == 0;
    if (fenster) {
        for (const char *slot : ansichten)
            fuzz::aufrufen(w, slot);
        for (const char *slot : {"butMedNeu_clicked", "butApotheke_clicked",
                                 "butEntfernen_clicked", "aboutueber", "Reparieren"})
            fuzz::aufrufen(w, slot);
        fuzz::aufrufen(w, "comboAuswahl", Q_ARG(int, 0));
    }
    leeren(w, fenster);
    return 0;
}
