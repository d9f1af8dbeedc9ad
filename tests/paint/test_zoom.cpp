#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTimer>
#include <QWheelEvent>

#include "paint/MaxZoom.h"
#include "paint/ProImg.h"
#include "paint/ViewGeometry.h"
#include "platform/Numbers.h"
#include <QTest>

using namespace orb;

namespace {
const QSize kClient(430, 430), kPicture(100, 100);

// The window position of a picture pixel for a view.
QPointF WindowOf(QPointF px, const ViewState& v) {
    const QRect r = PictureRectFor(kClient, kPicture, v.zoom, v.offsetX, v.offsetY);
    return QPointF(r.left() + px.x() * v.zoom / 1000.0, r.top() + px.y() * v.zoom / 1000.0);
}
}  // namespace

TEST(ZoomSteps, OutStopsAtOneAndInNeverPassesTheTop) {
    EXPECT_EQ(ZoomOutStep(1000), 900);
    EXPECT_EQ(ZoomOutStep(100), 1);
    EXPECT_EQ(ZoomOutStep(101), 1);
    EXPECT_EQ(ZoomOutStep(1), 1);
    EXPECT_EQ(ZoomInStep(9800), 9900);
    EXPECT_EQ(ZoomInStep(9900), 9900);  // 10000 is reached by a band only
    EXPECT_EQ(ZoomInStep(1), 101);
}

TEST(BandZoom, TheBandFillsTheWindowFromItsTopLeftCorner) {
    const ViewState v{1000, 0, 0};
    // A 100x50 band: wider than tall, so its width fills the 430 window: z' = 4300.
    const auto z = BandZoom(kClient, kPicture, v, 165, 165, 265, 215);
    ASSERT_TRUE(z);
    EXPECT_EQ(z->zoom, 4300);
    // The band's left edge goes to the window's left edge; across it is centred.
    const QPointF corner = WindowOf(QPointF(165 - 165, 165 - 165), *z);  // picture pixel (0,0)
    EXPECT_NEAR(corner.x(), 0, 1.0);
    EXPECT_NEAR(corner.y(), (430 - 50 * 4.3) / 2, 1.0);
    // Dragged the other way round, the same view.
    EXPECT_EQ(BandZoom(kClient, kPicture, v, 265, 215, 165, 165), z);
    EXPECT_EQ(BandZoom(kClient, kPicture, v, 165, 215, 265, 165), z);
}

TEST(BandZoom, FlatBandsAndUnchangedZoomsDoNothing) {
    const ViewState v{1000, 0, 0};
    EXPECT_FALSE(BandZoom(kClient, kPicture, v, 10, 10, 200, 10));
    EXPECT_FALSE(BandZoom(kClient, kPicture, v, 10, 10, 10, 200));
    EXPECT_FALSE(BandZoom(kClient, kPicture, v, 0, 0, 430, 430));  // the whole window: same zoom
}

TEST(BandZoom, ReachesExactlyTheTopAndNeverZero) {
    // A tiny band at 9900 would give far more than 10000: capped at exactly 10000.
    const auto top = BandZoom(kClient, kPicture, {9900, 0, 0}, 200, 200, 203, 202);
    ASSERT_TRUE(top);
    EXPECT_EQ(top->zoom, 10000);
    // A band far larger than the window (the pointer is captured) at zoom 1 stays at 1.
    EXPECT_FALSE(BandZoom(kClient, kPicture, {1, 0, 0}, -5000, -5000, 5000, 4000));
    const auto small = BandZoom(kClient, kPicture, {3, 0, 0}, -5000, -5000, 5000, 4000);
    ASSERT_TRUE(small);
    EXPECT_EQ(small->zoom, 1);
}

TEST(MaxZoom, TheCircleIsTheLargestCentredOnTheScreen) {
    EXPECT_EQ(FullScreenCircleBox({1024, 768}), QRect(128, 0, 768, 768));
    EXPECT_EQ(FullScreenCircleBox({768, 1024}), QRect(0, 128, 768, 768));
    EXPECT_EQ(FullScreenCircleBox({800, 800}), QRect(0, 0, 800, 800));
}

TEST(ProportionalImage, StretchesWithHardPixels) {
    TProportionalImage img;
    img.resize(40, 40);
    img.SetSx(100);
    img.SetSy(100);
    img.Background().SetPen(Qt::NoPen);
    QImage two(2, 1, QImage::Format_RGB32);
    two.setPixel(0, 0, qRgb(255, 0, 0));
    two.setPixel(1, 0, qRgb(0, 0, 255));
    img.SetImage(two);
    const QImage c = img.Compose();
    // Every pixel is one of the two colours: no blend at the seam.
    for (int x = 0; x < 40; ++x) {
        const QRgb px = c.pixel(x, 20) & 0xffffff;
        EXPECT_TRUE(px == 0xff0000 || px == 0x0000ff) << x << " " << std::hex << px;
    }
}
