// The zoom tools: zoom in by click or rubber band, zoom out by click.
#include <memory>

#include "paint/PaintSession.h"
#include "paint/Tools.h"
#include "paint/ViewGeometry.h"

namespace orb {

namespace {

class TZoomInTool : public TPaintTool {
public:
    void Press(TPaintSession& s, const TToolPoint& at) override {
        FStartX = FEndX = at.window.x();
        FStartY = FEndY = at.window.y();
        s.SetBand(QRect(QPoint(FStartX, FStartY), QPoint(FEndX, FEndY)));
    }
    void Move(TPaintSession& s, const TToolPoint& at) override {
        FEndX = at.window.x();
        FEndY = at.window.y();
        s.SetBand(QRect(QPoint(FStartX, FStartY), QPoint(FEndX, FEndY)).normalized());
    }
    void Release(TPaintSession& s, const TToolPoint&) override {
        s.ClearBand();
        if (FStartX == FEndX && FStartY == FEndY) {
            const int z = ZoomInStep(s.Zoom());
            if (z != s.Zoom()) s.SetZoom(z);
            return;
        }
        if (auto v = BandZoom(s.ViewSize(), s.Picture().size(), s.View(), FStartX, FStartY,
                              FEndX, FEndY))
            s.SetView(*v);
    }

private:
    int FStartX = 0, FStartY = 0, FEndX = 0, FEndY = 0;
};

class TZoomOutTool : public TPaintTool {
public:
    void Release(TPaintSession& s, const TToolPoint&) override { s.SetZoom(ZoomOutStep(s.Zoom())); }
};

}  // namespace

std::unique_ptr<TPaintTool> MakeZoomInTool() { return std::make_unique<TZoomInTool>(); }
std::unique_ptr<TPaintTool> MakeZoomOutTool() { return std::make_unique<TZoomOutTool>(); }

}  // namespace orb
