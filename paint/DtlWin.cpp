#include "paint/DtlWin.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPaintEngine>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "paint/PixelOps.h"
#include "paint/Tools.h"
#include "paint/ViewGeometry.h"
#include "platform/Cursors.h"
#include "platform/Numbers.h"

namespace orb {

TDetailWindow* DetailWindow = nullptr;
bool DetailWindowAlive = false;

TDetailWindow::TDetailWindow(QWidget* parent) : QWidget(parent) {
    setObjectName("DetailWindow");
    setWindowTitle("Detail-window");
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    setMouseTracking(false);
    DetailWindowAlive = true;
    DetailWindow = this;
}

TDetailWindow::~TDetailWindow() {
    DetailWindowAlive = false;
    if (DetailWindow == this) DetailWindow = nullptr;
}

QRect TDetailWindow::PictureRect() const {
    return PictureRectFor(size(), FPicture.size(), FZoom, FOffsetX, FOffsetY);
}

QPoint TDetailWindow::ScreenToPicture(QPoint p) const {
    return ScreenToPictureFor(p, PictureRect(), FZoom);
}

int TDetailWindow::Tool() const { return CursorNumber(this); }

QRect TDetailWindow::DevicePictureRect(qreal dpr) const {
    const QRect r = PictureRect();
    // Kept well inside int: far-off edges only need to stay off the window.
    auto scaled = [dpr](int v) {
        const double d = std::floor(double(v) * dpr + 0.5), lim = 1 << 29;
        return int(std::clamp(d, -lim, lim));
    };
    const int l = scaled(r.left()), t = scaled(r.top());
    return QRect(l, t, scaled(r.left() + r.width()) - l, scaled(r.top() + r.height()) - t);
}

namespace {
QSize DeviceSize(QSize logical, qreal dpr) {
    return QSize(int(std::ceil(logical.width() * dpr)), int(std::ceil(logical.height() * dpr)));
}
}  // namespace

// The picture is stretched straight into device pixels: at a ratio of 2 a picture shown
// smaller than its own size keeps the detail that a logical-sized buffer would throw away,
// and the round opening's edge is as fine as the screen.
void TDetailWindow::Compose(qreal dpr) {
    if (dpr <= 0) dpr = 1;
    const QSize want = DeviceSize(size(), dpr);
    if (FBuffer.size() != want || FBuffer.format() != QImage::Format_RGB32)
        FBuffer = QImage(want, QImage::Format_RGB32);
    FBuffer.setDevicePixelRatio(dpr);
    FBuffer.fill(Qt::black);
    if (doc_.HasPicture()) StretchIntoEllipse(FBuffer, DevicePictureRect(dpr), FPicture);
}

void TDetailWindow::Paint() {
    Compose(dpr_ > 0 ? dpr_ : devicePixelRatioF());
    repaint();
}

void TDetailWindow::SaveUndo() { doc_.SaveUndo(); }

void TDetailWindow::Undo() {
    if (doc_.Undo()) Paint();
}

void TDetailWindow::LoadPicture(const QImage& picture) {
    doc_.LoadFromPicture(picture);
    FZoom = 1000;
    FOffsetX = FOffsetY = 0;
    Paint();
}

void TDetailWindow::Pan(int dx, int dy) {
    FOffsetX += dx;
    FOffsetY += dy;
    Paint();
}

void TDetailWindow::ZoomAround(QPoint at, bool in) {
    const int z = FZoom, nz = in ? ZoomInStep(z) : ZoomOutStep(z);
    if (nz == z) return;
    // The picture position under the point, in picture pixels (fractional), stays put.
    const QRect r = PictureRect();
    const double px = (double(at.x()) - r.left()) * 1000.0 / z;
    const double py = (double(at.y()) - r.top()) * 1000.0 / z;
    const QRect nr = PictureRectFor(size(), FPicture.size(), nz, 0, 0);
    FZoom = nz;
    FOffsetX = Round(at.x() - px * nz / 1000.0) - nr.left();
    FOffsetY = Round(at.y() - py * nz / 1000.0) - nr.top();
    Paint();
}

void TDetailWindow::SetBand(const QRect& r) {
    band_ = r;
    update();
}

void TDetailWindow::ClearBand() {
    band_.reset();
    update();
}

void TDetailWindow::FormMouseDown(Qt::MouseButton button, QPoint p) {
    if (button != Qt::LeftButton) return;
    if (const TToolEntry* t = ToolByCursor(Tool())) t->tool->Press(*this, {p, ScreenToPicture(p)});
}

void TDetailWindow::FormMouseMove(Qt::MouseButtons buttons, QPoint p) {
    if (!(buttons & Qt::LeftButton)) return;
    if (const TToolEntry* t = ToolByCursor(Tool())) t->tool->Move(*this, {p, ScreenToPicture(p)});
}

void TDetailWindow::FormMouseUp(Qt::MouseButton button, QPoint p) {
    if (button == Qt::LeftButton)
        if (const TToolEntry* t = ToolByCursor(Tool()))
            t->tool->Release(*this, {p, ScreenToPicture(p)});
    if (Host) Host->AfterMouseUp();
}

void TDetailWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // The surface really painted on: the screen's backing store, or an image of any
    // ratio when the window is rendered for a screenshot.
    const QPaintDevice* target = p.paintEngine() ? p.paintEngine()->paintDevice() : nullptr;
    const qreal dpr = target ? target->devicePixelRatioF() : devicePixelRatioF();
    if (dpr != dpr_ || FBuffer.size() != DeviceSize(size(), dpr) ||
        FBuffer.devicePixelRatio() != dpr) {
        dpr_ = dpr;
        Compose(dpr);
    }
    p.drawImage(QPointF(0, 0), FBuffer);
    if (band_) {
        // The band inverts what lies below it, so it shows on any colour.
        p.setCompositionMode(QPainter::RasterOp_NotDestination);
        p.setPen(QPen(Qt::white, 1, Qt::DashDotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(*band_);
    }
}

void TDetailWindow::resizeEvent(QResizeEvent*) {
    FBuffer = QImage();
    update();
}

void TDetailWindow::mousePressEvent(QMouseEvent* e) {
    FormMouseDown(e->button(), e->position().toPoint());
}
void TDetailWindow::mouseMoveEvent(QMouseEvent* e) {
    FormMouseMove(e->buttons(), e->position().toPoint());
}
void TDetailWindow::mouseReleaseEvent(QMouseEvent* e) {
    FormMouseUp(e->button(), e->position().toPoint());
}

void TDetailWindow::wheelEvent(QWheelEvent* e) {
    if (!doc_.HasPicture()) return;
    // One step per notch; touch pads send smaller deltas that add up.
    wheelDelta_ += e->angleDelta().y();
    while (std::abs(wheelDelta_) >= 120) {
        ZoomAround(e->position().toPoint(), wheelDelta_ > 0);
        wheelDelta_ += wheelDelta_ > 0 ? -120 : 120;
    }
    if (Host) Host->AfterMouseUp();
    e->accept();
}

void ShowDetailWindow(QWidget* panel, TDetailHost* host) {
    if (DetailWindowAlive) {
        if (DetailWindow->isMinimized()) DetailWindow->showNormal();
        DetailWindow->show();
        return;
    }
    auto* w = new TDetailWindow(panel);
    w->Host = host;
    w->setGeometry(panel->rect());
    w->FStartX = w->FStartY = w->FOffsetX = w->FOffsetY = 0;
    w->FZoom = 1000;
    w->show();
}

}  // namespace orb
