// SPDX-License-Identifier: GPL-3.0-or-later
// Poppler's Qt 5 headers still name QLinkedList, which the build's ban on
// deprecated interfaces hides; this file alone may see it.
#if defined(QT_DISABLE_DEPRECATED_BEFORE) && QT_DISABLE_DEPRECATED_BEFORE == 0x050F00
#undef QT_DISABLE_DEPRECATED_BEFORE
#define QT_DISABLE_DEPRECATED_BEFORE 0x050E00
#endif

#include "misc/barcode.h"

#include <QBuffer>
#include <QImageReader>

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>
#include <ZXing/ReadBarcode.h>

#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
#include <poppler-qt6.h>
#else
#include <poppler-qt5.h>
#endif

#include <cmath>
#include <memory>
#include <stdexcept>

namespace {

// Pages of a PDF document looked at: a BMP has at most three.
constexpr int groessteSeitenzahl = 10;

bool istPdf(const QByteArray &datei)
{
    return datei.left(1024).contains("%PDF-");
}

BarcodeFund pdfLesen(const QByteArray &datei)
{
    BarcodeFund fund;
    fund.fehler = BarcodeFund::Fehler::KeinBild;
    const std::unique_ptr<Poppler::Document> dokument(Poppler::Document::loadFromData(datei));
    if (!dokument || dokument->isLocked())
        return fund;
    dokument->setRenderHint(Poppler::Document::Antialiasing, false);
    dokument->setRenderHint(Poppler::Document::TextAntialiasing, false);
    fund.fehler = BarcodeFund::Fehler::KeinCode;
    const int seiten = qMin(dokument->numPages(), groessteSeitenzahl);
    for (int i = 0; i < seiten; ++i) {
        const std::unique_ptr<Poppler::Page> seite(dokument->page(i));
        if (!seite)
            continue;
        // A page far larger than A4 is rendered coarser, within the same pixels.
        const QSizeF punkte = seite->pageSizeF();
        double dpi = pdfAufloesung;
        const double flaeche = punkte.width() / 72.0 * punkte.height() / 72.0;
        if (flaeche <= 0)
            continue;
        if (flaeche * dpi * dpi > double(groessteBildpunkte))
            dpi = std::sqrt(double(groessteBildpunkte) / flaeche);
        const QImage bild = seite->renderToImage(dpi, dpi);
        fund.inhalte += barcodesLesen(bild);
    }
    if (!fund.inhalte.isEmpty())
        fund.fehler = BarcodeFund::Fehler::Keiner;
    return fund;
}

} // namespace

QList<QByteArray> barcodesLesen(const QImage &bild)
{
    QList<QByteArray> inhalte;
    if (bild.isNull() || qint64(bild.width()) * bild.height() > groessteBildpunkte)
        return inhalte;
    const QImage grau = bild.convertToFormat(QImage::Format_Grayscale8);
    const int breite = grau.width(), hoehe = grau.height();
    const int zeile = int(grau.bytesPerLine());
    ZXing::DecodeHints hinweise;
    hinweise.setFormats(ZXing::BarcodeFormat::DataMatrix | ZXing::BarcodeFormat::QRCode);
    hinweise.setTryHarder(true);
    hinweise.setTryRotate(true);
    hinweise.setTryDownscale(true);
    const auto lesen = [&](int oben, int streifen) {
        const ZXing::ImageView ansicht(grau.constBits() + qint64(oben) * zeile, breite, streifen,
                                       ZXing::ImageFormat::Lum, zeile);
        for (const ZXing::Result &r : ZXing::ReadBarcodes(ansicht, hinweise)) {
            if (!r.isValid())
                continue;
            const auto &bytes = r.bytes();
            const QByteArray inhalt(reinterpret_cast<const char *>(bytes.data()), int(bytes.size()));
            if (!inhalte.contains(inhalt))
                inhalte.append(inhalt);
        }
    };
    lesen(0, hoehe);
    // zxing-cpp 1.4 finds a Data Matrix only where the middle row of the
    // picture crosses it, and a BMP's sits in a corner: strips of the page,
    // their middles a sixteenth of its height apart, from both ends inwards.
    // A symbol up to an eighth of the height tall lies whole in one of them.
    hinweise.setTryDownscale(false);
    const int schritt = qMax(16, hoehe / 16);
    QList<int> mitten;
    for (int oben = schritt, unten = hoehe - schritt; oben <= unten; oben += schritt, unten -= schritt) {
        mitten << oben;
        if (unten != oben)
            mitten << unten;
    }
    for (int mitte : mitten) {
        if (!inhalte.isEmpty())
            break;
        const int halb = qMin(qMin(mitte, hoehe - mitte), hoehe / 4);
        if (halb >= 8)
            lesen(mitte - halb, 2 * halb);
    }
    return inhalte;
}

BarcodeFund barcodesInDatei(const QByteArray &datei)
{
    if (istPdf(datei))
        return pdfLesen(datei);
    BarcodeFund fund;
    QBuffer puffer;
    puffer.setData(datei);
    puffer.open(QIODevice::ReadOnly);
    QImageReader leser(&puffer);
    leser.setAutoTransform(true); // a photo's own orientation
    // The size is in the header: a huge image is refused before it is unpacked.
    const QSize groesse = leser.size();
    if (!leser.canRead() || !groesse.isValid()) {
        fund.fehler = BarcodeFund::Fehler::KeinBild;
        return fund;
    }
    if (qint64(groesse.width()) * groesse.height() > groessteBildpunkte) {
        fund.fehler = BarcodeFund::Fehler::ZuGross;
        return fund;
    }
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    leser.setAllocationLimit(int(groessteBildpunkte * 4 / (1024 * 1024)) + 1);
#endif
    const QImage bild = leser.read();
    if (bild.isNull()) {
        fund.fehler = BarcodeFund::Fehler::KeinBild;
        return fund;
    }
    fund.inhalte = barcodesLesen(bild);
    fund.fehler = fund.inhalte.isEmpty() ? BarcodeFund::Fehler::KeinCode
                                         : BarcodeFund::Fehler::Keiner;
    return fund;
}

PlanFund planInDateien(const QList<QByteArray> &dateien)
{
    PlanFund fund;
    QList<BmpPlan> seiten;
    for (const QByteArray &datei : dateien) {
        const BarcodeFund codes = barcodesInDatei(datei);
        if (codes.fehler != BarcodeFund::Fehler::Keiner) {
            fund.bild = codes.fehler;
            return fund;
        }
        for (const QByteArray &inhalt : codes.inhalte) {
            const BmpErgebnis e = planCodeLesen(inhalt);
            if (e.ok()) {
                seiten.append(e.plan);
            } else if (e.fehler != BmpFehler::KeinPlan) {
                fund.plan = e;
                return fund;
            }
        }
    }
    fund.plan = seitenZusammenfuehren(seiten);
    return fund;
}

QImage dataMatrix(const QByteArray &bytes)
{
    // The Data Matrix encoder takes each character as one byte of ISO-8859-1.
    std::wstring zeichen;
    zeichen.reserve(size_t(bytes.size()));
    for (const char c : bytes)
        zeichen.push_back(wchar_t(static_cast<unsigned char>(c)));
    ZXing::BitMatrix matrix;
    try {
        matrix = ZXing::MultiFormatWriter(ZXing::BarcodeFormat::DataMatrix)
                     .setMargin(0)
                     .encode(zeichen, 0, 0);
    } catch (const std::exception &) {
        return QImage(); // more than a symbol holds
    }
    QImage bild(matrix.width(), matrix.height(), QImage::Format_Grayscale8);
    for (int y = 0; y < matrix.height(); ++y) {
        uchar *zeile = bild.scanLine(y);
        for (int x = 0; x < matrix.width(); ++x)
            zeile[x] = matrix.get(x, y) ? 0 : 255;
    }
    return bild;
}
