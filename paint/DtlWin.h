#pragma once
// The painting window: the painting session's picture shown through the round opening of the
// paint page. It draws the session and passes the mouse to it; the session owns the picture,
// the view and the tools.
#include <QImage>
#include <QWidget>

#include "paint/PaintSession.h"

namespace orb {

class TDetailWindow : public QWidget {
    Q_OBJECT
public:
    TDetailWindow(QWidget* parent, TPaintSession& session);
    ~TDetailWindow() override;

    TPaintSession& Session() const { return session_; }

    // The composed view at the resolution of the screen it was last shown on: its pixel
    // size is the window size times the device pixel ratio, recorded on the image.
    const QImage& Buffer() const { return FBuffer; }

    // Shortcuts to the session's view.
    QRect PictureRect() const { return session_.PictureRect(); }
    QPoint ScreenToPicture(QPoint p) const { return session_.ScreenToPicture(p); }
    // Composes the view into the buffer and shows it.
    void Paint();
    // The picture rectangle in the buffer's pixels for a device pixel ratio: the logical
    // rectangle with both edges scaled, so neighbouring views meet without gaps.
    QRect DevicePictureRect(qreal dpr) const;

    // Shows the view through a round opening: the ellipse inscribed in the window with a rim
    // `rimWidth` logical pixels wide along its edge. Rim and opening are antialiased at the
    // screen's resolution, over whatever lies below the window outside; the picture's own
    // pixels stay hard.
    void SetRoundOpening(double rimWidth, const QColor& rimColour);
    bool HasRoundOpening() const { return rim_ >= 0; }

    // Mouse handlers (also driven directly by tests and the demo).
    void FormMouseDown(Qt::MouseButton button, QPoint p) { session_.Press(button, p); }
    void FormMouseMove(Qt::MouseButtons buttons, QPoint p) { session_.Move(buttons, p); }
    void FormMouseUp(Qt::MouseButton button, QPoint p) { session_.Release(button, p); }

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    void Compose(qreal dpr);
    // The buffer cut to the round opening, transparent outside it.
    QImage ThroughOpening();
    TPaintSession& session_;
    QImage FBuffer;
    double rim_ = -1;  // the round opening's rim width; negative for a plain rectangle
    QColor rimColour_;
    QImage FOpening;       // its coverage at device resolution
    QPair<QSize, double> openingFor_;
    qreal dpr_ = 0;  // the ratio of the surface last painted on; 0 until then
};

// The painting window while it exists, else null: the one the commands of the program act on.
TDetailWindow* DetailWindow();
inline bool DetailWindowAlive() { return DetailWindow() != nullptr; }

// Creates the painting window for the session inside the panel (the view reset), or shows the
// existing one again. A panel with the properties "OpeningRim" (a width in logical pixels) and
// "OpeningRimColour" gets a round opening (SetRoundOpening).
TDetailWindow* ShowDetailWindow(QWidget* panel, TPaintSession& session);

}  // namespace orb
