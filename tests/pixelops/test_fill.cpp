// Flood region against a plain breadth-first search over pixels, and the fill styles.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <functional>

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

namespace {

// What a fill must leave: the reference region painted pixel by pixel where the hatch covers.
QImage ReferenceFill(const QImage& art, QPoint seed, QRgb colour, FillStyle style) {
    QImage out = art.convertToFormat(QImage::Format_RGB32);
    if (!art.rect().contains(seed)) return out;
    const auto in = ReferenceRegion(out, seed);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            if (in[size_t(y) * out.width() + x] && HatchCovers(style, x, y))
                out.setPixel(x, y, 0xff000000u | colour);
    return out;
}

// Pictures whose regions cross the 64-pixel words of the row masks in every way: widths
// around multiples of 64, noise, line art, mazes and long random walls.
std::vector<QImage> Pictures(std::mt19937& rng) {
    std::vector<QImage> pics;
    for (int w : {1, 3, 63, 64, 65, 130}) {
        pics.push_back(orbtest::RandomNoise(rng, w, 9, 2));
        pics.push_back(orbtest::RandomNoise(rng, w, 5, 4));
    }
    pics.push_back(orbtest::RandomLineArt(rng, 129, 70));
    pics.push_back(orbtest::RandomLineArt(rng, 200, 41));
    pics.push_back(orbtest::Maze(rng, 40, 21));
    pics.push_back(orbtest::Maze(rng, 64, 8));
    QImage walls = Filled(191, 77, 0xffffffff);
    std::uniform_int_distribution<int> px(0, 190), py(0, 76), len(1, 120), pick(0, 3);
    const QRgb kWall[] = {0xff000000, 0xffff0000, 0xfffffffe, 0xffffffff};
    for (int i = 0; i < 60; ++i) {
        const QRgb c = kWall[pick(rng)];
        const int x = px(rng), y = py(rng), n = len(rng);
        for (int k = 0; k < n; ++k) {
            const int xx = i % 2 ? std::min(190, x + k) : x, yy = i % 2 ? y : std::min(76, y + k);
            walls.setPixel(xx, yy, c);
        }
    }
    pics.push_back(walls);
    return pics;
}

}  // namespace

// The fill must match the reference however far the scanline search gets before the row
// labelling takes over (0: at once; small budgets: part painted, then labelled).
TEST(FloodFill, MatchesReferenceForEveryStyleAndSwitchPoint) {
    std::mt19937 rng(2024);
    const QRgb paint = 0xff3070c0;
    int cases = 0;
    for (const QImage& art : Pictures(rng)) {
        for (QPoint seed : Seeds(rng, art.width(), art.height())) {
            const int s = int(rng() % 7);  // every style over the whole set, one per seed
            const QImage want = ReferenceFill(art, seed, paint, FillStyle(s));
            for (size_t budget : {size_t(0), size_t(1), size_t(4), kAutoSpans, size_t(-1)}) {
                QImage img = art;
                FloodFill(img, seed, paint, FillStyle(s), budget);
                ASSERT_EQ(orbtest::CountDiff(img, want), 0)
                    << art.width() << "x" << art.height() << " seed " << seed.x() << "," << seed.y()
                    << " style " << s << " budget " << budget;
                ++cases;
            }
            for (size_t budget : {size_t(0), size_t(3)})
                ASSERT_EQ(SpansToMask(FloodRegion(art, seed, budget), art.width(), art.height()),
                          ReferenceRegion(art, seed))
                    << "region, budget " << budget;
        }
    }
    EXPECT_GT(cases, 500);
}

// The automatic choice weighs the box the search has reached against the picture's runs:
// a maze away from the picture's edges, walled off among small cells of its colour, and a
// maze that is the whole picture; the fill is the same whichever way it goes.
TEST(FloodFill, AutomaticChoiceOnMazesAmongCellsAndAlone) {
    std::mt19937 rng(41);
    const QRgb white = 0xffffffff, paint = 0xffc03070;
    QImage cells = Filled(420, 360, white);
    for (int y = 0; y < cells.height(); ++y)
        for (int x = 0; x < cells.width(); ++x)
            if (x % 4 == 3 || y % 4 == 3) cells.setPixel(x, y, 0xff000000);
    const QImage inner = orbtest::Maze(rng, 90, 70);  // 181 x 141, walls all round
    for (int y = 0; y < inner.height(); ++y)
        for (int x = 0; x < inner.width(); ++x) cells.setPixel(77 + x, 101 + y, inner.pixel(x, y));
    const QImage alone = orbtest::Maze(rng, 150, 120);
    for (const auto& [art, seed] : {std::pair{cells, QPoint(78, 102)},
                                    {cells, QPoint(300, 20)},
                                    {alone, QPoint(1, 1)},
                                    {alone, QPoint(299, 239)}}) {
        ASSERT_EQ(art.pixel(seed), white);
        QImage img = art;
        FloodFill(img, seed, paint, FillStyle::Solid);
        EXPECT_EQ(orbtest::CountDiff(img, ReferenceFill(art, seed, paint, FillStyle::Solid)), 0)
            << art.width() << "x" << art.height() << " seed " << seed.x() << "," << seed.y();
    }
}

TEST(FloodFill, EveryStyleOnLabelledRows) {
    std::mt19937 rng(77);
    const QImage art = orbtest::RandomLineArt(rng, 150, 90);
    for (int s = 0; s < 7; ++s)
        for (QPoint seed : Seeds(rng, art.width(), art.height())) {
            QImage img = art;
            FloodFill(img, seed, 0xff10e020, FillStyle(s), 0);
            ASSERT_EQ(orbtest::CountDiff(img, ReferenceFill(art, seed, 0xff10e020, FillStyle(s))),
                      0)
                << "style " << s;
        }
}

TEST(FloodFill, SameColourOutsideSeedAndForeignLayouts) {
    std::mt19937 rng(3);
    const QImage art = orbtest::RandomLineArt(rng, 70, 50);
    QImage img = art;
    FloodFill(img, {5, 5}, art.pixel(5, 5), FillStyle::Solid, 0);  // nothing to change
    EXPECT_EQ(img, art);
    for (QPoint p : {QPoint(-1, 0), QPoint(70, 3), QPoint(2, 50)}) {
        FloodFill(img, p, 0xff00ff00, FillStyle::Solid);
        EXPECT_EQ(img, art);
    }
    QImage none;
    FloodFill(none, {0, 0}, 0xff00ff00, FillStyle::Solid);
    EXPECT_TRUE(none.isNull());

    // A transparent brush colour still paints opaque pixels.
    img = Filled(9, 9, 0xffffffff);
    FloodFill(img, {4, 4}, 0x00123456, FillStyle::Solid, 0);
    EXPECT_EQ(img.pixel(8, 8), 0xff123456u);

    // Rows with padding between them and pictures of another format.
    const int w = 67, h = 23, stride = (w + 5) * 4;
    std::vector<uchar> buffer(size_t(stride) * h, 0xab);
    QImage padded(buffer.data(), w, h, stride, QImage::Format_RGB32);
    const QImage source = orbtest::RandomNoise(rng, w, h, 2);
    for (int y = 0; y < h; ++y) std::memcpy(padded.scanLine(y), source.constScanLine(y), w * 4);
    for (size_t budget : {size_t(0), kAutoSpans}) {
        QImage a = padded;  // shares the buffer until written
        FloodFill(a, {w - 1, h - 1}, 0xff0000ff, FillStyle::Cross, budget);
        EXPECT_EQ(orbtest::CountDiff(
                      a, ReferenceFill(source, {w - 1, h - 1}, 0xff0000ff, FillStyle::Cross)),
                  0);
    }
    for (int y = 0; y < h; ++y)  // the padding past each row is never written
        for (int i = w * 4; i < stride; ++i) ASSERT_EQ(buffer[size_t(y) * stride + i], 0xab);
    QImage rgb888 = source.convertToFormat(QImage::Format_RGB888);
    FloodFill(rgb888, {0, 0}, 0xff0000ff, FillStyle::Solid, 0);
    EXPECT_EQ(
        orbtest::CountDiff(rgb888, ReferenceFill(source, {0, 0}, 0xff0000ff, FillStyle::Solid)), 0);
}

// Regions past the search's first budget: the search is weighed against labelling, resumed or
// switched, with the same result either way.
TEST(FloodFill, LargeFragmentedRegionWithTheChosenMethod) {
    std::mt19937 rng(11);
    const QImage maze = orbtest::Maze(rng, 120, 90);
    for (int s : {0, 3, 6}) {
        QImage img = maze;
        FloodFill(img, {1, 1}, 0xffc02060, FillStyle(s));
        ASSERT_EQ(orbtest::CountDiff(img, ReferenceFill(maze, {1, 1}, 0xffc02060, FillStyle(s))), 0)
            << "style " << s;
    }
}

// Long hatched runs are painted many pixels at a time: every start column mod 16, lengths
// around the store widths, a wall on each side of the run and padding after the row that must
// all stay untouched.
TEST(FloodFill, LongHatchedRunsAtEveryPhaseAndLength) {
    constexpr QRgb kWall = 0xff000000, kBack = 0xffffffff, kPaint = 0xff2050a0;
    int cases = 0;
    for (int x1 = 0; x1 < 18; ++x1)
        for (int len :
             {32, 33, 34, 39, 40, 47, 48, 49, 63, 64, 65, 66, 79, 80, 81, 127, 128, 131}) {
            const int w = x1 + len + 2, h = 9, stride = (w + 3) * 4;
            std::vector<uchar> buffer(size_t(stride) * h, 0x5a);
            QImage art(buffer.data(), w, h, stride, QImage::Format_RGB32);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    art.setPixel(x, y, x == x1 - 1 || x == x1 + len ? kWall : kBack);
            for (int s = 1; s < 7; ++s) {
                const QImage want = ReferenceFill(art, {x1, 4}, kPaint, FillStyle(s));
                QImage img = art;  // a copy with its own rows, shares nothing once written
                FloodFill(img, {x1, 4}, kPaint, FillStyle(s));
                ASSERT_EQ(orbtest::CountDiff(img, want), 0)
                    << "start " << x1 << " length " << len << " style " << s;
                ++cases;
            }
            // Painted in place: the bytes past each row stay as they were.
            FloodFill(art, {x1, 4}, kPaint, FillStyle::DiagCross);
            for (int y = 0; y < h; ++y)
                for (int i = w * 4; i < stride; ++i)
                    ASSERT_EQ(buffer[size_t(y) * stride + i], 0x5a)
                        << "start " << x1 << " length " << len;
        }
    EXPECT_EQ(cases, 18 * 18 * 6);
}

// Fills in a row share the search's bookkeeping: what one fill marked, on a picture of any
// size, whichever method it ended with, must not hide pixels from the next.
TEST(FloodFill, OneFillLeavesNothingBehindForTheNext) {
    std::mt19937 rng(5);
    const QImage big = orbtest::Maze(rng, 300, 200);
    const QImage noise = orbtest::RandomNoise(rng, 97, 61, 2);
    const QImage narrow = orbtest::RandomLineArt(rng, 40, 150);
    int cases = 0;
    for (int round = 0; round < 3; ++round)
        for (const QImage* art : {&big, &noise, &narrow, &big, &narrow, &noise})
            for (size_t budget : {kAutoSpans, size_t(0), size_t(50), size_t(-1)}) {
                const QPoint seed(int(rng() % art->width()), int(rng() % art->height()));
                QImage img = *art;
                FloodFill(img, seed, 0xff804020, FillStyle::Solid, budget);
                ASSERT_EQ(orbtest::CountDiff(
                              img, ReferenceFill(*art, seed, 0xff804020, FillStyle::Solid)),
                          0)
                    << art->width() << "x" << art->height() << " budget " << budget;
                ASSERT_EQ(SpansToMask(FloodRegion(*art, seed, budget), art->width(), art->height()),
                          ReferenceRegion(*art, seed));
                ++cases;
            }
    EXPECT_EQ(cases, 3 * 6 * 4);
}

namespace {

QImage Pattern(int w, int h, const std::function<bool(int, int)>& isA) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.setPixel(x, y, isA(x, y) ? 0xffffffff : 0xff000000);
    return img;
}

// A square spiral corridor of white in black, one pixel wide, from (1, 1) inwards.
QImage Spiral(int side) {
    QImage img = Filled(side, side, 0xff000000);
    const int dx[] = {1, 0, -1, 0}, dy[] = {0, 1, 0, -1};
    int x = 1, y = 1;
    img.setPixel(x, y, 0xffffffff);
    for (int leg = 0;; ++leg) {
        const int len = leg < 3 ? side - 3 : side - 3 - 2 * ((leg - 1) / 2);
        if (len <= 0) return img;
        for (int k = 0; k < len; ++k) {
            x += dx[leg % 4];
            y += dy[leg % 4];
            img.setPixel(x, y, 0xffffffff);
        }
    }
}

// The fill, for every style and however early the labelling takes over, against the
// reference; returns how many fills were compared.
int ExpectFillsMatch(const QImage& art, const std::vector<QPoint>& seeds, const char* what) {
    int n = 0;
    for (size_t i = 0; i < seeds.size(); ++i) {
        const QPoint seed = seeds[i];
        const auto style = FillStyle(int((i + art.width()) % 7));
        const QImage want = ReferenceFill(art, seed, 0xff3070c0, style);
        for (size_t budget : {size_t(0), size_t(2), kAutoSpans, size_t(-1)}) {
            QImage img = art;
            FloodFill(img, seed, 0xff3070c0, style, budget);
            EXPECT_EQ(orbtest::CountDiff(img, want), 0)
                << what << " " << art.width() << "x" << art.height() << " seed " << seed.x() << ","
                << seed.y() << " style " << int(style) << " budget " << budget;
            ++n;
        }
        EXPECT_EQ(SpansToMask(FloodRegion(art, seed, 0), art.width(), art.height()),
                  ReferenceRegion(art, seed))
            << what << " seed " << seed.x() << "," << seed.y();
    }
    return n;
}

std::vector<QPoint> BorderSeeds(std::mt19937& rng, int w, int h) {
    std::vector<QPoint> s = Seeds(rng, w, h);
    std::uniform_int_distribution<int> px(0, w - 1), py(0, h - 1);
    for (int i = 0; i < 3; ++i) {
        s.push_back({px(rng), h - 1});
        s.push_back({w - 1, py(rng)});
    }
    return s;
}

}  // namespace

// Pictures the row labelling finds hardest, at widths around the mask's 64-pixel words:
// up to 32 runs in a word (stripes, checkerboards), combs whose teeth meet only in the last
// row or only in the first (every tooth a set of its own until then), teeth joined one pair
// at a time from the right, and a spiral whose one corridor turns back on itself row after row.
TEST(FloodFill, DenseRunsCombsAndSpiralsMatchReference) {
    std::mt19937 rng(808);
    int cases = 0;
    for (int w : {2, 63, 64, 65, 127, 129, 200}) {
        const int h = 9 + w % 7;
        const std::pair<const char*, QImage> pics[] = {
            {"stripes", Pattern(w, h, [](int x, int) { return x % 2 == 0; })},
            {"checkerboard", Pattern(w, h, [](int x, int y) { return (x + y) % 2 == 0; })},
            {"comb from below",
             Pattern(w, h, [h](int x, int y) { return x % 2 == 0 || y == h - 1; })},
            {"comb from above", Pattern(w, h, [](int x, int y) { return x % 2 == 0 || y == 0; })},
            {"two combs", Pattern(w, h,
                                  [h](int x, int y) {
                                      return y == 0       ? x % 4 == 0
                                             : y == h - 1 ? x % 4 == 2
                                                          : x % 2 == 0;
                                  })},
        };
        for (const auto& [what, art] : pics)
            cases += ExpectFillsMatch(art, BorderSeeds(rng, w, h), what);
        // Teeth bridged pair by pair, the rightmost pair first, a row further down each time:
        // each tooth's set is hung under its left neighbour's, a chain as long as the row.
        const int teeth = (w + 1) / 2;
        const QImage stairs = Pattern(w, 2 * teeth + 1, [teeth](int x, int y) {
            const int k = teeth - 1 - (y - 1) / 2;  // the pair bridged in row y
            return x % 2 == 0 || (y % 2 == 1 && x >= 2 * k && x <= 2 * k + 2);
        });
        cases += ExpectFillsMatch(stairs, BorderSeeds(rng, stairs.width(), stairs.height()),
                                  "staircase");
    }
    for (int side : {9, 66, 131}) {
        const QImage spiral = Spiral(side);
        cases += ExpectFillsMatch(spiral, {{1, 1}, {side / 2, side / 2}, {0, 0}}, "spiral");
    }
    EXPECT_GT(cases, 500);
}

// Pictures one pixel wide or tall (and 1x1), random sizes and contents, seeds on every border,
// and regions that touch all four edges: a frame of the seed colour round noise, line art
// and mazes.
TEST(FloodFill, ThinPicturesBorderSeedsAndRegionsOnEveryEdge) {
    std::mt19937 rng(4242);
    int cases = 0;
    for (auto [w, h] : {std::pair{1, 1}, {1, 2}, {2, 1}, {1, 70}, {70, 1}, {1, 130}, {200, 1}})
        for (int colours : {2, 3})
            cases += ExpectFillsMatch(orbtest::RandomNoise(rng, w, h, colours),
                                      BorderSeeds(rng, w, h), "thin");
    std::uniform_int_distribution<int> size(1, 140);
    for (int round = 0; round < 12; ++round) {
        const int w = size(rng), h = size(rng) % 40 + 1;
        QImage art = round % 3 == 0   ? orbtest::RandomNoise(rng, w, h, 2)
                     : round % 3 == 1 ? orbtest::RandomLineArt(rng, w, h)
                                      : orbtest::Maze(rng, (w + 1) / 2, (h + 1) / 2);
        // The frame: the seed colour all round, so the region reaches every edge.
        for (int x = 0; x < art.width(); ++x) {
            art.setPixel(x, 0, 0xffffffff);
            art.setPixel(x, art.height() - 1, 0xffffffff);
        }
        for (int y = 0; y < art.height(); ++y) {
            art.setPixel(0, y, 0xffffffff);
            art.setPixel(art.width() - 1, y, 0xffffffff);
        }
        cases += ExpectFillsMatch(art, BorderSeeds(rng, art.width(), art.height()), "framed");
    }
    EXPECT_GT(cases, 700);
}
