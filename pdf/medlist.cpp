// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "pdf/pdfgemeinsam.h"
#include "planfile/datensatz.h"
#include "views/prognose.h"

#include <QFontMetrics>

namespace {
constexpr int zeilenHoehe = 300;
constexpr int kopfOben = 1700;
constexpr int balkenVoll = 4800;
} // namespace

void MainWindow::print_medlist()
{
    const QString pfad = pdfDateiErfragen(txtPdfml);
    if (pfad.isEmpty())
        return;
    const quint32 jetztSek = jetztUnix();

    const auto zeichnen = [&](PdfDokument &pdf) {
        QPainter &maler = pdf.maler();
        pdfKopfZeichnen(pdf, txtPdfml, 180);

        const auto kopf = [&](int y) {
            maler.setFont(PdfSchrift::kopf());
            pdf.zelle(QRect(500, y, 3600, zeilenHoehe), Qt::AlignHCenter | Qt::AlignVCenter,
                      txtCol1);
            pdf.zelleEingepasst(QRect(4100, y, 1200, zeilenHoehe), txtCol8);
            pdf.zelleEingepasst(QRect(5300, y, 800, zeilenHoehe), txtCol4);
            pdf.zelleEingepasst(QRect(6100, y, 1500, zeilenHoehe), txtCol5);
            pdf.zelleEingepasst(QRect(7600, y, 1500, zeilenHoehe), txtCol6);
            maler.setFont(PdfSchrift::text());
        };
        kopf(kopfOben);

        int letzteOben = kopfOben;
        for (int i = 2; i < anzahlDatensaetze; ++i) {
            const QStringList &r = datensaetze[i];
            const int y = pdf.zeilePlatz(letzteOben + zeilenHoehe, zeilenHoehe, zeilenHoehe, kopf);
            letzteOben = y;
            const Prognose p = prognose(r, jetztSek);

            // On-demand medication is never used up: full bar, no weeks, no date.
            // A stock that has run out draws no bar. The bar lies behind name
            // and strength.
            int balken = balkenVoll;
            if (p.verbrauch && p.restTage <= 60)
                balken = p.restTage > 0 ? 80 * p.restTage : 0;
            if (balken > 0)
                maler.fillRect(QRect(500, y, balken, zeilenHoehe), QColor(245, 245, 245));

            // The name says which medicine it is; the description follows it.
            QString text = feldVon(r, 1);
            if (!feldVon(r, 2).trimmed().isEmpty())
                text += QString::fromUtf8(" \u2013 ") + feldVon(r, 2);
            const QRect zelle(600, y, 3500, zeilenHoehe);
            text = QFontMetrics(maler.font(), maler.device())
                       .elidedText(text, Qt::ElideRight, zelle.width() - 20);
            maler.drawRect(QRect(500, y, 3600, zeilenHoehe));
            maler.drawText(zelle, Qt::AlignLeft | Qt::AlignVCenter, text);
            // The strength, as the pharmacy asks for it.
            pdf.zelleEingepasst(QRect(4100, y, 1200, zeilenHoehe), feldVon(r, 3));

            pdf.zelleEingepasst(QRect(5300, y, 800, zeilenHoehe), bestandText(p.bestandHeute));

            const QRect wochen(6100, y, 1500, zeilenHoehe);
            const QRect datum(7600, y, 1500, zeilenHoehe);
            if (p.verbrauch) {
                pdf.zelleEingepasst(wochen, QString::number(p.wochen, 'f', 1) + "  " + txtWeekse);
                // The colours of the overview.
                const Warnung w = warnung(p, datensaetze[1]);
                if (w.rot())
                    maler.fillRect(datum, Qt::red);
                else if (w.gelb())
                    maler.fillRect(datum, Qt::yellow);
                pdf.zelleEingepasst(datum, datumText(p.leerZeit));
            } else {
                maler.drawRect(wochen);
                maler.drawRect(datum);
            }
        }

        pdf.fusszeile(letzteOben, pdfFusstext(txtPdfml, jetztSek));
    };

    // An old document of that name stays intact when the new one cannot be written.
    if (ExportSchreiben(pfad, pdfErstellen(zeichnen), txtPdfErr))
        pdfZeigen(pfad);
}
