#include "paint/ViewGeometry.h"

#include <limits>

#include "platform/Numbers.h"

namespace orb {

namespace {
int ClampToInt(double v) {
    if (v > std::numeric_limits<int>::max() / 2) return std::numeric_limits<int>::max() / 2;
    if (v < std::numeric_limits<int>::min() / 2) return std::numeric_limits<int>::min() / 2;
    return Trunc(v);
}
}  // namespace

QRect PictureRectFor(QSize client, QSize picture, int zoom, int offsetX, int offsetY) {
    const int dw = ClampToInt(double(picture.width()) * zoom / 1000.0);
    const int dh = ClampToInt(double(picture.height()) * zoom / 1000.0);
    const int left = offsetX + (client.width() - dw) / 2;
    const int top = offsetY + (client.height() - dh) / 2;
    return QRect(left, top, dw, dh);
}

QPoint ScreenToPictureFor(QPoint p, const QRect& r, int zoom) {
    if (zoom == 0) return QPoint(std::numeric_limits<int>::min() / 2, 0);
    return QPoint(ClampToInt((double(p.x()) - r.left()) * 1000.0 / zoom),
                  ClampToInt((double(p.y()) - r.top()) * 1000.0 / zoom));
}

}  // namespace orb
