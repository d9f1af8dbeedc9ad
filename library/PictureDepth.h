#pragma once
// Colour-depth work for decoded pictures: the fixed palettes used when the display offers
// none, nearest-colour mapping, Floyd-Steinberg dithering and true-colour flattening.
//
// Pictures of 1, 4 or 8 bits are QImage::Format_Indexed8 whose colour table is the palette
// (2, up to 16 or up to 256 entries); true colour is QImage::Format_RGB32.
#include <QImage>
#include <QRgb>
#include <QVector>

namespace orb {

// The palette used for a depth when none is offered:
//  1 bit: black and white;
//  4 bits: the sixteen standard VGA colours, in their usual order;
//  8 bits: the VGA sixteen, a 6x6x6 colour cube (steps of 51) and a 24-step grey ramp,
//          256 entries in all.
const QVector<QRgb>& FixedPalette(int bits);

// Index of the palette entry nearest to c (squared RGB distance; the first wins a tie).
int NearestIndex(const QVector<QRgb>& palette, QRgb c);

// True colour (RGB32) copy of any picture; transparent parts are laid over white, as a
// bitmap has no transparency.
QImage ToTrueColour(const QImage& src);

// Indexed copy of src whose colour table is exactly `palette` (1 to 256 entries), each pixel
// the nearest entry, or with Floyd-Steinberg error diffusion when `dither` is set.
QImage MapToPalette(const QImage& src, const QVector<QRgb>& palette, bool dither);

// Indexed copy of a picture that uses at most `most` colours (colour table in order of
// first appearance); a null image when it uses more. Transparent pictures are refused.
QImage IndexExactly(const QImage& src, int most);

// Brings a decoded picture to the requested depth (0, 1, 4, 8 or 24 bits).
// `palette` comes in as the palette offered by the program (may be empty) and goes out as
// the picture's palette. 0 keeps the picture's own depth. For 1, 4 and 8 bits the offered
// palette is used when it fits the depth; otherwise a picture whose colours already fit
// keeps them, and anything else is reduced to FixedPalette(bits).
// Returns false for an unsupported depth.
bool ConvertToDepth(QImage& img, int bits, bool dither, QVector<QRgb>& palette);

// Number of bits per pixel a picture has as a bitmap: 1, 4 or 8 for an indexed picture
// (by its colour count), 24 otherwise; 0 for an empty picture.
int BitmapBits(const QImage& img);

}  // namespace orb
