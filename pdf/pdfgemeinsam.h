// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TABLORA_PDFGEMEINSAM_H
#define TABLORA_PDFGEMEINSAM_H

#include <QBuffer>
#include <QByteArray>
#include <QFont>
#include <QPainter>
#include <QPdfWriter>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>

// Fonts of both documents. "arial" is what the sheets were laid out for;
// fontconfig maps it to a metric-compatible face.
namespace PdfSchrift {
QFont ueberschrift();
QFont text();
QFont kopf();
QFont klein();
QFont fuss();
} // namespace PdfSchrift

// One A4 document drawn in the writer's device units (1200 dpi, measured from
// the top left corner of the printable area). It is drawn into memory; the
// caller stores the bytes, so a failed write never leaves half a file.
class PdfDokument
{
public:
    // Where a following page starts: the height of the first page's heading.
    static constexpr int folgeSeiteOben = 700;
    // Kept free at the bottom of every page, like the left margin.
    static constexpr int untererRand = 500;

    // quer: A4 landscape without margins (the medication plan's layout).
    explicit PdfDokument(bool quer = false);
    ~PdfDokument();
    PdfDokument(const PdfDokument &) = delete;
    PdfDokument &operator=(const PdfDokument &) = delete;

    QPainter &maler() { return m_maler; }
    int seiten() const { return m_seiten; }

    // Lowest y that drawn content may reach on a page.
    int unterkante() const;

    // Top of a row of the given height that would start at y: y itself when it
    // fits, otherwise the row moves to a new page below a repeated header row,
    // which `kopf` draws at the top y it is given.
    int zeilePlatz(int y, int hoehe, int kopfHoehe, const std::function<void(int)> &kopf);

    // Footer 1000 below the top of the last row; on a new page when it would
    // not fit below that row any more.
    void fusszeile(int letzteZeileOben, const QString &text);

    // Outline of a cell and its text in the same rectangle.
    void zelle(const QRect &rechteck, int ausrichtung, const QString &text);
    // The same, centred; a text too wide for its cell gets a smaller font
    // instead of losing digits at both edges.
    void zelleEingepasst(const QRect &rechteck, const QString &text);

    // Every page's bottom line, in the bottom margin: the patient and
    // `muster` ("page %1 of %2") with the page's number and `gesamt`.
    void seitenZeile(const QString &patient, const QString &muster, int gesamt);

    // Ends the painter; the finished document.
    QByteArray beenden();

    void neueSeite();
    void seitenZeileZeichnen();
    QString m_patient, m_muster;
    int m_gesamt = 0;

private:
    QByteArray m_daten;
    QBuffer m_puffer;
    std::unique_ptr<QPdfWriter> m_schreiber;
    QPainter m_maler;
    int m_seiten = 1;
};

#endif
