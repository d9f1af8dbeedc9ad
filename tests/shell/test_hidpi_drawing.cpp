// Frames, outlines and button bevels at a device pixel ratio of 2: every side one logical
// pixel (two device pixels) wide, nothing falling off the right or bottom edge.
#include <gtest/gtest.h>

#include <QPainter>

#include "shell/Bk.h"
#include "shell/MMBtns.h"
#include "shell/Main.h"

using namespace orb;

namespace {
const QRgb kOut = qRgb(1, 2, 3);

QImage RenderAt(QWidget& w, qreal dpr) {
    QImage img(int(w.width() * dpr), int(w.height() * dpr), QImage::Format_RGB32);
    img.setDevicePixelRatio(dpr);
    img.fill(kOut);
    w.render(&img);
    return img;
}

// The width in device pixels of the run of `c` starting at each image edge, along the
// middle row and column: {left, top, right, bottom}.
std::array<int, 4> EdgeRuns(const QImage& img, QRgb c) {
    const int w = img.width(), h = img.height(), mx = w / 2, my = h / 2;
    std::array<int, 4> n{};
    while (n[0] < w && img.pixel(n[0], my) == c) ++n[0];
    while (n[1] < h && img.pixel(mx, n[1]) == c) ++n[1];
    while (n[2] < w && img.pixel(w - 1 - n[2], my) == c) ++n[2];
    while (n[3] < h && img.pixel(mx, h - 1 - n[3]) == c) ++n[3];
    return n;
}
}  // namespace

TEST(HiDpiDrawing, BackgroundOutlineIsOneLogicalPixelOnEverySide) {
    TBkControl bk;
    bk.resize(10, 8);
    bk.Background().SetBrush(QColor(0, 0, 255));
    for (qreal dpr : {1.0, 2.0}) {
        for (QPen pen : {QPen(QColor(255, 255, 255)), QPen(QColor(255, 255, 255), 0)}) {
            bk.Background().SetPen(pen);
            const QImage img = RenderAt(bk, dpr);
            const int k = int(dpr);
            const std::array<int, 4> want{k, k, k, k};
            EXPECT_EQ(EdgeRuns(img, qRgb(255, 255, 255)), want) << "ratio " << dpr;
            // Corners closed, the fill right inside.
            EXPECT_EQ(img.pixel(img.width() - 1, img.height() - 1), qRgb(255, 255, 255));
            EXPECT_EQ(img.pixel(0, img.height() - 1), qRgb(255, 255, 255));
            EXPECT_EQ(img.pixel(k, k), qRgb(0, 0, 255));
            EXPECT_EQ(img.pixel(img.width() - 1 - k, img.height() - 1 - k), qRgb(0, 0, 255));
        }
    }
    // Without a pen the brush covers everything, the last device row too.
    bk.Background().SetPen(Qt::NoPen);
    const QImage img = RenderAt(bk, 2);
    EXPECT_EQ(img.pixel(19, 15), qRgb(0, 0, 255));
    EXPECT_EQ(img.pixel(0, 0), qRgb(0, 0, 255));
}

TEST(HiDpiDrawing, FacelessButtonBevelIsTwoDevicePixelsEachSide) {
    QWidget host;
    host.resize(40, 30);
    auto* b = new TBaseBtn(&host);
    b->setGeometry(0, 0, 40, 30);
    b->FaceVisible = false;
    b->SetButtonIsHot(true);
    const QImage img = RenderAt(*b, 2);
    const QRgb grey = qRgb(128, 128, 128), white = qRgb(255, 255, 255);
    const std::array<int, 4> light = EdgeRuns(img, white), dark = EdgeRuns(img, grey);
    EXPECT_EQ(light[0], 2);  // raised: light top and left
    EXPECT_EQ(light[1], 2);
    EXPECT_EQ(dark[2], 2);  // dark bottom and right, on the button's last device pixels
    EXPECT_EQ(dark[3], 2);
    // Pressed, the colours swap.
    b->SetButtonIsHot(false);
    b->SetButtonIsDown(true);
    const QImage down = RenderAt(*b, 2);
    EXPECT_EQ(EdgeRuns(down, grey)[0], 2);
    EXPECT_EQ(EdgeRuns(down, white)[3], 2);
}

TEST(HiDpiDrawing, RoundButtonOutlineScalesWithTheRatio) {
    QWidget host;
    host.resize(64, 32);
    auto* b = new TBaseBtn(&host);
    b->setGeometry(0, 0, 64, 32);
    b->FaceXOffset = b->FaceYOffset = 0;
    b->FaceWidth = b->FaceHeight = 1;
    b->ShadowXOffset = b->ShadowYOffset = 0;
    b->CaptionXRound = b->CaptionYRound = 8;
    b->SetBrush(QColor(255, 255, 255));
    b->SetPen(QPen(QColor(0, 0, 0)));
    // The middle of the top edge: as many dark device rows as logical rows times the ratio.
    auto darkRows = [&](qreal dpr) {
        const QImage img = RenderAt(*b, dpr);
        int n = 0;
        for (int y = 0; y < img.height() / 2; ++y)
            if (qGray(img.pixel(img.width() / 2, y)) < 96) ++n;
        return n;
    };
    EXPECT_EQ(darkRows(1), 1);
    EXPECT_EQ(darkRows(2), 2);
}

TEST(HiDpiDrawing, ShapeOutlineWidthZeroIsOneLogicalPixel) {
    TShape s;
    s.resize(12, 12);
    s.BrushColor = QColor(255, 255, 0);
    s.PenColor = QColor(255, 0, 0);
    for (int width : {0, 1}) {
        s.PenWidth = width;
        const QImage img = RenderAt(s, 2);
        const std::array<int, 4> want{2, 2, 2, 2};
        EXPECT_EQ(EdgeRuns(img, qRgb(255, 0, 0)), want) << "width " << width;
        EXPECT_EQ(img.pixel(23, 0), qRgb(255, 0, 0));  // a closed corner
        EXPECT_EQ(img.pixel(2, 2), qRgb(255, 255, 0));
    }
}

#include <cmath>

#include "shell/Page.h"
#include "tests/shell/Painting.h"

// The round opening of the paint page, rendered as the screen shows it at ratios 1 and 2:
// an orange rim at every angle, its edges blended with what lies on either side, and inside
// it the drawing's own pixels, black or white, never a blend of the two.
TEST(RoundOpening, EvenSmoothRimAroundAHardPicture) {
    Painting p;
    QWidget* panel = p.f->Paint->MandalaPanel;
    p.w->show();
    // Enlarged 4.4 times: the drawing covers the opening, each of its pixels a block.
    p.w->Session().SetView({4400, 0, 0});
    auto orange = [](QRgb c) { return qRed(c) > 220 && qGreen(c) > 120 && qGreen(c) < 190 && qBlue(c) < 90; };
    // Between orange and white: red full, the others between theirs.
    auto rimToWhite = [](QRgb c) {
        return qRed(c) > 240 && qGreen(c) > 165 && qGreen(c) < 245 && qBlue(c) > 70 && qBlue(c) < 245;
    };
    for (const qreal dpr : {1.0, 2.0}) {
        const QImage img = RenderAt(*p.f, dpr);
        const QPointF centre = QPointF(panel->mapTo(p.f.get(), QPoint(0, 0))) + QPointF(panel->rect().center()) + QPointF(0.5, 0.5);
        const double radius = panel->width() / 2.0;
        int blended = 0;
        const int angles = 144;
        for (int a = 0; a < angles; ++a) {
            const double t = 2 * M_PI * a / angles;
            int rim = 0;
            bool blend = false;
            // Inwards from just outside the circle to well inside the rim, device pixel by pixel.
            for (double r = radius + 1; r > radius - 6; r -= 1 / dpr) {
                const QPoint d(int(std::floor((centre.x() + r * std::cos(t)) * dpr)),
                               int(std::floor((centre.y() + r * std::sin(t)) * dpr)));
                const QRgb c = img.pixel(d);
                rim += orange(c);
                blend |= rimToWhite(c);
            }
            EXPECT_GE(rim, int(dpr)) << "no rim at angle " << a << " ratio " << dpr;
            blended += blend;
        }
        // A hard mask would step from orange straight to the picture at every angle.
        EXPECT_GT(blended, angles / 3) << "ratio " << dpr;
        // Inside, only the drawing's black and white.
        int other = 0;
        const QRect inner = QRectF(centre.x() - radius * 0.68, centre.y() - radius * 0.68,
                                   radius * 1.36, radius * 1.36).toRect();
        for (int y = int(inner.top() * dpr); y < int(inner.bottom() * dpr); ++y)
            for (int x = int(inner.left() * dpr); x < int(inner.right() * dpr); ++x) {
                const QRgb c = img.pixel(x, y);
                other += c != kWhite && c != kBlack;
            }
        EXPECT_EQ(other, 0) << "ratio " << dpr;
    }
}
