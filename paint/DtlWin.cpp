#include "paint/DtlWin.h"

#include <QPainter>
#include <QPainterPath>

#include "platform/Numbers.h"

namespace orb {

TDetailWindow* DetailWindow = nullptr;
bool DetailWindowAlive = false;

TDetailWindow::TDetailWindow(QWidget* parent) : QWidget(parent) {
    setObjectName("DetailWindow");
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    setAutoFillBackground(false);
    DetailWindowAlive = true;
    DetailWindow = this;
}

TDetailWindow::~TDetailWindow() {
    DetailWindowAlive = false;
    if (DetailWindow == this) DetailWindow = nullptr;
}

QRect TDetailWindow::PictureRect() const {
    const double w = double(FPicture.width()) * FZoom / 1000.0;
    const double h = double(FPicture.height()) * FZoom / 1000.0;
    const double left = (width() - w) / 2.0 + FOffsetX;
    const double top = (height() - h) / 2.0 + FOffsetY;
    return QRect(Round(left), Round(top), Round(w), Round(h));
}

void TDetailWindow::Paint() {
    if (FBuffer.size() != size()) FBuffer = QImage(size(), QImage::Format_RGB32);
    FBuffer.fill(Qt::black);
    if (!FPicture.isNull()) {
        QPainter p(&FBuffer);
        const QRect r = PictureRect();
        QPainterPath clip;
        clip.addEllipse(r);
        p.setClipPath(clip);
        p.setRenderHint(QPainter::SmoothPixmapTransform, false);
        p.drawImage(r, FPicture);
    }
    update();
}

void TDetailWindow::paintEvent(QPaintEvent*) {
    if (FBuffer.size() != size()) Paint();
    QPainter p(this);
    p.drawImage(0, 0, FBuffer);
}

void TDetailWindow::resizeEvent(QResizeEvent*) { Paint(); }

void ShowDetailWindow(QWidget* panel) {
    if (DetailWindowAlive) {
        DetailWindow->show();
        return;
    }
    auto* w = new TDetailWindow(panel);
    w->setGeometry(panel->rect());
    w->FStartX = w->FStartY = w->FOffsetX = w->FOffsetY = 0;
    w->FZoom = 1000;
    w->show();
}

}  // namespace orb
