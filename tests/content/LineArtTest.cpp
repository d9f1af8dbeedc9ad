// The generator's rules for line art: cleaning closes corner contacts and narrow gaps, the
// BMP it writes reads back pixel for pixel, and fresh seeds of every style come out clean.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cmath>

#include "ContentCheck.h"
#include "Designs.h"
#include "LineArt.h"

using namespace contenttest;
using mandala::LineArt;

namespace {

// Two white boxes separated by a black wall, with `gap` white pixels open in the wall.
LineArt TwoRooms(int gap) {
    LineArt a(40, 20, 1);
    for (int y = 0; y < 20; ++y) a.at(20, y) = a.at(21, y) = 0;
    for (int y = 8; y < 8 + gap; ++y) a.at(20, y) = a.at(21, y) = 1;
    return a;
}

int WhiteRegions(const LineArt& a) {
    std::vector<int> label, area;
    return mandala::LabelWhite(a, label, area);
}

}  // namespace

TEST(LineArt, CornerContactIsFoundAndClosed) {
    // A one-pixel diagonal line: the two sides meet at the corners of its pixels.
    LineArt a(30, 30, 1);
    for (int i = 0; i < 30; ++i) a.at(i, i) = 0;
    EXPECT_GT(mandala::Check(a).diagonalPairs, 0);
    mandala::Clean(a);
    const mandala::Problems p = mandala::Check(a);
    EXPECT_EQ(p.diagonalPairs, 0);
    EXPECT_EQ(WhiteRegions(a), 2);
    EXPECT_EQ(InspectLineArt(mandala::ToImage(a)).regions8, 2);
}

TEST(LineArt, NarrowGapBetweenTwoAreasIsClosed) {
    for (int gap : {1, 2}) {
        LineArt a = TwoRooms(gap);
        EXPECT_EQ(WhiteRegions(a), 1);
        EXPECT_EQ(mandala::Check(a).necks, 1) << gap;
        mandala::Clean(a);
        EXPECT_TRUE(mandala::Check(a).ok()) << mandala::Check(a).describe();
        EXPECT_EQ(WhiteRegions(a), 2) << gap;
    }
    // A real opening is a path, not a leak, and stays open.
    LineArt wide = TwoRooms(6);
    mandala::Clean(wide);
    EXPECT_EQ(WhiteRegions(wide), 1);
}

TEST(LineArt, SpecksAreFilledAndDustRemoved) {
    LineArt a(30, 30, 1);
    // A ring around a 2x2 white hole, and a lone black pixel elsewhere.
    for (int y = 4; y < 8; ++y)
        for (int x = 4; x < 8; ++x) a.at(x, y) = 0;
    a.at(5, 5) = a.at(6, 5) = a.at(5, 6) = a.at(6, 6) = 1;
    a.at(20, 20) = 0;
    EXPECT_EQ(mandala::Check(a).specks, 1);
    mandala::Clean(a);
    EXPECT_EQ(a.at(5, 5), 0);
    EXPECT_EQ(a.at(20, 20), 1);
    EXPECT_TRUE(mandala::Check(a).ok());
}

TEST(LineArt, BmpReadsBackPixelForPixel) {
    // Widths that are not a multiple of 32 exercise the row padding.
    for (int w : {33, 430, 517}) {
        LineArt a(w, 7, 1);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < w; ++x) a.at(x, y) = ((x * 7 + y * 3) % 5) != 0;
        const std::vector<uint8_t> bytes = mandala::EncodeBmp1(a);
        QImage img = QImage::fromData(bytes.data(), int(bytes.size()), "BMP");
        ASSERT_FALSE(img.isNull()) << w;
        ASSERT_EQ(img.width(), w);
        ASSERT_EQ(img.height(), 7);
        EXPECT_EQ(img.depth(), 1);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(img.pixel(x, y) & 0xFFFFFF, a.at(x, y) ? 0xFFFFFFu : 0u) << x << "," << y;
    }
}

TEST(LineArt, SameSeedSameDrawingOtherSeedOtherDrawing) {
    const LineArt a = mandala::MakeDrawing("flower", 7, 430);
    const LineArt b = mandala::MakeDrawing("flower", 7, 430);
    const LineArt c = mandala::MakeDrawing("flower", 8, 430);
    EXPECT_EQ(a.px, b.px);
    EXPECT_NE(a.px, c.px);
    EXPECT_THROW(mandala::MakeDrawing("no such style", 1, 430), std::invalid_argument);
}

TEST(LineArt, FreshSeedsOfEveryStyleComeOutClean) {
    // Seeds the catalogue does not use, at the smallest and the largest size.
    for (const std::string& style : mandala::Styles()) {
        for (int size : {430, 688}) {
            const LineArt art = mandala::MakeDrawing(style, 9000 + size, size);
            const ArtReport r = InspectLineArt(mandala::ToImage(art));
            SCOPED_TRACE(style + " " + std::to_string(size));
            EXPECT_EQ(r.regions4, r.regions8);
            EXPECT_GE(r.smallest, 12);
            EXPECT_EQ(r.necks, 0);
            EXPECT_GE(r.regions4, 60);
        }
    }
}

namespace {

// Over (true) or under at each crossing along one strand, in order.
std::vector<bool> OverAlong(const std::vector<mandala::WeaveCrossing>& cross, int strand) {
    std::vector<std::pair<double, bool>> seen;
    for (const auto& c : cross)
        for (int side = 0; side < 2; ++side)
            if (c.strand[side] == strand) seen.push_back({c.at[side], c.top == side});
    std::sort(seen.begin(), seen.end());
    std::vector<bool> over;
    for (const auto& s : seen) over.push_back(s.second);
    return over;
}

void ExpectAlternating(const std::vector<bool>& over) {
    ASSERT_FALSE(over.empty());
    ASSERT_EQ(over.size() % 2, 0u);  // a closed strand returns to where it started
    for (size_t i = 0; i < over.size(); ++i)
        EXPECT_NE(over[i], over[(i + 1) % over.size()]) << "at crossing " << i;
}

}  // namespace

TEST(Weave, BraidAlternatesAlsoWhereCrossingsFallOnVertices) {
    // Two strands crossing every 20 samples (or every 400 / 2n), on a vertex of both, as
    // braids around a ring are sampled.
    for (int n = 3; n <= 24; ++n) {
        for (int samples : {n * 40, std::max(400, n * 40), 360}) {
            std::vector<std::vector<QPointF>> strands(2);
            for (int s = 0; s < 2; ++s)
                for (int i = 0; i < samples; ++i) {
                    const double a = 2 * M_PI * i / samples;
                    const double r = 100 + 20 * std::sin(n * a + s * M_PI);
                    strands[s].push_back({r * std::sin(a), -r * std::cos(a)});
                }
            const auto cross = mandala::Weave(strands);
            SCOPED_TRACE(std::to_string(n) + " crossings, " + std::to_string(samples));
            ASSERT_EQ(cross.size(), size_t(2 * n));
            for (int s = 0; s < 2; ++s) ExpectAlternating(OverAlong(cross, s));
        }
    }
}

TEST(Weave, KnotOfOneStrandAlternates) {
    // r = 100 + 30 cos(5a / 2) over two turns: one closed curve with five self-crossings.
    std::vector<std::vector<QPointF>> strands(1);
    for (int i = 0; i < 1000; ++i) {
        const double a = 4 * M_PI * (i + 0.5) / 1000;
        const double r = 100 + 30 * std::cos(2.5 * a);
        strands[0].push_back({r * std::sin(a), -r * std::cos(a)});
    }
    const auto cross = mandala::Weave(strands);
    EXPECT_EQ(cross.size(), 5u);
    ExpectAlternating(OverAlong(cross, 0));
}
