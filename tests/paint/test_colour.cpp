#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include "paint/ColorModel.h"
#include "paint/ProImg.h"
#include "paint/Spinner.h"
#include "platform/Display.h"
#include "platform/Paths.h"
#include "shell/ColorPage.h"
#include "shell/Main.h"
#include "tests/common/RecordingOutward.h"

using namespace orb;

TEST(ColourModel, HsvToRgbSectorsAndHue360) {
    double r, g, b;
    HSVToRGB(360, 1, 1, r, g, b);  // taken as 0: red
    EXPECT_DOUBLE_EQ(r, 1);
    EXPECT_DOUBLE_EQ(g, 0);
    EXPECT_DOUBLE_EQ(b, 0);
    HSVToRGB(180, 0.5, 1, r, g, b);
    EXPECT_EQ(QColor(ChannelToByte(r), ChannelToByte(g), ChannelToByte(b)), QColor(128, 255, 255));
    HSVToRGB(240, 1, 0.5, r, g, b);
    EXPECT_DOUBLE_EQ(b, 0.5);
    HSVToRGB(123, 0.7, 0, r, g, b);  // no brightness: black whatever the hue
    EXPECT_EQ(r + g + b, 0);
}

TEST(ColourModel, RgbToHsvRules) {
    double h, s, v;
    RGBToHSV(1, 0, 0, h, s, v);
    EXPECT_DOUBLE_EQ(h, 360);  // pure red gives 360
    RGBToHSV(0.5, 0.5, 0.5, h, s, v);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(s, 0);
    EXPECT_DOUBLE_EQ(v, 0.5);
    RGBToHSV(1, 128 / 255.0, 0, h, s, v);
    EXPECT_NEAR(h, 30.1, 0.05);
    RGBToHSV(0, 0, 0, h, s, v);
    EXPECT_EQ(h + s + v, 0);
}

TEST(ColourModel, ChannelsRoundHalfToEven) {
    EXPECT_EQ(ChannelToByte(0.5), 128);  // 127.5
    EXPECT_EQ(ChannelToByte(126.5 / 255.0), 126);
    EXPECT_EQ(ChannelToByte(1.0), 255);
    EXPECT_EQ(ChannelToByte(0.0), 0);
}

TEST(ColourModel, PaletteDisplaysTakeTheNearestColour) {
    SetSimulatedDepth(8);
    const QColor c = NearestDisplayColor(QColor(250, 150, 55));
    EXPECT_EQ(c, QColor(255, 153, 51));  // the program's orange is in the 256-colour palette
    SetSimulatedDepth(32);
    EXPECT_EQ(NearestDisplayColor(QColor(250, 150, 55)), QColor(250, 150, 55));
    SetSimulatedDepth(0);
}

TEST(Spinner, ValueParsingAndClamping) {
    TSpinner s;
    s.MinValue = 1;
    s.MaxValue = 100;
    s.setText("");
    EXPECT_EQ(s.Value(), 1);  // empty reads the minimum
    s.setText("abc");
    EXPECT_EQ(s.Value(), 1);
    s.SetValue(250);
    EXPECT_EQ(s.text(), "100");
    s.SetValue(-5);
    EXPECT_EQ(s.text(), "1");
    s.MinValue = s.MaxValue = 0;  // equal bounds: no clamping
    s.SetValue(-5);
    EXPECT_EQ(s.Value(), -5);
}

TEST(Spinner, KeysSpinFilterAndBeep) {
    ScopedOutward out;
    TSpinner s;
    s.MinValue = 0;
    s.MaxValue = 10;
    s.Increment = 3;
    s.SetValue(9);
    QTest::keyClick(&s, Qt::Key_Up);
    EXPECT_EQ(s.Value(), 10);
    QTest::keyClick(&s, Qt::Key_Down);
    EXPECT_EQ(s.Value(), 7);
    s.SpinDown();
    s.SpinDown();
    s.SpinDown();
    EXPECT_EQ(s.Value(), 0);
    s.setText("");
    QTest::keyClicks(&s, "4x");
    EXPECT_EQ(s.text(), "4");
    EXPECT_EQ(out.rec.beeps, 1);
    QTest::keyClick(&s, Qt::Key_Return);
    EXPECT_EQ(out.rec.beeps, 2);
    s.setReadOnly(true);
    QTest::keyClick(&s, Qt::Key_Up);
    s.SpinUp();
    EXPECT_EQ(s.Value(), 4);
    EXPECT_EQ(out.rec.beeps, 4);
}

TEST(Spinner, SpinButtonSitsAtTheRightEdge) {
    TSpinner s;
    s.resize(40, 19);
    s.show();
    EXPECT_EQ(s.SpinButton()->geometry(), QRect(25, 0, 15, 19));
    s.resize(60, 25);
    QCoreApplication::processEvents();
    EXPECT_EQ(s.SpinButton()->geometry(), QRect(45, 0, 15, 25));
}

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
