// SPDX-License-Identifier: GPL-3.0-or-later
#include "planfile/eingabe.h"

#include "planfile/datensatz.h"

#include <QLocale>

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

// Persian and Arabic digits and separators to their plain forms.
QString ziffernVereinheitlichen(const QString &text)
{
    QString t;
    t.reserve(text.size());
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (u >= 0x0660 && u <= 0x0669)
            t += QChar('0' + (u - 0x0660));
        else if (u >= 0x06F0 && u <= 0x06F9)
            t += QChar('0' + (u - 0x06F0));
        else if (u == 0x066B || u == QLatin1Char(','))
            t += QLatin1Char('.');
        else if (u == 0x2044 || u == 0x2215)
            t += QLatin1Char('/');
        else if (u == 0x00A0 || u == 0x202F)
            t += QLatin1Char(' ');
        else
            t += c;
    }
    return t;
}

bool nurZiffern(const QString &t)
{
    if (t.isEmpty())
        return false;
    for (const QChar c : t) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

// "12", "1.5", ".5", "3." as a decimal number.
bool dezimal(const QString &t, double &wert)
{
    const int punkt = t.indexOf(QLatin1Char('.'));
    const QString ganz = punkt < 0 ? t : t.left(punkt);
    const QString teil = punkt < 0 ? QString() : t.mid(punkt + 1);
    if (ganz.isEmpty() && teil.isEmpty())
        return false;
    if ((!ganz.isEmpty() && !nurZiffern(ganz)) || (!teil.isEmpty() && !nurZiffern(teil)))
        return false;
    bool ok = false;
    wert = QLocale::c().toDouble((ganz.isEmpty() ? QStringLiteral("0") : ganz) + "."
                                     + (teil.isEmpty() ? QStringLiteral("0") : teil),
                                 &ok);
    return ok;
}

// "1/2": whole numbers on both sides, no zero below.
bool bruch(const QString &t, double &wert)
{
    const QStringList teile = t.split(QLatin1Char('/'));
    if (teile.size() != 2 || !nurZiffern(teile.at(0)) || !nurZiffern(teile.at(1)))
        return false;
    const double unten = teile.at(1).toDouble();
    if (unten == 0)
        return false;
    wert = teile.at(0).toDouble() / unten;
    return true;
}

double einzelbruch(QChar c)
{
    switch (c.unicode()) {
    case 0x00BD: return 1.0 / 2;
    case 0x00BC: return 1.0 / 4;
    case 0x00BE: return 3.0 / 4;
    case 0x2153: return 1.0 / 3;
    case 0x2154: return 2.0 / 3;
    case 0x215B: return 1.0 / 8;
    default: return -1;
    }
}

} // namespace

Zahleingabe zahlEingabe(const QString &text, bool leerIstNull)
{
    Zahleingabe e;
    QString t = ziffernVereinheitlichen(text).simplified();
    if (t.isEmpty()) {
        e.ok = leerIstNull;
        return e;
    }
    // "1½" and "1 ½": the sign at the end is the fraction part.
    double anteil = 0;
    const double zeichen = einzelbruch(t.back());
    if (zeichen >= 0) {
        anteil = zeichen;
        t.chop(1);
        t = t.trimmed();
        if (t.isEmpty())
            t = QStringLiteral("0");
    }
    if (anteil > 0 && !nurZiffern(t))
        return e;
    double wert = 0;
    const QStringList teile = t.split(QLatin1Char(' '));
    if (teile.size() == 1) {
        if (!(t.contains(QLatin1Char('/')) ? bruch(t, wert) : dezimal(t, wert)))
            return e;
    } else if (teile.size() == 2 && anteil == 0) {
        // "1 1/2": a whole number and a fraction.
        double rest = 0;
        if (!nurZiffern(teile.at(0)) || !bruch(teile.at(1), rest))
            return e;
        wert = teile.at(0).toDouble() + rest;
    } else {
        return e;
    }
    wert += anteil;
    if (!std::isfinite(wert) || wert < 0 || wert > double(groessteEingabe))
        return e;
    e.wert = static_cast<float>(wert);
    e.ok = true;
    return e;
}

QString zahlSpeichern(float wert)
{
    if (!std::isfinite(wert))
        return QString::number(double(wert));
    if (wert == 0)
        return QStringLiteral("0");
    // The fewest decimals that read back as the same single-precision value.
    for (int stellen = 0; stellen <= 60; ++stellen) {
        const QString text = QString::number(double(wert), 'f', stellen);
        if (text.toFloat() == wert)
            return text;
    }
    return QString::number(double(wert), 'f', 60);
}

QString freiText(QString text)
{
    return text.replace(QLatin1Char(';'), QLatin1Char(':'));
}

float gespeicherteZahl(const QString &text, bool *ok)
{
    bool gelesen = false;
    float wert = text.toFloat(&gelesen);
    if (!gelesen && text.count(QLatin1Char(',')) == 1 && !text.contains(QLatin1Char('.')))
        wert = QString(text).replace(QLatin1Char(','), QLatin1Char('.')).toFloat(&gelesen);
    if (ok)
        *ok = gelesen;
    return gelesen ? wert : 0.0f;
}

QString dosisText(float dosis, QChar dezimal)
{
    const double wert = double(dosis);
    if (std::isfinite(wert) && wert >= 0 && wert < 1e6) {
        const double ganz = std::floor(wert);
        const double rest = wert - ganz;
        // Halves, thirds and quarters, as close as the float a typed fraction became.
        const double toleranz = 4 * double(FLT_EPSILON) * std::max(1.0, wert);
        for (const int unten : {2, 3, 4}) {
            for (int oben = 0; oben <= unten; ++oben) {
                if (std::fabs(rest - double(oben) / unten) > toleranz)
                    continue;
                if (oben == 0 || oben == unten)
                    return QString::number(ganz + (oben == unten ? 1 : 0), 'f', 0);
                const QString bruch = QString::number(oben) + QLatin1Char('/') + QString::number(unten);
                return ganz == 0 ? bruch : QString::number(ganz, 'f', 0) + QLatin1Char(' ') + bruch;
            }
        }
    }
    return ohneNullen(wert, 3).replace(QLatin1Char('.'), dezimal);
}

QString ohneNullen(double wert, int stellen)
{
    QString text = QString::number(wert, 'f', stellen);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    return text;
}

bool zahlFeldLesbar(const QString &text)
{
    if (text.isEmpty())
        return true;
    bool ok = false;
    gespeicherteZahl(text, &ok);
    return ok;
}

QList<int> unlesbareFelder(const QStringList &datensatz)
{
    QList<int> felder;
    for (int i : {4, 5, 6, 7, 8, 9, 10}) {
        const QString text = feldVon(datensatz, i);
        bool ok = true;
        if (i != 5)
            ok = zahlFeldLesbar(text);
        else if (!text.isEmpty())
            text.toInt(&ok);
        if (!ok)
            felder << i;
    }
    return felder;
}
