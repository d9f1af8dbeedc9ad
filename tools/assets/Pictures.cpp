// Pictures: mandalas, page and dialog backgrounds, the colour picker, the intro and
// about pictures, and the menu and header pictures.
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>

#include "Assets.h"

namespace assets {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Angle 0 points up, angles grow clockwise.
QPointF Polar(QPointF c, double r, double a) {
    return {c.x() + r * std::sin(a), c.y() - r * std::cos(a)};
}

QPainterPath Petal(QPointF c, double r0, double r1, double a, double half, double belly = 0.4) {
    QPainterPath p;
    const double d = r1 - r0;
    p.moveTo(Polar(c, r0, a));
    p.cubicTo(Polar(c, r0 + d * belly * 0.6, a - half), Polar(c, r0 + d * 0.9, a - half * 0.55),
              Polar(c, r1, a));
    p.cubicTo(Polar(c, r0 + d * 0.9, a + half * 0.55), Polar(c, r0 + d * belly * 0.6, a + half),
              Polar(c, r0, a));
    p.closeSubpath();
    return p;
}

QPainterPath RoundPetal(QPointF c, double r0, double r1, double a, double half) {
    QPainterPath p;
    const double d = r1 - r0;
    p.moveTo(Polar(c, r0, a - half * 0.5));
    p.cubicTo(Polar(c, r0 + d * 0.6, a - half * 1.1), Polar(c, r1 + d * 0.15, a - half * 0.6),
              Polar(c, r1, a));
    p.cubicTo(Polar(c, r1 + d * 0.15, a + half * 0.6), Polar(c, r0 + d * 0.6, a + half * 1.1),
              Polar(c, r0, a + half * 0.5));
    p.closeSubpath();
    return p;
}

struct Look {
    MandalaLook kind;
    QColor line;
    double width;
    // Fill of an element of ring `ring` at angle `a`; transparent for none.
    QColor Fill(int ring, double a, int index) const {
        static const QColor kWarm[] = {
            QColor(255, 153, 51),  QColor(250, 208, 90),  QColor(206, 62, 72),
            QColor(52, 156, 166),  QColor(250, 208, 90),  QColor(63, 150, 230),
            QColor(255, 153, 51),  QColor(126, 78, 168),  QColor(232, 110, 60),
            QColor(140, 177, 156), QColor(244, 235, 219), QColor(196, 84, 120)};
        switch (kind) {
            case MandalaLook::Faint:
                return Qt::transparent;
            case MandalaLook::Sepia: {
                QColor c(190, 140, 80, ring % 2 ? 70 : 40);
                return c;
            }
            case MandalaLook::Half:
                if (std::sin(a) > 0.02) return QColor(255, 255, 255);
                [[fallthrough]];
            case MandalaLook::Full: {
                QColor c = kWarm[ring % 12];
                if (index % 2) c = c.lighter(112);
                return c;
            }
        }
        return Qt::transparent;
    }
};

void Shape(QPainter& p, const QPainterPath& path, const Look& lk, const QColor& fill) {
    p.setBrush(fill.alpha() ? QBrush(fill) : QBrush(Qt::NoBrush));
    p.setPen(QPen(lk.line, lk.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
}

void Ring(QPainter& p, QPointF c, double r, const Look& lk, QColor fill = Qt::transparent) {
    p.setBrush(fill.alpha() ? QBrush(fill) : QBrush(Qt::NoBrush));
    p.setPen(QPen(lk.line, lk.width));
    p.drawEllipse(c, r, r);
}

}  // namespace

void DrawMandala(QPainter& p, QPointF c, double r, MandalaLook kind, int detail, uint32_t seed) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    Look lk{kind, QColor(40, 24, 60), std::max(0.55, r * 0.009)};
    if (kind == MandalaLook::Sepia)
        lk.line = QColor(112, 72, 36), lk.width = std::max(0.7, lk.width);
    if (kind == MandalaLook::Half) lk.line = QColor(30, 30, 40);
    if (kind == MandalaLook::Faint) lk.line = QColor(150, 175, 255, 30), lk.width = r * 0.006;
    const int outerCount = detail >= 2 ? 32 : detail == 1 ? 24 : 16;
    // The seed turns the design a little, so neighbouring copies do not look stamped.
    const double twist = (seed % 4) * kPi / 48;

    // Background disc under the whole design.
    if (kind == MandalaLook::Full) {
        QRadialGradient g(c, r);
        g.setColorAt(0, QColor(255, 246, 226));
        g.setColorAt(1, QColor(244, 226, 196));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawEllipse(c, r * 0.98, r * 0.98);
    }
    // Outer scallops.
    for (int i = 0; i < outerCount; ++i) {
        const double a = twist + (i + 0.5) * 2 * kPi / outerCount;
        Shape(p, RoundPetal(c, r * 0.80, r * 0.97, a, kPi / outerCount * 0.95), lk,
              lk.Fill(7, a, i));
    }
    Ring(p, c, r * 0.82, lk, kind == MandalaLook::Full ? QColor(255, 240, 210) : Qt::transparent);
    if (detail >= 1) {
        for (int i = 0; i < outerCount; ++i) {
            const double a = twist + (i + 0.5) * 2 * kPi / outerCount;
            p.setPen(Qt::NoPen);
            p.setBrush(kind == MandalaLook::Faint ? lk.line : lk.line);
            p.drawEllipse(Polar(c, r * 0.91, a), r * 0.012 + 0.3, r * 0.012 + 0.3);
        }
    }
    // Sixteen pointed petals with a vein petal inside.
    const int big = detail == 0 ? 12 : 16;
    for (int i = 0; i < big; ++i) {
        const double a = twist + i * 2 * kPi / big;
        Shape(p, Petal(c, r * 0.50, r * 0.81, a, kPi / big * 1.05), lk, lk.Fill(5, a, i));
        if (detail >= 1)
            Shape(p, Petal(c, r * 0.55, r * 0.72, a, kPi / big * 0.5), lk, lk.Fill(6, a, i));
        if (detail >= 2) {
            const double b = a + kPi / big;
            Shape(p, Petal(c, r * 0.66, r * 0.80, b, kPi / big * 0.45), lk, lk.Fill(8, b, i));
        }
    }
    Ring(p, c, r * 0.50, lk, kind == MandalaLook::Full ? QColor(255, 246, 226) : Qt::transparent);
    if (detail >= 1) {
        const int dots = detail >= 2 ? 24 : 16;
        for (int i = 0; i < dots; ++i) {
            const double a = twist + (i + 0.5) * 2 * kPi / dots;
            p.setBrush(lk.Fill(4, a, i).alpha() ? QBrush(lk.Fill(4, a, i)) : QBrush(Qt::NoBrush));
            p.setPen(QPen(lk.line, lk.width));
            p.drawEllipse(Polar(c, r * 0.465, a), r * 0.022, r * 0.022);
        }
    }
    Ring(p, c, r * 0.43, lk);
    // Twelve rounded petals and small pointed ones between them.
    for (int i = 0; i < 12; ++i) {
        const double a = twist + i * 2 * kPi / 12;
        Shape(p, RoundPetal(c, r * 0.20, r * 0.42, a, kPi / 12 * 0.95), lk, lk.Fill(2, a, i));
        if (detail >= 1) {
            const double b = a + kPi / 12;
            Shape(p, Petal(c, r * 0.22, r * 0.36, b, kPi / 12 * 0.5), lk, lk.Fill(3, b, i));
        }
    }
    // Eight inner petals and the heart.
    for (int i = 0; i < 8; ++i) {
        const double a = twist + i * 2 * kPi / 8 + kPi / 8;
        Shape(p, Petal(c, r * 0.06, r * 0.21, a, kPi / 8 * 0.9), lk, lk.Fill(1, a, i));
    }
    Ring(p, c, r * 0.07, lk, lk.Fill(0, kPi * 1.5, 0));
    if (detail >= 2) Ring(p, c, r * 0.03, lk, lk.Fill(9, kPi * 1.5, 0));
    Ring(p, c, r * 0.98, lk);
    p.restore();
}

namespace {

// Periodic soft waves in -1..1: whole periods across the width and the height, so the
// picture tiles without a seam.
double Waves(double u, double v, uint32_t seed) {
    Rng rng(seed);
    static const int kFreq[][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}, {2, 1}, {1, 2}};
    double sum = 0, norm = 0;
    for (const auto& k : kFreq) {
        const double ph = rng.Range(0, 2 * kPi);
        const double amp = 1.0 / (k[0] * k[0] + k[1] * k[1]);
        sum += amp * std::cos(2 * kPi * (k[0] * u + k[1] * v) + ph);
        norm += amp;
    }
    return sum / norm;
}

const int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

QImage WaveField(int w, int h, uint32_t seed, QColor low, QColor high) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const double t = 0.5 + 0.5 * Waves(double(x) / w, double(y) / h, seed);
            const double d = (kBayer[y & 3][x & 3] + 0.5) / 16.0 - 0.5;
            auto mix = [&](int a, int b) {
                return std::clamp(int(std::floor(a + (b - a) * t + d + 0.5)), 0, 255);
            };
            line[x] = qRgb(mix(low.red(), high.red()), mix(low.green(), high.green()),
                           mix(low.blue(), high.blue()));
        }
    }
    return img;
}

// Draws `draw` at (x, y) and at its copies one period away, so shapes crossing an edge
// come back on the other side.
template <class Draw>
void Wrapped(int w, int h, double x, double y, double reach, Draw draw) {
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy) {
            const double px = x + dx * w, py = y + dy * h;
            if (px + reach < 0 || px - reach > w || py + reach < 0 || py - reach > h) continue;
            draw(QPointF(px, py));
        }
}

}  // namespace

QImage MakeBackground(int w, int h, uint32_t seed) {
    QImage img = WaveField(w, h, seed, QColor(0, 0, 84), QColor(14, 22, 126));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // Large faint rosettes on a staggered grid that divides the page evenly.
    const int cols = std::max(2, int(std::lround(w / 320.0)));
    const int rows = std::max(2, int(std::lround(h / 230.0)));
    const double cw = double(w) / cols, ch = double(h) / rows;
    const double rad = std::min(cw, ch) * 0.47;
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < cols; ++i) {
            const double x = (i + (j % 2 ? 0.5 : 0.0)) * cw + cw * 0.25;
            const double y = (j + 0.5) * ch;
            Wrapped(w, h, x, y, rad, [&](QPointF c) {
                QRadialGradient glow(c, rad * 1.1);
                glow.setColorAt(0, QColor(60, 80, 200, 26));
                glow.setColorAt(1, QColor(60, 80, 200, 0));
                p.setPen(Qt::NoPen);
                p.setBrush(glow);
                p.drawEllipse(c, rad * 1.1, rad * 1.1);
                DrawMandala(p, c, rad, MandalaLook::Faint, 2, seed + i * 7 + j);
            });
        }
    // A sprinkle of tiny warm points, like distant lights.
    Rng rng(seed * 31 + 5);
    const int stars = w * h / 2600;
    for (int i = 0; i < stars; ++i) {
        const double x = rng.Range(0, w), y = rng.Range(0, h);
        const double s = rng.Range(0.5, 1.3);
        const int a = int(rng.Range(25, 80));
        Wrapped(w, h, x, y, 2, [&](QPointF c) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(255, 214, 160, a));
            p.drawEllipse(c, s, s);
        });
    }
    return img;
}

QImage MakeDialogBackground(int w, int h) {
    QImage img = WaveField(w, h, 77, QColor(0, 0, 78), QColor(10, 16, 118));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const double rad = h * 0.42;
    for (int i = 0; i < 2; ++i) {
        const double x = i * w / 2.0 + w / 4.0, y = i ? h * 0.25 : h * 0.75;
        Wrapped(w, h, x, y, rad,
                [&](QPointF c) { DrawMandala(p, c, rad, MandalaLook::Faint, 1, 3 + i); });
    }
    return img;
}

QImage MakePicker(int size) {
    QImage img(size, size, QImage::Format_RGB32);
    for (int y = 0; y < size; ++y) {
        const double s = (size - y - 0.5) / size;  // 0 at the bottom edge, 1 at the top
        for (int x = 0; x < size; ++x) {
            double hue = (x + 0.5) / size * 360.0;
            if (hue >= 360.0) hue = 0;
            const double xh = hue / 60.0;
            const int i = int(std::floor(xh));
            const double f = xh - i, v = 1.0;
            const double pp = v * (1 - s), q = v * (1 - s * f), t = v * (1 - (1 - f) * s);
            double r = 0, g = 0, b = 0;
            switch (i) {
                case 0:
                    r = v, g = t, b = pp;
                    break;
                case 1:
                    r = q, g = v, b = pp;
                    break;
                case 2:
                    r = pp, g = v, b = t;
                    break;
                case 3:
                    r = pp, g = q, b = v;
                    break;
                case 4:
                    r = t, g = pp, b = v;
                    break;
                default:
                    r = v, g = pp, b = q;
                    break;
            }
            img.setPixel(x, y,
                         qRgb(int(std::nearbyint(r * 255)), int(std::nearbyint(g * 255)),
                              int(std::nearbyint(b * 255))));
        }
    }
    return img;
}

namespace {

QFont TitleFont(double px, bool italic = true) {
    QFont f(kFontFamily);
    f.setPixelSize(int(std::lround(px)));
    f.setItalic(italic);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

void ShadowText(QPainter& p, const QRectF& r, int flags, const QString& text, const QColor& c,
                double off = 1.5) {
    p.setPen(QColor(0, 0, 30, 170));
    p.drawText(r.translated(off, off), flags, text);
    p.setPen(c);
    p.drawText(r, flags, text);
}

void Glow(QPainter& p, QPointF c, double r, QColor col) {
    QRadialGradient g(c, r);
    g.setColorAt(0, col);
    col.setAlpha(0);
    g.setColorAt(1, col);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(c, r, r);
}

}  // namespace

QImage MakeIntroPicture() {
    QImage img(280, 280, QImage::Format_ARGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient bg(0, 0, 0, 280);
    bg.setColorAt(0, QColor(12, 14, 120));
    bg.setColorAt(0.8, QColor(0, 0, 100));
    bg.setColorAt(1, QColor(0, 0, 90));
    p.fillRect(img.rect(), bg);
    Glow(p, QPointF(140, 114), 130, QColor(255, 170, 80, 110));
    DrawMandala(p, QPointF(140, 114), 98, MandalaLook::Full, 2, 1);
    p.setFont(TitleFont(34));
    ShadowText(p, QRectF(0, 213, 280, 38), Qt::AlignCenter, QStringLiteral("Orbelle"), kOrange);
    // A quiet line above the language choice.
    p.setPen(QPen(QColor(244, 235, 219, 90), 1));
    p.drawLine(QPointF(40, 251.5), QPointF(240, 251.5));
    p.end();
    return img.convertToFormat(QImage::Format_RGB32);
}

QImage MakeAboutPicture() {
    QImage img(325, 325, QImage::Format_ARGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient bg(0, 0, 0, 325);
    bg.setColorAt(0, QColor(14, 16, 124));
    bg.setColorAt(1, QColor(0, 0, 84));
    p.fillRect(img.rect(), bg);
    Glow(p, QPointF(104, 122), 108, QColor(255, 170, 80, 100));
    DrawMandala(p, QPointF(104, 122), 86, MandalaLook::Full, 2, 2);

    p.setFont(TitleFont(44));
    ShadowText(p, QRectF(194, 36, 130, 52), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Orbelle"), kOrange);
    p.setFont(TitleFont(32, false));
    ShadowText(p, QRectF(200, 86, 120, 38), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("2.0"),
               kCream);
    p.setPen(QPen(QColor(255, 153, 51, 150), 1));
    p.drawLine(QPointF(200, 130.5), QPointF(300, 130.5));
    QFont small(kFontFamily);
    small.setPixelSize(13);
    p.setFont(small);
    ShadowText(p, QRectF(200, 136, 120, 44), Qt::AlignLeft | Qt::TextWordWrap,
               QStringLiteral("Kleur geven aan\nornamenten"), QColor(244, 235, 219, 220), 1);

    // Maker: three linked rings and the name (the hot spot at 40,267 130x40).
    const QPointF m(58, 287);
    for (int i = 0; i < 3; ++i) {
        const QPointF c = Polar(m, 6.5, i * 2 * kPi / 3);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(i == 0 ? kOrange : i == 1 ? kLightBlue : kCream, 2.2));
        p.drawEllipse(c, 7.5, 7.5);
    }
    p.setFont(TitleFont(17, false));
    ShadowText(p, QRectF(76, 267, 96, 22), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Tessvale"), kOrange, 1);
    p.setFont(small);
    ShadowText(p, QRectF(77, 287, 96, 16), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Software"), kCream, 1);
    QFont tiny(kFontFamily);
    tiny.setPixelSize(9);
    p.setFont(tiny);
    ShadowText(p, QRectF(40, 252, 160, 13), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("gemaakt door"), QColor(244, 235, 219, 170), 1);

    // Publisher's emblem (the hot spot at 211,207 78x95): a sun over an open book.
    const QRectF pub(213, 209, 74, 91);
    p.setPen(QPen(QColor(244, 235, 219, 200), 1.2));
    p.setBrush(QColor(0, 0, 60, 120));
    p.drawRoundedRect(pub, 8, 8);
    const QPointF sun(250, 236);
    for (int i = 0; i < 12; ++i) {
        const double a = i * 2 * kPi / 12;
        p.setPen(QPen(kOrange, 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(Polar(sun, 10, a), Polar(sun, 15, a));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(kOrange);
    p.drawEllipse(sun, 7.5, 7.5);
    QPainterPath book;
    book.moveTo(250, 262);
    book.cubicTo(242, 256, 230, 256, 224, 259);
    book.lineTo(224, 275);
    book.cubicTo(231, 272, 242, 273, 250, 278);
    book.cubicTo(258, 273, 269, 272, 276, 275);
    book.lineTo(276, 259);
    book.cubicTo(270, 256, 258, 256, 250, 262);
    p.setBrush(kCream);
    p.setPen(QPen(QColor(0, 0, 60), 1));
    p.drawPath(book);
    p.drawLine(QPointF(250, 262), QPointF(250, 278));
    p.setFont(tiny);
    ShadowText(p, QRectF(213, 280, 74, 16), Qt::AlignCenter, QStringLiteral("Meridaan"), kCream, 1);
    p.end();
    return img.convertToFormat(QImage::Format_RGB32);
}

QImage MakeHistoryMenuPicture(int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(w / 131.0, h / 132.0);
    const QRectF sheet(3, 3, 125, 126);
    QPainterPath edge;
    // A slightly uneven edge, like old paper.
    Rng rng(9);
    const int n = 48;
    for (int i = 0; i < n; ++i) {
        const double t = double(i) / n;
        QPointF pt;
        if (t < 0.25)
            pt = QPointF(sheet.left() + sheet.width() * t * 4, sheet.top());
        else if (t < 0.5)
            pt = QPointF(sheet.right(), sheet.top() + sheet.height() * (t - 0.25) * 4);
        else if (t < 0.75)
            pt = QPointF(sheet.right() - sheet.width() * (t - 0.5) * 4, sheet.bottom());
        else
            pt = QPointF(sheet.left(), sheet.bottom() - sheet.height() * (t - 0.75) * 4);
        pt += QPointF(rng.Range(-1.0, 1.0), rng.Range(-1.0, 1.0));
        if (i == 0)
            edge.moveTo(pt);
        else
            edge.lineTo(pt);
    }
    edge.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 30, 90));
    p.drawPath(edge.translated(2, 2));
    QLinearGradient paper(0, 0, 131, 132);
    paper.setColorAt(0, QColor(248, 238, 214));
    paper.setColorAt(1, QColor(228, 204, 158));
    p.setBrush(paper);
    p.drawPath(edge);
    p.setClipPath(edge);
    QRadialGradient age(QPointF(65.5, 66), 92);
    age.setColorAt(0.55, QColor(160, 110, 50, 0));
    age.setColorAt(1, QColor(140, 90, 40, 150));
    p.setBrush(age);
    p.drawRect(QRectF(0, 0, 131, 132));
    for (int i = 0; i < 6; ++i) {
        const QPointF c(rng.Range(10, 120), rng.Range(10, 120));
        const double r = rng.Range(6, 16);
        QRadialGradient stain(c, r);
        stain.setColorAt(0, QColor(170, 120, 60, 30));
        stain.setColorAt(0.8, QColor(170, 120, 60, 18));
        stain.setColorAt(1, QColor(170, 120, 60, 0));
        p.setBrush(stain);
        p.drawEllipse(c, r, r);
    }
    DrawMandala(p, QPointF(65.5, 66), 52, MandalaLook::Sepia, 2, 4);
    p.setClipping(false);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(130, 90, 45), 0.8));
    p.drawPath(edge);
    return img;
}

namespace {

// A round brush lying along the line from `tip` towards `end`.
void DrawBrush(QPainter& p, QPointF tip, QPointF end, double thick, QColor paint) {
    const QLineF axis(tip, end);
    p.save();
    p.translate(tip);
    p.rotate(-axis.angle());
    const double len = axis.length();
    QLinearGradient wood(0, -thick, 0, thick);
    wood.setColorAt(0, QColor(214, 150, 90));
    wood.setColorAt(0.5, QColor(176, 104, 52));
    wood.setColorAt(1, QColor(120, 64, 30));
    p.setPen(QPen(QColor(40, 24, 20), thick * 0.12));
    p.setBrush(wood);
    p.drawRoundedRect(QRectF(len * 0.42, -thick * 0.55, len * 0.58, thick * 1.1), thick * 0.5,
                      thick * 0.5);
    QLinearGradient metal(0, -thick, 0, thick);
    metal.setColorAt(0, QColor(235, 235, 240));
    metal.setColorAt(0.5, QColor(170, 170, 185));
    metal.setColorAt(1, QColor(110, 110, 125));
    p.setBrush(metal);
    p.drawRect(QRectF(len * 0.28, -thick * 0.6, len * 0.15, thick * 1.2));
    QPainterPath hair;
    hair.moveTo(len * 0.28, -thick * 0.6);
    hair.cubicTo(len * 0.15, -thick * 0.75, len * 0.04, -thick * 0.3, 0, 0);
    hair.cubicTo(len * 0.04, thick * 0.3, len * 0.15, thick * 0.75, len * 0.28, thick * 0.6);
    hair.closeSubpath();
    QLinearGradient bristle(len * 0.28, 0, 0, 0);
    bristle.setColorAt(0, QColor(90, 60, 40));
    bristle.setColorAt(0.45, QColor(90, 60, 40));
    bristle.setColorAt(0.6, paint.darker(120));
    bristle.setColorAt(1, paint);
    p.setBrush(bristle);
    p.drawPath(hair);
    p.restore();
}

}  // namespace

QImage MakePaintMenuPicture(int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(w / 131.0, h / 132.0);
    const QPointF c(64, 64);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 30, 90));
    p.drawEllipse(c + QPointF(2, 2), 61, 61);
    QRadialGradient paper(c, 61);
    paper.setColorAt(0, QColor(255, 255, 255));
    paper.setColorAt(1, QColor(236, 236, 240));
    p.setBrush(paper);
    p.setPen(QPen(kOrange, 1.5));
    p.drawEllipse(c, 61, 61);
    DrawMandala(p, c, 56, MandalaLook::Half, 2, 5);
    DrawBrush(p, QPointF(70, 70), QPointF(128, 128), 7, kOrange);
    return img;
}

QImage MakeHistoryHeader(int size) {
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 30.0, size / 30.0);
    QRadialGradient paper(QPointF(15, 15), 15);
    paper.setColorAt(0, QColor(248, 238, 214));
    paper.setColorAt(0.8, QColor(232, 210, 166));
    paper.setColorAt(1, QColor(196, 150, 96));
    p.setBrush(paper);
    p.setPen(QPen(kOrange, 1.1));
    p.drawEllipse(QPointF(15, 15), 14, 14);
    DrawMandala(p, QPointF(15, 15), 12.5, MandalaLook::Sepia, 0, 6);
    return img;
}

QImage MakePaintHeader(int size) {
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 30.0, size / 30.0);
    p.setBrush(Qt::white);
    p.setPen(QPen(kOrange, 1.1));
    p.drawEllipse(QPointF(15, 15), 14, 14);
    DrawMandala(p, QPointF(15, 15), 12.5, MandalaLook::Full, 0, 7);
    return img;
}

}  // namespace assets
