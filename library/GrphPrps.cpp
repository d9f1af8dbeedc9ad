#include "library/GrphPrps.h"

#include <QPainter>

#include "library/Palette.h"

namespace orb {

TBackground::TBackground() : pen_(Qt::black), brush_(Qt::white, Qt::SolidPattern) {}

void TBackground::Changed() {
    if (OnAnyChange) OnAnyChange();
}

void TBackground::SetPen(const QPen& p) {
    pen_ = p;
    Changed();
}

void TBackground::SetBrush(const QBrush& b) {
    brush_ = b;
    Changed();
}

void TBackground::SetImage(const QImage& img) {
    image_ = img;
    Changed();
}

void TBackground::SetImageDrawStyle(TImageDrawStyle s) {
    if (s == style_) return;
    style_ = s;
    if (OnChange) OnChange();
    Changed();
}

void TBackground::Assign(const TBackground& other) {
    pen_ = other.pen_;
    brush_ = other.brush_;
    image_ = other.image_;
    const bool styleChanged = style_ != other.style_;
    style_ = other.style_;
    if (styleChanged && OnChange) OnChange();
    Changed();
}

void DrawBackground(QPainter& p, const TBackground& bk, int w, int h) {
    const QImage& img = bk.Image();
    if (!img.isNull()) {
        switch (bk.ImageDrawStyle()) {
            case TImageDrawStyle::idsAlongside:
                for (int y = 0; y < h; y += img.height())
                    for (int x = 0; x < w; x += img.width()) DrawBitmapAt(&p, x, y, img);
                break;
            case TImageDrawStyle::idsCenter:
                DrawBitmapAt(&p, (w - img.width()) / 2, (h - img.height()) / 2, img);
                break;
            case TImageDrawStyle::idsStretch:
                StretchBitmapInto(&p, QRect(QPoint(0, 0), QPoint(w - 1, h - 1)), img);
                break;
            case TImageDrawStyle::idsTopLeft:
                DrawBitmapAt(&p, 0, 0, img);
                break;
            case TImageDrawStyle::idsHide:
                break;
        }
    }
    // The rectangle over the whole area, as the classic Rectangle call draws it: the
    // outline on the outer pixels, the fill inside. The outline is centred half a pixel in
    // so it covers whole logical pixels at any device pixel ratio; an integer rectangle
    // would lose the last device row and column and draw uneven edges at a ratio of 2.
    p.setBrush(bk.Brush());
    if (bk.Pen().style() == Qt::NoPen) {
        p.setPen(Qt::NoPen);
        p.drawRect(0, 0, w, h);
    } else {
        QPen pen = bk.Pen();
        if (pen.widthF() <= 0) pen.setWidth(1);  // a hairline is one logical pixel too
        pen.setJoinStyle(Qt::MiterJoin);
        p.setPen(pen);
        p.drawRect(QRectF(0.5, 0.5, w - 1, h - 1));
    }
}

}  // namespace orb
