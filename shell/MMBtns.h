#pragma once
// TBaseBtn: the skinned button. A rounded face with a drop shadow, a glyph and a
// caption, all placed by fractions of the button's own size.
#include <QBrush>
#include <QColor>
#include <QImage>
#include <QPen>
#include <functional>

#include "shell/Basics.h"

namespace orb {

class TBaseBtn : public TGraphicHoverControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
public:
    explicit TBaseBtn(QWidget* parent = nullptr);

    // Appearance
    const QBrush& Brush() const { return brush_; }
    void SetBrush(const QBrush& b) { brush_ = b; update(); }
    const QPen& Pen() const { return pen_; }
    void SetPen(const QPen& p) { pen_ = p; update(); }
    QString Caption() const { return caption_; }
    void SetCaption(const QString& c) { caption_ = c; update(); }

    bool ButtonIsDown() const { return down_; }
    void SetButtonIsDown(bool v) { if (v != down_) { down_ = v; update(); } }
    bool ButtonIsHot() const { return hot_; }
    void SetButtonIsHot(bool v) { if (v != hot_) { hot_ = v; update(); } }

    QColor CaptionPenColor = QColor(0, 0, 0);
    bool CaptionPenVisible = false;
    double CaptionXOffset = 0, CaptionYOffset = 0;
    int CaptionXRound = 0, CaptionYRound = 0;
    bool FaceVisible = true;
    double FaceXOffset = 0, FaceYOffset = 0;
    double FaceWidth = 0.8, FaceHeight = 0.5;
    QImage GlyphUp, GlyphDown, GlyphDisabled;
    bool GlyphUpIsGlyphDown = false;
    double GlyphXOffset = 0, GlyphYOffset = 0;
    double GlyphWidth = 0.2, GlyphHeight = 0.8;
    QColor ShadowColor = QColor(128, 128, 128);
    double ShadowXOffset = 0, ShadowYOffset = 0;

    bool GlyphCentered() const { return centered_; }
    void SetGlyphCentered(bool v) { centered_ = v; if (v) stretched_ = false; update(); }
    bool GlyphStretched() const { return stretched_; }
    void SetGlyphStretched(bool v) { stretched_ = v; if (v) centered_ = false; update(); }

    std::function<void(QObject* sender)> OnClick;

    // True between a press on the button and the release.
    bool Pressed() const { return pressed_; }

    // Renders the button as it paints itself (tests read the pixels back).
    void PaintTo(QPainter& p);
    // Fires the click as a user click would.
    void Click();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    QBrush brush_{QColor(255, 255, 255)};
    QPen pen_{QColor(0, 0, 0)};
    QString caption_;
    bool down_ = false, hot_ = false, pressed_ = false;
    bool centered_ = false, stretched_ = false;
};

// Draws a rounded rectangle as the classic RoundRect call does: (x1, y1) to (x2, y2)
// exclusive of the right and bottom edge, corner ellipse rx x ry.
void DrawRoundRect(QPainter& p, int x1, int y1, int x2, int y2, int rx, int ry);
// The one-pixel raised or sunken frame of a button without a face.
void DrawBevel(QPainter& p, int W, int H, const QColor& topLeft, const QColor& bottomRight);

}  // namespace orb
