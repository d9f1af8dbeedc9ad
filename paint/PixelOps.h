#pragma once
// Pixel-exact picture work of the painting window, kept apart from widgets so tests and
// benchmarks drive it directly. Pictures are QImage::Format_RGB32 (0xffRRGGBB).
#include <QImage>
#include <QPoint>
#include <QRect>
#include <cstddef>
#include <vector>

namespace orb {

// One horizontal run of a region: row y, columns x1..x2 inclusive.
struct Span {
    int y, x1, x2;
};

// How many spans the scanline search may take before the region is found by labelling the
// picture's rows instead. kAutoSpans chooses from the picture's size; 0 labels at once; a
// budget of SIZE_MAX never switches. The result does not depend on it, only the time.
inline constexpr std::size_t kAutoSpans = static_cast<std::size_t>(-2);

// The 4-connected region of exactly the seed pixel's colour, as spans (each pixel once).
// Empty when the seed lies outside the picture.
std::vector<Span> FloodRegion(const QImage& img, QPoint seed, std::size_t spanBudget = kAutoSpans);

// Fill styles by the fill-style list's index (0..6).
enum class FillStyle { Solid, Horizontal, Vertical, FDiagonal, BDiagonal, Cross, DiagCross };
FillStyle FillStyleFromIndex(int index);  // out of range (or -1, no selection) gives Solid

// Whether the style's 8x8 hatch, aligned to the picture's grid, covers pixel (x, y).
// Lines: horizontal y = 0 mod 8; vertical x = 0 mod 8; FDiagonal "\" x - y = 0 mod 8;
// BDiagonal "/" x + y = 7 mod 8; Cross and DiagCross the union of their two.
bool HatchCovers(FillStyle s, int x, int y);

// Paints the spans with the colour (made opaque); hatched styles paint only their lines.
// Spans reaching off the picture are clipped.
void PaintSpans(QImage& img, const std::vector<Span>& spans, QRgb colour, FillStyle style);

// The fill tool: PaintSpans(img, FloodRegion(img, seed), colour, style) with the same result,
// painting each run as it is found. A seed outside the picture changes nothing.
void FloodFill(QImage& img, QPoint seed, QRgb colour, FillStyle style,
               std::size_t spanBudget = kAutoSpans);

// Pen raster mode by the fill-style list's index: 0 P, 1 D, 2 not D, 3 not P,
// 4 P or not D, 5 P and not D, 6 not P or D (bitwise on 24-bit pixel values); any other
// index is P. The result is the 24-bit value, without alpha.
quint32 PenRasterPixel(int index, quint32 pen, quint32 dst);

// Draws a pen line segment as the classic wide pen does: width 1..100 picture pixels,
// round ends, solid; the raster mode applied once per covered pixel of this segment.
// Pixels outside the picture are clipped. Width 1 is a one-pixel line without its end point;
// wider pens cover the pixels whose centres lie within width/2 of the segment, which runs
// through the end pixels' centres for odd widths and their top-left corners for even widths.
// Widths outside 1..100 are taken as the nearest of them.
void DrawPenLine(QImage& img, QPoint from, QPoint to, int width, QRgb colour, int rasterIndex);

// Nearest-neighbour stretch of the whole of src into rect of dst (rows and columns dropped
// or repeated, no blending), clipped to the ellipse inscribed in rect and to dst. Pixels
// outside the ellipse are left as they are. Cost follows the destination's pixels.
// A pixel is inside when its centre is inside or on the ellipse; destination (x, y) shows
// source ((x - left) * srcW / width, (y - top) * srcH / height).
void StretchIntoEllipse(QImage& dst, const QRect& rect, const QImage& src);

}  // namespace orb
