#include "paint/ViewGeometry.h"

#include <cstdlib>
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

int ZoomOutStep(int zoom) { return zoom - 101 <= 0 ? 1 : zoom - 100; }

int ZoomInStep(int zoom) { return zoom + 100 < 10000 ? zoom + 100 : zoom; }

std::optional<ViewState> BandZoom(QSize client, QSize picture, const ViewState& view, int x1,
                                  int y1, int x2, int y2) {
    if (x1 == x2 || y1 == y2) return std::nullopt;
    const double z = view.zoom;
    const double cw = client.width(), ch = client.height();
    const int dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
    int nz;
    if (dy < dx) {
        nz = Round(cw / dx * z);
        if (nz >= 10000) {
            nz = 10000;
            if (x2 > x1)
                x2 = Round(cw / 10000.0 * z + x1);
            else
                x1 = Round(cw / 10000.0 * z + x2);
        }
    } else {
        nz = Round(ch / dy * z);
        if (nz >= 10000) {
            nz = 10000;
            if (y2 > y1)
                y2 = Round(ch / 10000.0 * z + y1);
            else
                y1 = Round(ch / 10000.0 * z + y2);
        }
    }
    // A band much larger than the window at a tiny zoom could round to 0; the view never
    // goes below the smallest zoom the other commands reach.
    nz = std::max(nz, 1);
    if (nz == view.zoom) return std::nullopt;
    const QRect r = PictureRectFor(client, picture, view.zoom, view.offsetX, view.offsetY);
    const double k = nz / z;
    int a = Round(k * (r.left() - std::min(x1, x2)));
    int b = Round(k * (r.top() - std::min(y1, y2)));
    if (std::abs(x1 - x2) > std::abs(y1 - y2))
        b += (client.height() - Round(k * std::abs(y2 - y1))) / 2;
    else
        a += (client.width() - Round(k * std::abs(x2 - x1))) / 2;
    const QRect nr = PictureRectFor(client, picture, nz, 0, 0);
    ViewState out;
    out.zoom = nz;
    out.offsetX = a - (client.width() - nr.width()) / 2;
    out.offsetY = b - (client.height() - nr.height()) / 2;
    return out;
}

}  // namespace orb
