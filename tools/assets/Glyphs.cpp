// Button glyphs and cursors, drawn as vector shapes on a 32-unit grid at each size so
// the strokes stay crisp: white shapes with dark blue outlines for the orange and light
// blue faces, muted blue-grey for the disabled dark blue face.
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

#include "Assets.h"

namespace assets {
namespace {

struct Ink {
    QColor line, fill;
    double w;  // outline width in grid units
};

void Fill(QPainter& p, const QPainterPath& path, const Ink& k) {
    p.setPen(QPen(k.line, k.w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(k.fill);
    p.drawPath(path);
}
void Solid(QPainter& p, const QPainterPath& path, const Ink& k) {
    p.setPen(QPen(k.line, k.w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(k.line);
    p.drawPath(path);
}
// A line drawn as a white stroke in a dark casing, so it reads like the filled shapes.
void Cased(QPainter& p, const QPainterPath& path, const Ink& k, double core = 1.2) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(k.line, k.w * (2 + core), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.setPen(QPen(k.fill, k.w * core, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
}
void Stroke(QPainter& p, QPointF a, QPointF b, const Ink& k, double mult = 1.0) {
    p.setPen(QPen(k.line, k.w * mult, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(a, b);
}
QPainterPath Rect(double x, double y, double w, double h, double r = 0) {
    QPainterPath p;
    if (r > 0)
        p.addRoundedRect(QRectF(x, y, w, h), r, r);
    else
        p.addRect(QRectF(x, y, w, h));
    return p;
}
QPainterPath Circle(double x, double y, double r) {
    QPainterPath p;
    p.addEllipse(QPointF(x, y), r, r);
    return p;
}
QPainterPath Poly(std::initializer_list<QPointF> pts) {
    QPainterPath p;
    bool first = true;
    for (const QPointF& q : pts) {
        if (first)
            p.moveTo(q);
        else
            p.lineTo(q);
        first = false;
    }
    p.closeSubpath();
    return p;
}

void Magnifier(QPainter& p, const Ink& k, int sign) {
    Stroke(p, QPointF(19.5, 19.5), QPointF(27.5, 27.5), k, 3.2);
    Fill(p, Circle(13, 13, 9), k);
    Stroke(p, QPointF(8.5, 13), QPointF(17.5, 13), k, 1.6);
    if (sign > 0) Stroke(p, QPointF(13, 8.5), QPointF(13, 17.5), k, 1.6);
}

// A pencil along +x from its tip at the origin, length `len`.
void Pencil(QPainter& p, const Ink& k, double len) {
    const double h = len * 0.14;
    Fill(p, Poly({{0, 0}, {len * 0.22, -h}, {len * 0.22, h}}), k);
    Solid(p, Poly({{0, 0}, {len * 0.08, -h * 0.36}, {len * 0.08, h * 0.36}}), k);
    Fill(p, Rect(len * 0.22, -h, len * 0.6, 2 * h), k);
    Stroke(p, QPointF(len * 0.24, 0), QPointF(len * 0.8, 0), k, 0.6);
    Solid(p, Rect(len * 0.84, -h, len * 0.16, 2 * h, h * 0.5), k);
}

// An eyedropper along +x from its tip at the origin.
void Dropper(QPainter& p, const Ink& k, double len) {
    const double h = len * 0.1;
    Fill(p,
         Poly({{0, 0},
               {len * 0.12, -h * 0.8},
               {len * 0.5, -h * 0.8},
               {len * 0.5, h * 0.8},
               {len * 0.12, h * 0.8}}),
         k);
    Stroke(p, QPointF(len * 0.1, 0), QPointF(len * 0.36, 0), k, 1.1);
    Solid(p, Rect(len * 0.5, -h * 1.5, len * 0.12, h * 3, h * 0.4), k);
    Fill(p, Rect(len * 0.62, -h * 1.3, len * 0.38, h * 2.6, h * 1.3), k);
}

void Bucket(QPainter& p, const Ink& k) {
    // Tipped to the right, paint running from its lip into a drop.
    p.save();
    p.translate(11.5, 15.5);
    p.rotate(40);
    QPainterPath handle;
    handle.moveTo(-7.5, -6);
    handle.cubicTo(-7.5, -15, 7.5, -15, 7.5, -6);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(k.line, k.w * 1.2, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(handle);
    Fill(p, Poly({{-8, -6}, {8, -6}, {6.3, 9}, {-6.3, 9}}), k);
    QPainterPath rim;
    rim.addEllipse(QPointF(0, -6), 8, 2.4);
    Fill(p, rim, k);
    p.restore();
    QPainterPath paint;
    paint.moveTo(20.5, 15);
    paint.cubicTo(24.5, 14.5, 26.5, 17, 26.5, 21);
    paint.cubicTo(28.5, 24, 29.5, 25.5, 29.5, 27);
    paint.cubicTo(29.5, 30, 24.5, 30, 24.5, 27);
    paint.cubicTo(24.5, 25.5, 25, 23.5, 25, 21.5);
    paint.cubicTo(25, 18.5, 23.5, 17, 20.5, 17);
    paint.closeSubpath();
    Solid(p, paint, k);
}

QPainterPath OpenHand() {
    QPainterPath h;
    h.addRoundedRect(QRectF(8.5, 14, 15.5, 14), 5.5, 5.5);
    const double fw = 3.6;
    const QRectF fingers[] = {
        {8.6, 7.5, fw, 12}, {12.4, 4.5, fw, 14}, {16.2, 5, fw, 14}, {20.0, 8, fw, 11}};
    for (const QRectF& f : fingers) {
        QPainterPath q;
        q.addRoundedRect(f, fw / 2, fw / 2);
        h = h.united(q);
    }
    QPainterPath thumb;
    thumb.addRoundedRect(QRectF(-1.8, -7, 3.6, 11), 1.8, 1.8);
    QTransform t;
    t.translate(8.5, 21);
    t.rotate(-40);
    h = h.united(t.map(thumb));
    return h;
}

void HandDetails(QPainter& p, const Ink& k) {
    for (double x : {12.5, 16.3, 20.1}) Stroke(p, QPointF(x, 11), QPointF(x, 17), k, 0.7);
}

void BackArrow(QPainter& p, const Ink& k) {
    Fill(
        p,
        Poly(
            {{3.5, 16}, {14, 5.5}, {14, 11.5}, {27.5, 11.5}, {27.5, 20.5}, {14, 20.5}, {14, 26.5}}),
        k);
}

using Painter = std::function<void(QPainter&, const Ink&)>;

const std::map<QString, Painter>& Designs() {
    static const std::map<QString, Painter> d = {
        {"ZoomInSBtn", [](QPainter& p, const Ink& k) { Magnifier(p, k, 1); }},
        {"ZoomOutSBtn", [](QPainter& p, const Ink& k) { Magnifier(p, k, -1); }},
        {"FullScreenSBtn",
         [](QPainter& p, const Ink& k) {
             Fill(p, Rect(10.5, 10.5, 11, 11, 1.5), k);
             QPainterPath c;
             c.moveTo(3.5, 10);
             c.lineTo(3.5, 3.5);
             c.lineTo(10, 3.5);
             c.moveTo(22, 3.5);
             c.lineTo(28.5, 3.5);
             c.lineTo(28.5, 10);
             c.moveTo(28.5, 22);
             c.lineTo(28.5, 28.5);
             c.lineTo(22, 28.5);
             c.moveTo(10, 28.5);
             c.lineTo(3.5, 28.5);
             c.lineTo(3.5, 22);
             Cased(p, c, k);
         }},
        {"OpenSBtn",
         [](QPainter& p, const Ink& k) {
             Fill(p, Poly({{3.5, 6.5}, {12, 6.5}, {14.5, 9.5}, {25, 9.5}, {25, 26}, {3.5, 26}}), k);
             Fill(p, Poly({{3.5, 26}, {8, 14}, {29.5, 14}, {25, 26}}), k);
         }},
        {"SendToClipBrdSBtn",
         [](QPainter& p, const Ink& k) {
             Fill(p, Rect(6, 5.5, 20, 23.5, 2.5), k);
             Solid(p, Rect(11, 3, 10, 5.5, 1.5), k);
             for (double y : {14.0, 18.5}) Stroke(p, QPointF(10.5, y), QPointF(21.5, y), k);
             Stroke(p, QPointF(10.5, 23), QPointF(17, 23), k);
         }},
        {"SaveSBtn",
         [](QPainter& p, const Ink& k) {
             Fill(p, Poly({{4.5, 4.5}, {23.5, 4.5}, {27.5, 8.5}, {27.5, 27.5}, {4.5, 27.5}}), k);
             Solid(p, Rect(10, 4.5, 12, 8), k);
             p.setPen(Qt::NoPen);
             p.setBrush(k.fill);
             p.drawRect(QRectF(17.5, 6, 2.5, 5));
             Fill(p, Rect(8.5, 16.5, 15, 11, 1), k);
             Stroke(p, QPointF(11.5, 20.5), QPointF(20.5, 20.5), k, 0.7);
             Stroke(p, QPointF(11.5, 24), QPointF(20.5, 24), k, 0.7);
         }},
        {"SendToDesktopSBtn",
         [](QPainter& p, const Ink& k) {
             Fill(p, Poly({{13, 21}, {19, 21}, {20, 26}, {12, 26}}), k);
             Stroke(p, QPointF(9, 27), QPointF(23, 27), k, 1.4);
             Fill(p, Rect(3.5, 4.5, 25, 17, 2), k);
             p.setPen(QPen(k.line, k.w * 0.8));
             p.setBrush(Qt::NoBrush);
             for (int i = 0; i < 6; ++i) {
                 QTransform t;
                 t.translate(16, 13);
                 t.rotate(i * 60);
                 QPainterPath petal;
                 petal.addEllipse(QPointF(0, -3.2), 1.5, 2.6);
                 p.drawPath(t.map(petal));
             }
             Solid(p, Circle(16, 13, 1.1), k);
         }},
        {"PrintSBtn",
         [](QPainter& p, const Ink& k) {
             Fill(p, Rect(9, 4, 14, 10), k);
             Fill(p, Rect(3.5, 11.5, 25, 12, 2.5), k);
             Fill(p, Rect(9, 18.5, 14, 10), k);
             Stroke(p, QPointF(12, 22.5), QPointF(20, 22.5), k, 0.7);
             Stroke(p, QPointF(12, 25.5), QPointF(18, 25.5), k, 0.7);
             Solid(p, Circle(24.5, 15, 0.9), k);
         }},
        {"OriginalSizeSBtn",
         [](QPainter& p, const Ink& k) {
             Fill(p, Rect(3, 7, 26, 18, 3), k);
             for (double x : {10.5, 22.5}) {
                 Stroke(p, QPointF(x, 11), QPointF(x, 21), k, 1.5);
                 Stroke(p, QPointF(x - 2.6, 13.3), QPointF(x, 11), k, 1.5);
             }
             Solid(p, Circle(16, 13.5, 1.1), k);
             Solid(p, Circle(16, 19, 1.1), k);
         }},
        {"MoveSBtn",
         [](QPainter& p, const Ink& k) {
             Fill(p, OpenHand(), k);
             HandDetails(p, k);
         }},
        {"CenterSBtn",
         [](QPainter& p, const Ink& k) {
             QPainterPath cross;
             cross.moveTo(16, 2.5);
             cross.lineTo(16, 8);
             cross.moveTo(16, 24);
             cross.lineTo(16, 29.5);
             cross.moveTo(2.5, 16);
             cross.lineTo(8, 16);
             cross.moveTo(24, 16);
             cross.lineTo(29.5, 16);
             Cased(p, cross, k);
             Fill(p, Circle(16, 16, 9.5), k);
             p.setBrush(Qt::NoBrush);
             p.setPen(QPen(k.line, k.w));
             p.drawEllipse(QPointF(16, 16), 5, 5);
             Solid(p, Circle(16, 16, 1.3), k);
         }},
        {"EyeDropperSBtn",
         [](QPainter& p, const Ink& k) {
             p.translate(4.5, 27.5);
             p.rotate(-45);
             Dropper(p, k, 32);
         }},
        {"PenSBtn",
         [](QPainter& p, const Ink& k) {
             p.translate(4, 28);
             p.rotate(-45);
             Pencil(p, k, 33);
         }},
        {"PaintSBtn", [](QPainter& p, const Ink& k) { Bucket(p, k); }},
        {"UndoSBtn",
         [](QPainter& p, const Ink& k) {
             QPainterPath arc;
             arc.moveTo(10, 11.5);
             arc.lineTo(19, 11.5);
             arc.cubicTo(30, 11.5, 30, 26, 19, 26);
             arc.lineTo(12, 26);
             Cased(p, arc, k, 1.6);
             Fill(p, Poly({{3, 11.5}, {11.5, 5}, {11.5, 18}}), k);
         }},
        {"MainHistorySBtn",
         [](QPainter& p, const Ink& k) {
             QPainterPath left, right;
             left.moveTo(16, 8.5);
             left.cubicTo(12, 6, 7, 5.5, 2.5, 7);
             left.lineTo(2.5, 25);
             left.cubicTo(7, 23.5, 12, 24, 16, 26.5);
             left.closeSubpath();
             right = QTransform(-1, 0, 0, 1, 32, 0).map(left);
             Fill(p, left, k);
             Fill(p, right, k);
             for (double y : {11.5, 15.0, 18.5}) {
                 Stroke(p, QPointF(5.5, y - 1), QPointF(13, y), k, 0.6);
                 Stroke(p, QPointF(26.5, y - 1), QPointF(19, y), k, 0.6);
             }
         }},
        {"MainPaintSBtn",
         [](QPainter& p, const Ink& k) {
             p.translate(4, 28);
             p.rotate(-45);
             Fill(p, Rect(15, -2.2, 19, 4.4, 2.2), k);
             Solid(p, Rect(11, -3, 4.5, 6), k);
             QPainterPath hair;
             hair.moveTo(11, -3);
             hair.cubicTo(6, -4.5, 2, -2, 0, 0);
             hair.cubicTo(2, 2, 6, 4.5, 11, 3);
             hair.closeSubpath();
             Fill(p, hair, k);
         }},
        {"HistoryBackSBtn", BackArrow},
        {"PaintBackSBtn", BackArrow},
    };
    return d;
}

}  // namespace

const QStringList& GlyphNames() {
    static const QStringList names = {
        "ZoomInSBtn",        "ZoomOutSBtn",     "FullScreenSBtn",    "OpenSBtn",
        "SendToClipBrdSBtn", "SaveSBtn",        "SendToDesktopSBtn", "PrintSBtn",
        "OriginalSizeSBtn",  "MoveSBtn",        "CenterSBtn",        "EyeDropperSBtn",
        "PenSBtn",           "PaintSBtn",       "UndoSBtn",          "MainHistorySBtn",
        "MainPaintSBtn",     "HistoryBackSBtn", "PaintBackSBtn"};
    return names;
}

QImage MakeGlyph(const QString& name, int size, bool disabled) {
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    auto it = Designs().find(name);
    if (it == Designs().end()) return img;
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const double scale = size / 32.0;
    p.scale(scale, scale);
    // Outline width in pixels, a little heavier at the small size so it does not fade.
    const double px = size <= 20 ? 1.25 : size <= 25 ? 1.45 : 1.7;
    Ink k{disabled ? QColor(118, 128, 178) : kDarkBlue,
          disabled ? QColor(28, 34, 128) : QColor(255, 255, 255), px / scale};
    it->second(p, k);
    return img;
}

namespace {

Cursor MakeCursor(const QString& name, int hx, int hy, const std::function<void(QPainter&)>& draw) {
    QImage img(32, 32, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    p.end();
    // A white rim around every opaque pixel keeps the dark parts visible on black.
    QImage out(32, 32, QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            int a = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (x + dx >= 0 && x + dx < 32 && y + dy >= 0 && y + dy < 32)
                        a = std::max(a, qAlpha(img.pixel(x + dx, y + dy)));
            out.setPixel(x, y, qRgba(255, 255, 255, a));
        }
    QPainter over(&out);
    over.drawImage(0, 0, img);
    over.end();
    return {name, out, hx, hy};
}

const Ink kCursorInk{QColor(0, 0, 0), QColor(255, 255, 255), 1.5};

void CrossHair(QPainter& p, bool ring) {
    const QPointF c(15.5, 15.5);
    QPainterPath lines;
    for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
        lines.moveTo(c + QPointF(dx * 3.5, dy * 3.5));
        lines.lineTo(c + QPointF(dx * 14, dy * 14));
    }
    if (ring) lines.addEllipse(c, 8, 8);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, 3.2, Qt::SolidLine, Qt::FlatCap));
    p.drawPath(lines);
    p.setPen(QPen(Qt::black, 1.2, Qt::SolidLine, Qt::FlatCap));
    p.drawPath(lines);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(c, 1.6, 1.6);
    p.setBrush(Qt::black);
    p.drawEllipse(c, 0.8, 0.8);
}

QPainterPath PointingHand() {
    QPainterPath h;
    h.addRoundedRect(QRectF(9, 13, 15, 15), 5, 5);
    const QRectF fingers[] = {
        {10.5, 1.5, 4, 18}, {14.5, 10, 3.6, 9}, {17.9, 11, 3.6, 8.5}, {21, 12.5, 3.4, 8}};
    for (const QRectF& f : fingers) {
        QPainterPath q;
        q.addRoundedRect(f, f.width() / 2, f.width() / 2);
        h = h.united(q);
    }
    QPainterPath thumb;
    thumb.addRoundedRect(QRectF(-1.8, -7, 3.6, 10), 1.8, 1.8);
    QTransform t;
    t.translate(9.5, 21);
    t.rotate(-50);
    return h.united(t.map(thumb));
}

QPainterPath Fist() {
    QPainterPath h;
    h.addRoundedRect(QRectF(8.5, 11, 16, 16), 5, 5);
    for (int i = 0; i < 4; ++i) {
        QPainterPath q;
        q.addRoundedRect(QRectF(8.5 + i * 4, 8, 4, 7), 2, 2);
        h = h.united(q);
    }
    return h;
}

}  // namespace

std::vector<Cursor> MakeCursors() {
    const Ink& k = kCursorInk;
    std::vector<Cursor> c;
    c.push_back(MakeCursor("HandCursor", 12, 2, [&](QPainter& p) {
        Fill(p, PointingHand(), k);
        for (double x : {14.5, 17.9, 21.1}) Stroke(p, QPointF(x, 15), QPointF(x, 19), k, 0.6);
    }));
    c.push_back(MakeCursor("HandNoFingersCursor", 16, 9, [&](QPainter& p) {
        Fill(p, Fist(), k);
        for (double x : {12.5, 16.5, 20.5}) Stroke(p, QPointF(x, 9.5), QPointF(x, 14), k, 0.6);
    }));
    c.push_back(MakeCursor("Help", 1, 1, [&](QPainter& p) {
        Fill(p, Poly({{1, 1}, {1, 18}, {5, 14}, {8, 20.5}, {10.5, 19.3}, {7.6, 13}, {13, 13}}), k);
        QFont f(kFontFamily);
        f.setPixelSize(17);
        f.setBold(true);
        QPainterPath q;
        q.addText(QPointF(16, 24), f, QStringLiteral("?"));
        p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(q);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawPath(q);
    }));
    for (int sign : {1, -1}) {
        c.push_back(MakeCursor(sign > 0 ? "ZoomIn" : "ZoomOut", 12, 12, [&](QPainter& p) {
            p.translate(-1, -1);
            Stroke(p, QPointF(19.5, 19.5), QPointF(29, 29), {Qt::black, Qt::white, 5.5}, 1);
            Stroke(p, QPointF(19.5, 19.5), QPointF(29, 29), {Qt::white, Qt::white, 2.5}, 1);
            Fill(p, Circle(13, 13, 9), k);
            Stroke(p, QPointF(8.5, 13), QPointF(17.5, 13), k, 1.4);
            if (sign > 0) Stroke(p, QPointF(13, 8.5), QPointF(13, 17.5), k, 1.4);
        }));
    }
    c.push_back(MakeCursor("XHair1", 15, 15, [](QPainter& p) { CrossHair(p, false); }));
    c.push_back(MakeCursor("XHair2", 15, 15, [](QPainter& p) { CrossHair(p, true); }));
    c.push_back(MakeCursor("MovingHand", 16, 16, [&](QPainter& p) {
        Fill(p, OpenHand(), k);
        HandDetails(p, k);
    }));
    // The fill tool: a tipped bucket whose paint runs down to the hot spot.
    c.push_back(MakeCursor("PaintBrush", 5, 30, [&](QPainter& p) {
        p.translate(32, 0);
        p.scale(-1, 1);
        Bucket(p, k);
    }));
    c.push_back(MakeCursor("Pen", 1, 30, [&](QPainter& p) {
        p.translate(1, 30.5);
        p.rotate(-45);
        Pencil(p, k, 38);
    }));
    c.push_back(MakeCursor("EyeDropper", 1, 30, [&](QPainter& p) {
        p.translate(1, 30.5);
        p.rotate(-45);
        Dropper(p, k, 38);
    }));
    return c;
}

}  // namespace assets
