#include "paint/DtlWin.h"

#include <QMouseEvent>
#include <QVariant>
#include <QPainter>
#include <QPaintEngine>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "paint/PixelOps.h"
#include "platform/Cursors.h"

namespace orb {

namespace {
TDetailWindow* current = nullptr;

QSize DeviceSize(QSize logical, qreal dpr) {
    return QSize(int(std::ceil(logical.width() * dpr)), int(std::ceil(logical.height() * dpr)));
}
}  // namespace

TDetailWindow* DetailWindow() { return current; }

TDetailWindow::TDetailWindow(QWidget* parent, TPaintSession& session)
    : QWidget(parent), session_(session) {
    setObjectName("DetailWindow");
    setWindowTitle("Detail-window");
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    setMouseTracking(false);
    session_.SetViewSize(size());
    SetCursorNumber(this, session_.Tool());
    connect(&session_, &TPaintSession::changed, this, [this] { Paint(); });
    connect(&session_, &TPaintSession::viewChanged, this, [this] { Paint(); });
    connect(&session_, &TPaintSession::bandChanged, this, [this] { update(); });
    connect(&session_, &TPaintSession::toolChanged, this,
            [this](int cursor) { SetCursorNumber(this, cursor); });
    current = this;
}

TDetailWindow::~TDetailWindow() {
    if (current == this) current = nullptr;
}

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
    if (session_.HasPicture())
        StretchIntoEllipse(FBuffer, DevicePictureRect(dpr), session_.Picture());
}

void TDetailWindow::Paint() {
    session_.SetViewSize(size());  // a hidden window gets its resize event only when shown
    Compose(dpr_ > 0 ? dpr_ : devicePixelRatioF());
    repaint();
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
    if (HasRoundOpening()) {
        p.drawImage(QPointF(0, 0), ThroughOpening());
        // The rim covers the opening's blended edge, so no seam shows between them.
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(rimColour_, rim_));
        p.setBrush(Qt::NoBrush);
        const double h = rim_ / 2;
        p.drawEllipse(QRectF(rect()).adjusted(h, h, -h, -h));
        p.setRenderHint(QPainter::Antialiasing, false);
    } else {
        p.drawImage(QPointF(0, 0), FBuffer);
    }
    if (const auto band = session_.Band()) {
        // The band inverts what lies below it, so it shows on any colour.
        p.setCompositionMode(QPainter::RasterOp_NotDestination);
        p.setPen(QPen(Qt::white, 1, Qt::DashDotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(*band);
    }
}

void TDetailWindow::SetRoundOpening(double rimWidth, const QColor& rimColour) {
    rim_ = rimWidth;
    rimColour_ = rimColour;
    // Outside the opening the window is see-through, so what lies below is painted first.
    setAttribute(Qt::WA_OpaquePaintEvent, rimWidth < 0);
    FOpening = QImage();
    update();
}

QImage TDetailWindow::ThroughOpening() {
    const qreal dpr = FBuffer.devicePixelRatio();
    const QPair<QSize, double> key(FBuffer.size(), rim_ * dpr);
    if (FOpening.isNull() || openingFor_ != key) {
        // Drawn in device pixels, so its edge is as fine as the screen.
        FOpening = QImage(FBuffer.size(), QImage::Format_ARGB32_Premultiplied);
        FOpening.fill(Qt::transparent);
        QPainter m(&FOpening);
        m.setRenderHint(QPainter::Antialiasing, true);
        m.setPen(Qt::NoPen);
        m.setBrush(Qt::white);
        const double in = rim_ / 2 * dpr;  // the middle of the rim
        m.drawEllipse(QRectF(QPointF(0, 0), QSizeF(size()) * dpr).adjusted(in, in, -in, -in));
        openingFor_ = key;
    }
    QImage out = FBuffer.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    out.setDevicePixelRatio(1);
    {
        QPainter c(&out);
        c.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        c.drawImage(0, 0, FOpening);
    }
    out.setDevicePixelRatio(dpr);
    return out;
}

void TDetailWindow::resizeEvent(QResizeEvent*) {
    session_.SetViewSize(size());
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
    if (!session_.HasPicture()) return;
    session_.Wheel(e->angleDelta().y(), e->position().toPoint());
    e->accept();
}

TDetailWindow* ShowDetailWindow(QWidget* panel, TPaintSession& session) {
    if (TDetailWindow* w = DetailWindow(); w && &w->Session() == &session) {
        if (w->isMinimized()) w->showNormal();
        w->show();
        return w;
    }
    auto* w = new TDetailWindow(panel, session);
    w->setGeometry(panel->rect());
    if (const QVariant rim = panel->property("OpeningRim"); rim.isValid())
        w->SetRoundOpening(rim.toDouble(), panel->property("OpeningRimColour").value<QColor>());
    session.SetViewSize(w->size());
    session.SetView({1000, 0, 0});
    w->show();
    return w;
}

}  // namespace orb
