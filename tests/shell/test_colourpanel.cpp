#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <array>

#include "paint/ColorModel.h"
#include "paint/ProImg.h"
#include "paint/Spinner.h"
#include "platform/Display.h"
#include "platform/Paths.h"
#include "shell/ColorPage.h"
#include "shell/Main.h"
#include "tests/common/RecordingOutward.h"

using namespace orb;

namespace {
struct ColourForm {
    ScopedOutward out;
    QTemporaryDir dir;
    std::unique_ptr<TMainForm> f;
    ColourForm() {
        SetProgramFolder(dir.path());
        SetSimulatedScreen(QSize(800, 600));
        f = std::make_unique<TMainForm>();
    }
    ~ColourForm() {
        f.reset();
        SetSimulatedScreen(QSize());
        SetProgramFolder(ORBELLE_PROGRAM_DIR);
    }
    QColor Swatch() const { return f->Paint->Colour->CurrentColour(); }
    std::array<int, 3> Sliders() const {
        return {f->Paint->Colour->HScroller->value(), f->Paint->Colour->SScroller->value(), f->Paint->Colour->VScroller->value()};
    }
    std::array<int, 3> Spinners() const {
        return {f->Paint->Colour->HValue->Value(), f->Paint->Colour->SValue->Value(), f->Paint->Colour->VValue->Value()};
    }
};
}  // namespace

TEST(ColourPage, StartsAtCyanWithSpinnersInStep) {
    ColourForm c;
    EXPECT_EQ(c.Swatch(), QColor(128, 255, 255));
    EXPECT_EQ(c.Sliders(), (std::array<int, 3>{50, 50, 100}));
    EXPECT_EQ(c.Spinners(), (std::array<int, 3>{50, 50, 100}));
    EXPECT_EQ(c.f->Paint->Colour->BrushStyleLst->currentIndex(), 0);
    EXPECT_EQ(c.f->Paint->Colour->BrushStyleLst->count(), 7);
    EXPECT_EQ(c.f->Paint->Colour->PenWidth->Value(), 1);
}

TEST(ColourPage, SlidersAndSpinnersFollowEachOther) {
    ColourForm c;
    c.f->Paint->Colour->VScroller->setValue(0);  // brightness 0: black whatever hue and saturation
    EXPECT_EQ(c.Swatch(), QColor(0, 0, 0));
    EXPECT_EQ(c.f->Paint->Colour->VValue->Value(), 0);
    c.f->Paint->Colour->HValue->SetValue(0);
    c.f->Paint->Colour->SValue->SetValue(100);
    c.f->Paint->Colour->VValue->SetValue(100);
    EXPECT_EQ(c.Swatch(), QColor(255, 0, 0));
    EXPECT_EQ(c.Sliders(), (std::array<int, 3>{0, 100, 100}));
    c.f->Paint->Colour->SValue->setText("");  // an emptied spinner reads its minimum
    EXPECT_EQ(c.f->Paint->Colour->SScroller->value(), 0);
    EXPECT_EQ(c.Swatch(), QColor(255, 255, 255));
}

TEST(ColourPage, PickedColoursSetTheSlidersFromHsv) {
    ColourForm c;
    c.f->Paint->Colour->ColourPicked(QColor(255, 0, 0));
    EXPECT_EQ(c.Sliders(), (std::array<int, 3>{100, 100, 100}));
    EXPECT_EQ(c.Swatch(), QColor(255, 0, 0));
    c.f->Paint->Colour->ApplyHSV(100, 100, 100);  // hue 360 taken as 0: red again
    EXPECT_EQ(c.Swatch(), QColor(255, 0, 0));
    c.f->Paint->Colour->ColourPicked(QColor(255, 128, 0));
    EXPECT_EQ(c.f->Paint->Colour->HScroller->value(), 8);
    EXPECT_EQ(c.Swatch(), QColor(255, 128, 0));  // the swatch keeps the exact colour
    EXPECT_EQ(c.f->Paint->Colour->HValue->Value(), 8);
    c.f->Paint->Colour->ColourPicked(QColor(77, 77, 77));
    EXPECT_EQ(c.Sliders(), (std::array<int, 3>{0, 0, 30}));
    c.f->Paint->Colour->ColourPicked(QColor(0, 0, 0));
    EXPECT_EQ(c.Sliders(), (std::array<int, 3>{0, 0, 0}));
    EXPECT_TRUE(c.f->Paint->Colour->HScroller->isEnabled());
    EXPECT_TRUE(c.f->Paint->Colour->HValue->isEnabled());
}

TEST(ColourPage, PickerMapsHueAndSaturationAndClamps) {
    ColourForm c;
    ASSERT_EQ(c.f->Paint->Colour->hsImage->size(), QSize(120, 120));
    c.f->Paint->Colour->hsImageMouseDown(Qt::LeftButton, QPoint(3, 0));  // 2.5 rounds to even: 2
    EXPECT_EQ(c.f->Paint->Colour->HScroller->value(), 2);
    EXPECT_EQ(c.f->Paint->Colour->SScroller->value(), 100);
    c.f->Paint->Colour->hsImageMouseMove(Qt::LeftButton, QPoint(60, 119));  // the bottom row gives 1
    EXPECT_EQ(c.f->Paint->Colour->SScroller->value(), 1);
    c.f->Paint->Colour->hsImageMouseMove(Qt::LeftButton, QPoint(500, 400));  // outside: clamped
    EXPECT_EQ(c.f->Paint->Colour->HScroller->value(), 100);
    EXPECT_EQ(c.f->Paint->Colour->SScroller->value(), 0);
    EXPECT_EQ(c.Swatch(), QColor(255, 255, 255));  // saturation 0: a grey of brightness 100
    EXPECT_EQ(c.Spinners(), c.Sliders());
    c.f->Paint->Colour->hsImageMouseMove(Qt::NoButton, QPoint(0, 0));  // moves without the button do nothing
    EXPECT_EQ(c.f->Paint->Colour->HScroller->value(), 100);
    c.f->Paint->Colour->hsImageMouseDown(Qt::RightButton, QPoint(0, 0));
    EXPECT_EQ(c.f->Paint->Colour->HScroller->value(), 100);
}

TEST(ColourPage, FillStyleListSetsTheSwatchPattern) {
    ColourForm c;
    c.f->Paint->Colour->BrushStyleLst->setCurrentIndex(5);
    EXPECT_EQ(c.f->Paint->Session().FillStyleIndex(), 5);
    EXPECT_EQ(c.f->Paint->Colour->CurrentColor->BrushStyleIndex, 5);
    // Drawn swatches: hatch lines only, the background shows between them.
    QImage img(40, 16, QImage::Format_RGB32);
    QPainter p(&img);
    TBrushStyleList::DrawItem(p, img.rect(), 1, false);
    p.end();
    EXPECT_EQ(img.pixel(0, 0), qRgb(255, 255, 255));  // the 2-pixel frame
    EXPECT_EQ(img.pixel(10, 8), qRgb(0, 0, 0));       // a horizontal hatch line
    EXPECT_EQ(img.pixel(10, 9), qRgb(255, 255, 255));
}
