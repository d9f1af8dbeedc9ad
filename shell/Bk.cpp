#include "shell/Bk.h"

#include <QMouseEvent>
#include <QPainter>

#include "shell/Basics.h"

namespace orb {

TBkControl::TBkControl(QWidget* parent) : QWidget(parent) {
    resize(100, 100);
    setMouseTracking(true);
    bk_.OnAnyChange = [this] { update(); };
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
    // outline on the outer pixels, the fill inside.
    p.setPen(bk.Pen());
    p.setBrush(bk.Brush());
    if (bk.Pen().style() == Qt::NoPen)
        p.drawRect(0, 0, w, h);
    else
        p.drawRect(0, 0, w - 1, h - 1);
}

void TBkControl::PaintTo(QPainter& p) {
    if (painting_) return;
    painting_ = true;
    DrawBackground(p, bk_, width(), height());
    painting_ = false;
}

void TBkControl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    PaintTo(p);
}

void TBkControl::mousePressEvent(QMouseEvent* e) {
    if (OnMouseDown) OnMouseDown(e);
}
void TBkControl::mouseMoveEvent(QMouseEvent* e) {
    if (OnMouseMove) OnMouseMove(e);
}
void TBkControl::mouseReleaseEvent(QMouseEvent* e) {
    if (OnMouseUp) OnMouseUp(e);
}

}  // namespace orb
