// SPDX-License-Identifier: GPL-3.0-or-later
// The German standard medication plan's printed layout (Anlage 3 zur
// Vereinbarung nach § 31a SGB V, version 2.7): A4 landscape, 0.85 cm margins,
// identification block 7 x 4 cm, administration block 16.7 x 4 cm, the
// carrier 4 x 4 cm top right, a table of one heading line and 15 lines of
// 0.875 cm, its eight columns 4.0, 4.4, 1.8, 1.8, 3.2, 2.0, 6.4 and 4.4 cm.
#include "pdf/bmpplan.h"

#include "app/mainwindow.h"
#include "i18n/schrift.h"
#include "misc/barcode.h"
#include "pdf/pdfgemeinsam.h"
#include "planfile/datensatz.h"

#include <QFontMetricsF>
#include <QUuid>

namespace {

constexpr double einheitenJeMm = 1200.0 / 25.4;

double mm(double wert)
{
    return wert * einheitenJeMm;
}

QRectF rechteck(double x, double y, double b, double h)
{
    return QRectF(mm(x), mm(y), mm(b), mm(h));
}

constexpr double seitenRand = 8.5, tabelleOben = 51.5, zeile = 8.75, fussOben = 192.5;
// Column edges from the left margin; the dose column holds four of 8 mm.
constexpr double spaltenBreite[] = {40, 44, 18, 18, 8, 8, 8, 8, 20, 64, 44};

QFont schrift(double punkte, bool fett = false)
{
    QFont f = mitArabisch(QFont(QStringLiteral("arial")));
    f.setPointSizeF(punkte);
    f.setWeight(fett ? QFont::Bold : QFont::Normal);
    return f;
}

// A text in its cell: at `groesse` if it fits, else smaller down to
// `kleinste` and on two lines, and what still does not fit ends in "...".
void passend(QPainter &maler, const QRectF &feld, int ausrichtung, const QString &text,
             double groesse, double kleinste, bool fett = false)
{
    const QRectF innen = feld.adjusted(mm(1.1), 0, -mm(1.1), 0);
    const int flags = ausrichtung | Qt::AlignVCenter | Qt::TextWordWrap;
    for (double punkte = groesse;; punkte -= 0.5) {
        const QFont f = schrift(punkte, fett);
        const QFontMetricsF masse(f, maler.device());
        const QRectF noetig = masse.boundingRect(innen, flags, text);
        const bool passt = noetig.width() <= innen.width() + 1 && noetig.height() <= innen.height() + 1;
        if (passt || punkte <= kleinste) {
            maler.setFont(f);
            QString t = text;
            if (!passt)
                t = masse.elidedText(text, Qt::ElideRight, innen.width() * 1.8);
            maler.drawText(innen, flags, t);
            return;
        }
    }
}

void codeZeichnen(QPainter &maler, const QByteArray &xml)
{
    const QImage code = dataMatrix(xml);
    if (code.isNull())
        return;
    // Filling the carrier area, flush right.
    const double modul = mm(40) / qMax(code.width(), code.height());
    const double links = mm(seitenRand + 240 + 40) - modul * code.width();
    for (int y = 0; y < code.height(); ++y) {
        const uchar *punkte = code.constScanLine(y);
        for (int x = 0; x < code.width();) {
            if (punkte[x] != 0) {
                ++x;
                continue;
            }
            int bis = x;
            while (bis < code.width() && punkte[bis] == 0)
                ++bis;
            maler.fillRect(QRectF(links + x * modul, mm(seitenRand) + y * modul, (bis - x) * modul, modul),
                           Qt::black);
            x = bis;
        }
    }
}

} // namespace

QByteArray bmpPdf(const BmpPlan &plan, const QList<BmpSeite> &seiten, const BmpDruckTexte &t,
                  const QDateTime &gedruckt)
{
    PdfDokument pdf(true);
    QPainter &maler = pdf.maler();
    const QPen strich(Qt::black, mm(0.25));
    const QString patient = (plan.vorname + QLatin1Char(' ') + plan.nachname).trimmed();
    for (int n = 0; n < seiten.size(); ++n) {
        if (n > 0)
            pdf.neueSeite();
        const BmpSeite &seite = seiten.at(n);
        maler.setPen(strich);
        maler.setBrush(Qt::NoBrush);

        // Identification block.
        maler.drawRect(rechteck(seitenRand, seitenRand, 70, 40));
        passend(maler, rechteck(seitenRand + 2, seitenRand + 2, 66, 12), Qt::AlignLeft, t.titel, 20, 12, true);
        passend(maler, rechteck(seitenRand + 2, seitenRand + 16, 66, 9), Qt::AlignLeft,
                t.seite.arg(n + 1).arg(seiten.size()), 14, 9);

        // Administration block: patient, who printed it and when.
        const double a = seitenRand + 70, zeilen = 40.0 / 7;
        maler.drawRect(rechteck(a, seitenRand, 167, 40));
        maler.setFont(schrift(14));
        const QString fuer = t.fuer + QLatin1Char(' ');
        const QRectF erste = rechteck(a + 2, seitenRand + 1, 100, zeilen + 1);
        maler.drawText(erste, Qt::AlignLeft | Qt::AlignVCenter, fuer);
        const double breite = QFontMetricsF(maler.font(), maler.device()).horizontalAdvance(fuer);
        passend(maler, erste.adjusted(breite - mm(1.1), 0, 0, 0), Qt::AlignLeft, patient, 14, 9, true);
        const QString geboren = plan.geburt.isValid()
                                    ? plan.geburt.toString(QStringLiteral("dd.MM.yyyy"))
                                    : QString();
        passend(maler, rechteck(a + 105, seitenRand + 1, 60, zeilen + 1), Qt::AlignRight,
                t.geboren + QLatin1Char(' ') + geboren, 14, 9, true);
        passend(maler, rechteck(a + 2, seitenRand + 2 * zeilen, 100, zeilen), Qt::AlignLeft, t.von, 12, 8);
        passend(maler, rechteck(a + 2, seitenRand + 3 * zeilen, 100, zeilen), Qt::AlignLeft,
                patient + QStringLiteral(" (Tablora)"), 12, 8);
        passend(maler, rechteck(a + 85, seitenRand + 6 * zeilen - 1, 80, zeilen), Qt::AlignRight,
                t.am + QLatin1Char(' ') + gedruckt.toString(QStringLiteral("dd.MM.yyyy hh:mm")), 12, 8);

        codeZeichnen(maler, seite.xml);

        // The table: column headings, then the page's lines.
        maler.setPen(strich);
        double x = seitenRand;
        for (int s = 0; s < 11; ++s) {
            const QRectF kopf = rechteck(x, tabelleOben, spaltenBreite[s], zeile);
            maler.fillRect(kopf, QColor(235, 235, 235));
            maler.drawRect(kopf);
            const bool dosis = s >= 4 && s <= 7;
            passend(maler, kopf, dosis ? Qt::AlignHCenter : Qt::AlignLeft, t.spalten[s],
                    dosis ? 8 : 12, 5, true);
            x += spaltenBreite[s];
        }
        for (int z = 0; z < seite.zeilen.size(); ++z) {
            const BmpDruckzeile &dz = seite.zeilen.at(z);
            const double y = tabelleOben + zeile * (z + 1);
            const BmpAbschnitt abschnitt = plan.abschnitte.value(dz.abschnitt);
            if (dz.medikament < 0) {
                passend(maler, rechteck(seitenRand, y, 280, zeile), Qt::AlignLeft,
                        abschnitt.art == BmpArt::Bedarf ? t.bedarf : abschnitt.titel, 14, 9, true);
                continue;
            }
            const BmpMedikament &m = plan.medikamente.at(dz.medikament);
            QStringList wirkstoffe = m.wirkstoffe;
            wirkstoffe.removeAll(QString());
            const bool schema = m.hatDosen();
            const QString zellen[11] = {wirkstoffe.join(QStringLiteral(" / ")),
                                        m.handelsname,
                                        m.staerken.join(QStringLiteral(" / ")).trimmed(),
                                        m.form,
                                        schema ? (m.dosen[0].isEmpty() ? "0" : m.dosen[0]) : QString(),
                                        schema ? (m.dosen[1].isEmpty() ? "0" : m.dosen[1]) : QString(),
                                        schema ? (m.dosen[2].isEmpty() ? "0" : m.dosen[2]) : QString(),
                                        schema ? (m.dosen[3].isEmpty() ? "0" : m.dosen[3]) : QString(),
                                        m.einheit,
                                        m.hinweis,
                                        m.grund};
            x = seitenRand;
            for (int s = 0; s < 11; ++s) {
                const QRectF feld = rechteck(x, y, spaltenBreite[s], zeile);
                // Without a schema the dose column is one field.
                const bool frei = !schema && s >= 4 && s <= 7;
                if (!frei)
                    maler.drawRect(feld);
                else if (s == 4)
                    maler.drawRect(rechteck(x, y, 32, zeile));
                const int ausrichtung = s == 2 ? Qt::AlignRight
                                        : s >= 4 && s <= 7 ? Qt::AlignHCenter
                                                           : Qt::AlignLeft;
                if (!frei)
                    passend(maler, feld, ausrichtung, zellen[s], 12, s >= 4 && s <= 7 ? 8 : 7);
                else if (s == 4)
                    passend(maler, rechteck(x, y, 32, zeile), Qt::AlignLeft, m.freiDosierung, 12, 7);
                x += spaltenBreite[s];
            }
        }

        // The foot: whose copy this is, and that no certified software made it.
        maler.setPen(QPen(Qt::black, mm(0.25)));
        passend(maler, rechteck(seitenRand, fussOben, 280, 9), Qt::AlignLeft, t.kopie, 10, 7, true);
    }
    return pdf.beenden();
}

void MainWindow::print_bmp()
{
    if (!tabelleHaeltPlan())
        return;
    const QString pfad = pdfDateiErfragen(txtBmpDruck);
    if (pfad.isEmpty())
        return;
    QList<QStringList> medikamente;
    for (int i = 2; i < anzahlDatensaetze; ++i)
        medikamente << datensaetze[i];
    const BmpPlan plan = bmpAusPlan(datensaetze[1], medikamente);
    // A fresh instance id on every print, the same on all its pages.
    const QString instanz = QUuid::createUuid().toString(QUuid::Id128).toUpper();
    const QDateTime gedruckt = QDateTime::currentDateTime();
    BmpDruckTexte t{txtBmpDruck, txtBmpSeite, txtBmpFuer, txtBmpGeb, txtBmpVon, txtBmpAm,
                    txtBmpBedarf, txtBmpKopie,
                    {txtBmpWirkstoff, txtBmpHandelsname, txtBmpStaerke, txtBmpForm, txtBmpMorgens,
                     txtBmpMittags, txtBmpAbends, txtBmpNacht, txtBmpEinheit, txtBmpHinweise,
                     txtBmpGrund}};
    const QByteArray pdf = bmpPdf(plan, bmpSchreiben(plan, instanz, gedruckt), t, gedruckt);
    // An old document of that name stays intact when the new one cannot be written.
    if (ExportSchreiben(pfad, pdf, txtPdfErr))
        pdfZeigen(pfad);
}
