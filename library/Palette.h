#pragma once
// The shared palettes for displays of 8 bits or fewer, mapping pictures onto them, and
// palette-aware picture drawing. Shared by the painting code and the shell.
#include <QGraphicsEffect>
#include <QImage>
#include <QRect>
#include <QVector>

class QPainter;

namespace orb {

using Palette = QVector<QRgb>;

// Builds the two palettes from the bitmap resources "PAL16" and "PAL256".
void LoadPalettes();
void FreePalettes();
// The palette for the display now: 16 colours at 7 bits or fewer, 256 at 8, none above.
const Palette* GetSharedPalette();
// The colour table of a Windows BMP held in memory (colour count from the used-colours
// field, else 2^bits); empty when the data is not a paletted BMP.
Palette ReadBmpColorTable(const QByteArray& bmp);
// Index of the palette entry nearest to c (squared RGB distance); -1 for an empty palette.
int NearestPaletteIndex(const Palette& pal, QRgb c);
// The picture with every pixel replaced by its nearest palette colour (true colour result).
QImage MapToPalette(const QImage& img, const Palette& pal);

// Emulates a palette display: everything under the widget is shown in the palette's colours.
class PaletteDisplayEffect : public QGraphicsEffect {
    Q_OBJECT
public:
    explicit PaletteDisplayEffect(Palette pal, QObject* parent = nullptr);

protected:
    void draw(QPainter* painter) override;

private:
    Palette pal_;
};

// Draws the picture at full size at (x, y); nothing for a null painter or empty picture.
void DrawBitmapAt(QPainter* canvas, int x, int y, const QImage& picture);
// Draws the picture into the rectangle (left, top, right, bottom).
void StretchBitmapInto(QPainter* canvas, const QRect& r, const QImage& picture);

}  // namespace orb
