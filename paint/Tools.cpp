#include "paint/Tools.h"

#include <algorithm>

#include "paint/ColorModel.h"
#include "paint/DtlWin.h"
#include "paint/PixelOps.h"
#include "platform/Cursors.h"

namespace orb {

namespace {

// Pen: the stroke starts on press (snapshot, change mark, nothing drawn), each move draws
// the segment from the last point.
class TPenTool : public TPaintTool {
public:
    void Press(TDetailWindow& w, const TToolPoint& at) override {
        w.SaveUndo();
        w.FStartX = w.FEndX = at.picture.x();
        w.FStartY = w.FEndY = at.picture.y();
        w.FChanged = true;
    }
    void Move(TDetailWindow& w, const TToolPoint& at) override {
        w.FEndX = at.picture.x();
        w.FEndY = at.picture.y();
        if (w.FEndX != w.FStartX || w.FEndY != w.FStartY) {
            if (!w.FPicture.isNull() && w.Host) {
                const QColor c = NearestDisplayColor(w.Host->CurrentColour());
                DrawPenLine(w.FPicture, QPoint(w.FStartX, w.FStartY), QPoint(w.FEndX, w.FEndY),
                            std::clamp(w.Host->PenWidthValue(), 1, 100), c.rgb(),
                            w.Host->FillStyleIndex());
            }
            w.Paint();
        }
        w.FStartX = w.FEndX;
        w.FStartY = w.FEndY;
        w.FChanged = true;
    }
};

// Fill: on release, the region of the clicked pixel's colour with the colour and style.
class TFillTool : public TPaintTool {
public:
    void Release(TDetailWindow& w, const TToolPoint& at) override {
        w.SaveUndo();
        if (!w.FPicture.isNull() && w.Host) {
            const QColor c = NearestDisplayColor(w.Host->CurrentColour());
            FloodFill(w.FPicture, at.picture, c.rgb(), FillStyleFromIndex(w.Host->FillStyleIndex()));
        }
        w.Paint();
        w.FChanged = true;
    }
};

// Eyedropper: on release, the colour under the point; a point outside the picture has no
// colour to take.
class TEyeDropperTool : public TPaintTool {
public:
    void Release(TDetailWindow& w, const TToolPoint& at) override {
        if (w.FPicture.rect().contains(at.picture) && w.Host)
            w.Host->ColourPicked(NearestDisplayColor(QColor::fromRgb(w.FPicture.pixel(at.picture))));
    }
};

// Move: drags the picture; the offsets are not limited.
class TMoveTool : public TPaintTool {
public:
    void Press(TDetailWindow& w, const TToolPoint& at) override {
        w.FStartX = at.window.x();
        w.FStartY = at.window.y();
    }
    void Move(TDetailWindow& w, const TToolPoint& at) override {
        w.Pan(at.window.x() - w.FStartX, at.window.y() - w.FStartY);
        w.FStartX = at.window.x();
        w.FStartY = at.window.y();
    }
};

std::vector<TToolEntry> MakeTable() {
    std::vector<TToolEntry> t;
    t.push_back({crEyeDropper, "EyeDropperSBtn", "ColorPage", std::make_unique<TEyeDropperTool>()});
    t.push_back({crPen, "PenSBtn", "ColorPage", std::make_unique<TPenTool>()});
    t.push_back({crPaintBrush, "PaintSBtn", "ColorPage", std::make_unique<TFillTool>()});
    t.push_back({crMovingHand, "MoveSBtn", "SizePage", std::make_unique<TMoveTool>()});
    t.push_back({crZoomIn, "ZoomInSBtn", "SizePage", MakeZoomInTool()});
    t.push_back({crZoomOut, "ZoomOutSBtn", "SizePage", MakeZoomOutTool()});
    return t;
}

}  // namespace

const std::vector<TToolEntry>& ToolTable() {
    static const std::vector<TToolEntry> table = MakeTable();
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
