#ifndef TABLORA_PROGNOSE_H
#define TABLORA_PROGNOSE_H

#include <QStringList>

// Stock forecast of one medication record, in single precision as the plan
// has always been computed: daily use D, elapsed whole days E, weeks W,
// days left R, stock today C and run-out time T.
struct Prognose
{
    float taeglich = 0;     // D
    qint32 tage = 0;        // E
    float wochen = 0;       // W
    qint32 restTage = 0;    // R
    float bestandHeute = 0; // C
    qint32 leerZeit = 0;    // T, Unix seconds
    int balken = 100;       // bar value 0..100 (negative when run out)
    bool verbrauch = false; // false for on-demand medication (D == 0): W, R, T undefined
};

Prognose prognose(const QStringList &datensatz, quint32 jetzt);

#endif
