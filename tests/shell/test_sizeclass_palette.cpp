#include <gtest/gtest.h>

#include <QBuffer>
#include <QColor>
#include <QtEndian>

#include "shell/Basics.h"

using namespace orb;

TEST(SizeClass, ChosenByTheDecidingSide) {
    // 1280x1024: width ratio 2.0 < height ratio 2.133, so the width decides: large.
    EXPECT_EQ(ChooseSizeClass(1280, 1024), SizeClass::Large);
    // 1024x768: equal ratios, the height decides: 768 is medium.
    EXPECT_EQ(ChooseSizeClass(1024, 768), SizeClass::Medium);
    EXPECT_EQ(ChooseSizeClass(800, 600), SizeClass::Small);
    EXPECT_EQ(ChooseSizeClass(640, 480), SizeClass::Small);
    EXPECT_EQ(ChooseSizeClass(1920, 1080), SizeClass::Large);  // height 1080 decides
    EXPECT_EQ(ChooseSizeClass(1152, 2000), SizeClass::Large);  // width decides
    EXPECT_EQ(ChooseSizeClass(1151, 2000), SizeClass::Medium);
    EXPECT_EQ(ChooseSizeClass(1366, 767), SizeClass::Small);   // wide screen, low height
    EXPECT_EQ(ChooseSizeClass(1366, 768), SizeClass::Medium);
    EXPECT_EQ(ChooseSizeClass(1600, 864), SizeClass::Large);
}

TEST(SizeClass, BelowTheMinimumIsRefused) {
    EXPECT_FALSE(ChooseSizeClass(639, 480).has_value());   // width decides, too narrow
    EXPECT_FALSE(ChooseSizeClass(1000, 479).has_value());  // height decides, too low
    EXPECT_FALSE(ChooseSizeClass(0, 0).has_value());
}

TEST(SizeClass, ScalingRoundsLikeMulDiv) {
    EXPECT_EQ(MulDiv(32, 5, 4), 40);
    EXPECT_EQ(MulDiv(32, 8, 5), 51);  // 51.2
    EXPECT_EQ(MulDiv(17, 8, 5), 27);  // 27.2
    EXPECT_EQ(MulDiv(3, 1, 2), 2);    // halves away from zero
    EXPECT_EQ(MulDiv(-3, 1, 2), -2);
    EXPECT_EQ(MulDiv(5, 1, 0), -1);
}

namespace {
QByteArray MakeBmp(int bits, int used, const QVector<QRgb>& colours) {
    QByteArray b;
    const int n = used ? used : (1 << bits);
    const int headerSize = 40;
    b.resize(14 + headerSize + n * 4 + 4);
    b.fill(0);
    auto* d = reinterpret_cast<uchar*>(b.data());
    d[0] = 'B';
    d[1] = 'M';
    qToLittleEndian<quint32>(b.size(), d + 2);
    qToLittleEndian<quint32>(14 + headerSize + n * 4, d + 10);
    qToLittleEndian<quint32>(headerSize, d + 14);
    qToLittleEndian<qint32>(1, d + 18);
    qToLittleEndian<qint32>(1, d + 22);
    qToLittleEndian<quint16>(1, d + 26);
    qToLittleEndian<quint16>(bits, d + 28);
    qToLittleEndian<quint32>(used, d + 46);
    for (int i = 0; i < n && i < colours.size(); ++i) {
        d[54 + i * 4] = qBlue(colours[i]);
        d[54 + i * 4 + 1] = qGreen(colours[i]);
        d[54 + i * 4 + 2] = qRed(colours[i]);
    }
    return b;
}
}  // namespace

TEST(Palette, ColourTableReadInTableOrderFromBgr) {
    const QVector<QRgb> cols = {qRgb(1, 2, 3), qRgb(255, 153, 51), qRgb(0, 0, 100)};
    const Palette p = ReadBmpColorTable(MakeBmp(4, 3, cols));
    ASSERT_EQ(p.size(), 3);  // the used-colours field wins over 2^bits
    EXPECT_EQ(p[0], qRgb(1, 2, 3));
    EXPECT_EQ(p[1], qRgb(255, 153, 51));
    EXPECT_EQ(ReadBmpColorTable(MakeBmp(8, 0, cols)).size(), 256);
}

TEST(Palette, HostileBitmapsGiveNoPalette) {
    QByteArray ok = MakeBmp(8, 0, {});
    for (int cut : {0, 2, 20, 53, 54 + 255 * 4}) EXPECT_TRUE(ReadBmpColorTable(ok.left(cut)).isEmpty());
    QByteArray bad = ok;
    qToLittleEndian<quint32>(0x7fffffff, reinterpret_cast<uchar*>(bad.data()) + 14);
    EXPECT_TRUE(ReadBmpColorTable(bad).isEmpty());
    EXPECT_TRUE(ReadBmpColorTable(MakeBmp(24, 0, {})).isEmpty());  // true colour has no table
    QByteArray huge = ok;  // a used-colours count past 2^bits is capped, not trusted
    qToLittleEndian<quint32>(100000, reinterpret_cast<uchar*>(huge.data()) + 46);
    EXPECT_EQ(ReadBmpColorTable(huge).size(), 256);
}

TEST(Palette, MappingKeepsPaletteColoursAndPicksNearest) {
    const Palette pal = {qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(255, 153, 51)};
    EXPECT_EQ(NearestPaletteIndex(pal, qRgb(250, 150, 60)), 2);
    EXPECT_EQ(NearestPaletteIndex(pal, qRgb(20, 20, 20)), 0);
    EXPECT_EQ(NearestPaletteIndex({}, qRgb(1, 1, 1)), -1);
    QImage img(3, 1, QImage::Format_RGB32);
    img.setPixel(0, 0, qRgb(255, 153, 51));
    img.setPixel(1, 0, qRgb(200, 210, 220));
    img.setPixel(2, 0, qRgb(10, 0, 5));
    const QImage m = MapToPalette(img, pal);
    EXPECT_EQ(m.pixel(0, 0) & 0xffffff, qRgb(255, 153, 51) & 0xffffff);
    EXPECT_EQ(m.pixel(1, 0) & 0xffffff, 0xffffffu);
    EXPECT_EQ(m.pixel(2, 0) & 0xffffff, 0u);
}
