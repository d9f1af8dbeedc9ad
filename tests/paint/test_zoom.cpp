#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTimer>
#include <QWheelEvent>

#include "paint/MaxZoom.h"
#include "paint/ProImg.h"
#include "paint/ViewGeometry.h"
#include "platform/Numbers.h"
#include "shell/MMBtns.h"
#include "tests/paint/Painting.h"

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

TEST(ZoomTools, RealClicksZoomInAndOutAndTheBandZooms) {
    Painting p;
    p.ClickButton(p.f->Paint->ZoomInSBtn);
    EXPECT_EQ(p.f->Paint->PaintNotebook->ActivePage(), "SizePage");
    p.RealClick(QPoint(200, 200));
    EXPECT_EQ(p.w->Session().Zoom(), 1100);
    EXPECT_EQ(p.f->Paint->Scale->ScaleEdit->text(), "110%");
    EXPECT_EQ(p.f->Paint->Scale->ScaleListBox->currentRow(), -1);
    // A band from picture pixel (20, 20) to (80, 50), wider than tall: the band's left edge
    // reaches the window's left edge.
    p.w->Session().SetZoom(1000);
    const QPoint a = p.At(20, 20), b = p.At(80, 50);
    p.RealDrag(a, b);
    EXPECT_FALSE(p.w->Session().Band());  // the band is gone after the release
    EXPECT_EQ(p.w->Session().Zoom(), Round(double(p.w->width()) / 60 * 1000));
    const QRect r = p.w->PictureRect();
    EXPECT_NEAR(r.left() + 20 * p.w->Session().Zoom() / 1000.0, 0, 1.0);

    p.ClickButton(p.f->Paint->ZoomOutSBtn);
    p.w->Session().SetZoom(100);
    p.RealClick(QPoint(10, 10));
    EXPECT_EQ(p.w->Session().Zoom(), 1);
    EXPECT_EQ(p.f->Paint->Scale->ScaleEdit->text(), "0%");
    p.ClickButton(p.f->Paint->ZoomInSBtn);
    p.w->Session().SetZoom(9900);
    p.RealClick(QPoint(10, 10));
    EXPECT_EQ(p.w->Session().Zoom(), 9900);
}

TEST(ZoomTools, TheWheelKeepsThePixelUnderThePointer) {
    Painting p;
    const QPoint at = p.At(30, 70);
    auto wheel = [&](int dy) {
        QWheelEvent e(QPointF(at), p.w->mapToGlobal(QPointF(at)), QPoint(), QPoint(0, dy),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(p.w, &e);
    };
    auto under = [&] {
        const QPoint q = p.w->ScreenToPicture(at);
        EXPECT_LE(std::abs(q.x() - 30), 1);
        EXPECT_LE(std::abs(q.y() - 70), 1);
    };
    wheel(120 * 3);
    EXPECT_EQ(p.w->Session().Zoom(), 1300);
    under();
    EXPECT_EQ(p.f->Paint->Scale->ScaleEdit->text(), "130%");
    wheel(-120);
    EXPECT_EQ(p.w->Session().Zoom(), 1200);
    under();
}

TEST(ScalePage, TypedScalesThroughTheRealEdit) {
    Painting p;
    auto type = [&](const QString& text) {
        p.f->Paint->Scale->ScaleEdit->clear();
        QTest::keyClicks(p.f->Paint->Scale->ScaleEdit, text);
        QTest::keyClick(p.f->Paint->Scale->ScaleEdit, Qt::Key_Return);
    };
    type("250 %");
    EXPECT_EQ(p.w->Session().Zoom(), 2500);
    EXPECT_EQ(p.f->Paint->Scale->ScaleEdit->text(), "250%");
    EXPECT_EQ(p.f->Paint->Scale->ScaleListBox->currentItem()->text(), "250%");
    type("33");
    EXPECT_EQ(p.w->Session().Zoom(), 330);
    EXPECT_EQ(p.f->Paint->Scale->ScaleEdit->text(), "33%");
    EXPECT_EQ(p.f->Paint->Scale->ScaleListBox->currentRow(), -1);
    // Out of range with no entry selected: the scale shown now comes back.
    type("5000");
    EXPECT_EQ(p.w->Session().Zoom(), 330);
    EXPECT_EQ(p.f->Paint->Scale->ScaleEdit->text(), "33%");
    // Out of range with an entry selected: that entry's text.
    type("150");
    type("abc");
    EXPECT_EQ(p.w->Session().Zoom(), 1500);
    EXPECT_EQ(p.f->Paint->Scale->ScaleEdit->text(), "150%");
}

TEST(ScalePage, ListEntriesAndTheSyncAfterARelease) {
    Painting p;
    QListWidgetItem* ten = p.f->Paint->Scale->ScaleListBox->item(0);
    ASSERT_EQ(ten->text(), "10 %");
    const QRect r = p.f->Paint->Scale->ScaleListBox->visualItemRect(ten);
    p.f->Paint->PaintNotebook->SetActivePage("SizePage");
    QTest::mouseClick(p.f->Paint->Scale->ScaleListBox->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    EXPECT_EQ(p.w->Session().Zoom(), 100);
    EXPECT_EQ(p.f->Paint->Scale->ScaleEdit->text(), "10 %");
    p.RealClick(QPoint(5, 5));  // no tool: only the sync runs
    EXPECT_EQ(p.f->Paint->Scale->ScaleEdit->text(), "10%");
    EXPECT_EQ(p.f->Paint->Scale->ScaleListBox->currentRow(), -1);
    // An entry a language file made unreadable leaves the view as it is.
    ten->setText("tien");
    p.f->Paint->Scale->ScaleListBox->setCurrentRow(0);
    p.f->Paint->Scale->ScaleListBoxClick();
    EXPECT_EQ(p.w->Session().Zoom(), 100);
    EXPECT_EQ(p.f->Paint->Scale->ScaleEdit->text(), "10%");
}

TEST(ScalePage, OriginalSizeCentreAndCtrlZero) {
    Painting p;
    p.w->Session().SetZoom(2500);
    p.w->Session().Pan(30, 0);
    p.f->UpdateStatus();
    p.ClickButton(p.f->Paint->OriginalSizeSBtn);
    EXPECT_EQ(p.w->Session().Zoom(), 1000);
    EXPECT_EQ(p.w->Session().OffsetX(), 30);  // the offsets stay
    EXPECT_EQ(p.f->Paint->Scale->ScaleEdit->text(), "100%");
    EXPECT_EQ(p.f->Paint->Scale->ScaleListBox->currentRow(), 4);
    EXPECT_TRUE(p.f->Paint->OriginalSizeSBtn->ButtonIsHot());
    EXPECT_FALSE(p.f->Paint->CenterSBtn->ButtonIsHot());
    p.ClickButton(p.f->Paint->CenterSBtn);
    EXPECT_EQ(p.w->Session().OffsetX(), 0);
    EXPECT_TRUE(p.f->Paint->CenterSBtn->ButtonIsHot());
    p.w->Session().SetZoom(3000);
    p.f->activateWindow();
    QTest::keyClick(p.f.get(), Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(p.w->Session().Zoom(), 1000);
}

TEST(ScalePage, FullScreenShowsThePictureAndAClickEndsIt) {
    Painting p;
    bool seen = false;
    QRect clip;
    QImage shown;
    QTimer::singleShot(50, [&] {
        auto* w = qobject_cast<TMaxZoomWindow*>(QApplication::activeModalWidget());
        if (!w) return;
        seen = true;
        clip = w->ItemImage->ClipRegion->boundingRect();
        shown = w->ItemImage->Image();
        QTest::mouseClick(w->ItemImage, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    });
    p.ClickButton(p.f->Paint->FullScreenSBtn);  // returns once the view is closed
    EXPECT_TRUE(seen);
    EXPECT_EQ(clip, QRect(100, 0, 600, 600));  // the simulated 800x600 screen
    EXPECT_EQ(shown, p.w->Session().Picture());
    EXPECT_FALSE(MaxZoomWindowAlive);
    // Esc ends it too.
    QTimer::singleShot(50, [&] {
        if (QWidget* w = QApplication::activeModalWidget()) QTest::keyClick(w, Qt::Key_Escape);
    });
    p.ClickButton(p.f->Paint->FullScreenSBtn);
    EXPECT_FALSE(MaxZoomWindowAlive);
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
