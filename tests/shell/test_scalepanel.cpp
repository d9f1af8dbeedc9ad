#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QWheelEvent>

#include "paint/MaxZoom.h"
#include "paint/ProImg.h"
#include "platform/Numbers.h"
#include "shell/MMBtns.h"
#include "tests/shell/Painting.h"

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
    QPointer<TMaxZoomWindow> view;
    QTimer::singleShot(50, [&] {
        auto* w = qobject_cast<TMaxZoomWindow*>(QApplication::activeModalWidget());
        if (!w) return;
        seen = true;
        view = w;
        clip = w->ItemImage->ClipRegion->boundingRect();
        shown = w->ItemImage->Image();
        QTest::mouseClick(w->ItemImage, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    });
    p.ClickButton(p.f->Paint->FullScreenSBtn);  // returns once the view is closed
    EXPECT_TRUE(seen);
    EXPECT_EQ(clip, QRect(100, 0, 600, 600));  // the simulated 800x600 screen
    EXPECT_EQ(shown, p.w->Session().Picture());
    EXPECT_TRUE(view.isNull());  // the window lives only while it is shown
    // Esc ends it too.
    seen = false;
    QTimer::singleShot(50, [&] {
        view = qobject_cast<TMaxZoomWindow*>(QApplication::activeModalWidget());
        seen = !view.isNull();
        if (view) QTest::keyClick(view, Qt::Key_Escape);
    });
    p.ClickButton(p.f->Paint->FullScreenSBtn);
    EXPECT_TRUE(seen);
    EXPECT_TRUE(view.isNull());
}


TEST(ScalePage, TheFullScreenCircleHasASmoothEdgeAndHardPixelsInside) {
    Painting p;
    TMaxZoomWindow view(p.f.get());
    QImage white(50, 50, QImage::Format_RGB32);
    white.fill(Qt::white);
    white.setPixel(25, 25, qRgb(0, 0, 0));
    view.ItemImage->SetImage(white);
    view.show();
    const QImage shot = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    // Along a row through the upper part of the circle the edge passes through greys: blended,
    // not stepped from black to white.
    int greys = 0;
    for (int y = 20; y < 120; ++y)
        for (int x = 0; x < shot.width() / 2; ++x) {
            const int v = qGray(shot.pixel(x, y));
            if (v > 20 && v < 235) ++greys;
        }
    EXPECT_GT(greys, 20);
    // Inside, the picture's pixels are copies: only pure black and pure white at the middle.
    for (int y = 250; y < 350; ++y)
        for (int x = 350; x < 450; ++x) {
            const int v = qGray(shot.pixel(x, y));
            ASSERT_TRUE(v == 0 || v == 255) << x << "," << y << " " << v;
        }
}
