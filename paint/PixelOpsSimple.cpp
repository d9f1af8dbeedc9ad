// Interim straightforward versions of the pixel operations (replaced by the tuned ones).
#include <algorithm>
#include <cmath>

#include "paint/PixelOps.h"

namespace orb {

std::vector<Span> FloodRegion(const QImage& img, QPoint seed) {
    std::vector<Span> out;
    if (!img.rect().contains(seed)) return out;
    const QRgb s = img.pixel(seed);
    QImage seen(img.size(), QImage::Format_Grayscale8);
    seen.fill(0);
    std::vector<QPoint> stack{seed};
    while (!stack.empty()) {
        QPoint p = stack.back();
        stack.pop_back();
        if (!img.rect().contains(p) || seen.pixelIndex(p) || img.pixel(p) != s) continue;
        int x1 = p.x(), x2 = p.x();
        while (x1 > 0 && img.pixel(x1 - 1, p.y()) == s && !seen.pixelIndex(x1 - 1, p.y())) --x1;
        while (x2 + 1 < img.width() && img.pixel(x2 + 1, p.y()) == s &&
               !seen.pixelIndex(x2 + 1, p.y()))
            ++x2;
        for (int x = x1; x <= x2; ++x) {
            seen.scanLine(p.y())[x] = 1;
            stack.emplace_back(x, p.y() - 1);
            stack.emplace_back(x, p.y() + 1);
        }
        out.push_back({p.y(), x1, x2});
    }
    return out;
}

FillStyle FillStyleFromIndex(int index) {
    return index >= 0 && index <= 6 ? FillStyle(index) : FillStyle::Solid;
}

bool HatchCovers(FillStyle s, int x, int y) {
    auto mod8 = [](int v) { return ((v % 8) + 8) % 8; };
    switch (s) {
        case FillStyle::Solid: return true;
        case FillStyle::Horizontal: return mod8(y) == 0;
        case FillStyle::Vertical: return mod8(x) == 0;
        case FillStyle::FDiagonal: return mod8(x - y) == 0;
        case FillStyle::BDiagonal: return mod8(x + y) == 7;
        case FillStyle::Cross: return mod8(x) == 0 || mod8(y) == 0;
        case FillStyle::DiagCross: return mod8(x - y) == 0 || mod8(x + y) == 7;
    }
    return true;
}

void PaintSpans(QImage& img, const std::vector<Span>& spans, QRgb colour, FillStyle style) {
    for (const Span& sp : spans)
        for (int x = sp.x1; x <= sp.x2; ++x)
            if (HatchCovers(style, x, sp.y)) img.setPixel(x, sp.y, colour | 0xff000000u);
}

quint32 PenRasterPixel(int index, quint32 pen, quint32 dst) {
    const quint32 m = 0xffffff;
    pen &= m;
    dst &= m;
    switch (index) {
        case 1: return dst;
        case 2: return ~dst & m;
        case 3: return ~pen & m;
        case 4: return pen | (~dst & m);
        case 5: return pen & (~dst & m);
        case 6: return (~pen & m) | dst;
        default: return pen;
    }
}

void DrawPenLine(QImage& img, QPoint a, QPoint b, int width, QRgb colour, int rasterIndex) {
    auto apply = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= img.width() || y >= img.height()) return;
        img.setPixel(x, y, 0xff000000u | PenRasterPixel(rasterIndex, colour, img.pixel(x, y)));
    };
    if (width <= 1) {
        int x0 = a.x(), y0 = a.y();
        const int dx = std::abs(b.x() - x0), dy = -std::abs(b.y() - y0);
        const int sx = x0 < b.x() ? 1 : -1, sy = y0 < b.y() ? 1 : -1;
        int err = dx + dy;
        while (!(x0 == b.x() && y0 == b.y())) {
            apply(x0, y0);
            const int e2 = 2 * err;
            if (e2 >= dy) { err += dy; x0 += sx; }
            if (e2 <= dx) { err += dx; y0 += sy; }
        }
        return;
    }
    const double r = width / 2.0;
    const QRect box = QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                            QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())))
                          .adjusted(-width, -width, width, width) & img.rect();
    const double vx = b.x() - a.x(), vy = b.y() - a.y(), len2 = vx * vx + vy * vy;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x) {
            double t = len2 > 0 ? ((x - a.x()) * vx + (y - a.y()) * vy) / len2 : 0;
            t = std::clamp(t, 0.0, 1.0);
            const double ex = a.x() + t * vx - x, ey = a.y() + t * vy - y;
            if (ex * ex + ey * ey <= r * r) apply(x, y);
        }
}

void StretchIntoEllipse(QImage& dst, const QRect& rect, const QImage& src) {
    if (rect.width() <= 0 || rect.height() <= 0 || src.isNull()) return;
    const QRect area = rect & dst.rect();
    const double cx = rect.left() + rect.width() / 2.0, cy = rect.top() + rect.height() / 2.0;
    const double rx = rect.width() / 2.0, ry = rect.height() / 2.0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const double nx = (x + 0.5 - cx) / rx, ny = (y + 0.5 - cy) / ry;
            if (nx * nx + ny * ny > 1.0) continue;
            const qint64 sx = qint64(x - rect.left()) * src.width() / rect.width();
            const qint64 sy = qint64(y - rect.top()) * src.height() / rect.height();
            dst.setPixel(x, y, src.pixel(int(sx), int(sy)));
        }
}

}  // namespace orb
