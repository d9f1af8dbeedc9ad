// Fixed palettes and true-colour flattening.
#include <gtest/gtest.h>

#include <QSet>

#include "library/PictureDepth.h"

using namespace orb;

namespace {

TEST(Depth, FixedPalettesHoldTheirDepthsColours) {
    EXPECT_EQ(FixedPalette(1).size(), 2);
    EXPECT_EQ(FixedPalette(4).size(), 16);
    const QVector<QRgb>& full = FixedPalette(8);
    ASSERT_EQ(full.size(), 256);
    // The 16 VGA colours come first, so a 16-colour picture keeps its colours at 8 bits.
    for (int i = 0; i < 16; ++i) EXPECT_EQ(full[i], FixedPalette(4)[i]);
    for (QRgb c : {qRgb(51, 102, 153), qRgb(255, 255, 255), qRgb(0, 0, 0)})
        EXPECT_TRUE(full.contains(c));
    // Greys beyond the cube's six steps.
    int greys = 0;
    for (QRgb c : full) greys += qRed(c) == qGreen(c) && qGreen(c) == qBlue(c);
    EXPECT_GE(greys, 24);
}

TEST(Depth, TransparencyIsLaidOverWhite) {
    QImage a(2, 1, QImage::Format_ARGB32);
    a.setPixel(0, 0, qRgba(0, 0, 0, 0));
    a.setPixel(1, 0, qRgba(255, 0, 0, 128));
    const QImage t = ToTrueColour(a);
    EXPECT_EQ(t.format(), QImage::Format_RGB32);
    EXPECT_EQ(t.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(t.pixel(1, 0), qRgb(255, 127, 127));
}

TEST(Depth, DitheringOnlyUsesThePaletteAndKeepsTheMean) {
    // A flat mid grey on black and white averages out to about half white.
    QImage grey(64, 64, QImage::Format_RGB32);
    grey.fill(qRgb(128, 128, 128));
    const QImage d = MapToPalette(grey, FixedPalette(1), true);
    ASSERT_EQ(d.colorCount(), 2);
    int white = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) white += d.pixelIndex(x, y);
    EXPECT_NEAR(white / 4096.0, 128 / 255.0, 0.03);
    const QImage n = MapToPalette(grey, FixedPalette(1), false);
    for (int y = 0; y < 64; ++y) EXPECT_EQ(n.pixelIndex(y, y), 1);
}

// The mapping prunes its search per colour cell; it must still find the true nearest.
TEST(Depth, MappingFindsTheTrueNearestEntry) {
    quint32 r = 12345;
    auto next = [&] { return (r = r * 1664525u + 1013904223u) >> 24; };
    QVector<QRgb> pal;
    for (int i = 0; i < 37; ++i) pal.append(qRgb(int(next()), int(next()), int(next())));
    pal.append(pal[5]);  // a duplicate: the first of equals wins
    QImage img(128, 64, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y, qRgb(int(next()), int(next()), int(next())));
    const QImage mapped = MapToPalette(img, pal, false);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            ASSERT_EQ(mapped.pixelIndex(x, y), NearestIndex(pal, img.pixel(x, y))) << x << "," << y;
}

TEST(Depth, UnsupportedDepthIsRefused) {
    QImage img(2, 2, QImage::Format_RGB32);
    QVector<QRgb> pal;
    EXPECT_FALSE(ConvertToDepth(img, 16, false, pal));
    EXPECT_TRUE(ConvertToDepth(img, 24, false, pal));
    EXPECT_EQ(BitmapBits(img), 24);
}

}  // namespace
