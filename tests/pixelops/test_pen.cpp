// The pen: raster modes, the one-pixel line, the wide round-ended pen and clipping.
#include <gtest/gtest.h>

#include <climits>

#include "paint/PixelOps.h"
#include "tests/pixelops/PixelTestUtil.h"

using namespace orb;
using orbtest::Filled;

namespace {

constexpr QRgb kWhite = 0xffffffff, kBlack = 0xff000000;

// Reference for the wide pen, one pixel at a time: is the centre of (x, y) within width/2 of
// the segment? Doubled coordinates; odd widths run through pixel centres, even widths
// through the top-left corners of the end pixels.
bool WideCovers(QPoint a, QPoint b, int width, int x, int y) {
    const long long off = width % 2, r = width;
    const long long ax = 2LL * a.x() + off, ay = 2LL * a.y() + off;
    const long long bx = 2LL * b.x() + off, by = 2LL * b.y() + off;
    const long long px = 2LL * x + 1, py = 2LL * y + 1;
    const long long dx = bx - ax, dy = by - ay, den = dx * dx + dy * dy;
    const long long dot = (px - ax) * dx + (py - ay) * dy;
    if (den == 0 || dot <= 0) return (px - ax) * (px - ax) + (py - ay) * (py - ay) <= r * r;
    if (dot >= den) return (px - bx) * (px - bx) + (py - by) * (py - by) <= r * r;
    const long long cross = (px - ax) * dy - (py - ay) * dx;
    return cross * cross <= r * r * den;
}

int CountColour(const QImage& img, QRgb c) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) n += img.pixel(x, y) == c;
    return n;
}

}  // namespace

TEST(PenRaster, TruthTables) {
    // Bits of P and D in all four combinations: P = 1100, D = 1010.
    const quint32 P = 0xffccccccu, D = 0xffaaaaaau;
    EXPECT_EQ(PenRasterPixel(0, P, D), 0xccccccu);
    EXPECT_EQ(PenRasterPixel(1, P, D), 0xaaaaaau);
    EXPECT_EQ(PenRasterPixel(2, P, D), 0x555555u);
    EXPECT_EQ(PenRasterPixel(3, P, D), 0x333333u);
    EXPECT_EQ(PenRasterPixel(4, P, D), 0xddddddu);
    EXPECT_EQ(PenRasterPixel(5, P, D), 0x444444u);
    EXPECT_EQ(PenRasterPixel(6, P, D), 0xbbbbbbu);
    EXPECT_EQ(PenRasterPixel(-1, P, D), 0xccccccu);
    EXPECT_EQ(PenRasterPixel(7, P, D), 0xccccccu);
}

TEST(PenRaster, EachModeOnCoveredPixelsOnly) {
    std::mt19937 rng(3);
    const QImage base = orbtest::RandomNoise(rng, 40, 30, 4);
    const QRgb pen = 0xff3366c9;
    for (int width : {1, 2, 7}) {
        QImage solid = Filled(40, 30, kWhite);
        DrawPenLine(solid, {3, 4}, {35, 22}, width, kBlack, 0);
        for (int mode = 0; mode < 7; ++mode) {
            QImage img = base;
            DrawPenLine(img, {3, 4}, {35, 22}, width, pen, mode);
            for (int y = 0; y < 30; ++y)
                for (int x = 0; x < 40; ++x) {
                    const QRgb d = base.pixel(x, y);
                    const QRgb want = solid.pixel(x, y) == kBlack
                                          ? (0xff000000u | PenRasterPixel(mode, pen, d))
                                          : d;
                    ASSERT_EQ(img.pixel(x, y), want)
                        << width << " " << mode << " " << x << "," << y;
                }
        }
        // "Horizontaal" draws nothing visible.
        QImage img = base;
        DrawPenLine(img, {-5, 0}, {50, 29}, width, pen, 1);
        EXPECT_EQ(img, base);
    }
}

TEST(PenLine, ThinSegmentsFollowTheLineWithoutEndPoint) {
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> c(-8, 47);
    for (int i = 0; i < 300; ++i) {
        const QPoint a(c(rng), c(rng)), b(c(rng), c(rng));
        QImage img = Filled(40, 40, kWhite);
        DrawPenLine(img, a, b, 1, kBlack, 0);
        const int n = std::max(std::abs(b.x() - a.x()), std::abs(b.y() - a.y()));
        // One pixel per step of the major axis, each within half a pixel of the true line.
        int expected = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x) {
                if (img.pixel(x, y) != kBlack) continue;
                const bool xMajor = std::abs(b.x() - a.x()) >= std::abs(b.y() - a.y());
                const double t = xMajor ? double(x - a.x()) / (b.x() - a.x())
                                        : double(y - a.y()) / (b.y() - a.y());
                ASSERT_TRUE(t >= 0 && t < 1) << "pixel beyond the segment";
                const double minor =
                    xMajor ? a.y() + t * (b.y() - a.y()) : a.x() + t * (b.x() - a.x());
                ASSERT_LE(std::abs((xMajor ? y : x) - minor), 0.5 + 1e-9);
            }
        for (int k = 0; k < n; ++k) {
            const int x = a.x() + int(std::lround(double(k) * (b.x() - a.x()) / n));
            const int y = a.y() + int(std::lround(double(k) * (b.y() - a.y()) / n));
            expected += x >= 0 && y >= 0 && x < 40 && y < 40;
        }
        EXPECT_EQ(CountColour(img, kBlack), expected)
            << a.x() << "," << a.y() << " " << b.x() << "," << b.y();
        if (n > 0 && QRect(0, 0, 40, 40).contains(b)) {
            EXPECT_EQ(img.pixel(b), kWhite);
        }
    }
}

TEST(PenLine, ThinPolylineHasNoGapsOrDoublePixels) {
    std::mt19937 rng(12);
    std::uniform_int_distribution<int> step(0, 9);
    for (int round = 0; round < 20; ++round) {
        // Monotone in both axes, so segments could only share their joints.
        std::vector<QPoint> pts{{0, 0}};
        while (pts.back().x() < 80 && pts.back().y() < 80)
            pts.push_back(pts.back() + QPoint(step(rng), step(rng)));
        QImage img = Filled(100, 100, kWhite);
        int length = 0;
        for (size_t i = 1; i < pts.size(); ++i) {
            DrawPenLine(img, pts[i - 1], pts[i], 1, kBlack, 2);  // "not D" shows double pixels
            length += std::max(pts[i].x() - pts[i - 1].x(), pts[i].y() - pts[i - 1].y());
        }
        EXPECT_EQ(CountColour(img, kBlack), length);
        // 8-connected from the first point to the one before the last.
        QImage walk = img;
        std::vector<QPoint> stack{pts.front()};
        walk.setPixel(pts.front(), kWhite);
        int reached = 1;
        while (!stack.empty()) {
            const QPoint p = stack.back();
            stack.pop_back();
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const QPoint q = p + QPoint(dx, dy);
                    if (!walk.rect().contains(q) || walk.pixel(q) != kBlack) continue;
                    walk.setPixel(q, kWhite);
                    stack.push_back(q);
                    ++reached;
                }
        }
        EXPECT_EQ(reached, length);
    }
}

TEST(PenLine, WideMatchesDistanceToSegment) {
    std::mt19937 rng(21);
    std::uniform_int_distribution<int> c(-30, 90), wd(2, 40);
    for (int i = 0; i < 200; ++i) {
        const QPoint a(c(rng), c(rng));
        const QPoint b = i % 10 == 0 ? a : QPoint(c(rng), c(rng));
        const int width = wd(rng);
        QImage img = Filled(64, 48, kWhite);
        DrawPenLine(img, a, b, width, kBlack, 0);
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x)
                ASSERT_EQ(img.pixel(x, y) == kBlack, WideCovers(a, b, width, x, y))
                    << a.x() << "," << a.y() << " " << b.x() << "," << b.y() << " w" << width
                    << " at " << x << "," << y;
    }
}

TEST(PenLine, WideShapesRoundEndsAndJoints) {
    // A dot: 2x2, 3x3, then a disc without its corners.
    for (auto [width, count] : {std::pair{2, 4}, {3, 9}, {4, 12}, {5, 21}}) {
        QImage img = Filled(20, 20, kWhite);
        DrawPenLine(img, {10, 10}, {10, 10}, width, kBlack, 0);
        EXPECT_EQ(CountColour(img, kBlack), count) << width;
    }
    // Straight lines are exactly `width` wide.
    for (int width = 2; width <= 12; ++width) {
        QImage img = Filled(60, 60, kWhite);
        DrawPenLine(img, {20, 30}, {40, 30}, width, kBlack, 0);
        int rows = 0;
        for (int y = 0; y < 60; ++y) rows += img.pixel(30, y) == kBlack;
        EXPECT_EQ(rows, width);
    }
    // Joints of a wide polyline are covered by a whole dot: no notch between segments.
    std::mt19937 rng(31);
    std::uniform_int_distribution<int> c(5, 75), wd(2, 15);
    for (int round = 0; round < 20; ++round) {
        const int width = wd(rng);
        QImage img = Filled(80, 80, kWhite);
        std::vector<QPoint> pts;
        for (int i = 0; i < 6; ++i) pts.push_back({c(rng), c(rng)});
        for (size_t i = 1; i < pts.size(); ++i)
            DrawPenLine(img, pts[i - 1], pts[i], width, kBlack, 0);
        for (const QPoint& p : pts) {
            QImage dot = Filled(80, 80, kWhite);
            DrawPenLine(dot, p, p, width, kBlack, 0);
            for (int y = 0; y < 80; ++y)
                for (int x = 0; x < 80; ++x)
                    if (dot.pixel(x, y) == kBlack) {
                        ASSERT_EQ(img.pixel(x, y), kBlack);
                    }
        }
    }
}

TEST(PenLine, FarOutsideIsClippedExactly) {
    for (int width : {1, 3, 7, 100}) {
        QImage img = Filled(50, 40, kWhite);
        DrawPenLine(img, {-2000000000, 20}, {2000000000, 20}, width, kBlack, 0);
        const int rows = std::min(width, 40);
        EXPECT_EQ(CountColour(img, kBlack), 50 * rows) << width;
        if (width < 40) {
            EXPECT_EQ(img.pixel(25, 20 - width / 2), kBlack);
        }
    }
    // The diagonal: one pixel per row, or the centres within 1.5 of it (|x - y| <= 2).
    for (auto [width, reach] : {std::pair{1, 0}, {3, 2}}) {
        QImage img = Filled(50, 40, kWhite);
        DrawPenLine(img, {-1000000000, -1000000000}, {1000000000, 1000000000}, width, kBlack, 0);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 50; ++x)
                ASSERT_EQ(img.pixel(x, y) == kBlack, std::abs(x - y) <= reach) << x << "," << y;
    }
    // Extreme points and a line that misses the picture: no change, no hang.
    QImage img = Filled(50, 40, kWhite);
    const QImage before = img;
    DrawPenLine(img, {INT_MIN, INT_MIN}, {INT_MAX, INT_MIN}, 100, kBlack, 0);
    DrawPenLine(img, {INT_MIN, INT_MAX}, {INT_MAX, INT_MAX}, 1, kBlack, 0);
    DrawPenLine(img, {-1000, 1000}, {1000, 3000}, 9, kBlack, 0);
    EXPECT_EQ(img, before);
    DrawPenLine(img, {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, 1, kBlack, 0);
    EXPECT_GT(CountColour(img, kBlack), 30);
    // Widths out of range are taken as the nearest valid one.
    QImage narrow = Filled(50, 40, kWhite), clamped = Filled(50, 40, kWhite);
    DrawPenLine(narrow, {0, 20}, {49, 20}, 1, kBlack, 0);
    DrawPenLine(clamped, {0, 20}, {49, 20}, -5, kBlack, 0);
    EXPECT_EQ(narrow, clamped);
}
