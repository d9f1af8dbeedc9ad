#pragma once
// The painting window: the working picture shown through the round opening of the paint
// page, and the tools that work on it (pen, fill, eyedropper, move, zoom) with one-step undo.
#include <QImage>
#include <QWidget>
#include <optional>

#include "paint/PaintDocument.h"

namespace orb {

// What the painting window needs from the main window's drawing settings.
class TDetailHost {
public:
    virtual ~TDetailHost() = default;
    virtual QColor CurrentColour() const = 0;  // the swatch colour
    virtual int FillStyleIndex() const = 0;    // -1 when nothing is selected
    virtual int PenWidthValue() const = 0;
    virtual void ColourPicked(const QColor& c) = 0;  // the eyedropper's result
    virtual void AfterMouseUp() = 0;                 // scale display and status refresh
};

class TDetailWindow : public QWidget {
    Q_OBJECT
public:
    explicit TDetailWindow(QWidget* parent);
    ~TDetailWindow() override;

    // The picture, its snapshot and its change mark.
    TPaintDocument& Document() { return doc_; }
    const TPaintDocument& Document() const { return doc_; }

    // The composed view at the resolution of the screen it was last shown on: its pixel
    // size is the window size times the device pixel ratio, recorded on the image.
    QImage FBuffer;
    int FStartX = 0, FStartY = 0, FEndX = 0, FEndY = 0;
    int FOffsetX = 0, FOffsetY = 0;
    int FZoom = 1000;
    // The document's parts under the names the rest of the program reads.
    QImage& FUndoPicture = doc_.UndoPicture;
    QImage& FPicture = doc_.Picture;
    bool& FChanged = doc_.Changed;

    TDetailHost* Host = nullptr;

    // The rectangle, in window pixels, where the picture is displayed.
    QRect PictureRect() const;
    // The picture pixel under a window point.
    QPoint ScreenToPicture(QPoint p) const;
    // Composes the view into FBuffer and shows it.
    void Paint();
    // The picture rectangle in FBuffer's pixels for a device pixel ratio: the logical
    // rectangle with both edges scaled, so neighbouring views meet without gaps.
    QRect DevicePictureRect(qreal dpr) const;
    void SaveUndo();
    void Undo();
    // A drawing to colour: the view back to 100 %, centred; nothing to undo, not changed.
    void LoadPicture(const QImage& picture);
    // Moves the picture by (dx, dy) window pixels and repaints.
    void Pan(int dx, int dy);
    // Zooms by one step in or out keeping the picture pixel under the window point in place.
    void ZoomAround(QPoint at, bool in);
    // The tool is the window's cursor number (see ToolTable).
    int Tool() const;

    // The zoom tool's rubber band, drawn inverted over the view until cleared.
    void SetBand(const QRect& r);
    void ClearBand();
    std::optional<QRect> Band() const { return band_; }

    // Mouse handlers (also driven directly by tests and the demo).
    void FormMouseDown(Qt::MouseButton button, QPoint p);
    void FormMouseMove(Qt::MouseButtons buttons, QPoint p);
    void FormMouseUp(Qt::MouseButton button, QPoint p);

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    void Compose(qreal dpr);
    TPaintDocument doc_;
    qreal dpr_ = 0;  // the ratio of the surface last painted on; 0 until then
    std::optional<QRect> band_;
    int wheelDelta_ = 0;
};

extern TDetailWindow* DetailWindow;
extern bool DetailWindowAlive;

// Creates the painting window inside the panel, or shows it again.
void ShowDetailWindow(QWidget* panel, TDetailHost* host = nullptr);

}  // namespace orb
