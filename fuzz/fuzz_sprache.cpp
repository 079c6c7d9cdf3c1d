// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as a language file: reading the texts and putting them into
// the views and dialogs must not crash, and decoding the escapes must be final.
#include "fuzzumgebung.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>

#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::einrichten("de");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *daten, std::size_t groesse)
{
    MainWindow &w = *fuzz::fenster;
    const QByteArray eingabe(reinterpret_cast<const char *>(daten), static_cast<int>(groesse));
    const QString einmal = TestZugang::umlauteText(w, QString::fromUtf8(eingabe));
    FUZZ_PRUEFEN(TestZugang::umlauteText(w, einmal) == einmal, "escape left after decoding");

    // A new name for every input: the settings reader caches files by name,
    // size and time stamp, and two inputs can agree in all three.
    static int nummer = 0;
    const QString code = QStringLiteral("fz%1").arg(nummer++);
    const QString datei = fuzz::datenPfad + "lang_" + code + ".ini";
    fuzz::schreiben(datei, eingabe);
    fuzz::aufrufen(w, "BeschriftungAuslesen", Q_ARG(QString, code));
    QFile::remove(datei);
    for (const QString &text : TestZugang::texte(w))
        FUZZ_PRUEFEN(TestZugang::umlauteText(w, text) == text, "escape left in a text");

    // The texts on their way into tables, labels, tooltips and dialogs.
    for (const char *slot : {"UebersichtFuellen", "VerordnungsplanFuellen", "PatDatenFuellen",
                             "butMedNeu_clicked", "butApotheke_clicked", "butEntfernen_clicked",
                             "aboutueber", "Reparieren"})
        fuzz::aufrufen(w, slot);
    fuzz::aufrufen(w, "comboAuswahl", Q_ARG(int, 0));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
