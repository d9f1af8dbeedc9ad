// Nearest-neighbour stretch into the ellipse against a per-pixel reference.
#include <gtest/gtest.h>

#include "paint/PixelOps.h"
#include "tests/pixelops/PixelTestUtil.h"

using namespace orb;
using orbtest::Filled;

namespace {

constexpr QRgb kMark = 0xff010203;

// Per destination pixel: inside the rectangle and with its centre inside or on the inscribed
// ellipse, it takes source pixel ((x - l) * srcW / w, (y - t) * srcH / h).
QImage Reference(const QImage& dst, QRect rect, const QImage& src) {
    QImage out = dst;
    const __int128 l = rect.left(), t = rect.top(), w = rect.width(), h = rect.height();
    if (w <= 0 || h <= 0) return out;
    for (int y = 0; y < dst.height(); ++y)
        for (int x = 0; x < dst.width(); ++x) {
            if (x < l || x >= l + w || y < t || y >= t + h) continue;
            const __int128 X = 2 * (x - l) + 1 - w, Y = 2 * (y - t) + 1 - h;
            if (X * X * h * h + Y * Y * w * w > w * w * h * h) continue;
            out.setPixel(
                x, y, src.pixel(int((x - l) * src.width() / w), int((y - t) * src.height() / h)));
        }
    return out;
}

void ExpectMatches(QSize dstSize, QRect rect, const QImage& src) {
    const QImage dst = Filled(dstSize.width(), dstSize.height(), kMark);
    QImage got = dst;
    StretchIntoEllipse(got, rect, src);
    const QImage want = Reference(dst, rect, src);
    ASSERT_EQ(orbtest::CountDiff(got, want), 0)
        << rect.x() << "," << rect.y() << " " << rect.width() << "x" << rect.height() << " from "
        << src.width() << "x" << src.height() << " into " << dstSize.width() << "x"
        << dstSize.height();
}

}  // namespace

TEST(StretchIntoEllipse, MatchesReferenceOnRandomGeometry) {
    std::mt19937 rng(41);
    std::uniform_int_distribution<int> sz(1, 60), off(-80, 80), rs(1, 150);
    for (int i = 0; i < 300; ++i) {
        const QImage src = orbtest::RandomNoise(rng, sz(rng), sz(rng), 4);
        ExpectMatches({sz(rng) + 10, sz(rng) + 10}, QRect(off(rng), off(rng), rs(rng), rs(rng)),
                      src);
    }
}

TEST(StretchIntoEllipse, ZoomsAndDegenerateRects) {
    std::mt19937 rng(42);
    const QImage src = orbtest::RandomNoise(rng, 37, 23, 4);
    // 1000 %, centred and panned so the edge of the ellipse crosses the window.
    ExpectMatches({90, 70}, QRect(45 - 185, 35 - 115, 370, 230), src);
    ExpectMatches({90, 70}, QRect(-300, -10, 370, 230), src);
    // Smaller than the picture: rows and columns are dropped.
    ExpectMatches({90, 70}, QRect(5, 5, 11, 7), src);
    // One pixel and one row.
    ExpectMatches({20, 20}, QRect(3, 4, 1, 1), src);
    ExpectMatches({20, 20}, QRect(0, 4, 20, 1), src);
    // Huge zoom: a 2,000,000 pixel wide ellipse around the window.
    ExpectMatches({64, 48}, QRect(32 - 1000000, 24 - 700000, 2000000, 1400000), src);
    ExpectMatches({64, 48}, QRect(-1999990, -10, 2000000, 60), src);

    // Nothing happens for an empty rectangle or an empty source.
    QImage dst = Filled(30, 30, kMark);
    const QImage before = dst;
    StretchIntoEllipse(dst, QRect(0, 0, 0, 30), src);
    StretchIntoEllipse(dst, QRect(0, 0, 30, 0), src);
    StretchIntoEllipse(dst, QRect(0, 0, 30, 30), QImage());
    StretchIntoEllipse(dst, QRect(40, 0, 30, 30), src);
    EXPECT_EQ(dst, before);

    // A source in another format shows the same colours.
    QImage a = Filled(40, 40, kMark), b = Filled(40, 40, kMark);
    StretchIntoEllipse(a, QRect(-5, 2, 50, 33), src);
    StretchIntoEllipse(b, QRect(-5, 2, 50, 33), src.convertToFormat(QImage::Format_RGB888));
    EXPECT_EQ(a, b);
}

TEST(StretchIntoEllipse, OneToOneCopiesTheDisc) {
    // At 100 % the source is copied pixel for pixel inside the circle; corners stay as they were.
    std::mt19937 rng(43);
    const QImage src = orbtest::RandomNoise(rng, 31, 31, 4);
    QImage dst = Filled(31, 31, kMark);
    StretchIntoEllipse(dst, QRect(0, 0, 31, 31), src);
    EXPECT_EQ(dst.pixel(15, 15), src.pixel(15, 15));
    EXPECT_EQ(dst.pixel(0, 15), src.pixel(0, 15));
    EXPECT_EQ(dst.pixel(15, 30), src.pixel(15, 30));
    EXPECT_EQ(dst.pixel(0, 0), kMark);
    EXPECT_EQ(dst.pixel(30, 30), kMark);
}

TEST(StretchIntoEllipse, PictureIntoItself) {
    std::mt19937 rng(44);
    const QImage src = orbtest::RandomNoise(rng, 40, 40, 4);
    QImage self = src;
    StretchIntoEllipse(self, QRect(-20, -20, 80, 80), self);
    QImage other = src;
    StretchIntoEllipse(other, QRect(-20, -20, 80, 80), src);
    EXPECT_EQ(self, other);
}
