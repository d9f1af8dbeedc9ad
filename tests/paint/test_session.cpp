// The painting session and its window, without any main window: the tools, the view, the
// undo snapshot and what the session announces.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QWidget>

#include "paint/DtlWin.h"
#include "paint/PaintSession.h"
#include "paint/Tools.h"
#include "paint/ViewGeometry.h"
#include "platform/Cursors.h"
#include "platform/Numbers.h"

using namespace orb;

namespace {
const QRgb kWhite = qRgb(255, 255, 255), kBlack = qRgb(0, 0, 0), kRed = qRgb(255, 0, 0);

// A session shown in a 430 x 430 painting window, with two white halves split by a black
// line, the colour red.
struct Sketch {
    TPaintSession s;
    QWidget panel;  // after the session: the window goes first
    TDetailWindow* w;
    Sketch() {
        panel.resize(430, 430);
        w = ShowDetailWindow(&panel, s);
        QImage pic(100, 100, QImage::Format_RGB32);
        pic.fill(kWhite);
        for (int y = 0; y < 100; ++y) pic.setPixel(50, y, kBlack);
        s.LoadPicture(pic);
        s.SetColour(QColor(kRed));
    }
    QPoint At(int px, int py) const {
        const QRect r = s.PictureRect();
        return QPoint(r.left() + px * s.Zoom() / 1000, r.top() + py * s.Zoom() / 1000);
    }
    void Click(QPoint p) {
        s.Press(Qt::LeftButton, p);
        s.Release(Qt::LeftButton, p);
    }
};
}  // namespace

TEST(ViewGeometry, PlacementAndPointMapping) {
    // 430x430 window, 200x100 picture at 100 %: centred.
    EXPECT_EQ(PictureRectFor({430, 430}, {200, 100}, 1000, 0, 0), QRect(115, 165, 200, 100));
    // At 250 % with a pan offset.
    const QRect r = PictureRectFor({430, 430}, {200, 100}, 2500, 10, -20);
    EXPECT_EQ(r, QRect(10 + (430 - 500) / 2, -20 + (430 - 250) / 2, 500, 250));
    EXPECT_EQ(ScreenToPictureFor(QPoint(r.left() + 5, r.top() + 2), r, 2500), QPoint(2, 0));
    // Left of the picture truncates toward zero: -0.4 gives 0, -2.8 gives -2.
    EXPECT_EQ(ScreenToPictureFor(QPoint(r.left() - 1, r.top() - 7), r, 2500), QPoint(0, -2));
    // At zoom 1 a drawing under 1000 pixels is 0 pixels wide.
    EXPECT_EQ(PictureRectFor({430, 430}, {600, 600}, 1, 0, 0).width(), 0);
}

TEST(PaintSession, ALoadedDrawingIsUnchangedCentredAtFullSizeWithNothingToUndo) {
    Sketch k;
    k.s.SetTool(crPaintBrush);
    k.Click(k.At(10, 10));
    k.s.SetView({2500, 30, -4});
    ASSERT_TRUE(k.s.Changed());
    k.s.LoadPicture(QImage(20, 10, QImage::Format_RGB32));
    EXPECT_FALSE(k.s.Changed());
    EXPECT_FALSE(k.s.CanUndo());
    EXPECT_EQ(k.s.View(), (ViewState{1000, 0, 0}));
    // No picture: tools mark a change but draw nothing, and nothing breaks.
    k.s.LoadPicture(QImage());
    k.Click(QPoint(200, 200));
    EXPECT_TRUE(k.s.Picture().isNull());
    EXPECT_TRUE(k.s.Changed());
}

TEST(PaintSession, PenPressMarksTheChangeAndEachMoveDrawsFromTheLastPoint) {
    Sketch k;
    k.s.SetTool(crPen);
    k.s.SetPenWidth(5);
    const QImage before = k.s.Picture();
    k.s.Press(Qt::LeftButton, k.At(10, 10));
    EXPECT_EQ(k.s.Picture(), before);  // nothing drawn yet
    EXPECT_TRUE(k.s.Changed());
    k.s.Move(Qt::LeftButton, k.At(30, 10));
    k.s.Move(Qt::LeftButton, k.At(30, 30));
    k.s.Release(Qt::LeftButton, k.At(30, 30));
    EXPECT_EQ(k.s.Picture().pixel(20, 12), kRed);  // width 5
    EXPECT_EQ(k.s.Picture().pixel(30, 20), kRed);  // the second segment joins
    EXPECT_EQ(k.s.Picture().pixel(20, 40), kWhite);
    // A move without the left button draws nothing.
    const QImage drawn = k.s.Picture();
    k.s.Move(Qt::RightButton, k.At(80, 80));
    EXPECT_EQ(k.s.Picture(), drawn);
    // The press took the snapshot: one undo restores the picture before the stroke.
    ASSERT_TRUE(k.s.Undo());
    EXPECT_EQ(k.s.Picture(), before);
    EXPECT_FALSE(k.s.Undo());
    EXPECT_TRUE(k.s.Changed());
}

TEST(PaintSession, FillsUseTheSettingsAndUndoTakesBackOnlyTheLast) {
    Sketch k;
    k.s.SetTool(crPaintBrush);
    QSignalSpy changed(&k.s, &TPaintSession::changed);
    QSignalSpy status(&k.s, &TPaintSession::statusChanged);
    k.Click(k.At(10, 10));
    EXPECT_EQ(k.s.Picture().pixel(49, 99), kRed);
    EXPECT_EQ(k.s.Picture().pixel(50, 50), kBlack);  // the line bounds the fill
    EXPECT_EQ(k.s.Picture().pixel(51, 50), kWhite);
    EXPECT_GE(changed.count(), 1);
    EXPECT_EQ(status.count(), 1);
    const QImage afterFirst = k.s.Picture();
    // Vertical lines: between the lines the old colour stays.
    k.s.SetColour(QColor(0, 0, 255));
    k.s.SetFillStyleIndex(2);
    k.Click(k.At(80, 10));
    int blue = 0, white = 0;
    for (int x = 51; x < 100; ++x) {
        blue += k.s.Picture().pixel(x, 7) == qRgb(0, 0, 255);
        white += k.s.Picture().pixel(x, 7) == kWhite;
    }
    EXPECT_GE(blue, 5);
    EXPECT_EQ(blue + white, 49);
    ASSERT_TRUE(k.s.Undo());
    EXPECT_EQ(k.s.Picture(), afterFirst);
    EXPECT_FALSE(k.s.CanUndo());
}

TEST(PaintSession, TheEyedropperAnnouncesTheColourUnderThePointerAndChangesNothing) {
    Sketch k;
    k.s.SetTool(crMovingHand);
    k.s.Press(Qt::LeftButton, QPoint(100, 100));
    k.s.Move(Qt::LeftButton, QPoint(130, 90));
    k.s.Release(Qt::LeftButton, QPoint(130, 90));
    EXPECT_EQ(k.s.View(), (ViewState{1000, 30, -10}));
    k.s.SetTool(crEyeDropper);
    QSignalSpy picked(&k.s, &TPaintSession::colourPicked);
    k.Click(k.At(50, 20));  // on the line, after the pan
    ASSERT_EQ(picked.count(), 1);
    EXPECT_EQ(picked[0][0].value<QColor>(), QColor(kBlack));
    EXPECT_EQ(k.s.Colour(), QColor(kBlack));
    k.Click(QPoint(2, 2));  // outside the picture: nothing to take
    EXPECT_EQ(picked.count(), 1);
    EXPECT_FALSE(k.s.Changed());
}

TEST(PaintSession, ZoomToolsStepBandAndStopAtTheirEnds) {
    Sketch k;
    k.s.SetTool(crZoomIn);
    k.Click(QPoint(200, 200));
    EXPECT_EQ(k.s.Zoom(), 1100);
    // A band: its longer side fills the window; the band is shown while dragging only.
    QSignalSpy band(&k.s, &TPaintSession::bandChanged);
    k.s.SetZoom(1000);
    k.s.Press(Qt::LeftButton, QPoint(190, 190));
    k.s.Move(Qt::LeftButton, QPoint(250, 220));
    EXPECT_EQ(k.s.Band(), QRect(QPoint(190, 190), QPoint(250, 220)));
    k.s.Release(Qt::LeftButton, QPoint(250, 220));
    EXPECT_FALSE(k.s.Band());
    EXPECT_EQ(band.count(), 3);
    EXPECT_EQ(k.s.Zoom(), Round(430.0 / 60 * 1000));
    k.s.SetTool(crZoomOut);
    k.s.SetZoom(100);
    k.Click(QPoint(10, 10));
    EXPECT_EQ(k.s.Zoom(), 1);
    k.Click(QPoint(10, 10));
    EXPECT_EQ(k.s.Zoom(), 1);
}

TEST(PaintSession, AToolChoiceStartsAFreshDragAndOtherCursorsHaveNoTool) {
    Sketch k;
    k.s.SetTool(crZoomIn);
    k.s.Press(Qt::LeftButton, QPoint(10, 10));
    k.s.Move(Qt::LeftButton, QPoint(300, 200));
    // Choosing the tool again mid-drag keeps its drag; another tool starts clean.
    k.s.SetTool(crZoomIn);
    EXPECT_TRUE(k.s.Band());
    k.s.SetTool(crHelpArrow);
    EXPECT_EQ(CursorNumber(k.w), crHelpArrow);  // the window shows the session's cursor
    const QImage before = k.s.Picture();
    k.Click(k.At(10, 10));
    EXPECT_EQ(k.s.Picture(), before);
    EXPECT_EQ(k.s.Zoom(), 1000);
    k.s.SetTool(crZoomIn);
    k.s.Release(Qt::LeftButton, QPoint(50, 50));  // a release without its press: a click
    EXPECT_EQ(k.s.Zoom(), 1100);
}

TEST(PaintSession, TheWheelZoomsAroundThePointerAndSmallTurnsAddUp) {
    Sketch k;
    const QPoint at(250, 180);
    const QPoint px = k.s.ScreenToPicture(at);
    k.s.Wheel(60, at);
    EXPECT_EQ(k.s.Zoom(), 1000);  // half a notch
    k.s.Wheel(60, at);
    EXPECT_EQ(k.s.Zoom(), 1100);
    k.s.Wheel(240, at);
    EXPECT_EQ(k.s.Zoom(), 1300);
    // The same picture position, within the truncation to whole pixels of each step.
    EXPECT_LE((k.s.ScreenToPicture(at) - px).manhattanLength(), 3);
    k.s.Wheel(-120, at);
    EXPECT_EQ(k.s.Zoom(), 1200);
}

TEST(DetailWindow, ShowsTheSessionsPictureThroughTheEllipseOverBlack) {
    Sketch k;
    k.w->Paint();
    const QRect r = k.w->PictureRect();
    EXPECT_EQ(k.w->Buffer().pixel(r.center() + QPoint(-10, 0)), kWhite);
    EXPECT_EQ(k.w->Buffer().pixel(r.topLeft()), kBlack);  // corner outside the ellipse
    // A fill on the session shows at once.
    k.s.SetTool(crPaintBrush);
    k.Click(k.At(10, 50));
    EXPECT_EQ(k.w->Buffer().pixel(k.At(20, 50)), kRed);
    // Mouse events on the window reach the session's tool.
    k.s.SetTool(crZoomIn);
    k.w->FormMouseDown(Qt::LeftButton, QPoint(200, 200));
    k.w->FormMouseUp(Qt::LeftButton, QPoint(200, 200));
    EXPECT_EQ(k.s.Zoom(), 1100);
    EXPECT_EQ(DetailWindow(), k.w);
}
