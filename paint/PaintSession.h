#pragma once
// TPaintSession: what one painting window works on. It owns the document (picture, undo
// snapshot, change mark), the view (zoom, pan offsets, the zoom tool's band, the size of the
// window that shows it), the active tool with its drag state, and the drawing settings
// (colour, fill style, pen width). Whoever shows or commands it listens to its signals; nobody
// writes its fields.
#include <QColor>
#include <QImage>
#include <QObject>
#include <QRect>
#include <memory>
#include <optional>

#include "paint/PaintDocument.h"
#include "paint/ViewGeometry.h"

namespace orb {

class TPaintTool;
struct TToolPoint;

class TPaintSession : public QObject {
    Q_OBJECT
public:
    explicit TPaintSession(QObject* parent = nullptr);
    ~TPaintSession() override;

    // ---- The document ----
    const TPaintDocument& Document() const { return doc_; }
    const QImage& Picture() const { return doc_.Picture(); }
    bool HasPicture() const { return doc_.HasPicture(); }
    bool Changed() const { return doc_.Changed(); }
    // A drawing to colour: the view back to 100 %, centred; nothing to undo, not changed.
    void LoadPicture(const QImage& picture);
    void SaveUndo() { doc_.SaveUndo(); }
    bool CanUndo() const { return doc_.CanUndo(); }
    // Restores the snapshot; false when there was nothing to restore.
    bool Undo();
    void MarkChanged();
    // Written to its file, or its changes declined.
    void MarkSaved();
    // Draws into the picture (no-op without one) and marks the change; `area` is the part
    // drawn, in picture pixels (the whole picture when empty).
    template <class Draw>
    void Edit(Draw draw, QRect area = {}) {
        if (doc_.HasPicture()) draw(doc_.Pixels());
        Touched(area);
    }

    // ---- The view ----
    int Zoom() const { return FZoom; }
    int OffsetX() const { return FOffsetX; }
    int OffsetY() const { return FOffsetY; }
    ViewState View() const { return {FZoom, FOffsetX, FOffsetY}; }
    QSize ViewSize() const { return viewSize_; }
    // The window showing the session tells its size (logical pixels).
    void SetViewSize(QSize size);
    // Where the picture is displayed, in window pixels, and the picture pixel under a point.
    QRect PictureRect() const;
    QPoint ScreenToPicture(QPoint p) const;
    void SetZoom(int zoom);
    void SetView(const ViewState& v);
    // Moves the picture by (dx, dy) window pixels.
    void Pan(int dx, int dy);
    void Centre() { SetView({FZoom, 0, 0}); }
    // One zoom step in or out, keeping the picture pixel under the window point in place.
    void ZoomAround(QPoint at, bool in);
    // A wheel turn of `delta` eighths of a degree at a window point: one step per notch;
    // touch pads send smaller deltas that add up.
    void Wheel(int delta, QPoint at);
    // The zoom tool's rubber band, drawn inverted over the view until cleared.
    void SetBand(const QRect& r);
    void ClearBand();
    std::optional<QRect> Band() const { return band_; }

    // ---- The tool ----
    // The window's cursor number; a tool's number makes that tool active (see ToolTable).
    int Tool() const { return tool_; }
    void SetTool(int cursor);
    // The mouse on the window, in window pixels.
    void Press(Qt::MouseButton button, QPoint at);
    void Move(Qt::MouseButtons buttons, QPoint at);
    void Release(Qt::MouseButton button, QPoint at);

    // ---- The drawing settings ----
    QColor Colour() const { return colour_; }
    void SetColour(const QColor& c) { colour_ = c; }
    int FillStyleIndex() const { return fillStyle_; }  // -1 when nothing is selected
    void SetFillStyleIndex(int i) { fillStyle_ = i; }
    int PenWidth() const { return penWidth_; }
    void SetPenWidth(int w) { penWidth_ = w; }
    // The eyedropper's result: becomes the colour, and is announced.
    void PickColour(const QColor& c);

signals:
    // Pixels of the picture changed (in picture pixels), or a new picture came.
    void changed(const QRect& rect);
    // Zoom or offsets changed.
    void viewChanged();
    void bandChanged();
    void toolChanged(int cursor);
    void colourPicked(const QColor& c);
    // A user action ended (mouse up, wheel): commands and displays may need a refresh.
    void statusChanged();

private:
    void Touched(QRect area);
    TToolPoint PointAt(QPoint window) const;

    TPaintDocument doc_;
    int FZoom = 1000;
    int FOffsetX = 0, FOffsetY = 0;
    QSize viewSize_;
    std::optional<QRect> band_;
    int wheelDelta_ = 0;
    int tool_ = 0;
    std::unique_ptr<TPaintTool> active_;
    QColor colour_ = Qt::white;
    int fillStyle_ = 0;
    int penWidth_ = 1;
};

}  // namespace orb
