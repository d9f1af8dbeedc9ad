#include <gtest/gtest.h>

#include <QPainter>
#include <set>

#include "paint/ProImg.h"

using namespace orb;

TEST(ProportionalImage, LayoutKeepsProportions) {
    // Twice as wide as high in 120x120 at 100 %: 120x60 at (0, 30).
    EXPECT_EQ(ProportionalRect({120, 120}, {200, 100}, 100, 100, false, false, 0, 0),
              QRect(0, 30, 120, 60));
    // Square in 1024x768 at 100 %: limited by the height.
    EXPECT_EQ(ProportionalRect({1024, 768}, {50, 50}, 100, 100, false, false, 0, 0),
              QRect(128, 0, 768, 768));
    // The 90 % defaults in 100x100.
    EXPECT_EQ(ProportionalRect({100, 100}, {7, 7}, 90, 90, false, false, 0, 0),
              QRect(5, 5, 90, 90));
    EXPECT_TRUE(ProportionalRect({100, 100}, {0, 10}, 90, 90, false, false, 0, 0).isNull());
}

TEST(ProportionalImage, StaticSizesReplaceOneSide) {
    // Static width 50 %: w from the static rule, h from the normal one.
    EXPECT_EQ(ProportionalRect({200, 200}, {100, 100}, 100, 100, true, false, 50, 50),
              QRect(50, 0, 100, 200));
    // Static height: h from the static rule, w from the normal one.
    EXPECT_EQ(ProportionalRect({200, 200}, {100, 100}, 100, 100, false, true, 50, 50),
              QRect(0, 50, 200, 100));
}

TEST(ProportionalImage, ComposeDrawsBackgroundRectangleAndPicture) {
    TProportionalImage c;
    c.resize(120, 120);
    c.SetSx(100);
    c.SetSy(100);
    c.Background().SetBrush(QColor(140, 177, 156));
    c.Background().SetPen(QPen(Qt::white));
    QImage empty = c.Compose();  // an empty picture: background and rectangle only
    EXPECT_EQ(empty.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(empty.pixel(60, 60), qRgb(140, 177, 156));
    QImage pic(200, 100, QImage::Format_RGB32);
    pic.fill(qRgb(200, 0, 0));
    c.SetImage(pic);
    EXPECT_TRUE(c.NewImage);
    QImage img = c.Compose();
    EXPECT_EQ(img.pixel(60, 29), qRgb(140, 177, 156));
    EXPECT_EQ(img.pixel(60, 30), qRgb(200, 0, 0));
    EXPECT_EQ(img.pixel(60, 89), qRgb(200, 0, 0));
    EXPECT_EQ(img.pixel(60, 90), qRgb(140, 177, 156));
}

TEST(ProportionalImage, RasterOperationsFollowTheirTernaryCodes) {
    const struct {
        TRasterOperation op;
        int code;
    } ops[] = {{TRasterOperation::roBLACKNESS, 0x00},  {TRasterOperation::roDSTINVERT, 0x55},
               {TRasterOperation::roMERGECOPY, 0xC0},  {TRasterOperation::roMERGEPAINT, 0xBB},
               {TRasterOperation::roNOTSRCCOPY, 0x33}, {TRasterOperation::roNOTSRCERASE, 0x11},
               {TRasterOperation::roPATCOPY, 0xF0},    {TRasterOperation::roPATINVERT, 0x5A},
               {TRasterOperation::roPATPAINT, 0xFB},   {TRasterOperation::roSRCAND, 0x88},
               {TRasterOperation::roSRCCOPY, 0xCC},    {TRasterOperation::roSRCERASE, 0x44},
               {TRasterOperation::roSRCINVERT, 0x66},  {TRasterOperation::roSRCPAINT, 0xEE},
               {TRasterOperation::roWHITENESS, 0xFF}};
    for (const auto& o : ops)
        for (int p = 0; p < 2; ++p)
            for (int s = 0; s < 2; ++s)
                for (int d = 0; d < 2; ++d) {
                    const quint32 expect = (o.code >> ((p << 2) | (s << 1) | d)) & 1;
                    // Every bit of a 24-bit pixel obeys the same table.
                    const quint32 got = RasterOpPixel(o.op, d ? 0xffffff : 0, s ? 0xffffff : 0,
                                                      p ? 0xffffff : 0);
                    EXPECT_EQ(got, expect ? 0xffffffu : 0u) << o.code << " p" << p << "s" << s
                                                            << "d" << d;
                }
}

TEST(ProportionalImage, PutOnCombinesWithWhatLiesBelow) {
    TProportionalImage c;
    c.resize(4, 4);
    c.Background().SetPen(Qt::NoPen);
    c.Background().SetBrush(QColor(0x0f, 0xf0, 0x33));
    c.SetRasterOperation(TRasterOperation::roSRCINVERT);
    QImage canvas(8, 8, QImage::Format_RGB32);
    canvas.fill(qRgb(0xff, 0xff, 0x00));
    c.PutOn(canvas, QPoint(2, 2));
    EXPECT_EQ(canvas.pixel(3, 3), qRgb(0xf0, 0x0f, 0x33));
    EXPECT_EQ(canvas.pixel(0, 0), qRgb(0xff, 0xff, 0x00));
}

TEST(ProportionalImage, RevealOrdersVisitEveryBlock) {
    for (auto [cols, rows] : {std::pair{1, 1}, {5, 5}, {6, 3}, {1, 7}, {10, 2}}) {
        const auto ex = ExplodeOrder(cols, rows);
        ASSERT_EQ(int(ex.size()), cols * rows);
        std::set<std::pair<int, int>> seen;
        for (QPoint p : ex) seen.insert({p.x(), p.y()});
        EXPECT_EQ(int(seen.size()), cols * rows);
        EXPECT_EQ(ex.front(), QPoint((cols - 1) / 2, (rows - 1) / 2));  // from the centre
        const auto im = ImplodeOrder(cols, rows);
        EXPECT_EQ(im.back(), ex.front());  // toward the centre
    }
    EXPECT_EQ(RandomOrder(10, 10, 4, 1).size(), 25u);
    EXPECT_TRUE(ExplodeOrder(0, 5).empty());
}
