// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "pdf/pdfgemeinsam.h"
#include "planfile/datensatz.h"
#include "planfile/eingabe.h"

#include <QPen>

namespace {
constexpr int zeilenHoehe = 450;
constexpr int kopfOben = 1850;
} // namespace

void MainWindow::print_regulation()
{
    const QString pfad = pdfDateiErfragen(txtTab2);
    if (pfad.isEmpty())
        return;
    const quint32 jetztSek = jetztUnix();

    const auto zeichnen = [&](PdfDokument &pdf) {
        QPainter &maler = pdf.maler();
        pdfKopfZeichnen(pdf, txtTab2, 300);

        const int dosisX[4] = {5580, 6460, 7340, 8220};
        const auto kopf = [&](int y) {
            maler.setFont(PdfSchrift::kopf());
            pdf.zelle(QRect(500, y, 3800, zeilenHoehe), Qt::AlignHCenter | Qt::AlignVCenter,
                      txtCol1);
            pdf.zelleEingepasst(QRect(4300, y, 1280, zeilenHoehe), txtCol8);
            const QString zeiten[4] = {txtCol9, txtCol10, txtCol11, txtCol12};
            for (int j = 0; j < 4; ++j)
                pdf.zelleEingepasst(QRect(dosisX[j], y, 880, zeilenHoehe), zeiten[j]);
            maler.setFont(PdfSchrift::text());
        };
        kopf(kopfOben);

        int letzteOben = kopfOben;
        for (int i = 2; i < anzahlDatensaetze; ++i) {
            const QStringList &r = datensaetze[i];
            if (feldVon(r, 11) == QLatin1String("1"))
                continue;
            const int y = pdf.zeilePlatz(letzteOben + zeilenHoehe, zeilenHoehe, zeilenHoehe, kopf);
            letzteOben = y;

            maler.drawRect(QRect(500, y, 3800, zeilenHoehe));
            maler.drawText(QRect(600, y + 10, 3700, 250), Qt::AlignLeft | Qt::AlignVCenter,
                           feldVon(r, 1));
            maler.setFont(PdfSchrift::klein());
            maler.setPen(QPen(Qt::darkGray, 1));
            maler.drawText(QRect(600, y + 190, 3700, 250), Qt::AlignLeft | Qt::AlignVCenter,
                           feldVon(r, 2));
            maler.setFont(PdfSchrift::text());
            maler.setPen(QPen(Qt::black, 1));

            pdf.zelleEingepasst(QRect(4300, y, 1280, zeilenHoehe), feldVon(r, 3));
            for (int j = 0; j < 4; ++j) {
                pdf.zelleEingepasst(QRect(dosisX[j], y, 880, zeilenHoehe),
                                    DosisText(gespeicherteZahl(feldVon(r, 7 + j))));
            }
        }

        pdf.fusszeile(letzteOben, pdfFusstext(txtTab2, jetztSek));
    };

    // An old document of that name stays intact when the new one cannot be written.
    if (ExportSchreiben(pfad, pdfErstellen(zeichnen), txtPdfErr))
        pdfZeigen(pfad);
}
