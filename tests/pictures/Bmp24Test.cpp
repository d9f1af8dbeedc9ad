// Uncompressed 24-bit BMPs take a row-copy path: it must give exactly what Qt's reader gives.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QImageReader>
#include <QRandomGenerator>

#include "library/CodecLibrary.h"

using namespace orb;

namespace {
QByteArray Bmp24(const QImage& img) {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.convertToFormat(QImage::Format_RGB888).save(&buf, "BMP");
    return bytes;
}
QImage QtRead(const QByteArray& bytes) {
    QBuffer buf;
    buf.setData(bytes);
    buf.open(QIODevice::ReadOnly);
    QImageReader r(&buf, "bmp");
    return r.read().convertToFormat(QImage::Format_RGB32);
}
// The bytes as a file, read the way the program reads its pictures.
int16_t ReadAsFile(const QByteArray& bytes, QImage& got) {
    QTemporaryDir dir;
    QFile f(dir.filePath("picture.bmp"));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) return -1000;
    f.close();
    QVector<QRgb> pal;
    return codec::ReadBmp(f.fileName(), 24, false, got, pal);
}
}  // namespace

TEST(Bmp24, RowCopyMatchesQtForOddWidthsAndBothRowOrders) {
    QRandomGenerator rng(7);
    // The last sizes take several blocks of rows from a file, the last block a short one.
    for (QSize size : {QSize(1, 1), QSize(3, 5), QSize(13, 7), QSize(64, 2), QSize(101, 33),
                       QSize(301, 233), QSize(5000, 20)}) {
        QImage src(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x) src.setPixel(x, y, rng.generate() | 0xff000000u);
        QByteArray bottomUp = Bmp24(src);
        QImage got;
        QVector<QRgb> pal;
        ASSERT_GE(codec::Decode(TCodecFormat::Bmp, bottomUp, 24, false, got, pal), 1);
        EXPECT_EQ(got.convertToFormat(QImage::Format_RGB32), src) << size.width();
        EXPECT_EQ(got.convertToFormat(QImage::Format_RGB32), QtRead(bottomUp));
        ASSERT_GE(ReadAsFile(bottomUp, got), 1);
        EXPECT_EQ(got.convertToFormat(QImage::Format_RGB32), src) << size.width();
        // The same rows stored top-down (negative height).
        QByteArray topDown = bottomUp;
        const int h = size.height();
        auto* d = reinterpret_cast<uchar*>(topDown.data());
        const qint32 neg = -h;
        memcpy(d + 22, &neg, 4);
        const int stride = (size.width() * 3 + 3) & ~3, offset = 54;
        for (int y = 0; y < h; ++y)
            memcpy(d + offset + y * stride, bottomUp.constData() + offset + (h - 1 - y) * stride,
                   stride);
        ASSERT_GE(codec::Decode(TCodecFormat::Bmp, topDown, 24, false, got, pal), 1);
        EXPECT_EQ(got.convertToFormat(QImage::Format_RGB32), src);
        ASSERT_GE(ReadAsFile(topDown, got), 1);
        EXPECT_EQ(got.convertToFormat(QImage::Format_RGB32), src);
    }
}

TEST(Bmp24, CutRowsAreNotReadPastTheData) {
    QImage src(40, 30, QImage::Format_RGB32);
    src.fill(qRgb(1, 2, 3));
    const QByteArray full = Bmp24(src);
    for (int cut : {60, 200, int(full.size()) - 1}) {
        QImage got;
        QVector<QRgb> pal;
        // Either a failure or a partial picture from the general reader; never a read past
        // the end (the sanitizer runs would catch it) and never a full-size success.
        const int16_t status =
            codec::Decode(TCodecFormat::Bmp, full.left(cut), 24, false, got, pal);
        EXPECT_LT(status, 1) << cut;
        // A file cut short reads the same, whether whole or a block of rows at a time.
        QImage fromFile;
        EXPECT_EQ(ReadAsFile(full.left(cut), fromFile), status) << cut;
        EXPECT_EQ(fromFile.size(), got.size()) << cut;
    }
}
