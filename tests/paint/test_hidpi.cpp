// Drawing at a device pixel ratio of 2: the views are composed in device pixels while the
// geometry (picture rectangle, tool coordinates) stays in logical pixels.
#include <gtest/gtest.h>

#include <QPainter>

#include "paint/DtlWin.h"
#include "paint/ProImg.h"

using namespace orb;

namespace {
const QRgb kBlack = qRgb(0, 0, 0), kWhite = qRgb(255, 255, 255);

// One-pixel checkerboard: the finest detail a picture can have.
QImage Checkerboard(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.setPixel(x, y, (x + y) % 2 ? kBlack : kWhite);
    return img;
}

// The widget as a screen of the given ratio shows it.
QImage RenderAt(QWidget& w, qreal dpr) {
    QImage img(int(w.width() * dpr), int(w.height() * dpr), QImage::Format_RGB32);
    img.setDevicePixelRatio(dpr);
    img.fill(qRgb(1, 2, 3));
    w.render(&img);
    return img;
}

struct DetailAt {
    TPaintSession session;
    QWidget panel;
    TDetailWindow* w;
    explicit DetailAt(const QImage& picture, QSize size = {120, 120}) {
        panel.resize(size);
        w = new TDetailWindow(&panel, session);
        w->setGeometry(panel.rect());
        session.LoadPicture(picture);
    }
};
}  // namespace

TEST(HiDpi, ReducedPictureKeepsDevicePixelDetail) {
    // 200x200 at 50 % is 100x100 logical pixels: 200x200 device pixels at a ratio of 2,
    // so every picture pixel has a device pixel of its own.
    DetailAt d(Checkerboard(200, 200));
    d.w->Session().SetZoom(500);
    d.w->Paint();
    const QRect r = d.w->PictureRect();
    ASSERT_EQ(r, QRect(10, 10, 100, 100));
    const QImage img = RenderAt(*d.w, 2);
    ASSERT_EQ(img.size(), QSize(240, 240));
    // Around the centre (well inside the round opening) the picture is there pixel for pixel.
    int alternations = 0;
    for (int y = 80; y < 160; ++y)
        for (int x = 80; x < 160; ++x) {
            ASSERT_EQ(img.pixel(x, y), d.w->Session().Picture().pixel(x - 20, y - 20)) << x << "," << y;
            if (img.pixel(x, y) != img.pixel(x + 1, y)) ++alternations;
        }
    EXPECT_EQ(alternations, 80 * 80);
    // At a ratio of 1 the same view drops every other column: a logical-sized buffer
    // stretched up could never show the board.
    const QImage one = RenderAt(*d.w, 1);
    for (int x = 50; x < 70; ++x) EXPECT_EQ(one.pixel(x, 60), one.pixel(x + 1, 61));
}

TEST(HiDpi, FullSizeViewKeepsLogicalGeometry) {
    // A picture larger than the window at 100 %: one picture pixel is 2x2 device pixels,
    // and the pixel a tool reaches at a window point is the one shown there.
    QImage pic = Checkerboard(301, 257);
    pic.setPixel(150, 128, qRgb(200, 0, 0));
    DetailAt d(pic);
    const QImage img = RenderAt(*d.w, 2);
    for (QPoint at : {QPoint(60, 60), QPoint(61, 60), QPoint(45, 70), QPoint(75, 52)}) {
        const QRgb shown = pic.pixel(d.w->ScreenToPicture(at));
        for (int dy = 0; dy < 2; ++dy)
            for (int dx = 0; dx < 2; ++dx)
                EXPECT_EQ(img.pixel(at.x() * 2 + dx, at.y() * 2 + dy), shown)
                    << at.x() << "," << at.y();
    }
    // The odd-sized picture centres on a logical pixel boundary, not a device one.
    EXPECT_EQ(d.w->DevicePictureRect(2),
              QRect(d.w->PictureRect().topLeft() * 2, d.w->PictureRect().size() * 2));
}

TEST(HiDpi, RoundOpeningEdgeIsDeviceFine) {
    // The opening's outline has steps of one device pixel: some rows begin on an odd
    // device column, which a picture composed in logical pixels cannot produce.
    QImage white(400, 400, QImage::Format_RGB32);
    white.fill(kWhite);
    DetailAt d(white, {200, 200});
    d.w->Session().SetZoom(500);  // 200x200 logical: the opening fills the window
    d.w->Paint();
    const QImage img = RenderAt(*d.w, 2);
    int oddStarts = 0;
    for (int y = 0; y < img.height(); ++y) {
        int x = 0;
        while (x < img.width() && img.pixel(x, y) == kBlack) ++x;
        if (x < img.width() && x % 2) ++oddStarts;
    }
    EXPECT_GT(oddStarts, 20);
    EXPECT_EQ(img.pixel(0, 0), kBlack);
    EXPECT_EQ(img.pixel(200, 200), kWhite);
}

TEST(HiDpi, BufferFollowsTheSurfaceRatio) {
    DetailAt d(Checkerboard(50, 50));
    RenderAt(*d.w, 2);
    EXPECT_EQ(d.w->Buffer().size(), QSize(240, 240));
    EXPECT_EQ(d.w->Buffer().devicePixelRatio(), 2.0);
    // Later edits repaint at the ratio last seen.
    d.w->Paint();
    EXPECT_EQ(d.w->Buffer().devicePixelRatio(), 2.0);
    RenderAt(*d.w, 1);
    EXPECT_EQ(d.w->Buffer().size(), QSize(120, 120));
    // A fractional ratio covers the whole window.
    const QImage frac = RenderAt(*d.w, 1.5);
    EXPECT_EQ(d.w->Buffer().size(), QSize(180, 180));
    EXPECT_NE(frac.pixel(179, 179), qRgb(1, 2, 3));
}

TEST(HiDpi, ProportionalImageStretchesInDevicePixels) {
    TProportionalImage c;
    c.resize(60, 60);
    c.SetSx(100);
    c.SetSy(100);
    c.Background().SetPen(QPen(Qt::NoPen));
    c.SetImage(Checkerboard(120, 120));
    // 120 pixels into 60 logical = 120 device pixels: nothing dropped at a ratio of 2.
    const QImage two = c.Compose(2);
    ASSERT_EQ(two.size(), QSize(120, 120));
    EXPECT_EQ(two.devicePixelRatio(), 2.0);
    for (int x = 0; x < 119; ++x) EXPECT_NE(two.pixel(x, 50), two.pixel(x + 1, 50)) << x;
    // On the screen too.
    const QImage shown = RenderAt(c, 2);
    for (int x = 10; x < 110; ++x) ASSERT_EQ(shown.pixel(x, 70), two.pixel(x, 70)) << x;
    // The layout is logical: the same picture rectangle at both ratios.
    // A 120x60 picture lies at (0, 15) 60x30 logical: device rows 30 to 89.
    const QRgb blue = qRgb(0, 0, 255);
    c.Background().SetBrush(QColor(blue));
    c.SetImage(Checkerboard(120, 60));
    const QImage a = c.Compose(1), b = c.Compose(2);
    EXPECT_EQ(a.pixel(30, 14), blue);
    EXPECT_NE(a.pixel(30, 15), blue);
    EXPECT_EQ(b.pixel(60, 29), blue);
    EXPECT_NE(b.pixel(60, 30), blue);
    EXPECT_NE(b.pixel(61, 89), blue);
    EXPECT_EQ(b.pixel(60, 90), blue);
}

TEST(HiDpi, RasterOperationCoversTheControlAtRatioTwo) {
    // The combining path reads the parent's device pixels; the result covers the control.
    QWidget parent;
    parent.resize(80, 80);
    QPalette pal;
    pal.setColor(QPalette::Window, QColor(0, 255, 0));
    parent.setPalette(pal);
    parent.setAutoFillBackground(true);
    auto* c = new TProportionalImage(&parent);
    c->setGeometry(10, 10, 40, 40);
    c->SetSx(100);
    c->SetSy(100);
    c->Background().SetPen(QPen(Qt::NoPen));
    c->Background().SetBrush(QColor(255, 0, 0));
    c->SetRasterOperation(TRasterOperation::roSRCPAINT);
    const QImage img = RenderAt(parent, 2);
    EXPECT_EQ(img.pixel(30, 30), qRgb(255, 255, 0));  // red over green
    EXPECT_EQ(img.pixel(99, 99), qRgb(255, 255, 0));  // the control's last device pixel
    EXPECT_EQ(img.pixel(100, 100), qRgb(0, 255, 0));
}
