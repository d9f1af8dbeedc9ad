// The zoom tools: zoom in by click or rubber band, zoom out by click.
#include <memory>

#include "paint/DtlWin.h"
#include "paint/Tools.h"
#include "paint/ViewGeometry.h"

namespace orb {

namespace {

class TZoomInTool : public TPaintTool {
public:
    void Press(TDetailWindow& w, const TToolPoint& at) override {
        w.FStartX = w.FEndX = at.window.x();
        w.FStartY = w.FEndY = at.window.y();
        w.SetBand(QRect(QPoint(w.FStartX, w.FStartY), QPoint(w.FEndX, w.FEndY)));
    }
    void Move(TDetailWindow& w, const TToolPoint& at) override {
        w.FEndX = at.window.x();
        w.FEndY = at.window.y();
        w.SetBand(QRect(QPoint(w.FStartX, w.FStartY), QPoint(w.FEndX, w.FEndY)).normalized());
    }
    void Release(TDetailWindow& w, const TToolPoint&) override {
        w.ClearBand();
        const int x1 = w.FStartX, y1 = w.FStartY, x2 = w.FEndX, y2 = w.FEndY;
        if (x1 == x2 && y1 == y2) {
            const int z = ZoomInStep(w.FZoom);
            if (z != w.FZoom) {
                w.FZoom = z;
                w.Paint();
            }
            return;
        }
        const ViewState now{w.FZoom, w.FOffsetX, w.FOffsetY};
        if (auto v = BandZoom(w.size(), w.FPicture.size(), now, x1, y1, x2, y2)) {
            w.FZoom = v->zoom;
            w.FOffsetX = v->offsetX;
            w.FOffsetY = v->offsetY;
            w.Paint();
        }
    }
};

class TZoomOutTool : public TPaintTool {
public:
    void Release(TDetailWindow& w, const TToolPoint&) override {
        w.FZoom = ZoomOutStep(w.FZoom);
        w.Paint();
    }
};

}  // namespace

std::unique_ptr<TPaintTool> MakeZoomInTool() { return std::make_unique<TZoomInTool>(); }
std::unique_ptr<TPaintTool> MakeZoomOutTool() { return std::make_unique<TZoomOutTool>(); }

}  // namespace orb
