#pragma once
// Shared pieces of the skinned user interface: the hover base of the round buttons,
// the shared palettes for displays of 8 bits or fewer, numbered cursors, palette-aware
// picture drawing, the size class and window scaling.
#include <QCursor>
#include <QGraphicsEffect>
#include <QImage>
#include <QVector>
#include <QWidget>
#include <functional>
#include <optional>

class QPainter;

namespace orb {

// ---- Hover base ----------------------------------------------------------------------

// A lightweight control that reports the mouse entering and leaving its rectangle.
class TGraphicHoverControl : public QWidget {
    Q_OBJECT
public:
    explicit TGraphicHoverControl(QWidget* parent = nullptr);

    std::function<void(QObject* sender)> OnMouseIn;
    std::function<void(QObject* sender)> OnMouseOut;

    virtual void MouseIn();
    virtual void MouseOut();

protected:
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
};

// ---- Shared palettes -----------------------------------------------------------------

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
    QVector<quint8> lut_;  // 32x32x32 cube of palette indices
};

// ---- Cursors -------------------------------------------------------------------------

// Numbered cursors: -19/-20 the two hand cursors, -23..-31 the tool cursors.
void RegisterCursor(int number, const QCursor& cursor);
QCursor CursorFor(int number);
// Loads ":/cursors/<name>.png" with its hot spot; an arrow when the resource is missing.
QCursor LoadResourceCursor(const QString& name);
// Number of the cursor set on w with SetCursorNumber (0 = default).
int CursorNumber(const QWidget* w);
void SetCursorNumber(QWidget* w, int number);

// A PNG of the program's resources; naming the format skips probing the image plug-ins.
QImage ResourcePng(const QString& path);

// ---- Drawing helpers -----------------------------------------------------------------

// Draws the picture at full size at (x, y); nothing for a null painter or empty picture.
void DrawBitmapAt(QPainter* canvas, int x, int y, const QImage& picture);
// Draws the picture into the rectangle (left, top, right, bottom).
void StretchBitmapInto(QPainter* canvas, const QRect& r, const QImage& picture);

// ---- Size class ----------------------------------------------------------------------

enum class SizeClass { Small, Medium, Large };

// The size class for a screen; nullopt when the screen is below the minimum.
std::optional<SizeClass> ChooseSizeClass(int screenWidth, int screenHeight);
SizeClass CurrentSizeClass();
void SetCurrentSizeClass(SizeClass c);
// Scale numerator/denominator of a size class: 1/1, 5/4, 8/5.
int SizeClassNum(SizeClass c);
int SizeClassDen(SizeClass c);
// "s", "m" or "l": the folder of size-dependent resources.
const char* SizeClassKey(SizeClass c);

// Rounded v * m / d (as the classic MulDiv: halves away from zero).
int MulDiv(int v, int m, int d);
// Scales the widget's children (positions, sizes, fonts) by m/d, recursively.
void ScaleChildren(QWidget* w, int m, int d);

}  // namespace orb
