// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TABLORA_FUZZUMGEBUNG_H
#define TABLORA_FUZZUMGEBUNG_H

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <cstdlib>

class MainWindow;

namespace fuzz {

// Set up once per process: offscreen application, private settings folder with
// the shipped language files, the given language code and a plan file in a
// temporary folder as the last file, then one MainWindow that every
// input reuses. Every modal dialog is closed as soon as it shows.
void einrichten(const QString &sprache);
MainWindow &fenster();
QString planPfad();
QString datenPfad();
// Dialogs closed since the start; lets a target see that a box came up.
int geschlosseneDialoge();

QByteArray lesen(const QString &pfad);
void schreiben(const QString &pfad, const QByteArray &inhalt);

// Runs a private slot; a slot that cannot be found is a broken harness.
void aufrufen(const char *slot);
void aufrufen(const char *slot, int wert);
void aufrufen(const char *slot, const QString &wert);

// Widgets left for deletion by table and list refills.
void aufraeumenNachEingabe();

} // namespace fuzz

// A violated expectation is a finding: abort so libFuzzer keeps the input.
#define FUZZ_PRUEFEN(bedingung, text)                                                   \
    do {                                                                                \
        if (!(bedingung)) {                                                             \
            std::fprintf(stderr, "%s:%d: %s (%s)\n", __FILE__, __LINE__, text, #bedingung); \
            std::abort();                                                               \
        }                                                                               \
    } while (0)

#endif
