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
