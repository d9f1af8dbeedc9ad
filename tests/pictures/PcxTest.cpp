// PCX variants ImageMagick does not write (bit planes, one bit): written here by a small
// encoder and checked against ImageMagick's reading of the very same files.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "Fixtures.h"
#include "library/CodecLibrary.h"
#include "library/Pcx.h"

using namespace orb;
using namespace orbtest;

namespace {

// Encodes one line with run-length packets (runs stop at line ends, as the format asks).
void EncodeLine(const QByteArray& line, QByteArray& out) {
    int i = 0;
    while (i < line.size()) {
        int n = 1;
        while (i + n < line.size() && n < 63 && line[i + n] == line[i]) ++n;
        const uchar v = uchar(line[i]);
        if (n > 1 || (v & 0xC0) == 0xC0) out.append(char(0xC0 | n));
        out.append(char(v));
        i += n;
    }
}

// A PCX picture of `planes` planes of `bpp` bits from indices; colours in the header.
QByteArray MakePcx(int w, int h, int bpp, int planes, const std::vector<int>& idx,
                   const QVector<QRgb>& colours) {
    const int bpl = ((w * bpp + 15) / 16) * 2;
    QByteArray head(128, '\0');
    head[0] = 0x0A;
    head[1] = 5;
    head[2] = 1;
    head[3] = char(bpp);
    head[8] = char(w - 1);
    head[9] = char((w - 1) >> 8);
    head[10] = char(h - 1);
    head[11] = char((h - 1) >> 8);
    for (int i = 0; i < colours.size() && i < 16; ++i) {
        head[16 + i * 3] = char(qRed(colours[i]));
        head[17 + i * 3] = char(qGreen(colours[i]));
        head[18 + i * 3] = char(qBlue(colours[i]));
    }
    head[65] = char(planes);
    head[66] = char(bpl);
    head[67] = char(bpl >> 8);
    head[68] = 1;
    QByteArray body;
    for (int y = 0; y < h; ++y) {
        QByteArray line(bpl * planes, '\0');
        for (int x = 0; x < w; ++x) {
            const int v = idx[size_t(y * w + x)];
            if (planes == 1 && bpp == 4) {
                line[x / 2] = char(uchar(line[x / 2]) | (v << ((x & 1) ? 0 : 4)));
            } else {
                for (int p = 0; p < planes; ++p)
                    if (v & (1 << p))
                        line[p * bpl + x / 8] =
                            char(uchar(line[p * bpl + x / 8]) | (0x80 >> (x & 7)));
            }
        }
        EncodeLine(line, body);
    }
    return head + body;
}

std::vector<int> Pattern(int w, int h, int colours) {
    std::vector<int> v(size_t(w * h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            v[size_t(y * w + x)] = ((x / 3) + (y / 2) * 5 + (x * y) % 7) % colours;
    return v;
}

const QVector<QRgb> kColours = {
    qRgb(0, 0, 0),     qRgb(200, 20, 20),  qRgb(20, 200, 20),  qRgb(200, 200, 20),
    qRgb(20, 20, 200), qRgb(200, 20, 200), qRgb(20, 200, 200), qRgb(190, 190, 190),
    qRgb(90, 90, 90),  qRgb(255, 120, 0),  qRgb(120, 255, 0),  qRgb(255, 255, 120),
    qRgb(120, 0, 255), qRgb(255, 0, 120),  qRgb(0, 120, 255),  qRgb(255, 255, 255)};

TEST(Pcx, PlanarAndPackedVariantsMatchImageMagick) {
    QTemporaryDir dir;
    struct Variant {
        int bpp, planes, colours;
    };
    for (Variant v : {Variant{1, 4, 16}, Variant{4, 1, 16}}) {
        SCOPED_TRACE(QString("%1 bits x %2 planes").arg(v.bpp).arg(v.planes).toStdString());
        const int w = 37, h = 21;  // odd sizes exercise line padding
        const QByteArray data = MakePcx(w, h, v.bpp, v.planes, Pattern(w, h, v.colours), kColours);
        const QString file = dir.path() + QString("/v%1_%2.pcx").arg(v.bpp).arg(v.planes);
        ASSERT_TRUE(WriteAll(file, data));
        QImage img;
        QVector<QRgb> pal;
        ASSERT_GE(codec::ReadPcx(file, 0, false, img, pal), codec::Ok);
        ASSERT_EQ(img.format(), QImage::Format_Indexed8);
        EXPECT_EQ(MaxDifference(img, MagickDecode(file)), 0);
        TCodecFileInfo info;
        ASSERT_GE(codec::FileInfo(file, info), codec::Ok);
        EXPECT_EQ(info.Format, "PCX");
        EXPECT_EQ(info.Bits, v.bpp * v.planes);
    }
}

// One bit: set bits are white whatever the header's colours say (ImageMagick alone
// reads them the other way round).
TEST(Pcx, MonochromeSetBitsAreWhite) {
    const int w = 37, h = 21;
    const std::vector<int> idx = Pattern(w, h, 2);
    QImage img;
    ASSERT_EQ(DecodePcx(MakePcx(w, h, 1, 1, idx, kColours), img, 1000, 1000000), PcxResult::Ok);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(img.pixel(x, y),
                      idx[size_t(y * w + x)] ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
}

TEST(Pcx, RunsMayCrossLineEnds) {
    // 4 x 2 pixels, 8 bits: one run of 8 bytes covers both lines.
    QByteArray data(128, '\0');
    data[0] = 0x0A;
    data[1] = 5;
    data[2] = 1;
    data[3] = 8;
    data[8] = 3;
    data[10] = 1;
    data[65] = 1;
    data[66] = 4;
    data.append(char(0xC8)).append(char(7));
    QByteArray table(769, '\0');
    table[0] = 0x0C;
    table[1 + 7 * 3] = char(250);
    data += table;
    QImage img;
    ASSERT_EQ(DecodePcx(data, img, 1000, 1000000), PcxResult::Ok);
    ASSERT_EQ(img.size(), QSize(4, 2));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(img.pixel(x, y), qRgb(250, 0, 0));
}

TEST(Pcx, CutFileKeepsTheRowsRead) {
    const int w = 40, h = 30;
    const QByteArray whole = MakePcx(w, h, 1, 4, Pattern(w, h, 16), kColours);
    QImage full, part;
    ASSERT_EQ(DecodePcx(whole, full, 1000, 1000000), PcxResult::Ok);
    ASSERT_EQ(DecodePcx(whole.left(128 + (whole.size() - 128) / 2), part, 1000, 1000000),
              PcxResult::Truncated);
    ASSERT_EQ(part.size(), full.size());
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < w; ++x) ASSERT_EQ(part.pixel(x, y), full.pixel(x, y));
    EXPECT_EQ(part.pixelIndex(0, h - 1), 0);
}

TEST(Pcx, DamagedHeadersAreRefused) {
    QByteArray data(200, '\0');
    data[0] = 0x0A;
    data[1] = 5;
    data[2] = 1;
    data[3] = 8;
    data[8] = 99;
    data[65] = 1;
    data[66] = 2;  // a line of 2 bytes cannot hold 100 pixels
    QImage img;
    EXPECT_EQ(DecodePcx(data, img, 1000, 1000000), PcxResult::Unsupported);
    data[66] = 100;
    data[65] = 2;  // two byte planes: no such variant
    EXPECT_EQ(DecodePcx(data, img, 1000, 1000000), PcxResult::Unsupported);
    data[0] = 0x0B;
    EXPECT_EQ(DecodePcx(data, img, 1000, 1000000), PcxResult::NotPcx);
    EXPECT_TRUE(img.isNull());
}

}  // namespace
