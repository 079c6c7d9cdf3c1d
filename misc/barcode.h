// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TABLORA_BARCODE_H
#define TABLORA_BARCODE_H

#include "planfile/bmp.h"

#include <QByteArray>
#include <QImage>
#include <QList>

// More pixels than a 600 dpi scan of an A4 page or a phone's photo hold are
// refused before they are decoded.
constexpr qint64 groessteBildpunkte = 50'000'000;

// Resolution PDF pages are rendered at for decoding: a BMP's Data Matrix
// modules are a quarter of a millimetre, some three pixels here.
constexpr double pdfAufloesung = 300.0;

// The contents of every Data Matrix and QR code in the image, as the bytes
// the code holds (a BMP's are ISO-8859-1), in the order found.
QList<QByteArray> barcodesLesen(const QImage &bild);

struct BarcodeFund
{
    enum class Fehler { Keiner, KeinBild, ZuGross, KeinCode };
    Fehler fehler = Fehler::KeinCode;
    QList<QByteArray> inhalte;
};

// The codes in a PNG or JPEG image or on the pages of a PDF document, given
// as the file's bytes.
BarcodeFund barcodesInDatei(const QByteArray &datei);

// The medication plan on the codes of the given files (their bytes), the
// pages of one print merged. The first file that is no picture or holds no
// code stops it; codes that are no plan (a web address, say) are passed over.
struct PlanFund
{
    BarcodeFund::Fehler bild = BarcodeFund::Fehler::Keiner;
    BmpErgebnis plan;
};
PlanFund planInDateien(const QList<QByteArray> &dateien);

// A Data Matrix (ECC 200) of the bytes, one pixel per module, black on
// white, without quiet zone; a null image when they do not fit one symbol.
QImage dataMatrix(const QByteArray &bytes);

#endif
