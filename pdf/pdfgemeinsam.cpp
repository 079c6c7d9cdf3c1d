// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/pdfgemeinsam.h"

#include "app/mainwindow.h"
#include "i18n/schrift.h"
#include "planfile/datensatz.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPen>
#include <QUrl>

namespace PdfSchrift {
QFont ueberschrift()
{
    return mitArabisch(QFont("arial", 14, QFont::Bold, false));
}
QFont text()
{
    return mitArabisch(QFont("arial", 10, QFont::Normal, false));
}
QFont kopf()
{
    return mitArabisch(QFont("arial", 10, QFont::Bold, false));
}
QFont klein()
{
    return mitArabisch(QFont("arial", 8, QFont::Thin, false));
}
QFont fuss()
{
    return mitArabisch(QFont("arial", 8, QFont::Thin, true));
}
} // namespace PdfSchrift

PdfDokument::PdfDokument(bool quer)
    : m_puffer(&m_daten)
{
    m_puffer.open(QIODevice::WriteOnly);
    m_schreiber = std::make_unique<QPdfWriter>(&m_puffer);
    if (quer)
        m_schreiber->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                               QMarginsF(0, 0, 0, 0)));
    m_maler.begin(m_schreiber.get());
    // Qt 6 takes this pen for the painter's default and never hands it to the
    // PDF engine, which then draws the first outlines as faint hairlines:
    // a change in between makes it arrive.
    m_maler.setPen(Qt::NoPen);
    m_maler.setPen(QPen(QBrush(Qt::black), 1, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
}

PdfDokument::~PdfDokument()
{
    if (m_maler.isActive())
        m_maler.end();
}

int PdfDokument::unterkante() const
{
    return m_schreiber->height() - untererRand;
}

void PdfDokument::seitenZeile(const QString &patient, const QString &muster, int gesamt)
{
    m_patient = patient;
    m_muster = muster;
    m_gesamt = gesamt;
}

void PdfDokument::seitenZeileZeichnen()
{
    if (m_muster.isEmpty())
        return;
    const QFont schrift = m_maler.font();
    const QPen stift = m_maler.pen();
    m_maler.setFont(PdfSchrift::fuss());
    m_maler.setPen(QPen(Qt::darkGray, 1));
    const QString seite = m_muster.arg(m_seiten).arg(qMax(m_gesamt, m_seiten));
    m_maler.drawText(QRect(500, unterkante() + 150, 8600, 180), Qt::AlignHCenter | Qt::AlignVCenter,
                     m_patient + QString::fromUtf8(" – ") + seite);
    m_maler.setFont(schrift);
    m_maler.setPen(stift);
}

void PdfDokument::neueSeite()
{
    seitenZeileZeichnen();
    m_schreiber->newPage();
    ++m_seiten;
}

int PdfDokument::zeilePlatz(int y, int hoehe, int kopfHoehe,
                            const std::function<void(int)> &kopf)
{
    if (y + hoehe <= unterkante())
        return y;
    neueSeite();
    kopf(folgeSeiteOben);
    return folgeSeiteOben + kopfHoehe;
}

void PdfDokument::fusszeile(int letzteZeileOben, const QString &text)
{
    int y = letzteZeileOben + 1000;
    if (y + 180 > unterkante()) {
        neueSeite();
        y = folgeSeiteOben;
    }
    m_maler.setFont(PdfSchrift::fuss());
    m_maler.setPen(QPen(Qt::darkGray, 1));
    m_maler.drawText(QRect(500, y, 8600, 180), Qt::AlignHCenter | Qt::AlignVCenter, text);
}

void PdfDokument::zelle(const QRect &rechteck, int ausrichtung, const QString &text)
{
    m_maler.drawRect(rechteck);
    m_maler.drawText(rechteck, ausrichtung, text);
}

void PdfDokument::zelleEingepasst(const QRect &rechteck, const QString &text)
{
    const QFont vorher = m_maler.font();
    QFont schrift = vorher;
    while (schrift.pointSizeF() > 5.0
           && QFontMetrics(schrift, m_schreiber.get()).horizontalAdvance(text)
                  > rechteck.width() - 20) {
        schrift.setPointSizeF(schrift.pointSizeF() - 0.5);
    }
    m_maler.setFont(schrift);
    zelle(rechteck, Qt::AlignHCenter | Qt::AlignVCenter, text);
    m_maler.setFont(vorher);
}

QByteArray PdfDokument::beenden()
{
    seitenZeileZeichnen();
    m_maler.end();
    m_puffer.close();
    return m_daten;
}

// "Musterfrau_Erika_Medikamentenliste.pdf" beside the plan: one person's
// document does not replace another's.
QString MainWindow::pdfDateiErfragen(const QString &dokument)
{
    QString name = dateinameAus({feld(1, 1), feld(1, 2), QString(dokument).replace(' ', '_')});
    if (name.isEmpty())
        name = dokument;
    return speicherDateiErfragen(txtPdfSave, QFileInfo(aktuelleDatei).absolutePath() + "/" + name
                                                 + ".pdf",
                                 "(*.pdf)", QStringLiteral(".pdf"), true);
}

QString MainWindow::pdfPatient() const
{
    return txtPats + ": " + feld(1, 1) + ", " + feld(1, 2) + "  *" + geburtsTagText();
}

// Drawn twice: the first time counts the pages that "page n of m" names.
QByteArray MainWindow::pdfErstellen(const std::function<void(PdfDokument &)> &zeichnen)
{
    int seiten = 1;
    {
        PdfDokument probe;
        probe.seitenZeile(pdfPatient(), txtSeite, 0);
        zeichnen(probe);
        seiten = probe.seiten();
    }
    PdfDokument pdf;
    pdf.seitenZeile(pdfPatient(), txtSeite, seiten);
    zeichnen(pdf);
    return pdf.beenden();
}

void MainWindow::pdfKopfZeichnen(PdfDokument &pdf, const QString &ueberschrift, int hoehe)
{
    QPainter &maler = pdf.maler();
    maler.setFont(PdfSchrift::ueberschrift());
    maler.drawText(QRect(500, 700, 8600, hoehe), Qt::AlignHCenter | Qt::AlignVCenter,
                   ueberschrift);
    maler.setFont(PdfSchrift::text());
    maler.drawText(QPointF(500.0, 1500.0), pdfPatient());
}

QString MainWindow::pdfFusstext(const QString &titel, quint32 jetztSek)
{
    return titel + " " + txtCreated + ": " + ZeitZuDatum(jetztSek) + " " + txtMit
           + " Vantorlight - " + programmTitel;
}

void MainWindow::pdfZeigen(const QString &pfad)
{
    // A local-file URL keeps "#", "?", "%" and blanks part of the file name.
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(pfad).absoluteFilePath()));
}
