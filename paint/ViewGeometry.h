#pragma once
// Where the picture sits in the painting window, and which picture pixel lies under a
// window point. Integer division and Trunc truncate toward zero.
#include <QPoint>
#include <QRect>
#include <QSize>

namespace orb {

// cw x ch client area, picture size, zoom in tenths of a percent, pan offsets.
QRect PictureRectFor(QSize client, QSize picture, int zoom, int offsetX, int offsetY);
// The picture pixel under a window point (may lie outside the picture).
QPoint ScreenToPictureFor(QPoint p, const QRect& pictureRect, int zoom);

}  // namespace orb
