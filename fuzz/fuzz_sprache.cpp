// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as a language file: reading the texts and putting them into
// the views and dialogs must not crash, and decoding the escapes must be final.
#include "fuzzumgebung.h"

#include "support/testsupport.h"

#include <QFile>

#include <cstdint>

namespace {

void entschluesseltPruefen(MainWindow &w, const QString &text)
{
    FUZZ_PRUEFEN(TestZugang::umlauteText(w, text) == text, "escape left after decoding");
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
    const QByteArray eingabe(reinterpret_cast<const char *>(daten), static_cast<int>(groesse));

    const QString roh = QString::fromUtf8(eingabe);
    entschluesseltPruefen(w, TestZugang::umlauteText(w, roh));

    // A new name for every input: the settings reader caches files by name,
    // size and time stamp, and two inputs can agree in all three.
    static int nummer = 0;
    const QString code = QStringLiteral("fz%1").arg(nummer++);
    const QString datei = fuzz::datenPfad() + "lang_" + code + ".ini";
    fuzz::schreiben(datei, eingabe);
    fuzz::aufrufen("BeschriftungAuslesen", code);
    QFile::remove(datei);

    for (QString (*text)(MainWindow &) :
         {&TestZugang::programmTitel, &TestZugang::txtNoDat, &TestZugang::txtNewstart,
          &TestZugang::txtTooLong, &TestZugang::txtWriteErr, &TestZugang::txtMedFull,
          &TestZugang::txtReicht, &TestZugang::txtReicht2, &TestZugang::txtReicht3,
          &TestZugang::txtWeekse, &TestZugang::txtLafi, &TestZugang::txtPats,
          &TestZugang::txtPatgeb, &TestZugang::txtMedwahl, &TestZugang::txtAbort,
          &TestZugang::txtDelmed, &TestZugang::txtNeuTitle})
        entschluesseltPruefen(w, text(w));

    // The texts on their way into tables, labels, tooltips and dialogs.
    fuzz::aufrufen("UebersichtFuellen");
    fuzz::aufrufen("VerordnungsplanFuellen");
    fuzz::aufrufen("PatDatenFuellen");
    fuzz::aufrufen("comboAuswahl", 0);
    for (const char *slot : {"butMedNeu_clicked", "butApotheke_clicked", "butEntfernen_clicked",
                             "aboutueber", "Reparieren"})
        fuzz::aufrufen(slot);

    fuzz::aufraeumenNachEingabe();
    return 0;
}
