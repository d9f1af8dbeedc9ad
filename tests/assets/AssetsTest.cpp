// The generated data files and resources: present, of the right size and format, and
// holding what the program relies on (picker colours, palette entries, seamless tiles
// and music loop, the font's family name).
#include <gtest/gtest.h>
#include <zlib.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFontDatabase>
#include <QImage>
#include <QImageReader>
#include <QMap>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QtEndian>
#include <cmath>

#include "Assets.h"
#include "platform/Cursors.h"
#include "platform/Paths.h"
#include "platform/Resources.h"

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
quint32 Le32(const QByteArray& b, int at) {
    return qFromLittleEndian<quint32>(reinterpret_cast<const uchar*>(b.constData()) + at);
}
quint16 Le16(const QByteArray& b, int at) {
    return qFromLittleEndian<quint16>(reinterpret_cast<const uchar*>(b.constData()) + at);
}

struct Bmp {
    int width = 0, height = 0, bits = 0;
    quint32 compression = 99, used = 0;
    QVector<QRgb> table;
};

// Reads a Windows BMP's header and colour table; fails the test on anything else.
Bmp ParseBmp(const QByteArray& b) {
    Bmp r;
    if (b.size() < 54 || !b.startsWith("BM")) {
        ADD_FAILURE() << "not a BMP";
        return r;
    }
    EXPECT_EQ(Le32(b, 2), quint32(b.size())) << "file size field";
    EXPECT_EQ(Le32(b, 14), 40u) << "BITMAPINFOHEADER";
    r.width = int(Le32(b, 18));
    r.height = int(Le32(b, 22));
    r.bits = Le16(b, 28);
    r.compression = Le32(b, 30);
    r.used = Le32(b, 46);
    const quint32 offBits = Le32(b, 10);
    EXPECT_EQ(offBits, 54 + 4 * r.used) << "pixels follow the colour table";
    const int stride = ((r.width * r.bits + 31) / 32) * 4;
    EXPECT_EQ(qint64(offBits) + qint64(stride) * r.height, b.size()) << "pixel data size";
    for (quint32 i = 0; i < r.used && 54 + 4 * i + 3 < quint32(b.size()); ++i) {
        const uchar* q = reinterpret_cast<const uchar*>(b.constData()) + 54 + 4 * i;
        r.table.push_back(qRgb(q[2], q[1], q[0]));
    }
    return r;
}

const QVector<QRgb> kVga = {
    qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
    qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
    qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
    qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};

class Assets : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(orb::RegisterProgramResources()); }
};

// Mean absolute difference between two columns (or rows) of an image.
double LineDiff(const QImage& img, bool columns, int a, int b) {
    const int n = columns ? img.height() : img.width();
    double sum = 0;
    for (int i = 0; i < n; ++i) {
        const QRgb p = columns ? img.pixel(a, i) : img.pixel(i, a);
        const QRgb q = columns ? img.pixel(b, i) : img.pixel(i, b);
        sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
               std::abs(qBlue(p) - qBlue(q));
    }
    return sum / n;
}

TEST_F(Assets, PageBackgroundsCoverTheirPagesAndTileWithoutSeam) {
    struct {
        const char* name;
        int w, h;
    } pages[] = {{"I/B/bk6x4", 640, 460},
                 {"I/B/bk8x6", 800, 575},
                 {"I/B/bk10x7", 1024, 736},
                 {"I/B/abk", 312, 113}};
    for (const auto& pg : pages) {
        SCOPED_TRACE(pg.name);
        // No extension: the format is found by content, as the program loads it.
        const QImage img(orb::ProgramFile(pg.name));
        ASSERT_FALSE(img.isNull());
        EXPECT_GE(img.width(), pg.w);
        EXPECT_GE(img.height(), pg.h);
        // The wrap-around step must look like any step inside the picture.
        double inside = 0;
        for (int x = 1; x < img.width(); x += img.width() / 16)
            inside = std::max(inside, LineDiff(img, true, x - 1, x));
        EXPECT_LE(LineDiff(img, true, img.width() - 1, 0), inside * 1.5 + 1);
        inside = 0;
        for (int y = 1; y < img.height(); y += img.height() / 16)
            inside = std::max(inside, LineDiff(img, false, y - 1, y));
        EXPECT_LE(LineDiff(img, false, img.height() - 1, 0), inside * 1.5 + 1);
        // Dark enough behind white text: mean brightness well below mid grey.
        const QImage small = img.scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) EXPECT_LT(qGray(small.pixel(x, y)), 70);
    }
}

TEST_F(Assets, PickersShowHueAcrossAndSaturationUpwardsAtFullBrightness) {
    for (auto [name, size] :
         {std::pair{"I/B/hs6x4", 120}, {"I/B/hs8x6", 150}, {"I/B/hs10x7", 192}}) {
        SCOPED_TRACE(name);
        const QImage img(orb::ProgramFile(name));
        ASSERT_EQ(img.size(), QSize(size, size));
        for (int y = 0; y < size; y += 7)
            for (int x = 0; x < size; x += 5) {
                const double h = (x + 0.5) / size * 360.0, s = (size - y - 0.5) / size;
                const QColor want = QColor::fromHsvF(std::fmod(h, 360.0) / 360.0, s, 1.0);
                const QColor got = img.pixelColor(x, y);
                ASSERT_NEAR(got.red(), want.red(), 3) << x << "," << y;
                ASSERT_NEAR(got.green(), want.green(), 3) << x << "," << y;
                ASSERT_NEAR(got.blue(), want.blue(), 3) << x << "," << y;
            }
        // Full brightness everywhere; white along the bottom, pure hues along the top.
        EXPECT_GE(qGray(img.pixel(size / 2, size - 1)), 250);
        EXPECT_EQ(img.pixelColor(0, 0).red(), 255);
        EXPECT_LE(img.pixelColor(0, 0).blue(), 4);
        EXPECT_EQ(img.pixelColor(size / 3, 0).green(), 255);
    }
}

TEST_F(Assets, SharedPalettesHoldTheVgaAndProgramColours) {
    const Bmp p16 = ParseBmp(ReadAll(":/bitmaps/PAL16.bmp"));
    EXPECT_EQ(p16.bits, 4);
    EXPECT_EQ(p16.compression, 0u);
    EXPECT_EQ(p16.used, 16u);
    EXPECT_EQ(p16.table, kVga);

    const Bmp p256 = ParseBmp(ReadAll(":/bitmaps/PAL256.bmp"));
    EXPECT_EQ(p256.bits, 8);
    EXPECT_EQ(p256.compression, 0u);
    EXPECT_EQ(p256.used, 256u);
    ASSERT_EQ(p256.table.size(), 256);
    const QSet<QRgb> have(p256.table.begin(), p256.table.end());
    for (QRgb c : kVga) EXPECT_TRUE(have.contains(c)) << std::hex << c;
    for (QRgb c : {qRgb(0, 0, 100), qRgb(255, 153, 51), qRgb(63, 190, 254), qRgb(190, 190, 171),
                   qRgb(244, 235, 219), qRgb(97, 97, 126), qRgb(140, 177, 156)})
        EXPECT_TRUE(have.contains(c)) << std::hex << c;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) EXPECT_TRUE(have.contains(qRgb(r * 51, g * 51, b * 51)));
    // Besides black and white, at least a dozen further greys.
    int greys = 0;
    for (QRgb c : have) greys += qRed(c) == qGreen(c) && qGreen(c) == qBlue(c);
    EXPECT_GE(greys, 14);
}

// Blurred mean colour difference: dithering may scatter pixels but must keep the look.
double LookDistance(const QImage& a, const QImage& b) {
    const QImage sa = a.convertToFormat(QImage::Format_RGB32)
                          .scaled(35, 35, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage sb = b.convertToFormat(QImage::Format_RGB32)
                          .scaled(35, 35, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    double sum = 0;
    for (int y = 0; y < 35; ++y)
        for (int x = 0; x < 35; ++x) {
            const QRgb p = sa.pixel(x, y), q = sb.pixel(x, y);
            sum += (std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                    std::abs(qBlue(p) - qBlue(q))) /
                   3.0;
        }
    return sum / (35 * 35);
}

TEST_F(Assets, IntroAndAboutComeInTrueColourAndReducedVariants) {
    for (auto [png, bmp8, bmp4, size] : {std::tuple{"IntroForm", "Intro256", "Intro", 280},
                                         {"AboutBox", "About256", "About", 325}}) {
        SCOPED_TRACE(png);
        const QImage full(QString(":/pictures/%1.png").arg(png));
        ASSERT_EQ(full.size(), QSize(size, size));
        for (auto [name, bits] : {std::pair{bmp8, 8}, {bmp4, 4}}) {
            SCOPED_TRACE(name);
            const QByteArray data = ReadAll(QString(":/bitmaps/%1.bmp").arg(name));
            const Bmp h = ParseBmp(data);
            EXPECT_EQ(h.bits, bits);
            EXPECT_EQ(h.compression, 0u);
            EXPECT_EQ(h.used, 1u << bits);
            EXPECT_EQ(h.width, size);
            EXPECT_EQ(h.height, size);
            // Their own palette, not the shared one.
            if (bits == 4) EXPECT_NE(h.table, kVga);
            QImage img;
            ASSERT_TRUE(img.loadFromData(data, "BMP"));
            EXPECT_LT(LookDistance(full, img), bits == 8 ? 6.0 : 14.0);
        }
    }
    // The bottom strip of the intro stays calm for the language choice drawn over it.
    const QImage intro(":/pictures/IntroForm.png");
    for (int y = 255; y < 280; ++y)
        for (int x = 0; x < 280; x += 3) ASSERT_LT(qGray(intro.pixel(x, y)), 60) << x << "," << y;
}

TEST_F(Assets, GlyphsAndMenuPicturesExistForEverySizeClass) {
    const char* buttons[] = {
        "ZoomInSBtn",        "ZoomOutSBtn",     "FullScreenSBtn",    "OpenSBtn",
        "SendToClipBrdSBtn", "SaveSBtn",        "SendToDesktopSBtn", "PrintSBtn",
        "OriginalSizeSBtn",  "MoveSBtn",        "CenterSBtn",        "EyeDropperSBtn",
        "PenSBtn",           "PaintSBtn",       "UndoSBtn",          "MainHistorySBtn",
        "MainPaintSBtn",     "HistoryBackSBtn", "PaintBackSBtn"};
    struct {
        const char* key;
        int glyph, mw, mh, header;
    } classes[] = {{"s", 20, 131, 132, 30}, {"m", 25, 164, 165, 38}, {"l", 32, 210, 211, 48}};
    for (const auto& c : classes) {
        SCOPED_TRACE(c.key);
        for (const char* b : buttons)
            for (const char* suffix : {"", "_disabled"}) {
                const QString path = QString(":/glyphs/%1/%2%3.png").arg(c.key, b, suffix);
                const QImage g(path);
                ASSERT_EQ(g.size(), QSize(c.glyph, c.glyph)) << qPrintable(path);
                EXPECT_TRUE(g.hasAlphaChannel());
                // Line art on a transparent ground: some ink, much clear space.
                int inked = 0, clear = 0;
                for (int y = 0; y < g.height(); ++y)
                    for (int x = 0; x < g.width(); ++x) {
                        inked += qAlpha(g.pixel(x, y)) > 128;
                        clear += qAlpha(g.pixel(x, y)) == 0;
                    }
                EXPECT_GT(inked, c.glyph * c.glyph / 10) << qPrintable(path);
                EXPECT_GT(clear, c.glyph * c.glyph / 8) << qPrintable(path);
            }
        for (const char* m : {"MainHistoryImg", "MainPaintImg"})
            EXPECT_EQ(QImage(QString(":/pictures/%1/%2.png").arg(c.key, m)).size(),
                      QSize(c.mw, c.mh));
        for (const char* h : {"HistoryHeaderImage", "PaintHeaderImage"})
            EXPECT_EQ(QImage(QString(":/pictures/%1/%2.png").arg(c.key, h)).size(),
                      QSize(c.header, c.header));
    }
}

// The program reads its PNG resources with its own reader: every one must come out as Qt's
// PNG reader gives it, pixel for pixel, transparency included.
TEST_F(Assets, EveryPngResourceReadsAsQtReadsIt) {
    int count = 0;
    QDirIterator it(":/", {"*.png"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path.startsWith(":/qt-project.org/")) continue;  // the toolkit's own
        SCOPED_TRACE(path.toStdString());
        QImage qt;
        QImageReader reader(path, "png");
        ASSERT_TRUE(reader.read(&qt));
        const QImage ours = orb::ResourcePng(path);
        ASSERT_EQ(ours.size(), qt.size());
        EXPECT_TRUE(ours.convertToFormat(QImage::Format_ARGB32) ==
                    qt.convertToFormat(QImage::Format_ARGB32));
        ++count;
    }
    EXPECT_GT(count, 100);
    // Not a PNG: nothing, and no crash; a PNG cut short: what Qt's reader makes of it.
    QTemporaryDir dir;
    QFile bad(dir.filePath("bad.png"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("\x89PNG\r\n\x1a\nthis is no picture");
    bad.close();
    EXPECT_TRUE(orb::ResourcePng(bad.fileName()).isNull());
    QFile source(":/glyphs/m/PenSBtn.png");
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray whole = source.readAll();
    QFile cut(dir.filePath("cut.png"));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(whole.left(whole.size() / 2));
    cut.close();
    const QImage half = orb::ResourcePng(cut.fileName());
    QImageReader qtReader(cut.fileName(), "png");
    const QImage qtHalf = qtReader.read();
    EXPECT_EQ(half.isNull(), qtHalf.isNull());
}

TEST_F(Assets, CursorsHaveHotSpotsOnTheirDrawing) {
    for (const char* name : {"HandCursor", "HandNoFingersCursor", "Help", "ZoomIn", "ZoomOut",
                             "XHair1", "XHair2", "MovingHand", "PaintBrush", "Pen", "EyeDropper"}) {
        SCOPED_TRACE(name);
        const QImage img(QString(":/cursors/%1.png").arg(name));
        ASSERT_EQ(img.size(), QSize(32, 32));
        const QList<QByteArray> hot =
            ReadAll(QString(":/cursors/%1.hot").arg(name)).simplified().split(' ');
        ASSERT_EQ(hot.size(), 2);
        bool okx = false, oky = false;
        const int hx = hot[0].toInt(&okx), hy = hot[1].toInt(&oky);
        ASSERT_TRUE(okx && oky);
        ASSERT_TRUE(hx >= 0 && hx < 32 && hy >= 0 && hy < 32);
        // The tool acts where something is drawn, not in empty space.
        int near = 0;
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                if (img.rect().contains(hx + dx, hy + dy))
                    near = std::max(near, qAlpha(img.pixel(hx + dx, hy + dy)));
        EXPECT_GT(near, 128);
        // Both black and white appear, so the cursor reads on any colour.
        bool dark = false, light = false;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const QRgb p = img.pixel(x, y);
                if (qAlpha(p) < 200) continue;
                dark |= qGray(p) < 40;
                light |= qGray(p) > 215;
            }
        EXPECT_TRUE(dark && light);
    }
}

TEST(AssetFiles, MusicIsAValidSeamlessPcmLoop) {
    const QByteArray w = ReadAll(orb::ProgramFile("A/Orbelle.wav"));
    ASSERT_GE(w.size(), 44);
    EXPECT_LE(w.size(), 3 * 1024 * 1024 + 512 * 1024);
    ASSERT_TRUE(w.startsWith("RIFF"));
    EXPECT_EQ(Le32(w, 4), quint32(w.size() - 8));
    ASSERT_EQ(w.mid(8, 8), QByteArray("WAVEfmt "));
    EXPECT_EQ(Le16(w, 20), 1) << "PCM";
    const int channels = Le16(w, 22), rate = int(Le32(w, 24)), bits = Le16(w, 34);
    ASSERT_EQ(channels, 1);
    ASSERT_EQ(bits, 16);
    EXPECT_EQ(Le32(w, 28), quint32(rate * channels * bits / 8));
    ASSERT_EQ(w.mid(36, 4), QByteArray("data"));
    const quint32 bytes = Le32(w, 40);
    ASSERT_EQ(qint64(bytes) + 44, w.size());
    const int n = int(bytes / 2);
    const double seconds = double(n) / rate;
    EXPECT_GE(seconds, 30.0);
    EXPECT_LE(seconds, 60.0);
    auto s = [&](int i) { return double(qint16(Le16(w, 44 + 2 * ((i % n + n) % n)))); };
    // Loud enough to hear, and never clipped.
    double sq = 0, peak = 0;
    for (int i = 0; i < n; ++i) sq += s(i) * s(i), peak = std::max(peak, std::abs(s(i)));
    EXPECT_GT(std::sqrt(sq / n), 800.0);
    EXPECT_LT(peak, 32000.0);
    // Seamless: the jump from the last sample to the first is no bigger than the jumps
    // around it, and the wave's slope carries on across it.
    double maxStep = 0, maxCurve = 0;
    for (int i = -400; i < 400; ++i) {
        if (i == 0 || i == 1) continue;  // the seam itself
        maxStep = std::max(maxStep, std::abs(s(i) - s(i - 1)));
        maxCurve = std::max(maxCurve, std::abs(s(i + 1) - 2 * s(i) + s(i - 1)));
    }
    EXPECT_LE(std::abs(s(0) - s(n - 1)), maxStep);
    EXPECT_LE(std::abs(s(0) - 2 * s(n - 1) + s(n - 2)), maxCurve);
    EXPECT_LE(std::abs(s(1) - 2 * s(0) + s(n - 1)), maxCurve);
}

TEST(AssetFiles, PrivateFontIsPalisade) {
    const int id = QFontDatabase::addApplicationFont(orb::ProgramFile("palis.ttf"));
    ASSERT_GE(id, 0);
    EXPECT_EQ(QFontDatabase::applicationFontFamilies(id), QStringList{"Palisade"});
    QFontDatabase::removeApplicationFont(id);
}

}  // namespace

namespace {

// Every file below `dir`, relative name to contents.
QMap<QString, QByteArray> Tree(const QString& dir) {
    QMap<QString, QByteArray> files;
    QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(dir).relativeFilePath(path), ReadAll(path));
    }
    return files;
}

// The build must make the same bytes every time, or every build looks like a change.
TEST(AssetFiles, GeneratorMakesTheSameFilesEveryRun) {
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString prog = tmp.filePath("prog"), res = tmp.filePath("res");
    QProcess gen;
    gen.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    gen.start(ORBELLE_ASSETS_TOOL, {"--font", orb::ProgramFile("palis.ttf"), "--program-dir", prog,
                                    "--resource-dir", res});
    ASSERT_TRUE(gen.waitForFinished(90000));
    ASSERT_EQ(gen.exitStatus(), QProcess::NormalExit);
    ASSERT_EQ(gen.exitCode(), 0);

    const auto again = Tree(res);
    const auto built = Tree(ORBELLE_ASSETS_RESOURCES);
    EXPECT_GT(again.size(), 150);
    EXPECT_EQ(again.keys(), built.keys());
    for (auto it = again.cbegin(); it != again.cend(); ++it)
        EXPECT_TRUE(it.value() == built.value(it.key())) << qPrintable(it.key());
    for (const auto& [name, data] : Tree(prog).asKeyValueRange())
        EXPECT_TRUE(data == ReadAll(orb::ProgramFile(name))) << qPrintable(name);
}

TEST(AssetFiles, GeneratorRefusesAMissingFont) {
    QTemporaryDir tmp;
    QProcess gen;
    gen.start(ORBELLE_ASSETS_TOOL,
              {"--font", tmp.filePath("none.ttf"), "--program-dir", tmp.filePath("prog")});
    ASSERT_TRUE(gen.waitForFinished(30000));
    EXPECT_NE(gen.exitCode(), 0);
    EXPECT_FALSE(QDir(tmp.filePath("prog")).exists());
}

}  // namespace

namespace {

QImage Reduce(const QImage& img, int bits) {
    const QVector<QRgb> pal = assets::ChoosePalette(img, 1 << bits);
    EXPECT_EQ(pal.size(), 1 << bits);
    QImage out;
    EXPECT_TRUE(out.loadFromData(
        assets::EncodeIndexedBmp(img.width(), img.height(), bits, assets::Dither(img, pal), pal),
        "BMP"));
    return out.convertToFormat(QImage::Format_RGB32);
}

// A picture with no more colours than the palette holds comes back exactly, whatever the
// row length (odd widths put half a byte at the end of a 4-bit row).
TEST(IndexedBmp, FewColoursSurviveExactlyAtAnyWidth) {
    for (int w : {1, 2, 3, 7, 8, 33}) {
        SCOPED_TRACE(w);
        QImage img(w, 5, QImage::Format_RGB32);
        const QRgb colours[] = {qRgb(0, 0, 100), qRgb(255, 153, 51), qRgb(63, 190, 254),
                                qRgb(244, 235, 219), qRgb(12, 200, 40)};
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < w; ++x) img.setPixel(x, y, colours[(x * 3 + y) % 5]);
        for (int bits : {4, 8}) {
            const QImage back = Reduce(img, bits);
            ASSERT_EQ(back.size(), img.size());
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < w; ++x)
                    ASSERT_EQ(back.pixel(x, y), img.pixel(x, y)) << bits << ": " << x << "," << y;
        }
    }
}

TEST(IndexedBmp, TwoHundredDistinctColoursFitTheEightBitPalette) {
    QImage img(20, 10, QImage::Format_RGB32);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            img.setPixel(x, y, qRgb(x * 12, y * 25, (x * 7 + y * 11) % 256));
    const QImage back = Reduce(img, 8);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) ASSERT_EQ(back.pixel(x, y), img.pixel(x, y));
}

// Dithering keeps the average colour of a smooth area that the palette cannot hold.
TEST(IndexedBmp, DitheringKeepsTheMeanColour) {
    QImage img(64, 64, QImage::Format_RGB32);
    img.fill(qRgb(100, 120, 140));
    img.setPixel(0, 0, qRgb(0, 0, 0));
    img.setPixel(63, 63, qRgb(255, 255, 255));
    const QVector<QRgb> pal = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    const std::vector<uint8_t> idx = assets::Dither(img, pal);
    double mean = 0;
    for (uint8_t i : idx) mean += i ? 255 : 0;
    mean /= idx.size();
    EXPECT_NEAR(mean, 120, 8);
}

}  // namespace

// The resource PNGs: every pixel (transparent, half, opaque) comes back as it was, and every
// row is unfiltered, which makes them quick to read.
TEST(UnfilteredPng, ReadsBackExactlyWithEveryRowUnfiltered) {
    for (bool alpha : {true, false}) {
        SCOPED_TRACE(alpha ? "RGBA" : "RGB");
        QImage img(37, 5, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                img.setPixel(x, y,
                             qRgba(x * 7, y * 50, (x * y) % 256,
                                   alpha ? (x % 3 == 0   ? 0
                                            : x % 3 == 1 ? 128
                                                         : 255)
                                         : 255));
        const QByteArray png = assets::EncodeUnfilteredPng(img);
        QImage back;
        ASSERT_TRUE(back.loadFromData(png, "PNG"));
        ASSERT_EQ(back.size(), img.size());
        EXPECT_EQ(back.hasAlphaChannel(), alpha);
        const QImage want = img.convertToFormat(QImage::Format_ARGB32);
        back = back.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                ASSERT_EQ(back.pixel(x, y), want.pixel(x, y)) << x << "," << y;

        // One IDAT after the 8-byte signature and the 25-byte IHDR chunk.
        ASSERT_EQ(png.mid(37, 4), "IDAT");
        const quint32 len =
            qFromBigEndian<quint32>(reinterpret_cast<const uchar*>(png.constData()) + 33);
        const int rowBytes = 1 + img.width() * (alpha ? 4 : 3);
        QByteArray raw(rowBytes * img.height(), '\1');
        uLongf rawSize = uLongf(raw.size());
        ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(raw.data()), &rawSize,
                             reinterpret_cast<const Bytef*>(png.constData() + 41), len),
                  Z_OK);
        ASSERT_EQ(qsizetype(rawSize), raw.size());
        for (int y = 0; y < img.height(); ++y) EXPECT_EQ(raw[y * rowBytes], '\0') << "row " << y;
    }
    EXPECT_TRUE(assets::EncodeUnfilteredPng(QImage()).isEmpty());
}
