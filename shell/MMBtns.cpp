#include "shell/MMBtns.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

#include "platform/Numbers.h"

namespace orb {

TBaseBtn::TBaseBtn(QWidget* parent) : TGraphicHoverControl(parent) {
    static bool cursorsRegistered = false;
    if (!cursorsRegistered) {
        RegisterResourceCursor(-19, "HandCursor");
        RegisterResourceCursor(-20, "HandNoFingersCursor");
        cursorsRegistered = true;
    }
    resize(120, 40);
    SetCursorNumber(this, -19);
}

void DrawRoundRect(QPainter& p, int x1, int y1, int x2, int y2, int rx, int ry) {
    const double w = x2 - x1, h = y2 - y1;
    if (w <= 0 || h <= 0) return;
    const double radX = std::min(rx / 2.0, w / 2.0), radY = std::min(ry / 2.0, h / 2.0);
    if (p.pen().style() == Qt::NoPen) {
        p.drawRoundedRect(QRectF(x1, y1, w, h), radX, radY);
    } else {
        // A one-pixel outline sits on the outer pixels of the area.
        const double rX = std::max(0.0, radX - 0.5), rY = std::max(0.0, radY - 0.5);
        p.drawRoundedRect(QRectF(x1 + 0.5, y1 + 0.5, w - 1, h - 1), rX, rY);
    }
}

// A one-pixel frame: top and left in one colour, bottom and right in the other. Filled
// logical pixels, not lines, so that at a ratio of 2 each side is two device pixels wide
// and the bottom and right sides do not fall outside the button.
void DrawBevel(QPainter& p, int W, int H, const QColor& topLeft, const QColor& bottomRight) {
    p.fillRect(QRect(0, 0, W, 1), topLeft);
    p.fillRect(QRect(0, 0, 1, H), topLeft);
    p.fillRect(QRect(0, H - 1, W, 1), bottomRight);
    p.fillRect(QRect(W - 1, 0, 1, H), bottomRight);
}

void TBaseBtn::PaintTo(QPainter& p) {
    const int W = width(), H = height();
    auto X = [W](double f) { return Round(f * W); };
    auto Y = [H](double f) { return Round(f * H); };
    const bool down = pressed_ || down_;
    const bool enabled = isEnabled();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);

    // The outline is in logical pixels like the rest of the face: a cosmetic pen would be
    // one device pixel, half as thick on a screen with a ratio of 2.
    QPen facePen = pen_;
    if (facePen.style() != Qt::NoPen) facePen.setWidth(std::max(1, facePen.width()));
    facePen.setCosmetic(false);

    const int fx1 = X(FaceXOffset), fy1 = Y(FaceYOffset);
    const int fx2 = X(FaceXOffset + FaceWidth), fy2 = Y(FaceYOffset + FaceHeight);
    const int sx1 = X(FaceXOffset + ShadowXOffset), sy1 = Y(FaceYOffset + ShadowYOffset);
    const int sx2 = X(FaceXOffset + ShadowXOffset + FaceWidth);
    const int sy2 = Y(FaceYOffset + ShadowYOffset + FaceHeight);

    if (!down && FaceVisible) {
        p.setPen(QPen(ShadowColor));
        p.setBrush(QBrush(ShadowColor));
        DrawRoundRect(p, sx1, sy1, sx2, sy2, CaptionXRound, CaptionYRound);
    }
    p.setPen(facePen);
    p.setBrush(brush_);

    auto drawGlyph = [&](const QImage& g, int dx, int dy) {
        if (g.isNull()) return;
        if (stretched_) {
            StretchBitmapInto(&p,
                              QRect(QPoint(X(GlyphXOffset) + dx, Y(GlyphYOffset) + dy),
                                    QPoint(X(GlyphXOffset + GlyphWidth) + dx,
                                           Y(GlyphYOffset + GlyphHeight) + dy)),
                              g);
        } else if (centered_) {
            DrawBitmapAt(&p, (W - g.width()) / 2 + dx, (H - g.height()) / 2 + dy, g);
        } else {
            DrawBitmapAt(&p, X(GlyphXOffset) + dx, Y(GlyphYOffset) + dy, g);
        }
    };

    const int dx = down ? X(ShadowXOffset) : 0, dy = down ? Y(ShadowYOffset) : 0;
    if (enabled && down) {
        if (FaceVisible) DrawRoundRect(p, sx1, sy1, sx2, sy2, CaptionXRound, CaptionYRound);
        if (GlyphDown.isNull() || GlyphUpIsGlyphDown) {
            if (GlyphUpIsGlyphDown) drawGlyph(GlyphUp, dx, dy);
        } else {
            drawGlyph(GlyphDown, dx, dy);
        }
        if (!FaceVisible) {
            DrawBevel(p, W, H, QColor(128, 128, 128), Qt::white);
        }
    } else if (enabled) {
        if (FaceVisible) DrawRoundRect(p, fx1, fy1, fx2, fy2, CaptionXRound, CaptionYRound);
        drawGlyph(GlyphUp, 0, 0);
        if (!FaceVisible && hot_) {
            DrawBevel(p, W, H, Qt::white, QColor(128, 128, 128));
        }
    } else {
        if (FaceVisible) DrawRoundRect(p, fx1, fy1, fx2, fy2, CaptionXRound, CaptionYRound);
        drawGlyph(GlyphDisabled, 0, 0);
    }

    if (!caption_.isEmpty()) {
        p.setFont(font());
        const QPoint at(X(CaptionXOffset) + dx, Y(CaptionYOffset) + dy);
        const QRect box(at, QSize(W * 4 + 100, H * 4 + 100));
        if (CaptionPenVisible) {
            p.setPen(CaptionPenColor);
            p.drawText(box.translated(-1, -1), Qt::AlignLeft | Qt::AlignTop, caption_);
        }
        QColor c = enabled ? palette().color(QPalette::Active, QPalette::WindowText)
                           : QColor(128, 128, 128);
        p.setPen(c);
        p.drawText(box, Qt::AlignLeft | Qt::AlignTop, caption_);
    }
}

void TBaseBtn::paintEvent(QPaintEvent*) {
    QPainter p(this);
    PaintTo(p);
}

void TBaseBtn::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !isEnabled()) return;
    pressed_ = true;
    update();
}

void TBaseBtn::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !pressed_) return;
    pressed_ = false;
    update();
    if (rect().contains(e->position().toPoint())) Click();
}

void TBaseBtn::Click() {
    if (!isEnabled()) return;
    if (OnClick) OnClick(this);
}

void TBaseBtn::changeEvent(QEvent* e) {
    if (e->type() == QEvent::EnabledChange || e->type() == QEvent::FontChange ||
        e->type() == QEvent::PaletteChange)
        update();
    TGraphicHoverControl::changeEvent(e);
}

}  // namespace orb
