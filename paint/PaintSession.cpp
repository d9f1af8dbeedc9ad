#include "paint/PaintSession.h"

#include <cstdlib>

#include "paint/Tools.h"
#include "platform/Numbers.h"

namespace orb {

TPaintSession::TPaintSession(QObject* parent) : QObject(parent) {}

TPaintSession::~TPaintSession() = default;

void TPaintSession::LoadPicture(const QImage& picture) {
    doc_.LoadFromPicture(picture);
    FZoom = 1000;
    FOffsetX = FOffsetY = 0;
    emit changed(picture.rect());
    emit viewChanged();
}

bool TPaintSession::Undo() {
    if (!doc_.Undo()) return false;
    emit changed(doc_.Picture().rect());
    return true;
}

void TPaintSession::MarkChanged() { doc_.MarkChanged(); }

void TPaintSession::MarkSaved() { doc_.MarkSaved(); }

void TPaintSession::Touched(QRect area) {
    doc_.MarkChanged();
    emit changed(area.isEmpty() ? doc_.Picture().rect() : area);
}

void TPaintSession::SetViewSize(QSize size) { viewSize_ = size; }

QRect TPaintSession::PictureRect() const {
    return PictureRectFor(viewSize_, doc_.Picture().size(), FZoom, FOffsetX, FOffsetY);
}

QPoint TPaintSession::ScreenToPicture(QPoint p) const {
    return ScreenToPictureFor(p, PictureRect(), FZoom);
}

void TPaintSession::SetZoom(int zoom) { SetView({zoom, FOffsetX, FOffsetY}); }

void TPaintSession::SetView(const ViewState& v) {
    FZoom = v.zoom;
    FOffsetX = v.offsetX;
    FOffsetY = v.offsetY;
    emit viewChanged();
}

void TPaintSession::Pan(int dx, int dy) { SetView({FZoom, FOffsetX + dx, FOffsetY + dy}); }

void TPaintSession::ZoomAround(QPoint at, bool in) {
    const int z = FZoom, nz = in ? ZoomInStep(z) : ZoomOutStep(z);
    if (nz == z) return;
    // The picture position under the point, in picture pixels (fractional), stays put.
    const QRect r = PictureRect();
    const double px = (double(at.x()) - r.left()) * 1000.0 / z;
    const double py = (double(at.y()) - r.top()) * 1000.0 / z;
    const QRect nr = PictureRectFor(viewSize_, doc_.Picture().size(), nz, 0, 0);
    SetView({nz, Round(at.x() - px * nz / 1000.0) - nr.left(),
             Round(at.y() - py * nz / 1000.0) - nr.top()});
}

void TPaintSession::Wheel(int delta, QPoint at) {
    if (!doc_.HasPicture()) return;
    wheelDelta_ += delta;
    while (std::abs(wheelDelta_) >= 120) {
        ZoomAround(at, wheelDelta_ > 0);
        wheelDelta_ += wheelDelta_ > 0 ? -120 : 120;
    }
    emit statusChanged();
}

void TPaintSession::SetBand(const QRect& r) {
    band_ = r;
    emit bandChanged();
}

void TPaintSession::ClearBand() {
    band_.reset();
    emit bandChanged();
}

void TPaintSession::SetTool(int cursor) {
    if (cursor != tool_ || !active_) {
        const TToolEntry* e = ToolByCursor(cursor);
        active_ = e ? e->make() : nullptr;
    }
    tool_ = cursor;
    emit toolChanged(cursor);
}

TToolPoint TPaintSession::PointAt(QPoint window) const { return {window, ScreenToPicture(window)}; }

void TPaintSession::Press(Qt::MouseButton button, QPoint at) {
    if (button == Qt::LeftButton && active_) active_->Press(*this, PointAt(at));
}

void TPaintSession::Move(Qt::MouseButtons buttons, QPoint at) {
    if ((buttons & Qt::LeftButton) && active_) active_->Move(*this, PointAt(at));
}

void TPaintSession::Release(Qt::MouseButton button, QPoint at) {
    if (button == Qt::LeftButton && active_) active_->Release(*this, PointAt(at));
    emit statusChanged();
}

void TPaintSession::PickColour(const QColor& c) {
    colour_ = c;
    emit colourPicked(c);
}

}  // namespace orb
