#pragma once
// TBackground: pen, brush, picture and draw style of a page background.
#include <QBrush>
#include <QImage>
#include <QPen>
#include <functional>

class QPainter;

namespace orb {

enum class TImageDrawStyle { idsAlongside, idsCenter, idsHide, idsStretch, idsTopLeft };

class TBackground;
// Draws a background over a w x h area: the picture by its draw style, then the pen and
// brush rectangle.
void DrawBackground(QPainter& p, const TBackground& bk, int w, int h);

class TBackground {
public:
    TBackground();

    const QPen& Pen() const { return pen_; }
    const QBrush& Brush() const { return brush_; }
    const QImage& Image() const { return image_; }
    TImageDrawStyle ImageDrawStyle() const { return style_; }

    void SetPen(const QPen& p);
    void SetBrush(const QBrush& b);
    void SetImage(const QImage& img);
    void SetImageDrawStyle(TImageDrawStyle s);
    // Copies pen, brush, image and style.
    void Assign(const TBackground& other);

    // Fired when the draw style changes.
    std::function<void()> OnChange;
    // Fired on any change of pen, brush, image or style (the owning control repaints).
    std::function<void()> OnAnyChange;

private:
    void Changed();
    QPen pen_;
    QBrush brush_;
    QImage image_;
    TImageDrawStyle style_ = TImageDrawStyle::idsAlongside;
};

}  // namespace orb
