// The codec layer against pictures written by ImageMagick: detection by content, decoding
// at every depth, the BMP writer read back by ImageMagick, and damaged or hostile files.
#include <gtest/gtest.h>
#include <zlib.h>

#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>
#include <memory>

#include "Fixtures.h"
#include "library/CodecLibrary.h"
#include "library/PictureDepth.h"

using namespace orb;
using namespace orbtest;

namespace {

struct Sample {
    const char* file;
    TCodecFormat format;
    const char* text;
    QStringList args;         // convert arguments between source and output
    int maxDiff;              // against ImageMagick's own decoding
    const char* prefix = "";  // ImageMagick's output variant
};

class CodecFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(dir_->isValid());
        QString key = "codec-samples-1";
        for (const Sample& s : Samples())
            key += QString("|") + s.file + s.prefix + s.args.join(' ');
        ASSERT_TRUE(SampleSet(
            key,
            [](const QString& d) {
                if (!MakeSource(d, d + "/src.png", 64, 48)) return false;
                for (const Sample& s : Samples())
                    if (!Convert(d, QStringList{"src.png"} + s.args +
                                        QStringList{QString(s.prefix) + s.file}))
                        return false;
                return true;
            },
            dir_->path()));
        src_ = dir_->path() + "/src.png";
    }
    static void TearDownTestSuite() { dir_.reset(); }

    static const std::vector<Sample>& Samples() {
        static const std::vector<Sample> all = {
            {"b24.bmp", TCodecFormat::Bmp, "BMP", {"-type", "TrueColor"}, 0, "BMP3:"},
            {"b8.bmp",
             TCodecFormat::Bmp,
             "BMP",
             {"-colors", "200", "-type", "Palette"},
             0,
             "BMP3:"},
            {"b4.bmp", TCodecFormat::Bmp, "BMP", {"-colors", "16", "-type", "Palette"}, 0, "BMP3:"},
            {"b1.bmp", TCodecFormat::Bmp, "BMP", {"-monochrome"}, 0, "BMP3:"},
            {"j24.jpg", TCodecFormat::Jpeg, "JPEG", {"-quality", "92"}, 3},
            {"j8.jpg", TCodecFormat::Jpeg, "JPEG", {"-colorspace", "Gray", "-quality", "92"}, 3},
            {"jp.jpg", TCodecFormat::Jpeg, "JPEG", {"-interlace", "Plane", "-quality", "85"}, 3},
            {"g256.gif", TCodecFormat::Gif, "GIF", {"-colors", "256"}, 0},
            {"g16.gif", TCodecFormat::Gif, "GIF", {"-colors", "16"}, 0},
            {"p24.png", TCodecFormat::Png, "PNG", {"-type", "TrueColor"}, 0, "PNG24:"},
            {"p8.png", TCodecFormat::Png, "PNG", {"-colors", "100"}, 0, "PNG8:"},
            {"pg.png", TCodecFormat::Png, "PNG", {"-colorspace", "Gray"}, 0, "PNG8:"},
            {"p48.png", TCodecFormat::Png, "PNG", {"-depth", "16"}, 0, "PNG48:"},
            {"t24.tif", TCodecFormat::Tiff, "TIF", {"-type", "TrueColor", "-compress", "None"}, 0},
            {"tl.tif", TCodecFormat::Tiff, "TIF", {"-type", "TrueColor", "-compress", "LZW"}, 0},
            {"t8.tif", TCodecFormat::Tiff, "TIF", {"-colors", "64", "-type", "Palette"}, 1},
            {"t1.tif", TCodecFormat::Tiff, "TIF", {"-monochrome", "-compress", "Group4"}, 0},
            {"x8.pcx", TCodecFormat::Pcx, "PCX", {"-colors", "200", "-type", "Palette"}, 0},
            {"x24.pcx", TCodecFormat::Pcx, "PCX", {"-type", "TrueColor"}, 0},
        };
        return all;
    }
    static QString F(const QString& name) { return dir_->path() + "/" + name; }

    static std::unique_ptr<QTemporaryDir> dir_;
    static QString src_;
};
std::unique_ptr<QTemporaryDir> CodecFiles::dir_;
QString CodecFiles::src_;

TEST_F(CodecFiles, DetectsEveryFormatByContentAndDecodesLikeImageMagick) {
    for (const Sample& s : Samples()) {
        SCOPED_TRACE(s.file);
        TCodecFileInfo info;
        ASSERT_GE(codec::FileInfo(F(s.file), info), codec::Ok);
        EXPECT_EQ(info.Format, s.text);
        EXPECT_EQ(info.Width, 64);
        EXPECT_EQ(info.Height, 48);
        EXPECT_LE(info.Description.size(), 25);

        QImage img;
        QVector<QRgb> pal;
        ASSERT_GE(codec::Read(s.format, F(s.file), 24, false, img, pal), codec::Ok);
        EXPECT_EQ(img.format(), QImage::Format_RGB32);
        const QImage ref = MagickDecode(F(s.file));
        ASSERT_FALSE(ref.isNull());
        EXPECT_LE(MaxDifference(img, ref), s.maxDiff);
    }
}

TEST_F(CodecFiles, StoredDepthIsReported) {
    auto bits = [&](const char* f) {
        TCodecFileInfo info;
        codec::FileInfo(F(f), info);
        return info.Bits;
    };
    EXPECT_EQ(bits("b24.bmp"), 24);
    EXPECT_EQ(bits("b8.bmp"), 8);
    EXPECT_EQ(bits("b4.bmp"), 4);
    EXPECT_EQ(bits("b1.bmp"), 1);
    EXPECT_EQ(bits("x24.pcx"), 24);
    EXPECT_EQ(bits("p24.png"), 24);
}

TEST_F(CodecFiles, ReaderRefusesAnotherFormatsContent) {
    QImage img;
    QVector<QRgb> pal;
    EXPECT_EQ(codec::ReadJpeg(F("p24.png"), 24, false, img, pal), codec::ErrWrongFormat);
    EXPECT_TRUE(img.isNull());
    EXPECT_EQ(codec::ReadPng(F("missing.png"), 24, false, img, pal), codec::ErrOpen);
    EXPECT_EQ(codec::ReadPng(F("p24.png"), 7, false, img, pal), codec::ErrDepth);
}

TEST_F(CodecFiles, DepthZeroKeepsTheFilesOwnDepth) {
    QImage img;
    QVector<QRgb> pal = FixedPalette(8);
    ASSERT_GE(codec::ReadBmp(F("b4.bmp"), 0, false, img, pal), codec::Ok);
    EXPECT_EQ(img.format(), QImage::Format_Indexed8);
    EXPECT_LE(img.colorCount(), 16);
    EXPECT_EQ(pal, img.colorTable());
    EXPECT_EQ(MaxDifference(img, MagickDecode(F("b4.bmp"))), 0);

    ASSERT_GE(codec::ReadJpeg(F("j24.jpg"), 0, false, img, pal), codec::Ok);
    EXPECT_EQ(img.format(), QImage::Format_RGB32);
}

// Offered palettes: the result uses exactly the offered colours, each pixel the nearest
// one without dithering; dithering keeps the local average closer to the original.
TEST_F(CodecFiles, ReducesToTheOfferedPaletteWithAndWithoutDithering) {
    QImage truth;
    QVector<QRgb> none;
    ASSERT_GE(codec::ReadPng(F("p24.png"), 24, false, truth, none), codec::Ok);
    for (int bits : {8, 4}) {
        SCOPED_TRACE(bits);
        const QVector<QRgb> offered = FixedPalette(bits);
        QImage plain, dithered;
        QVector<QRgb> p1 = offered, p2 = offered;
        ASSERT_GE(codec::ReadPng(F("p24.png"), bits, false, plain, p1), codec::Ok);
        ASSERT_GE(codec::ReadPng(F("p24.png"), bits, true, dithered, p2), codec::Ok);
        EXPECT_EQ(p1, offered);
        EXPECT_EQ(plain.colorTable(), offered);
        EXPECT_EQ(dithered.colorTable(), offered);
        for (int y = 0; y < truth.height(); ++y)
            for (int x = 0; x < truth.width(); ++x) {
                const QRgb t = truth.pixel(x, y), got = plain.pixel(x, y);
                const auto d = [&](QRgb c) {
                    return (qRed(t) - qRed(c)) * (qRed(t) - qRed(c)) +
                           (qGreen(t) - qGreen(c)) * (qGreen(t) - qGreen(c)) +
                           (qBlue(t) - qBlue(c)) * (qBlue(t) - qBlue(c));
                };
                for (QRgb c : offered) ASSERT_LE(d(got), d(c)) << x << "," << y;
            }
        // 8x8 block means: dithering is closer to the true colours.
        auto blockError = [&](const QImage& img) {
            double err = 0;
            for (int by = 0; by + 8 <= truth.height(); by += 8)
                for (int bx = 0; bx + 8 <= truth.width(); bx += 8)
                    for (int c = 0; c < 3; ++c) {
                        double a = 0, b = 0;
                        for (int y = by; y < by + 8; ++y)
                            for (int x = bx; x < bx + 8; ++x) {
                                const QRgb p = truth.pixel(x, y), q = img.pixel(x, y);
                                a += c == 0 ? qRed(p) : c == 1 ? qGreen(p) : qBlue(p);
                                b += c == 0 ? qRed(q) : c == 1 ? qGreen(q) : qBlue(q);
                            }
                        err += std::abs(a - b) / 64;
                    }
            return err;
        };
        EXPECT_LT(blockError(dithered), blockError(plain) * 0.8);
    }
}

TEST_F(CodecFiles, WithoutAnOfferedPaletteAFittingPictureKeepsItsColours) {
    QImage img;
    QVector<QRgb> pal;
    ASSERT_GE(codec::ReadGif(F("g16.gif"), 8, true, img, pal), codec::Ok);
    EXPECT_LE(img.colorCount(), 16);
    EXPECT_EQ(MaxDifference(img, MagickDecode(F("g16.gif"))), 0);
    pal.clear();
    ASSERT_GE(codec::ReadJpeg(F("j24.jpg"), 4, false, img, pal), codec::Ok);
    EXPECT_EQ(pal, FixedPalette(4));
    pal.clear();
    ASSERT_GE(codec::ReadTiff(F("t24.tif"), 1, true, img, pal), codec::Ok);
    EXPECT_EQ(img.colorTable(), FixedPalette(1));
}

// BMPs we write at each depth are read by ImageMagick (an independent reader) and by us.
TEST_F(CodecFiles, WrittenBmpsReadBackEverywhere) {
    QImage truth;
    QVector<QRgb> none;
    ASSERT_GE(codec::ReadPng(F("p24.png"), 24, false, truth, none), codec::Ok);
    for (int bits : {1, 4, 8, 24}) {
        SCOPED_TRACE(bits);
        const QString out = F(QString("w%1.bmp").arg(bits));
        ASSERT_GE(codec::WriteBmp(out, bits, truth, {}), codec::Ok);
        EXPECT_EQ(Identify(out, "%w %h"), "64 48");
        const QByteArray bytes = ReadAll(out);
        ASSERT_GE(bytes.size(), 54);
        EXPECT_EQ(uchar(bytes[28]), bits);
        // What we expect to see: the picture mapped to the depth's fixed palette.
        const QImage expected = bits == 24 ? truth : MapToPalette(truth, FixedPalette(bits), false);
        EXPECT_EQ(MaxDifference(MagickDecode(out), expected), 0);
        QImage back;
        QVector<QRgb> pal;
        ASSERT_GE(codec::ReadBmp(out, 0, false, back, pal), codec::Ok);
        EXPECT_EQ(MaxDifference(back, expected), 0);
    }
    // An indexed picture keeps its own table when it fits.
    QImage idx;
    QVector<QRgb> pal;
    ASSERT_GE(codec::ReadGif(F("g16.gif"), 0, false, idx, pal), codec::Ok);
    const QString out = F("w4own.bmp");
    ASSERT_GE(codec::WriteBmp(out, 4, idx, {}), codec::Ok);
    EXPECT_EQ(MaxDifference(MagickDecode(out), idx), 0);
}

TEST_F(CodecFiles, WriterFailuresAreReportedNotRaised) {
    EXPECT_EQ(
        codec::WriteBmp(F("no/such/folder/x.bmp"), 24, QImage(4, 4, QImage::Format_RGB32), {}),
        codec::ErrWrite);
    EXPECT_EQ(codec::WriteBmp(F("x.bmp"), 24, QImage(), {}), codec::ErrNoBitmap);
    EXPECT_EQ(codec::WriteBmp(F("x.bmp"), 16, QImage(4, 4, QImage::Format_RGB32), {}),
              codec::ErrDepth);
    // The codec layer shows nothing: a failed status becomes one error note for the caller.
    RecordingOutward rec;
    const TFailure failed = codec::Failure(codec::ErrWrite);
    EXPECT_FALSE(codec::Failure(codec::Ok).Failed());
    ASSERT_EQ(failed.Notes().size(), 1);
    // Tagged, so the shell can show it in the active language.
    EXPECT_EQ(failed.Notes()[0], (TFailureNote{codec::ErrorText(uint16_t(codec::ErrWrite)), "Error",
                                               MessageKind::Error, 5019}));
    EXPECT_TRUE(rec.boxes.empty());
}

// Every format cut short or damaged: a failure status, never a crash; a cut file may
// leave a partial picture of the right size.
TEST_F(CodecFiles, TruncatedAndCorruptFilesFail) {
    for (const Sample& s : Samples()) {
        const QByteArray whole = ReadAll(F(s.file));
        for (double part : {0.02, 0.3, 0.6, 0.95}) {
            SCOPED_TRACE(QString("%1 cut at %2").arg(s.file).arg(part).toStdString());
            QImage img;
            QVector<QRgb> pal;
            const qsizetype keep = qsizetype(whole.size() * part);
            const int16_t st = codec::Decode(s.format, whole.left(keep), 24, false, img, pal);
            EXPECT_LT(st, codec::Ok);
            if (!img.isNull()) EXPECT_EQ(img.size(), QSize(64, 48));
        }
        // Damage in the middle: whatever happens, no crash and a sane picture.
        for (int seed = 1; seed <= 8; ++seed) {
            QByteArray bad = whole;
            quint32 r = quint32(seed) * 2654435761u;
            for (int i = 0; i < 24; ++i) {
                r = r * 1664525u + 1013904223u;
                const qsizetype at =
                    16 + qsizetype(r % quint32(std::max<qsizetype>(1, bad.size() - 16)));
                bad[at] = char(r >> 24);
            }
            QImage img;
            QVector<QRgb> pal;
            const int16_t st = codec::Decode(s.format, bad, 8, true, img, pal);
            if (st >= codec::Ok) {
                EXPECT_FALSE(img.isNull());
            }
            if (!img.isNull()) {
                EXPECT_LE(img.width(), codec::kMaxSide);
            }
        }
    }
}

QByteArray PngChunk(const char* type, const QByteArray& body) {
    QByteArray c;
    const quint32 n = quint32(body.size());
    c.append(char(n >> 24)).append(char(n >> 16)).append(char(n >> 8)).append(char(n));
    QByteArray tb = QByteArray(type) + body;
    c += tb;
    const quint32 crc =
        quint32(crc32(0, reinterpret_cast<const Bytef*>(tb.constData()), uInt(tb.size())));
    c.append(char(crc >> 24)).append(char(crc >> 16)).append(char(crc >> 8)).append(char(crc));
    return c;
}

TEST(CodecHostile, HugeDimensionsAreRefusedBeforeDecoding) {
    QImage img;
    QVector<QRgb> pal;
    // BMP: 100000 x 100000 at 24 bits, no pixel data.
    QByteArray bmp(54, '\0');
    bmp[0] = 'B';
    bmp[1] = 'M';
    auto put32 = [](QByteArray& b, int at, quint32 v) {
        for (int i = 0; i < 4; ++i) b[at + i] = char(v >> (8 * i));
    };
    put32(bmp, 10, 54);
    put32(bmp, 14, 40);
    put32(bmp, 18, 100000);
    put32(bmp, 22, 100000);
    bmp[26] = 1;
    bmp[28] = 24;
    EXPECT_EQ(codec::Decode(TCodecFormat::Bmp, bmp, 24, false, img, pal), codec::ErrTooLarge);

    // PNG: 30000 x 30000 with a valid header checksum.
    QByteArray ihdr;
    for (quint32 v : {30000u, 30000u})
        ihdr.append(char(v >> 24)).append(char(v >> 16)).append(char(v >> 8)).append(char(v));
    ihdr.append(char(8)).append(char(2)).append(char(0)).append(char(0)).append(char(0));
    const QByteArray png = QByteArray("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", ihdr) +
                           PngChunk("IDAT", QByteArray()) + PngChunk("IEND", QByteArray());
    EXPECT_EQ(codec::Decode(TCodecFormat::Png, png, 24, false, img, pal), codec::ErrTooLarge);

    // GIF 65535 x 65535.
    QByteArray gif("GIF89a\xff\xff\xff\xff\x00\x00\x00\x3b", 14);
    EXPECT_EQ(codec::Decode(TCodecFormat::Gif, gif, 24, false, img, pal), codec::ErrTooLarge);

    // JPEG frame header 65500 x 65500.
    QByteArray jpg(
        "\xff\xd8\xff\xc0\x00\x11\x08\xff\xdc\xff\xdc\x03\x01\x11\x00\x02\x11\x01\x03\x11\x01"
        "\xff\xd9",
        23);
    EXPECT_EQ(codec::Decode(TCodecFormat::Jpeg, jpg, 24, false, img, pal), codec::ErrTooLarge);

    // PCX 65536 x 65536.
    QByteArray pcx(128, '\0');
    pcx[0] = 0x0A;
    pcx[1] = 5;
    pcx[2] = 1;
    pcx[3] = 8;
    pcx[8] = pcx[9] = pcx[10] = pcx[11] = char(0xFF);
    pcx[65] = 3;
    pcx[66] = char(0xFF);
    pcx[67] = char(0xFF);
    EXPECT_EQ(codec::Decode(TCodecFormat::Pcx, pcx, 24, false, img, pal), codec::ErrTooLarge);

    // TIFF claiming 200000 x 10.
    QByteArray tif("II*\0\x08\0\0\0", 8);
    auto ent = [&](quint16 tag, quint16 type, quint32 value) {
        QByteArray e(12, '\0');
        e[0] = char(tag);
        e[1] = char(tag >> 8);
        e[2] = char(type);
        e[4] = 1;
        for (int i = 0; i < 4; ++i) e[8 + i] = char(value >> (8 * i));
        return e;
    };
    tif += QByteArray("\x03\x00", 2) + ent(256, 4, 200000) + ent(257, 4, 10) + ent(258, 3, 8) +
           QByteArray(4, '\0');
    EXPECT_EQ(codec::Decode(TCodecFormat::Tiff, tif, 24, false, img, pal), codec::ErrTooLarge);
    EXPECT_TRUE(img.isNull());
}

// TIFF comes from a plug-in package; without it every TIFF would fail to load.
TEST(CodecSetup, QtHasReadersForEveryFormatItDecodes) {
    const auto formats = QImageReader::supportedImageFormats();
    for (const char* f : {"bmp", "jpeg", "gif", "png", "tiff", "ico"})
        EXPECT_TRUE(formats.contains(f)) << f;
}

TEST(CodecHostile, UnknownAndEmptyFilesHaveNoFormat) {
    QTemporaryDir dir;
    const QString text = dir.path() + "/notes";
    ASSERT_TRUE(WriteAll(text, "just some words, not a picture at all\n"));
    TCodecFileInfo info;
    EXPECT_EQ(codec::FileInfo(text, info), codec::ErrUnknownFormat);
    EXPECT_TRUE(info.Format.isEmpty());
    const QString empty = dir.path() + "/empty";
    ASSERT_TRUE(WriteAll(empty, ""));
    EXPECT_LT(codec::FileInfo(empty, info), codec::Ok);
    EXPECT_EQ(codec::FileInfo(dir.path() + "/missing", info), codec::ErrOpen);
}

}  // namespace
