// The picture component: loading by extension and by content, its messages and status
// texts, resources, icons, metafiles, scrolling texts, writing, clipboard and painting.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QKeyEvent>
#include <QMimeData>
#include <QProcess>
#include <QResource>
#include <QTemporaryDir>
#include <memory>

#include "Fixtures.h"
#include "library/CodecLibrary.h"
#include "library/PictureDepth.h"
#include "library/PictureImage.h"
#include "platform/Display.h"

using namespace orb;
using namespace orbtest;

namespace {

bool MakeSamples(const QString& d) {
    const std::vector<QStringList> pictures = {
        {"PNG24:noext"},
        {"-quality", "90", "JPEG:photo.JPEG"},
        {"PNG24:wrong.jpg"},
        {"BMP3:lower.bmp"},
        {"-resize", "32x32", "icon.ico"},
        {"-colors", "16", "-type", "Palette", "BMP3:res/TestPic4.bmp"},
        {"-colors", "150", "-type", "Palette", "BMP3:res/TestPic256.bmp"},
        {"-type", "TrueColor", "BMP3:res/4711.bmp"},
    };
    if (!MakeSource(d, d + "/src.png", 60, 40) || !QDir(d).mkpath("res")) return false;
    for (const QStringList& args : pictures)
        if (!Convert(d, QStringList{"src.png"} + args)) return false;
    // The test's own resources, packed the way the program's are.
    if (!WriteAll(d + "/res.qrc",
                  "<RCC><qresource prefix=\"/bitmaps\">"
                  "<file alias=\"TestPic4.bmp\">res/TestPic4.bmp</file>"
                  "<file alias=\"TestPic256.bmp\">res/TestPic256.bmp</file>"
                  "<file alias=\"4711.bmp\">res/4711.bmp</file>"
                  "</qresource></RCC>"))
        return false;
    QProcess rcc;
    rcc.setWorkingDirectory(d);
    rcc.start(ORBELLE_RCC, {"--binary", "res.qrc", "-o", "test.rcc"});
    return rcc.waitForFinished(60000) && rcc.exitCode() == 0;
}

class PictureImageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = std::make_unique<QTemporaryDir>();
        const QString d = dir_->path();
        ASSERT_TRUE(SampleSet("component-samples-1", MakeSamples, d));
        ASSERT_TRUE(QResource::registerResource(d + "/test.rcc"));
    }
    static void TearDownTestSuite() {
        QResource::unregisterResource(dir_->path() + "/test.rcc");
        dir_.reset();
    }
    void SetUp() override {
        TPictureImage::SetSharedPalette({});
        img_.SetImageReadRes(TLoadResolution::lColorTrue);
    }
    static QString F(const QString& n) { return dir_->path() + "/" + n; }
    // Loads and writes as the shell does: the component shows nothing itself, it returns what
    // went wrong, and the caller shows each message in its box.
    void Load(const QString& name) {
        const size_t before = rec_.boxes.size();
        Show(img_.SetImageName(name), before);
    }
    bool Save(const QString& name = QString()) {
        const size_t before = rec_.boxes.size();
        const TOutcome written = img_.SaveAsBmp(name);
        Show(written, before);
        return written.Ok();
    }
    void Show(const TOutcome& outcome, size_t before) {
        EXPECT_EQ(rec_.boxes.size(), before) << "the component showed a box itself";
        for (const TFailureNote& n : outcome.Failure().Notes()) rec_.Message(n.Text, n.Caption, n.Kind);
    }

    static std::unique_ptr<QTemporaryDir> dir_;
    RecordingOutward rec_;
    TPictureImage img_;
};
std::unique_ptr<QTemporaryDir> PictureImageTest::dir_;

TEST_F(PictureImageTest, EmptyAndMissingNamesEmptyThePicture) {
    Load(F("noext"));
    ASSERT_TRUE(img_.HasPicture());
    Load("");
    EXPECT_FALSE(img_.HasPicture());
    EXPECT_EQ(img_.ImageName(), "file not found");
    Load(F("nothing-here.png"));
    EXPECT_EQ(img_.ImageName(), "file not found");
    EXPECT_EQ(img_.PictureInfo().Format, "ERR");
    EXPECT_EQ(img_.PictureInfo().Width, -1);
    EXPECT_EQ(img_.PictureInfo().FileSize, -1);
    EXPECT_TRUE(rec_.boxes.empty());
}

TEST_F(PictureImageTest, FindsFormatsByContentWhenTheExtensionIsNotListed) {
    Load(F("noext"));
    EXPECT_TRUE(img_.HasPicture());
    EXPECT_EQ(img_.ImageName(), F("noext").toUpper());
    EXPECT_EQ(img_.PictureInfo().Format, "PNG");
    EXPECT_EQ(img_.PictureInfo().FileSize, QFileInfo(F("noext")).size());

    Load(F("photo.JPEG"));
    ASSERT_TRUE(img_.HasPicture());
    EXPECT_EQ(img_.Picture().size(), QSize(60, 40));
    EXPECT_EQ(img_.PictureInfo().Format, "JPEG");
    EXPECT_LE(MaxDifference(img_.Picture(), MagickDecode(F("photo.JPEG"))), 3);

    Load(F("lower.bmp"));  // the extension is compared upper-cased
    EXPECT_EQ(img_.PictureInfo().Format, "BMP");
    EXPECT_EQ(MaxDifference(img_.Picture(), MagickDecode(F("src.png"))), 0);
    EXPECT_TRUE(rec_.boxes.empty());
}

TEST_F(PictureImageTest, ReaderFailureShowsTheCodecTextThenItsOwnMessage) {
    Load(F("wrong.jpg"));  // a PNG under a JPEG name
    ASSERT_EQ(rec_.boxes.size(), 2u);
    EXPECT_EQ(rec_.boxes[0].kind, MessageKind::Error);
    EXPECT_EQ(rec_.boxes[0].text, codec::ErrorText(uint16_t(codec::ErrWrongFormat)));
    EXPECT_EQ(rec_.boxes[1].kind, MessageKind::Info);
    EXPECT_EQ(rec_.boxes[1].text, "Reading jpg file failed");
    EXPECT_FALSE(img_.HasPicture());
    EXPECT_EQ(img_.ImageName(), F("wrong.jpg").toUpper());
}

TEST_F(PictureImageTest, EveryFormatCutShortGivesItsMessage) {
    struct Case {
        const char* name;
        const char* magick;
        const char* message;
    };
    for (Case c : {Case{"cut.bmp", "BMP3:", "Reading bmp file failed"},
                   Case{"cut.png", "PNG24:", "Reading png file failed"},
                   Case{"cut.gif", "GIF:", "Reading gif file failed"},
                   Case{"cut.tif", "TIFF:", "Reading tif file failed"},
                   Case{"cut.pcx", "PCX:", "Reading pcx file failed"},
                   Case{"cut.jpg", "JPEG:", "Reading jpg file failed"},
                   Case{"cut.thb", "BMP3:", "Reading bmp file failed"},
                   Case{"cut.thj", "JPEG:", "Reading jpg file failed"}}) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(Convert(dir_->path(), {"src.png", QString(c.magick) + c.name}));
        const QByteArray whole = ReadAll(F(c.name));
        ASSERT_TRUE(WriteAll(F(c.name), whole.left(whole.size() * 2 / 3)));
        rec_.boxes.clear();
        Load(F(c.name));
        ASSERT_EQ(rec_.boxes.size(), 2u);
        EXPECT_EQ(rec_.boxes[1].text, c.message);
        if (img_.HasPicture()) EXPECT_EQ(img_.Picture().size(), QSize(60, 40));
    }
}

TEST_F(PictureImageTest, ReadDepthFollowsTheSettingsAndTheSharedPalette) {
    TPictureImage::SetSharedPalette(FixedPalette(8));
    img_.UseDisplayDepth(8);
    EXPECT_EQ(img_.ImageReadRes(), TLoadResolution::lColor256);
    EXPECT_TRUE(img_.ImageDither());
    Load(F("noext"));
    ASSERT_EQ(img_.Picture().format(), QImage::Format_Indexed8);
    EXPECT_EQ(img_.Picture().colorTable(), FixedPalette(8));
    EXPECT_EQ(img_.Palette(), FixedPalette(8));

    TPictureImage::SetSharedPalette(FixedPalette(4));
    img_.UseDisplayDepth(4);
    EXPECT_EQ(img_.ImageReadRes(), TLoadResolution::lColor16);
    Load(F("noext"));
    EXPECT_EQ(img_.Picture().colorTable(), FixedPalette(4));

    img_.UseDisplayDepth(24);
    EXPECT_EQ(img_.ImageReadRes(), TLoadResolution::lColorTrue);
    EXPECT_FALSE(img_.ImageDither());

    // Automatic: from the display, 4 or fewer bits give 4, up to 15 give 8, else 24.
    img_.SetImageReadRes(TLoadResolution::lAutoMatic);
    for (auto [display, bits] : {std::pair{1, 4}, {4, 4}, {8, 8}, {15, 8}, {16, 24}, {32, 24}}) {
        SetSimulatedDepth(display);
        EXPECT_EQ(TPictureImage::BitsFor(TLoadResolution::lAutoMatic), bits) << display;
    }
    SetSimulatedDepth(0);
}

TEST_F(PictureImageTest, ResourcesLoadByNameWithTheirOwnPalette) {
    Load("C:\\nowhere\\TESTPIC4.res");  // need not exist; any case
    ASSERT_TRUE(img_.HasPicture()) << rec_.Texts().join("|").toStdString();
    EXPECT_EQ(img_.Picture().format(), QImage::Format_Indexed8);
    EXPECT_LE(img_.Picture().colorCount(), 16);
    EXPECT_EQ(img_.PicturePalette(), img_.Picture().colorTable());
    EXPECT_EQ(MaxDifference(img_.Picture(), MagickDecode(F("res/TestPic4.bmp"))), 0);
    EXPECT_EQ(img_.PictureInfo().Format, "RES");
    EXPECT_EQ(img_.PictureInfo().Format2, "BMP");
    EXPECT_EQ(img_.ImageName(), "C:\\NOWHERE\\TESTPIC4.RES");

    Load("NoSuchPicture.res");
    ASSERT_EQ(rec_.Texts(), QStringList{"Reading resource file failed"});
    EXPECT_FALSE(img_.HasPicture());

    QImage bmp;
    QVector<QRgb> pal;
    ASSERT_TRUE(LoadResourceBitmap("", "TestPic256", nullptr, bmp, &pal));
    EXPECT_EQ(pal, bmp.colorTable());
    EXPECT_GT(pal.size(), 16);
    ASSERT_TRUE(LoadResourceBitmap("", "4711", nullptr, bmp, &pal));  // by number
    EXPECT_EQ(bmp.format(), QImage::Format_RGB32);
    EXPECT_EQ(MaxDifference(bmp, MagickDecode(F("src.png"))), 0);

    // Another resource file, as a separate module.
    QImage viaModule;
    ASSERT_TRUE(LoadResourceBitmap(F("test.rcc"), "TestPic4", nullptr, viaModule));
    Load("TestPic4.res");
    EXPECT_EQ(viaModule, img_.Picture());
    EXPECT_FALSE(LoadResourceBitmap(F("missing.rcc"), "TestPic4", nullptr, viaModule));
}

TEST_F(PictureImageTest, IconsAndMetafilesTakeThePlatformPath) {
    Load(F("icon.ico"));
    EXPECT_TRUE(img_.HasPicture());
    EXPECT_EQ(img_.PictureKind(), TPictureKind::Icon);
    EXPECT_EQ(img_.ImageName(), "Non TIF, JPeg, BMP, GIF, PNG or PCX Image");
    EXPECT_EQ(img_.PictureInfo().Format, "ICO");
    EXPECT_EQ(img_.PictureInfo().Width, 32);

    ASSERT_TRUE(
        WriteAll(F("drawing.wmf"), QByteArray("\xd7\xcd\xc6\x9a", 4) + QByteArray(60, 'x')));
    Load(F("drawing.wmf"));
    EXPECT_FALSE(img_.HasPicture());
    EXPECT_EQ(img_.ImageName(), "Non TIF, JPeg, BMP, GIF, PNG or PCX Image");
    EXPECT_EQ(img_.PictureInfo().Format, "WMF");
    EXPECT_EQ(img_.PictureInfo().FileSize, 64);
    EXPECT_TRUE(rec_.boxes.empty());
}

TEST_F(PictureImageTest, ScrollingMessageRunsLeftAndWraps) {
    ASSERT_TRUE(WriteAll(F("hello.scm"),
                         "/fc|65280/fh|-12/fn|DejaVu Sans/fs|/ft|1000/bc|16711680"
                         "/sp|2/sm|Hi/eo|"));
    img_.resize(50, 20);
    Load(F("hello.scm"));
    ASSERT_EQ(img_.PictureKind(), TPictureKind::ScrollMessage);
    EXPECT_EQ(img_.PictureInfo().Format, "SCM");
    EXPECT_EQ(img_.Picture().pixel(0, 0), qRgb(0, 0, 255));  // background 0xFF0000 is blue
    auto hasText = [&](int x0, int x1) {
        for (int y = 0; y < img_.Picture().height(); ++y)
            for (int x = x0; x < x1; ++x)
                if (qGreen(img_.Picture().pixel(x, y)) > 128) return true;
        return false;
    };
    EXPECT_FALSE(hasText(0, 50));                               // starts beyond the right edge
    for (int i = 0; i < 2 * 25; ++i) img_.ScrollMessageStep();  // speed 2: 25 pixels
    EXPECT_TRUE(hasText(25, 50));
    EXPECT_FALSE(hasText(0, 24));
    QEvent scroll(QEvent::Type(TPictureImage::kScrollMessageEvent));
    QApplication::sendEvent(&img_, &scroll);
    for (int i = 0; i < 400; ++i) img_.ScrollMessageStep();  // off the left edge, then back
    bool seenAgain = false;
    for (int i = 0; i < 200 && !seenAgain; ++i) {
        img_.ScrollMessageStep();
        seenAgain = hasText(40, 50);
    }
    EXPECT_TRUE(seenAgain);
}

TEST_F(PictureImageTest, BrokenScrollFilesClearThePictureQuietly) {
    ASSERT_TRUE(WriteAll(F("bad.scm"), "/fc|red/fh|/fn|x/fs|/ft|/bc|/sp|/sm|text/eo|"));
    Load(F("noext"));
    Load(F("bad.scm"));
    EXPECT_FALSE(img_.HasPicture());
    EXPECT_EQ(img_.ImageName(), F("bad.scm").toUpper());
    ASSERT_TRUE(WriteAll(F("short.cms"), "credits\n255\n-13\n"));
    Load(F("short.cms"));
    EXPECT_FALSE(img_.HasPicture());
    EXPECT_TRUE(rec_.boxes.empty());

    ASSERT_TRUE(WriteAll(
        F("good.cms"), "x\r\n255\r\n-13\r\nDejaVu Sans\r\n0\r\n0000\r\n0\r\n1\r\nOne\r\nTwo\r\n"));
    img_.resize(80, 30);
    Load(F("good.cms"));
    ASSERT_EQ(img_.PictureKind(), TPictureKind::ScrollCredits);
    EXPECT_EQ(img_.Picture().size(), img_.contentsRect().size());
}

TEST_F(PictureImageTest, SaveAsBmpWritesTheWriteDepthAndReportsFailures) {
    Load(F("noext"));
    img_.SetImageWriteRes(TSaveResolution::sColor256);
    ASSERT_TRUE(Save(F("out8.bmp")));
    EXPECT_EQ(uchar(ReadAll(F("out8.bmp"))[28]), 8);
    EXPECT_EQ(Identify(F("out8.bmp"), "%w %h"), "60 40");

    img_.SetDefSaveFilename(F("default.bmp"));
    img_.SetImageWriteRes(TSaveResolution::sColorTrue);
    ASSERT_TRUE(Save());
    EXPECT_EQ(MaxDifference(MagickDecode(F("default.bmp")), img_.Picture()), 0);

    EXPECT_FALSE(Save(F("no/folder/x.bmp")));
    ASSERT_EQ(rec_.boxes.size(), 2u);
    EXPECT_EQ(rec_.boxes[0].kind, MessageKind::Error);
    EXPECT_EQ(rec_.boxes[1].text, "Writing bmp file failed");
    EXPECT_EQ(rec_.boxes[1].kind, MessageKind::Info);
}

TEST_F(PictureImageTest, ClipboardCopyCutAndPaste) {
    QClipboard* cb = QGuiApplication::clipboard();
    Load(F("noext"));
    const QImage original = img_.Picture();
    QKeyEvent copy(QEvent::KeyPress, Qt::Key_Insert, Qt::ControlModifier);
    QApplication::sendEvent(&img_, &copy);
    EXPECT_EQ(MaxDifference(cb->image(), original), 0);

    QKeyEvent cut(QEvent::KeyPress, Qt::Key_Delete, Qt::ShiftModifier);
    QApplication::sendEvent(&img_, &cut);
    EXPECT_FALSE(img_.HasPicture());

    QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier);
    QApplication::sendEvent(&img_, &paste);
    ASSERT_TRUE(img_.HasPicture());
    EXPECT_EQ(MaxDifference(img_.Picture(), original), 0);

    cb->setText("not a picture");
    img_.ClearPicture();
    img_.PasteFromClipboard();
    EXPECT_FALSE(img_.HasPicture());
}

TEST_F(PictureImageTest, PlacementAndCaptionWhenPainted) {
    QImage pic(40, 20, QImage::Format_RGB32);
    pic.fill(qRgb(255, 0, 0));
    img_.SetPicture(pic);
    img_.resize(100, 100);
    EXPECT_EQ(img_.PictureRect(), QRect(0, 0, 40, 20));
    img_.SetCenter(true);
    EXPECT_EQ(img_.PictureRect(), QRect(30, 40, 40, 20));
    img_.SetStretch(true);
    EXPECT_EQ(img_.PictureRect(), QRect(0, 0, 100, 100));
    img_.SetStretchRatio(true);
    EXPECT_EQ(img_.PictureRect(), QRect(0, 25, 100, 50));
    img_.SetCodecPalette(false);  // the platform's drawing knows no ratio
    EXPECT_EQ(img_.PictureRect(), QRect(0, 0, 100, 100));
    img_.SetCodecPalette(true);

    QFont big = img_.font();
    big.setPixelSize(24);
    img_.setFont(big);
    img_.SetText("WM");
    img_.SetTextShadow(true);
    img_.SetTextShadowColor(QColor(0, 255, 0));
    img_.SetTextLeft(10);
    img_.SetTextTop(30);
    int painted = 0;
    img_.OnPaint = [&](TPictureImage&) { ++painted; };
    QImage shot(img_.size(), QImage::Format_RGB32);
    img_.render(&shot);
    EXPECT_EQ(painted, 1);
    EXPECT_EQ(shot.pixel(50, 10), img_.palette().color(QPalette::Window).rgb());  // bar
    EXPECT_EQ(shot.pixel(50, 70), qRgb(255, 0, 0));
    int shadow = 0;
    for (int y = 30; y < 60; ++y)
        for (int x = 10; x < 60; ++x) {
            const QRgb c = shot.pixel(x, y);
            shadow += qGreen(c) > 200 && qRed(c) < 90 && qBlue(c) < 90;
        }
    EXPECT_GT(shadow, 5);
}

TEST_F(PictureImageTest, ShrunkOneBitPicturesKeepThinBlackLines) {
    QImage lines(40, 40, QImage::Format_RGB32);
    lines.fill(Qt::white);
    for (int i = 0; i < 40; ++i) lines.setPixel(13, i, qRgb(0, 0, 0));  // one-pixel line
    const QImage small = StretchAndScans(lines, QSize(10, 10));
    for (int y = 0; y < 10; ++y) {
        EXPECT_EQ(small.pixel(3, y), qRgb(0, 0, 0));
        EXPECT_EQ(small.pixel(4, y), qRgb(255, 255, 255));
    }
    img_.SetImageReadRes(TLoadResolution::lMonoChrome);
    img_.SetPicture(lines);
    img_.resize(10, 10);
    img_.SetStretch(true);
    QImage shot(img_.size(), QImage::Format_RGB32);
    img_.render(&shot);
    EXPECT_EQ(shot.pixel(3, 5), qRgb(0, 0, 0));
}

TEST_F(PictureImageTest, DamagedIconGivesAnEmptyPictureAndAnError) {
    const QByteArray icon = ReadAll(F("icon.ico"));
    ASSERT_TRUE(WriteAll(F("cut.ico"), icon.left(icon.size() / 3)));
    Load(F("cut.ico"));
    EXPECT_FALSE(img_.HasPicture());
    EXPECT_EQ(img_.ImageName(), TPictureImage::kNotCodecPicture);
    ASSERT_EQ(rec_.boxes.size(), 1u);
    EXPECT_EQ(rec_.boxes[0].kind, MessageKind::Error);
}

TEST_F(PictureImageTest, KeptSettingsClampOutOfRangeValues) {
    img_.SetJPegSaveQuality(0);
    EXPECT_EQ(img_.JPegSaveQuality(), 25);
    img_.SetJPegSaveQuality(100);
    EXPECT_EQ(img_.JPegSaveQuality(), 100);
    img_.SetJPegSaveSmooth(101);
    EXPECT_EQ(img_.JPegSaveSmooth(), 5);
    TPictureImage fresh;
    EXPECT_EQ(fresh.size(), QSize(105, 105));
    EXPECT_EQ(fresh.ImageReadRes(), TLoadResolution::lAutoMatic);
    EXPECT_TRUE(fresh.ImageDither());
}

}  // namespace
