// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/csvtabelle.h"

#include "planfile/datensatz.h"
#include "views/prognose.h"

CsvForm csvForm(const QString &sprache)
{
    CsvForm form;
    if (sprache == QLatin1String("de")) {
        form.trenner = QLatin1Char(';');
        form.dezimal = QLatin1Char(',');
    }
    return form;
}

QString csvFeld(const QString &text, bool zahl, QChar trenner)
{
    QString feld = text;
    static const QString formelAnfang = QStringLiteral("=+-@\t\r");
    if (!zahl && !feld.isEmpty() && formelAnfang.contains(feld.at(0)))
        feld.prepend(QLatin1Char('\''));
    if (feld.contains(trenner) || feld.contains(QLatin1Char('"'))
        || feld.contains(QLatin1Char('\n')) || feld.contains(QLatin1Char('\r'))) {
        feld.replace(QLatin1String("\""), QLatin1String("\"\""));
        feld = QLatin1Char('"') + feld + QLatin1Char('"');
    }
    return feld;
}

QByteArray csvDatei(const QList<QStringList> &zeilen, const QList<int> &zahlSpalten,
                    const CsvForm &form)
{
    QString text;
    for (int z = 0; z < zeilen.size(); ++z) {
        const QStringList &zeile = zeilen.at(z);
        for (int i = 0; i < zeile.size(); ++i) {
            if (i > 0)
                text += form.trenner;
            // The header row names the columns: no figures there.
            const bool zahl = z > 0 && zahlSpalten.contains(i);
            QString feld = zeile.at(i);
            if (zahl)
                feld.replace(QLatin1Char('.'), form.dezimal);
            text += csvFeld(feld, zahl, form.trenner);
        }
        text += QLatin1String("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

QStringList uebersichtCsvZeile(const QStringList &r, const QStringList &patient, quint32 jetzt)
{
    const Prognose p = prognose(r, jetzt);
    QString wochen, leer, packungen;
    if (p.verbrauch) {
        wochen = wochenText(p.wochen);
        leer = lokalerTag(p.leerZeit).toString(Qt::ISODate);
    }
    const int n = packungenFuer(r, p, jetzt, patient);
    if (n > 0)
        packungen = QString::number(n);
    return {feldVon(r, 1), feldVon(r, 2), bestandText(p.bestandHeute), wochen, leer, packungen};
}
