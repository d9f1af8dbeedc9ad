// The two scrolling-text file formats: tags and lines, defaults, malformed numbers.
#include <gtest/gtest.h>

#include <QFontMetrics>

#include "library/ScrollText.h"

using namespace orb;

namespace {

TEST(ScrollMessage, ValuesSitBetweenTheirTags) {
    const auto m = ParseScrollMessage(
        "junk/fc|16711680/fh|-20/fn|Arial/fs|14/ft|0110/bc|$00FF00/sp|3/sm|Hallo daar/eo|tail");
    EXPECT_EQ(m.Font.Colour, 0xFF0000);
    EXPECT_EQ(m.Font.FontColour(), QColor(0, 0, 255));
    EXPECT_EQ(m.Font.Height, -20);
    EXPECT_EQ(m.Font.Name, "Arial");
    EXPECT_EQ(m.Font.Size, 14);
    EXPECT_EQ(m.Font.Style, "0110");
    EXPECT_EQ(m.Font.Background, 0x00FF00);
    EXPECT_EQ(m.Font.Speed, 3);
    EXPECT_EQ(m.Text, "Hallo daar");
    const QFont f = m.Font.MakeFont(QFont());
    EXPECT_FALSE(f.bold());
    EXPECT_TRUE(f.italic());
    EXPECT_TRUE(f.underline());
    EXPECT_FALSE(f.strikeOut());
}

TEST(ScrollMessage, MissingPairsAndEmptyValuesKeepTheDefaults) {
    // "/fh|" missing: neither the colour nor the height pair is present.
    const auto m = ParseScrollMessage("/fc|12/fn|Courier/fs|/ft|/bc|/sp|/sm|/eo|");
    EXPECT_EQ(m.Font.Colour, 255);
    EXPECT_EQ(m.Font.Height, -13);
    EXPECT_EQ(m.Font.Name, "Courier");
    EXPECT_FALSE(m.Font.Size.has_value());
    EXPECT_FALSE(m.Font.Style.has_value());
    EXPECT_EQ(m.Font.Background, 128);
    EXPECT_EQ(m.Font.Speed, 1);
    EXPECT_EQ(m.Text, " Invallid message format ! ");
    EXPECT_EQ(ParseScrollMessage("").Text, " Invallid message format ! ");
    // Tags out of order give an empty value.
    EXPECT_EQ(ParseScrollMessage("/eo|/sm|text").Text, " Invallid message format ! ");
}

TEST(ScrollMessage, MalformedNumbersRaise) {
    EXPECT_THROW(ParseScrollMessage("/fc|12x/fh|"), EScrollFormat);
    EXPECT_THROW(ParseScrollMessage("/sp|fast/sm|"), EScrollFormat);
    EXPECT_THROW(ParseScrollMessage("/fs|1.5/ft|"), EScrollFormat);
    EXPECT_NO_THROW(ParseScrollMessage("/fc| 12 /fh|"));
}

TEST(ScrollMessage, ZeroSpeedStillMoves) {
    TScrollMessageSettings settings;
    settings.Font.Speed = 0;
    settings.Text = "x";
    TScrollMessage m(settings, QFont(), QSize(30, 10));
    m.Tick();
    EXPECT_EQ(m.X(), 29);
}

TEST(ScrollCredits, SettingsLinesThenCredits) {
    const auto c = ParseScrollCredits("title\n255\n-13\nArial\n12\n1000\n0\n2\nFirst\n  Second \n");
    EXPECT_EQ(c.Font.Colour, 255);
    EXPECT_EQ(c.Font.Name, "Arial");
    EXPECT_EQ(c.Font.Size, 12);
    EXPECT_EQ(c.Font.Speed, 2);
    EXPECT_EQ(c.Lines, (QStringList{"First", "  Second "}));
    EXPECT_EQ(TScrollCredits::Padded("First"), "  First ");
    EXPECT_EQ(TScrollCredits::Padded("  Second "), "  Second ");
    EXPECT_TRUE(ParseScrollCredits("t\n1\n2\nA\n3\n0000\n5\n6").Lines.isEmpty());
}

TEST(ScrollCredits, MalformedOrMissingLinesRaise) {
    EXPECT_THROW(ParseScrollCredits("t\n255\n-13\nArial\n12\n1000\n0\n"), EScrollFormat);
    EXPECT_THROW(ParseScrollCredits("t\n255\n-13\nArial\ntwelve\n1000\n0\n1\nx"), EScrollFormat);
    EXPECT_THROW(ParseScrollCredits("t\n255\n\nArial\n12\n1000\n0\n1\nx"), EScrollFormat);
    EXPECT_THROW(ParseScrollCredits(""), EScrollFormat);
}

TEST(ScrollCredits, LinesRiseAndFollowEachOther) {
    TScrollCreditsSettings settings;
    settings.Lines = {"one", "two"};
    TScrollCredits c(settings, QFont(), QSize(60, 40));
    EXPECT_EQ(c.Y(), 40);
    int steps = 0;
    while (c.Line() == 0 && steps < 1000) {
        c.Tick();
        ++steps;
    }
    EXPECT_EQ(c.Line(), 1);
    EXPECT_EQ(c.Y(), 40);
    // It left the view 5 pixels beyond its own height.
    EXPECT_EQ(steps, 40 + QFontMetrics(settings.Font.MakeFont(QFont())).height() + 5);
}

}  // namespace
