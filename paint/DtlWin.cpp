#include "paint/DtlWin.h"

#include <QMouseEvent>
#include <QPainter>

#include "paint/ColorModel.h"
#include "paint/PixelOps.h"
#include "paint/ViewGeometry.h"
#include "shell/Basics.h"

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

void TDetailWindow::Paint() {
    if (FBuffer.size() != size()) FBuffer = QImage(size(), QImage::Format_RGB32);
    FBuffer.fill(Qt::black);
    if (!FPicture.isNull() && FPicture.width() > 0 && FPicture.height() > 0)
        StretchIntoEllipse(FBuffer, PictureRect(), FPicture);
    repaint();
}

void TDetailWindow::SaveUndo() {
    if (FPicture.isNull()) {
        FUndoPicture = QImage();
        return;
    }
    FUndoPicture = FPicture.copy();
}

void TDetailWindow::Undo() {
    if (!FChanged || FUndoPicture.isNull() || FUndoPicture.size() != FPicture.size()) return;
    FPicture = FUndoPicture;
    FUndoPicture = QImage();
    Paint();
}

void TDetailWindow::FormMouseDown(Qt::MouseButton button, QPoint p) {
    if (button != Qt::LeftButton) return;
    switch (Tool()) {
        case -30: {  // pen: the stroke starts; nothing is drawn yet
            SaveUndo();
            const QPoint q = ScreenToPicture(p);
            FStartX = FEndX = q.x();
            FStartY = FEndY = q.y();
            FChanged = true;
            break;
        }
        case -28:  // move
            FStartX = p.x();
            FStartY = p.y();
            break;
        default:
            break;
    }
}

void TDetailWindow::FormMouseMove(Qt::MouseButtons buttons, QPoint p) {
    if (!(buttons & Qt::LeftButton)) return;
    switch (Tool()) {
        case -30: {
            const QPoint q = ScreenToPicture(p);
            FEndX = q.x();
            FEndY = q.y();
            if (FEndX != FStartX || FEndY != FStartY) {
                if (!FPicture.isNull() && Host) {
                    const QColor c = NearestDisplayColor(Host->CurrentColour());
                    DrawPenLine(FPicture, QPoint(FStartX, FStartY), QPoint(FEndX, FEndY),
                                std::clamp(Host->PenWidthValue(), 1, 100), c.rgb(),
                                Host->FillStyleIndex());
                }
                Paint();
            }
            FStartX = FEndX;
            FStartY = FEndY;
            FChanged = true;
            break;
        }
        case -28:
            FOffsetX += p.x() - FStartX;
            FOffsetY += p.y() - FStartY;
            Paint();
            FStartX = p.x();
            FStartY = p.y();
            break;
        default:
            break;
    }
}

void TDetailWindow::FormMouseUp(Qt::MouseButton button, QPoint p) {
    if (button == Qt::LeftButton) {
        switch (Tool()) {
            case -29: {  // fill
                SaveUndo();
                const QPoint q = ScreenToPicture(p);
                if (!FPicture.isNull() && Host) {
                    const QColor c = NearestDisplayColor(Host->CurrentColour());
                    PaintSpans(FPicture, FloodRegion(FPicture, q), c.rgb(),
                               FillStyleFromIndex(Host->FillStyleIndex()));
                }
                Paint();
                FChanged = true;
                break;
            }
            case -31: {  // eyedropper: a point outside the picture has no colour to take
                const QPoint q = ScreenToPicture(p);
                if (FPicture.rect().contains(q) && Host)
                    Host->ColourPicked(NearestDisplayColor(QColor::fromRgb(FPicture.pixel(q))));
                break;
            }
            default:
                break;
        }
    }
    if (Host) Host->AfterMouseUp();
}

void TDetailWindow::paintEvent(QPaintEvent*) {
    if (FBuffer.size() != size()) {
        FBuffer = QImage(size(), QImage::Format_RGB32);
        FBuffer.fill(Qt::black);
        if (!FPicture.isNull()) StretchIntoEllipse(FBuffer, PictureRect(), FPicture);
    }
    QPainter p(this);
    p.drawImage(0, 0, FBuffer);
}

void TDetailWindow::resizeEvent(QResizeEvent*) { update(); FBuffer = QImage(); }

void TDetailWindow::mousePressEvent(QMouseEvent* e) {
    FormMouseDown(e->button(), e->position().toPoint());
}
void TDetailWindow::mouseMoveEvent(QMouseEvent* e) {
    FormMouseMove(e->buttons(), e->position().toPoint());
}
void TDetailWindow::mouseReleaseEvent(QMouseEvent* e) {
    FormMouseUp(e->button(), e->position().toPoint());
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
