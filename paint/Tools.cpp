#include "paint/Tools.h"

#include <algorithm>

#include "paint/ColorModel.h"
#include "paint/PaintSession.h"
#include "paint/PixelOps.h"
#include "platform/Cursors.h"

namespace orb {

namespace {

// Pen: the stroke starts on press (snapshot, change mark, nothing drawn), each move draws
// the segment from the last point.
class TPenTool : public TPaintTool {
public:
    void Press(TPaintSession& s, const TToolPoint& at) override {
        s.SaveUndo();
        FStartX = FEndX = at.picture.x();
        FStartY = FEndY = at.picture.y();
        s.MarkChanged();
    }
    void Move(TPaintSession& s, const TToolPoint& at) override {
        FEndX = at.picture.x();
        FEndY = at.picture.y();
        if (FEndX != FStartX || FEndY != FStartY) {
            const QPoint from(FStartX, FStartY), to(FEndX, FEndY);
            const int width = std::clamp(s.PenWidth(), 1, 100);
            const QRgb c = NearestDisplayColor(s.Colour()).rgb();
            const int style = s.FillStyleIndex();
            s.Edit([&](QImage& pic) { DrawPenLine(pic, from, to, width, c, style); },
                   QRect(from, to).normalized().adjusted(-width, -width, width, width));
        }
        FStartX = FEndX;
        FStartY = FEndY;
        s.MarkChanged();
    }

private:
    int FStartX = 0, FStartY = 0, FEndX = 0, FEndY = 0;
};

// Fill: on release, the region of the clicked pixel's colour with the colour and style.
class TFillTool : public TPaintTool {
public:
    void Release(TPaintSession& s, const TToolPoint& at) override {
        s.SaveUndo();
        const QRgb c = NearestDisplayColor(s.Colour()).rgb();
        const FillStyle style = FillStyleFromIndex(s.FillStyleIndex());
        s.Edit([&](QImage& pic) { FloodFill(pic, at.picture, c, style); });
    }
};

// Eyedropper: on release, the colour under the point; a point outside the picture has no
// colour to take.
class TEyeDropperTool : public TPaintTool {
public:
    void Release(TPaintSession& s, const TToolPoint& at) override {
        if (s.Picture().rect().contains(at.picture))
            s.PickColour(NearestDisplayColor(QColor::fromRgb(s.Picture().pixel(at.picture))));
    }
};

// Move: drags the picture; the offsets are not limited.
class TMoveTool : public TPaintTool {
public:
    void Press(TPaintSession&, const TToolPoint& at) override {
        FStartX = at.window.x();
        FStartY = at.window.y();
    }
    void Move(TPaintSession& s, const TToolPoint& at) override {
        s.Pan(at.window.x() - FStartX, at.window.y() - FStartY);
        FStartX = at.window.x();
        FStartY = at.window.y();
    }

private:
    int FStartX = 0, FStartY = 0;
};

template <class T>
std::unique_ptr<TPaintTool> Make() {
    return std::make_unique<T>();
}

}  // namespace

const std::vector<TToolEntry>& ToolTable() {
    static const std::vector<TToolEntry> table{
        {crEyeDropper, "EyeDropperSBtn", "ColorPage", &Make<TEyeDropperTool>},
        {crPen, "PenSBtn", "ColorPage", &Make<TPenTool>},
        {crPaintBrush, "PaintSBtn", "ColorPage", &Make<TFillTool>},
        {crMovingHand, "MoveSBtn", "SizePage", &Make<TMoveTool>},
        {crZoomIn, "ZoomInSBtn", "SizePage", &MakeZoomInTool},
        {crZoomOut, "ZoomOutSBtn", "SizePage", &MakeZoomOutTool},
    };
    return table;
}

const TToolEntry* ToolByCursor(int cursor) {
    for (const TToolEntry& e : ToolTable())
        if (e.cursor == cursor) return &e;
    return nullptr;
}

const TToolEntry* ToolByButton(const QString& objectName) {
    for (const TToolEntry& e : ToolTable())
        if (objectName == QLatin1String(e.button)) return &e;
    return nullptr;
}

}  // namespace orb
