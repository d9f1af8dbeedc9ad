#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>

#include "shell/Bk.h"
#include "shell/MMBtns.h"

using namespace orb;

namespace {
const QRgb kBg = qRgb(0, 200, 0);
const QRgb kFace = qRgb(255, 153, 51);
const QRgb kShadow = qRgb(0, 0, 100);
const QRgb kGlyph = qRgb(255, 0, 0);

int Dist(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
           std::abs(qBlue(a) - qBlue(b));
}

// Classifies every pixel by the nearest of the known colours and returns the bounding
// box of those nearest to `want`.
QRect Box(const QImage& img, QRgb want, const QVector<QRgb>& all) {
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            QRgb best = all[0];
            for (QRgb c : all)
                if (Dist(p, c) < Dist(p, best)) best = c;
            if (best == want) box |= QRect(x, y, 1, 1);
        }
    return box;
}

struct RoundButton {
    QWidget host;
    TBaseBtn* b;
    RoundButton() {
        b = new TBaseBtn(&host);
        b->setGeometry(0, 0, 32, 32);
        b->FaceXOffset = b->FaceYOffset = 0.03125;
        b->ShadowXOffset = b->ShadowYOffset = 0.03125;
        b->FaceWidth = b->FaceHeight = 0.9375;
        b->CaptionXRound = b->CaptionYRound = 30;
        b->SetGlyphCentered(true);
        b->GlyphUpIsGlyphDown = true;
        b->SetBrush(QColor(kFace));
        b->SetPen(Qt::NoPen);
        b->ShadowColor = QColor(kShadow);
        QImage g(4, 4, QImage::Format_RGB32);
        g.fill(kGlyph);
        b->GlyphUp = g;
        b->GlyphDisabled = g;
    }
    QImage Render() {
        QImage img(32, 32, QImage::Format_RGB32);
        img.fill(kBg);
        QPainter p(&img);
        b->PaintTo(p);
        return img;
    }
};
}  // namespace

TEST(BaseBtn, RoundButtonUpDrawsShadowThenFace) {
    RoundButton rb;
    const QImage img = rb.Render();
    const QVector<QRgb> all = {kBg, kFace, kShadow, kGlyph};
    // Face from (1,1) to (31,31), shadow from (2,2) to (32,32), right/bottom exclusive.
    EXPECT_EQ(Box(img, kFace, all), QRect(QPoint(1, 1), QPoint(30, 30)));
    EXPECT_EQ(Box(img, kShadow, all).bottomRight(), QPoint(31, 31));
    EXPECT_EQ(Box(img, kGlyph, all), QRect(14, 14, 4, 4));
    EXPECT_EQ(img.pixel(0, 16), kBg);
}

TEST(BaseBtn, RoundButtonDownShowsOnlyTheFaceOnePixelLowerRight) {
    RoundButton rb;
    rb.b->SetButtonIsDown(true);
    const QImage img = rb.Render();
    const QVector<QRgb> all = {kBg, kFace, kShadow, kGlyph};
    EXPECT_EQ(Box(img, kFace, all), QRect(QPoint(2, 2), QPoint(31, 31)));
    EXPECT_TRUE(Box(img, kShadow, all).isNull());
    EXPECT_EQ(Box(img, kGlyph, all), QRect(15, 15, 4, 4));
}

TEST(BaseBtn, DisabledUsesTheDisabledGlyphAtTheUpPlace) {
    RoundButton rb;
    QImage dis(2, 2, QImage::Format_RGB32);
    dis.fill(qRgb(255, 255, 255));
    rb.b->GlyphDisabled = dis;
    rb.b->setEnabled(false);
    rb.b->SetButtonIsDown(true);  // down has no effect while disabled
    const QImage img = rb.Render();
    const QVector<QRgb> all = {kBg, kFace, kShadow, kGlyph, qRgb(255, 255, 255)};
    EXPECT_EQ(Box(img, kFace, all), QRect(QPoint(1, 1), QPoint(30, 30)));
    EXPECT_EQ(Box(img, qRgb(255, 255, 255), all), QRect(15, 15, 2, 2));
    EXPECT_TRUE(Box(img, kGlyph, all).isNull());
}

TEST(BaseBtn, DownWithoutDownGlyphShowsNoGlyph) {
    RoundButton rb;
    rb.b->GlyphUpIsGlyphDown = false;
    rb.b->SetButtonIsDown(true);
    const QImage img = rb.Render();
    EXPECT_TRUE(Box(img, kGlyph, {kBg, kFace, kShadow, kGlyph}).isNull());
}

TEST(BaseBtn, GlyphFlagsExcludeEachOther) {
    TBaseBtn b;
    b.SetGlyphCentered(true);
    b.SetGlyphStretched(true);
    EXPECT_FALSE(b.GlyphCentered());
    b.SetGlyphCentered(true);
    EXPECT_FALSE(b.GlyphStretched());
    EXPECT_EQ(b.size(), QSize(120, 40));
}

TEST(BaseBtn, ClickNeedsPressAndReleaseOnTheButton) {
    QWidget host;
    auto* b = new TBaseBtn(&host);
    b->setGeometry(0, 0, 32, 32);
    int clicks = 0;
    b->OnClick = [&](QObject*) { ++clicks; };
    host.show();
    auto send = [&](QEvent::Type t, QPoint at) {
        QMouseEvent e(t, at, b->mapToGlobal(at), Qt::LeftButton,
                      t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
        QCoreApplication::sendEvent(b, &e);
    };
    send(QEvent::MouseButtonPress, {5, 5});
    EXPECT_TRUE(b->Pressed());
    send(QEvent::MouseButtonRelease, {5, 5});
    EXPECT_FALSE(b->Pressed());
    EXPECT_EQ(clicks, 1);
    send(QEvent::MouseButtonPress, {5, 5});
    send(QEvent::MouseButtonRelease, {50, 50});  // released outside
    EXPECT_EQ(clicks, 1);
    b->setEnabled(false);
    send(QEvent::MouseButtonPress, {5, 5});
    send(QEvent::MouseButtonRelease, {5, 5});
    EXPECT_EQ(clicks, 1);
}

TEST(BkControl, DrawStylesPlaceThePicture) {
    TBkControl bk;
    bk.resize(10, 10);
    bk.Background().SetPen(Qt::NoPen);
    bk.Background().SetBrush(Qt::NoBrush);
    QImage tile(4, 4, QImage::Format_RGB32);
    tile.fill(qRgb(255, 0, 0));
    tile.setPixel(0, 0, qRgb(0, 0, 255));
    bk.Background().SetImage(tile);
    auto render = [&] {
        QImage img(10, 10, QImage::Format_RGB32);
        img.fill(qRgb(0, 255, 0));
        QPainter p(&img);
        bk.PaintTo(p);
        return img;
    };
    QImage a = render();  // tiled from (0,0) until covered
    EXPECT_EQ(a.pixel(4, 4), qRgb(0, 0, 255));
    EXPECT_EQ(a.pixel(8, 8), qRgb(0, 0, 255));
    EXPECT_EQ(a.pixel(9, 9), qRgb(255, 0, 0));
    bk.Background().SetImageDrawStyle(TImageDrawStyle::idsCenter);
    QImage c = render();  // (10-4) div 2 = 3
    EXPECT_EQ(c.pixel(3, 3), qRgb(0, 0, 255));
    EXPECT_EQ(c.pixel(2, 2), qRgb(0, 255, 0));
    bk.Background().SetImageDrawStyle(TImageDrawStyle::idsHide);
    EXPECT_EQ(render().pixel(5, 5), qRgb(0, 255, 0));
}

TEST(BkControl, WithoutPictureStillDrawsPenAndBrush) {
    TBkControl bk;
    bk.resize(6, 6);
    bk.Background().SetPen(QPen(QColor(0, 0, 0)));
    bk.Background().SetBrush(QColor(255, 255, 255));
    QImage img(6, 6, QImage::Format_RGB32);
    img.fill(qRgb(0, 255, 0));
    QPainter p(&img);
    bk.PaintTo(p);
    p.end();
    EXPECT_EQ(img.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(5, 5), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(3, 3), qRgb(255, 255, 255));
}

TEST(Background, AssignCopiesAndStyleChangeNotifies) {
    TBackground a, b;
    int changes = 0;
    b.OnChange = [&] { ++changes; };
    a.SetBrush(QColor(1, 2, 3));
    a.SetImageDrawStyle(TImageDrawStyle::idsStretch);
    b.Assign(a);
    EXPECT_EQ(b.Brush().color(), QColor(1, 2, 3));
    EXPECT_EQ(b.ImageDrawStyle(), TImageDrawStyle::idsStretch);
    EXPECT_EQ(changes, 1);
    b.SetImageDrawStyle(TImageDrawStyle::idsStretch);  // same style: no event
    EXPECT_EQ(changes, 1);
}
