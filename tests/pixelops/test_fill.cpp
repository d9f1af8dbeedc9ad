// Flood region against a plain breadth-first search over pixels, and the fill styles.
#include <gtest/gtest.h>

#include <deque>

#include "paint/PixelOps.h"
#include "tests/pixelops/PixelTestUtil.h"

using namespace orb;
using orbtest::Filled;

namespace {

// Slow and obviously right: breadth-first over 4-neighbours of exactly the seed's colour.
std::vector<char> ReferenceRegion(const QImage& img, QPoint seed) {
    const int w = img.width(), h = img.height();
    std::vector<char> in(size_t(w) * h, 0);
    const QRgb c = img.pixel(seed);
    std::deque<QPoint> queue{seed};
    in[seed.y() * w + seed.x()] = 1;
    while (!queue.empty()) {
        const QPoint p = queue.front();
        queue.pop_front();
        for (QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
            const QPoint q = p + d;
            if (q.x() < 0 || q.y() < 0 || q.x() >= w || q.y() >= h) continue;
            if (in[q.y() * w + q.x()] || img.pixel(q) != c) continue;
            in[q.y() * w + q.x()] = 1;
            queue.push_back(q);
        }
    }
    return in;
}

// The region's spans as a mask; fails on spans out of the picture or covering a pixel twice.
std::vector<char> SpansToMask(const std::vector<Span>& spans, int w, int h) {
    std::vector<char> in(size_t(w) * h, 0);
    for (const Span& s : spans) {
        EXPECT_TRUE(s.y >= 0 && s.y < h && s.x1 >= 0 && s.x1 <= s.x2 && s.x2 < w)
            << s.y << " " << s.x1 << " " << s.x2;
        if (s.y < 0 || s.y >= h) continue;
        for (int x = std::max(0, s.x1); x <= std::min(w - 1, s.x2); ++x) {
            EXPECT_EQ(in[s.y * w + x], 0) << "pixel taken twice at " << x << "," << s.y;
            in[s.y * w + x] = 1;
        }
    }
    return in;
}

void ExpectSameRegion(const QImage& img, QPoint seed) {
    const auto ref = ReferenceRegion(img, seed);
    const auto got = SpansToMask(FloodRegion(img, seed), img.width(), img.height());
    ASSERT_EQ(got, ref) << "seed " << seed.x() << "," << seed.y();
}

std::vector<QPoint> Seeds(std::mt19937& rng, int w, int h) {
    std::vector<QPoint> s{{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}, {w / 2, 0}, {0, h / 2}};
    std::uniform_int_distribution<int> px(0, w - 1), py(0, h - 1);
    for (int i = 0; i < 10; ++i) s.push_back({px(rng), py(rng)});
    return s;
}

}  // namespace

TEST(FloodRegion, MatchesBreadthFirstOnRandomPictures) {
    std::mt19937 rng(1234);
    for (int round = 0; round < 6; ++round) {
        // Odd widths and widths around the scanner's block sizes.
        const int w = 1 + round * 13 + (round % 2) * 4, h = 3 + round * 7;
        for (int colours : {2, 3}) {
            const QImage img = orbtest::RandomNoise(rng, w, h, colours);
            for (QPoint seed : Seeds(rng, w, h)) ExpectSameRegion(img, seed);
        }
        const QImage art = orbtest::RandomLineArt(rng, 40 + 17 * round, 30 + 11 * round);
        for (QPoint seed : Seeds(rng, art.width(), art.height())) ExpectSameRegion(art, seed);
    }
}

TEST(FloodRegion, MazesAndWholePicture) {
    std::mt19937 rng(99);
    for (auto [cx, cy] : {std::pair{1, 1}, {7, 3}, {40, 25}, {63, 64}}) {
        const QImage maze = orbtest::Maze(rng, cx, cy);
        for (QPoint seed : Seeds(rng, maze.width(), maze.height())) ExpectSameRegion(maze, seed);
        // Every corridor pixel is reached from the first cell of a perfect maze.
        const auto spans = FloodRegion(maze, {1, 1});
        size_t n = 0;
        for (const Span& s : spans) n += s.x2 - s.x1 + 1;
        EXPECT_EQ(n, size_t(2 * cx * cy - 1));
    }
    const QImage one = Filled(257, 5, 0xff123456);
    const auto spans = FloodRegion(one, {256, 4});
    ASSERT_EQ(spans.size(), 5u);
    for (const Span& s : spans) EXPECT_TRUE(s.x1 == 0 && s.x2 == 256);
}

TEST(FloodRegion, SeedOutsideOrOtherFormats) {
    const QImage img = Filled(10, 10, 0xffffffff);
    for (QPoint p : {QPoint(-1, 0), QPoint(0, -1), QPoint(10, 0), QPoint(0, 10)})
        EXPECT_TRUE(FloodRegion(img, p).empty());
    EXPECT_TRUE(FloodRegion(QImage(), {0, 0}).empty());
    // A picture in another format is read by colour, not by raw bytes.
    std::mt19937 rng(5);
    const QImage art = orbtest::RandomLineArt(rng, 50, 40);
    const QImage rgb888 = art.convertToFormat(QImage::Format_RGB888);
    for (QPoint seed : Seeds(rng, 50, 40))
        EXPECT_EQ(SpansToMask(FloodRegion(rgb888, seed), 50, 40), ReferenceRegion(art, seed));
}

TEST(FillStyles, IndexAndHatchLines) {
    EXPECT_EQ(FillStyleFromIndex(-1), FillStyle::Solid);
    EXPECT_EQ(FillStyleFromIndex(7), FillStyle::Solid);
    EXPECT_EQ(FillStyleFromIndex(3), FillStyle::FDiagonal);
    EXPECT_EQ(FillStyleFromIndex(4), FillStyle::BDiagonal);
    // Lines of each hatch: horizontal rows 0 mod 8, vertical columns 0 mod 8,
    // "\" through (0,0) and (1,1), "/" through (7,0) and (0,7); negative coordinates continue
    // the same grid.
    EXPECT_TRUE(HatchCovers(FillStyle::Horizontal, 5, -8));
    EXPECT_FALSE(HatchCovers(FillStyle::Horizontal, 0, -1));
    EXPECT_TRUE(HatchCovers(FillStyle::Vertical, -16, 3));
    EXPECT_FALSE(HatchCovers(FillStyle::Vertical, -1, 3));
    EXPECT_TRUE(HatchCovers(FillStyle::FDiagonal, 1, 1));
    EXPECT_TRUE(HatchCovers(FillStyle::FDiagonal, -3, 5));
    EXPECT_FALSE(HatchCovers(FillStyle::FDiagonal, 1, 0));
    EXPECT_TRUE(HatchCovers(FillStyle::BDiagonal, 7, 0));
    EXPECT_TRUE(HatchCovers(FillStyle::BDiagonal, -1, 0));
    EXPECT_FALSE(HatchCovers(FillStyle::BDiagonal, 0, 0));
    EXPECT_TRUE(HatchCovers(FillStyle::FDiagonal, INT_MIN, 0));
    // Counts in one 8x8 tile: one line each, crossings counted once.
    const int expected[] = {64, 8, 8, 8, 8, 15, 16};
    for (int s = 0; s < 7; ++s) {
        int n = 0;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) n += HatchCovers(FillStyle(s), x + 80, y - 40);
        EXPECT_EQ(n, expected[s]) << s;
    }
}

TEST(FillStyles, HatchedFillKeepsOldColourBetweenLines) {
    std::mt19937 rng(7);
    const QImage art = orbtest::RandomLineArt(rng, 77, 53);
    const QRgb paint = 0xff2040e0;
    for (int s = 0; s < 7; ++s) {
        for (QPoint seed : Seeds(rng, art.width(), art.height())) {
            QImage img = art;
            const auto in = ReferenceRegion(art, seed);
            PaintSpans(img, FloodRegion(art, seed), paint, FillStyle(s));
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x) {
                    const bool painted = in[y * img.width() + x] && HatchCovers(FillStyle(s), x, y);
                    ASSERT_EQ(img.pixel(x, y), painted ? paint : art.pixel(x, y))
                        << "style " << s << " at " << x << "," << y;
                }
        }
    }
}

TEST(FillStyles, SpansOffThePictureAreClipped) {
    QImage img = Filled(20, 10, 0xffffffff);
    const QImage before = img;
    PaintSpans(img, {{-1, 0, 19}, {10, 0, 19}, {3, -50, -1}, {3, 20, 400}}, 0xff000000,
               FillStyle::Solid);
    EXPECT_EQ(img, before);
    PaintSpans(img, {{4, -100, 100}}, 0x00ff0000, FillStyle::Solid);
    for (int x = 0; x < 20; ++x) EXPECT_EQ(img.pixel(x, 4), 0xffff0000u);  // stays opaque
}
