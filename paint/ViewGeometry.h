#pragma once
// Where the picture sits in the painting window, and which picture pixel lies under a
// window point. Integer division and Trunc truncate toward zero.
#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

namespace orb {

// cw x ch client area, picture size, zoom in tenths of a percent, pan offsets.
QRect PictureRectFor(QSize client, QSize picture, int zoom, int offsetX, int offsetY);
// The picture pixel under a window point (may lie outside the picture).
QPoint ScreenToPictureFor(QPoint p, const QRect& pictureRect, int zoom);

// The view after a zoom: zoom and pan offsets.
struct ViewState {
    int zoom = 1000;
    int offsetX = 0, offsetY = 0;
    bool operator==(const ViewState&) const = default;
};

// The zoom tools' steps: out by 100 down to 1; in by 100 while that stays under 10000.
int ZoomOutStep(int zoom);
int ZoomInStep(int zoom);

// The view after a rubber-band zoom from (x1, y1) to (x2, y2) in window pixels: the band is
// enlarged until its longer side (relative to the window's shape) fills the window, its
// top-left corner at the window's top left, centred across the other axis; 10000 at most
// and never below 1. nullopt when nothing changes (a flat band, or the same zoom).
// A click (both points equal) is not a band: the caller zooms by ZoomInStep.
std::optional<ViewState> BandZoom(QSize client, QSize picture, const ViewState& view, int x1,
                                  int y1, int x2, int y2);

}  // namespace orb
