#include <gtest/gtest.h>

#include <QComboBox>
#include <QListWidget>
#include <QScrollBar>
#include <QTemporaryDir>

#include "paint/DtlWin.h"
#include "paint/Tools.h"
#include <QtTest/QTest>
#include "paint/Spinner.h"
#include "paint/ViewGeometry.h"
#include "platform/Display.h"
#include "platform/Paths.h"
#include "shell/ColorPage.h"
#include "shell/MMBtns.h"
#include "shell/Main.h"
#include "tests/common/RecordingOutward.h"

using namespace orb;

#include "tests/shell/Painting.h"

TEST(DetailWindow, PenClickWithoutMovementChangesNothingButEnablesSaveAndUndo) {
    Painting p;
    p.ClickButton(p.f->Paint->PenSBtn);
    const QImage before = p.w->Session().Picture();
    p.Click(p.At(20, 20));
    EXPECT_EQ(p.w->Session().Picture(), before);
    EXPECT_TRUE(p.w->Session().Changed());
    EXPECT_TRUE(p.f->Paint->SaveSBtn->isEnabled());
    ASSERT_TRUE(p.f->Paint->UndoSBtn->isEnabled());
    // The real button consumes the snapshot: the picture is the same, nothing is left.
    p.ClickButton(p.f->Paint->UndoSBtn);
    EXPECT_EQ(p.w->Session().Picture(), before);
    EXPECT_TRUE(p.w->Session().Document().UndoPicture().isNull());
    EXPECT_FALSE(p.f->Paint->UndoSBtn->isEnabled());
    EXPECT_TRUE(p.w->Session().Changed());
}

TEST(DetailWindow, PenStrokeDrawsWithTheSettingsAndHorizontaalDrawsNothing) {
  {
    Painting p;
    p.f->Paint->SpeedBtnClick(p.f->Paint->PenSBtn);
    p.Colour(0, 100, 100);  // red
    p.f->Paint->Colour->PenWidth->SetValue(5);
    p.w->FormMouseDown(Qt::LeftButton, p.At(10, 10));
    p.w->FormMouseMove(Qt::LeftButton, p.At(30, 10));
    p.w->FormMouseMove(Qt::LeftButton, p.At(30, 30));
    p.w->FormMouseUp(Qt::LeftButton, p.At(30, 30));
    EXPECT_EQ(p.w->Session().Picture().pixel(20, 10), qRgb(255, 0, 0));
    EXPECT_EQ(p.w->Session().Picture().pixel(20, 12), qRgb(255, 0, 0));  // width 5
    EXPECT_EQ(p.w->Session().Picture().pixel(30, 20), qRgb(255, 0, 0));  // the second segment joins
    EXPECT_EQ(p.w->Session().Picture().pixel(20, 40), kWhite);
  }
    Painting q;
    q.f->Paint->SpeedBtnClick(q.f->Paint->PenSBtn);
    q.f->Paint->Colour->BrushStyleLst->setCurrentIndex(1);  // "Horizontaal": the pixel stays D
    const QImage before = q.w->Session().Picture();
    q.w->Session().MarkSaved();
    q.w->FormMouseDown(Qt::LeftButton, q.At(10, 10));
    q.w->FormMouseMove(Qt::LeftButton, q.At(80, 80));
    q.w->FormMouseUp(Qt::LeftButton, q.At(80, 80));
    EXPECT_EQ(q.w->Session().Picture(), before);
    EXPECT_TRUE(q.w->Session().Changed());
}

TEST(DetailWindow, TwoFillsThenTheUndoButtonRemovesOnlyTheSecond) {
    Painting p;
    p.ClickButton(p.f->Paint->PaintSBtn);
    EXPECT_EQ(p.f->Paint->PaintNotebook->ActivePage(), "ColorPage");
    p.Colour(0, 100, 100);
    p.RealClick(p.At(10, 10));  // left half red
    EXPECT_EQ(p.w->Session().Picture().pixel(49, 99), qRgb(255, 0, 0));
    EXPECT_EQ(p.w->Session().Picture().pixel(50, 50), kBlack);  // the line bounds the fill
    EXPECT_EQ(p.w->Session().Picture().pixel(51, 50), kWhite);
    const QImage afterFirst = p.w->Session().Picture();
    p.Colour(33, 100, 100);
    p.RealClick(p.At(80, 10));  // right half green
    EXPECT_EQ(p.w->Session().Picture().pixel(99, 0), p.f->Paint->Colour->CurrentColour().rgb());
    EXPECT_NE(p.w->Session().Picture().pixel(99, 0), qRgb(255, 0, 0));
    ASSERT_TRUE(p.f->Paint->UndoSBtn->isEnabled());
    p.ClickButton(p.f->Paint->UndoSBtn);
    EXPECT_EQ(p.w->Session().Picture(), afterFirst);
    EXPECT_FALSE(p.f->Paint->UndoSBtn->isEnabled());
    p.ClickButton(p.f->Paint->UndoSBtn);  // disabled: nothing happens
    EXPECT_EQ(p.w->Session().Picture(), afterFirst);
    EXPECT_TRUE(p.w->Session().Changed());
    EXPECT_EQ(p.f->Paint->PaintNotebook->ActivePage(), "ColorPage");
}

TEST(DetailWindow, CtrlZUndoesOnThePaintPage) {
    Painting p;
    p.ClickButton(p.f->Paint->PaintSBtn);
    const QImage before = p.w->Session().Picture();
    p.RealClick(p.At(10, 10));
    ASSERT_NE(p.w->Session().Picture(), before);
    p.f->activateWindow();
    QTest::keyClick(p.f.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(p.w->Session().Picture(), before);
}

TEST(Tools, OneTableDrivesButtonsCursorsAndHotState) {
    Painting p;
    for (const TToolEntry& t : ToolTable()) {
        auto* b = p.f->findChild<TBaseBtn*>(QLatin1String(t.button));
        ASSERT_NE(b, nullptr) << t.button;
        p.ClickButton(b);
        EXPECT_EQ(CursorNumber(p.w), t.cursor) << t.button;
        EXPECT_EQ(p.f->Paint->PaintNotebook->ActivePage(), t.sidePage) << t.button;
        EXPECT_TRUE(b->ButtonIsHot()) << t.button;
        for (const TToolEntry& o : ToolTable())
            if (o.cursor != t.cursor)
                EXPECT_FALSE(p.f->findChild<TBaseBtn*>(QLatin1String(o.button))->ButtonIsHot());
    }
}

TEST(DetailWindow, HatchedFillKeepsTheOldColourBetweenLines) {
    Painting p;
    p.f->Paint->SpeedBtnClick(p.f->Paint->PaintSBtn);
    p.Colour(66, 100, 100);  // blue
    p.f->Paint->Colour->BrushStyleLst->setCurrentIndex(2);  // vertical lines
    p.Click(p.At(10, 10));
    int blue = 0, white = 0;
    for (int x = 0; x < 50; ++x) {
        const QRgb c = p.w->Session().Picture().pixel(x, 7);
        blue += c == p.f->Paint->Colour->CurrentColour().rgb();
        white += c == kWhite;
    }
    EXPECT_GE(blue, 6);
    EXPECT_LE(blue, 7);
    EXPECT_EQ(blue + white, 50);
}

TEST(DetailWindow, ToolsActOnThePixelUnderThePointerAfterPanning) {
    Painting p;
    p.f->Paint->SpeedBtnClick(p.f->Paint->MoveSBtn);
    p.w->FormMouseDown(Qt::LeftButton, QPoint(100, 100));
    p.w->FormMouseMove(Qt::LeftButton, QPoint(130, 90));
    p.w->FormMouseUp(Qt::LeftButton, QPoint(130, 90));
    EXPECT_EQ(p.w->Session().OffsetX(), 30);
    EXPECT_EQ(p.w->Session().OffsetY(), -10);
    EXPECT_FALSE(p.f->Paint->CenterSBtn->ButtonIsHot());
    p.w->Session().Edit([](QImage& pic) { pic.setPixel(70, 20, qRgb(10, 200, 30)); });
    p.w->Session().MarkSaved();
    p.f->Paint->SpeedBtnClick(p.f->Paint->EyeDropperSBtn);
    p.Click(p.At(70, 20));
    EXPECT_EQ(p.f->Paint->Colour->CurrentColour(), QColor(10, 200, 30));
    const QImage before = p.w->Session().Picture();
    p.Click(QPoint(2, 2));  // outside the picture: nothing is picked
    EXPECT_EQ(p.f->Paint->Colour->CurrentColour(), QColor(10, 200, 30));
    EXPECT_EQ(p.w->Session().Picture(), before);
    EXPECT_FALSE(p.w->Session().Changed());  // the eyedropper changes nothing
    p.f->Paint->SpeedBtnClick(p.f->Paint->PaintSBtn);
    p.Click(p.At(75, 75));
    EXPECT_EQ(p.w->Session().Picture().pixel(75, 75), qRgb(10, 200, 30));
}

TEST(DetailWindow, AtZoomOneClicksChangeNothing) {
    Painting p;
    p.w->Session().SetZoom(1);
    p.f->Paint->SpeedBtnClick(p.f->Paint->PaintSBtn);
    const QImage before = p.w->Session().Picture();
    p.Click(QPoint(300, 260));  // maps to (85000, 45000)
    EXPECT_EQ(p.w->Session().Picture(), before);
    EXPECT_TRUE(p.w->Session().Changed());  // the fill still counts as a change
}

TEST(DetailWindow, PaintShowsThePictureThroughTheEllipseOverBlack) {
    Painting p;
    p.w->Paint();
    const QRect r = p.w->PictureRect();
    EXPECT_EQ(p.w->Buffer().pixel(r.center()), kWhite);
    EXPECT_EQ(p.w->Buffer().pixel(r.topLeft()), kBlack);  // corner outside the ellipse
    EXPECT_EQ(p.w->Buffer().pixel(0, 0), kBlack);
}

TEST(DetailWindow, PaletteDisplaysPaintWithPaletteColours) {
    SetSimulatedDepth(8);
    {
        Painting p;
        p.f->Paint->SpeedBtnClick(p.f->Paint->PaintSBtn);
        p.f->Paint->Colour->ColourPicked(QColor(250, 150, 55));
        p.Click(p.At(10, 10));
        EXPECT_EQ(p.w->Session().Picture().pixel(10, 10), qRgb(255, 153, 51));
    }
    SetSimulatedDepth(0);
}

TEST(DetailWindow, TabsChooseToolsAndTheFirstResetsIt) {
    Painting p;
    p.f->Paint->PaintTabSetClick(2);
    EXPECT_EQ(CursorNumber(p.w), -29);
    EXPECT_TRUE(p.f->Paint->PaintSBtn->ButtonIsHot());
    p.f->Paint->PaintTabSetClick(0);
    EXPECT_EQ(CursorNumber(p.w), 0);
    EXPECT_EQ(p.f->Paint->PaintNotebook->ActivePage(), "FilePage");
    p.f->Paint->SpeedBtnClick(p.f->Paint->OpenSBtn);
    EXPECT_EQ(CursorNumber(p.w), -20);
}
