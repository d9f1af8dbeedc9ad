#include "library/ScrollText.h"

#include <QFontMetrics>
#include <QPainter>

#include "library/CodecLibrary.h"

namespace orb {
namespace {

// Decimal, or hexadecimal after '$' as the files' tools wrote colours; surrounding blanks
// are allowed.
int ParseNumber(const QString& raw, const char* what) {
    const QString s = raw.trimmed();
    bool ok = false;
    int v = 0;
    if (s.startsWith('$'))
        v = s.mid(1).toInt(&ok, 16);
    else
        v = s.toInt(&ok, 10);
    if (!ok) throw EScrollFormat(QString("'%1' is not a valid %2").arg(s, what).toStdString());
    return v;
}

// The value between tag `from` and tag `to`, when both occur.
std::optional<QString> Between(const QString& text, const char* from, const char* to) {
    const int a = text.indexOf(QLatin1String(from));
    const int b = text.indexOf(QLatin1String(to));
    if (a < 0 || b < 0) return std::nullopt;
    const int start = a + 4;
    if (b <= start) return QString();
    return text.mid(start, b - start);
}

QImage Blank(QSize view, const QColor& bg) {
    if (view.isEmpty()) return {};
    QImage img(view, QImage::Format_RGB32);
    img.fill(bg);
    return img;
}

}  // namespace

QColor ColourFromValue(int value) {
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

QFont TScrollFontSettings::MakeFont(const QFont& base) const {
    QFont f = base;
    if (Height != 0) f.setPixelSize(std::max(1, std::abs(Height)));
    if (!Name.isEmpty()) f.setFamily(Name);
    if (Size && *Size > 0) f.setPointSize(*Size);
    if (Style) {
        auto flag = [&](int i) { return Style->size() > i && Style->at(i) == '1'; };
        f.setBold(flag(0));
        f.setItalic(flag(1));
        f.setUnderline(flag(2));
        f.setStrikeOut(flag(3));
    }
    return f;
}

QColor TScrollFontSettings::FontColour() const { return ColourFromValue(Colour); }
QColor TScrollFontSettings::BackColour() const { return ColourFromValue(Background); }

TScrollMessageSettings ParseScrollMessage(const QString& text) {
    TScrollMessageSettings m;
    TScrollFontSettings& f = m.Font;
    if (auto v = Between(text, "/fc|", "/fh|"); v && !v->isEmpty())
        f.Colour = ParseNumber(*v, "colour");
    if (auto v = Between(text, "/fh|", "/fn|"); v && !v->isEmpty())
        f.Height = ParseNumber(*v, "font height");
    if (auto v = Between(text, "/fn|", "/fs|"); v && !v->isEmpty()) f.Name = *v;
    if (auto v = Between(text, "/fs|", "/ft|"); v && !v->isEmpty())
        f.Size = ParseNumber(*v, "font size");
    if (auto v = Between(text, "/ft|", "/bc|"); v && !v->isEmpty()) f.Style = *v;
    if (auto v = Between(text, "/bc|", "/sp|"); v && !v->isEmpty())
        f.Background = ParseNumber(*v, "colour");
    if (auto v = Between(text, "/sp|", "/sm|"); v && !v->isEmpty())
        f.Speed = ParseNumber(*v, "speed");
    if (auto v = Between(text, "/sm|", "/eo|"); v && !v->isEmpty()) m.Text = *v;
    return m;
}

TScrollCreditsSettings ParseScrollCredits(const QString& text) {
    QString t = text;
    t.replace("\r\n", "\n").replace('\r', '\n');
    QStringList lines = t.split('\n');
    if (t.endsWith('\n')) lines.removeLast();
    if (lines.size() < 8) throw EScrollFormat("the credits file misses its settings lines");
    TScrollCreditsSettings c;
    TScrollFontSettings& f = c.Font;
    f.Colour = ParseNumber(lines[1], "colour");
    f.Height = ParseNumber(lines[2], "font height");
    if (!lines[3].trimmed().isEmpty()) f.Name = lines[3].trimmed();
    const int size = ParseNumber(lines[4], "font size");
    if (size != 0) f.Size = size;
    f.Style = lines[5].trimmed();
    f.Background = ParseNumber(lines[6], "colour");
    f.Speed = ParseNumber(lines[7], "speed");
    c.Lines = lines.mid(8);
    return c;
}

TScrollMessage::TScrollMessage(const TScrollMessageSettings& settings, const QFont& base,
                               QSize view)
    : settings_(settings), view_(view) {
    const QFont font = settings.Font.MakeFont(base);
    const QFontMetrics fm(font);
    const int w = std::clamp(fm.horizontalAdvance(settings.Text), 1, codec::kMaxSide);
    const int h = std::clamp(fm.height(), 1, codec::kMaxSide);
    text_ = QImage(w, h, QImage::Format_RGB32);
    text_.fill(settings.Font.BackColour());
    QPainter p(&text_);
    p.setFont(font);
    p.setPen(settings.Font.FontColour());
    p.drawText(0, fm.ascent(), settings.Text);
    p.end();
    x_ = view_.width();
}

void TScrollMessage::Tick() {
    if (++ticks_ < std::max(1, settings_.Font.Speed)) return;
    ticks_ = 0;
    --x_;
    if (x_ + text_.width() < 0) x_ = view_.width();
}

QImage TScrollMessage::Frame() const {
    QImage img = Blank(view_, Background());
    if (img.isNull()) return img;
    QPainter p(&img);
    p.drawImage(x_, (view_.height() - text_.height()) / 2, text_);
    return img;
}

void TScrollMessage::Resize(QSize view) { view_ = view; }

TScrollCredits::TScrollCredits(const TScrollCreditsSettings& settings, const QFont& base,
                               QSize view)
    : settings_(settings), font_(settings.Font.MakeFont(base)), view_(view), y_(view.height()) {}

QString TScrollCredits::Padded(const QString& line) {
    QString s = line;
    if (!s.startsWith("  ")) s.prepend("  ");
    if (!s.endsWith(' ')) s.append(' ');
    return s;
}

void TScrollCredits::Tick() {
    if (++ticks_ < std::max(1, settings_.Font.Speed)) return;
    ticks_ = 0;
    --y_;
    const int h = QFontMetrics(font_).height();
    if (y_ <= -(h + 5)) {
        y_ = view_.height();
        if (!settings_.Lines.isEmpty()) line_ = (line_ + 1) % int(settings_.Lines.size());
    }
}

QImage TScrollCredits::Frame() const {
    QImage img = Blank(view_, Background());
    if (img.isNull() || settings_.Lines.isEmpty()) return img;
    const QString s = Padded(settings_.Lines[line_]);
    const QFontMetrics fm(font_);
    QPainter p(&img);
    p.setFont(font_);
    p.setPen(settings_.Font.FontColour());
    const int x = (view_.width() - fm.horizontalAdvance(s)) / 2;
    p.drawText(x, y_ + fm.ascent(), s);
    return img;
}

void TScrollCredits::Resize(QSize view) { view_ = view; }

}  // namespace orb
