#pragma once
// The painting window: the working picture shown through the round opening of the paint
// page, and the tools that work on it (pen, fill, eyedropper, move) with one-step undo.
#include <QImage>
#include <QWidget>

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

    QImage FBuffer;
    int FStartX = 0, FStartY = 0, FEndX = 0, FEndY = 0;
    int FOffsetX = 0, FOffsetY = 0;
    int FZoom = 1000;
    QImage FUndoPicture;
    QImage FPicture;
    bool FChanged = false;

    TDetailHost* Host = nullptr;

    // The rectangle, in window pixels, where the picture is displayed.
    QRect PictureRect() const;
    // The picture pixel under a window point.
    QPoint ScreenToPicture(QPoint p) const;
    // Composes the view into FBuffer and shows it.
    void Paint();
    void SaveUndo();
    void Undo();
    // The tool is the window's cursor number (-28 move, -29 fill, -30 pen, -31 eyedropper).
    int Tool() const;

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
};

extern TDetailWindow* DetailWindow;
extern bool DetailWindowAlive;

// Creates the painting window inside the panel, or shows it again.
void ShowDetailWindow(QWidget* panel, TDetailHost* host = nullptr);

}  // namespace orb
