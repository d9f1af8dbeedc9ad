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

