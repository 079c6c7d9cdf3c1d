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
    qint32 restTage = 0;    // R (negative once run out)
    float bestandHeute = 0; // C, never below 0; the stored stock while counting lies ahead
    qint64 leerZeit = 0;    // T, Unix seconds (may lie beyond 2038)
    int balken = 100;       // bar value 0..100
    bool verbrauch = false; // false for on-demand medication (D == 0): W, R, T undefined
    bool aufgebraucht() const { return verbrauch && restTage < 0; }
    qint32 leerSeitTagen() const { return aufgebraucht() ? -restTage : 0; }
};

Prognose prognose(const QStringList &datensatz, quint32 jetzt);

// A stock as shown to the user: four significant digits below 10,000, whole
// units from there on, never an exponent.
QString bestandText(float bestand);

// Unix seconds as the local date "dd. MM. yyyy", for any time a forecast gives.
QString datumText(qint64 sekunden);

#endif
