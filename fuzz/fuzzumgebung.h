// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TABLORA_FUZZUMGEBUNG_H
#define TABLORA_FUZZUMGEBUNG_H

#include "app/mainwindow.h"

#include <QMetaObject>

#include <cstdio>
#include <cstdlib>

// A violated expectation is a finding: abort so libFuzzer keeps the input.
#define FUZZ_PRUEFEN(bedingung, text)                                                   \
    do {                                                                                \
        if (!(bedingung)) {                                                             \
            std::fprintf(stderr, "%s:%d: %s (%s)\n", __FILE__, __LINE__, text, #bedingung); \
            std::abort();                                                               \
        }                                                                               \
    } while (0)

// The window's private state, as far as the fuzz targets read or set it.
struct TestZugang
{
    static QList<QStringList> tabelle(MainWindow &w) { return w.dokument.tabelle().datensaetze; }
    static QString aktuelleNummer(MainWindow &w) { return w.aktuelleNummer; }
    static void auswahlVergessen(MainWindow &w) { w.AuswahlVergessen(); }
    static QString dosisText(MainWindow &w, float d) { return w.DosisText(d); }
    static QString umlauteText(MainWindow &w, const QString &s) { return w.umlauteText(s); }
    // An empty table, no medication chosen and no bytes last read.
    static void leeren(MainWindow &w)
    {
        w.dokument.leeren();
        w.aktuelleNummer.clear();
    }
    static QStringList texte(MainWindow &w)
    {
        return {w.programmTitel, w.txtNoDat,    w.txtNewstart, w.txtTooLong,   w.txtWriteErr,
                w.txtMedFull,    w.txtReicht,   w.txtReicht2,  w.txtReicht3,   w.txtWeekse,
                w.txtLafi,       w.txtPats,     w.txtPatgeb,   w.txtMedwahl,   w.txtAbort,
                w.txtDelmed,     w.txtNeuTitle, w.txtLeer,     w.txtPackungen, w.txtApoTitle};
    }
};

namespace fuzz {

// Set once per process by einrichten(): an offscreen application, a private
// settings folder in memory with the shipped language files, the given
// language and a plan file as the last file, then one hidden window that
// every input reuses. Every modal dialog is closed as soon as it shows.
void einrichten(const char *sprache);
inline MainWindow *fenster = nullptr;
inline QString planPfad, datenPfad;
inline int geschlosseneDialoge = 0; // tells a target that a box came up

QByteArray lesen(const QString &pfad);
void schreiben(const QString &pfad, const QByteArray &inhalt);

// Runs a private slot; a slot that cannot be found is a broken harness.
template <typename... Argumente>
void aufrufen(MainWindow &w, const char *slot, Argumente... argumente)
{
    FUZZ_PRUEFEN(QMetaObject::invokeMethod(&w, slot, argumente...), slot);
}

} // namespace fuzz

#endif
