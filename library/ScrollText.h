#pragma once
// The two scrolling-text pictures: a one-line message that runs from right to left
// (".SCM" files) and credits whose lines rise one after another (".CMS" files).
// Colours in these files are decimal Windows colour values: red in the low byte, then
// green, then blue.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>
#include <optional>
#include <stdexcept>

namespace orb {

// Raised for a number these files cannot hold; loading then clears the picture.
class EScrollFormat : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TScrollFontSettings {
    int Colour = 255;  // red
    int Height = -13;  // pixels; negative: character height, positive: cell height
    QString Name = "SYSTEM";
    std::optional<int> Size;       // points; when given it takes over from Height
    std::optional<QString> Style;  // "BIUS" flags as four '0'/'1' characters
    int Background = 128;
    int Speed = 1;  // scroll messages per one-pixel step

    QFont MakeFont(const QFont& base) const;
    QColor FontColour() const;
    QColor BackColour() const;
};

struct TScrollMessageSettings {
    TScrollFontSettings Font;
    QString Text = " Invallid message format ! ";
};

struct TScrollCreditsSettings {
    TScrollFontSettings Font;
    QStringList Lines;
};

// "/fc|colour/fh|height/fn|name/fs|size/ft|style/bc|back/sp|speed/sm|text/eo|": each value
// is the text between its tag and the next; a missing pair or an empty value keeps the
// default. Throws EScrollFormat for a malformed number.
TScrollMessageSettings ParseScrollMessage(const QString& text);

// Line 1 ignored; lines 2 to 8: colour, height, font name, size, style, background, speed;
// the credit lines follow. Throws EScrollFormat for a malformed number or missing line.
TScrollCreditsSettings ParseScrollCredits(const QString& text);

// Windows colour value (0x00BBGGRR) to a colour.
QColor ColourFromValue(int value);

// A running message: rendered once, then moved one pixel left per step.
class TScrollMessage {
public:
    TScrollMessage(const TScrollMessageSettings& settings, const QFont& base, QSize view);
    // One scroll message received; moves the text after every Speed-th one.
    void Tick();
    QImage Frame() const;
    void Resize(QSize view);
    int X() const { return x_; }
    QColor Background() const { return settings_.Font.BackColour(); }
    const QImage& TextImage() const { return text_; }

private:
    TScrollMessageSettings settings_;
    QImage text_;
    QSize view_;
    int x_ = 0;
    int ticks_ = 0;
};

// Credits: one line at a time rising from the bottom edge.
class TScrollCredits {
public:
    TScrollCredits(const TScrollCreditsSettings& settings, const QFont& base, QSize view);
    void Tick();
    QImage Frame() const;
    void Resize(QSize view);
    int Line() const { return line_; }
    int Y() const { return y_; }
    QColor Background() const { return settings_.Font.BackColour(); }
    // The credit line as shown: two leading blanks and one trailing blank added when absent.
    static QString Padded(const QString& line);

private:
    TScrollCreditsSettings settings_;
    QFont font_;
    QSize view_;
    int line_ = 0;
    int y_ = 0;
    int ticks_ = 0;
};

}  // namespace orb
