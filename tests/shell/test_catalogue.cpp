#include <gtest/gtest.h>

#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QtTest/QTest>
#include <QTemporaryDir>
#include <QTest>

#include "tools/orbelle-data/DataWriters.h"
#include "paint/DtlWin.h"
#include "platform/Display.h"
#include "platform/Paths.h"
#include "library/PrsCtrl.h"
#include "shell/MMBtns.h"
#include "shell/ContentOutline.h"
#include "shell/Main.h"
#include "tests/common/RecordingOutward.h"

using namespace orb;

namespace {

QByteArray Png(QColor c, int w = 8, int h = 8) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return bytes;
}

void Write(const QString& path, const QByteArray& data) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

// A program folder with its own catalogue: subjects, drawings in the archive, user files.
struct Catalogue {
    ScopedOutward out;
    QTemporaryDir dir;
    std::unique_ptr<TMainForm> f;

    explicit Catalogue(const QByteArray& subjects, bool withArchive = true,
                       bool withDatabase = true) {
        SetProgramFolder(dir.path());
        SetSimulatedScreen(QSize(800, 600));
        if (withDatabase) {
            std::vector<TDbSourceRecord> recs = {
                {"Mandala_Subjects_44|||", subjects},
                {"Mandala_Files_44|||",
                 "Rose=M\\Flowers\\rose.png\r\nLily=M\\Flowers\\lily.png\r\nKnot=M\\Knots\\knot.png"
                 "\r\nSun=M\\Suns\\sun.png"},
                {"Content_44|||", "Welcome\r\n Start\r\nHistory"},
                {"Start_44|||", "The start page"},
                {"History_44|||", "<B>Long</B> ago"},
            };
            QByteArray db;
            QString err;
            EXPECT_TRUE(BuildDbFile(recs, db, err)) << err.toStdString();
            Write(dir.filePath("Mandala.dat"), db);
        }
        if (withArchive) {
            std::vector<TArchiveMemberIn> members = {
                {"M\\Flowers\\rose.png", Png(Qt::red), 0x5A6B1234, false},
                {"M\\Flowers\\lily.png", Png(Qt::white, 10, 6), 0x5A6B1234, true},
                {"M\\Knots\\knot.png", Png(Qt::blue), 0x5A6B1234, false},
            };
            QByteArray arc;
            QString err;
            EXPECT_TRUE(BuildArchive(members, arc, err)) << err.toStdString();
            Write(dir.filePath("orbelle.dat"), arc);
        }
        f = std::make_unique<TMainForm>();
        f->show();
    }
    ~Catalogue() {
        f.reset();
        SetSimulatedScreen(QSize());
        SetProgramFolder(ORBELLE_PROGRAM_DIR);
    }
    QStringList Items() const {
        QStringList l;
        for (int i = 0; i < f->Paint->Catalogue->MandalaLst->count(); ++i) l << f->Paint->Catalogue->MandalaLst->item(i)->text();
        return l;
    }
    void EnterPaint() { f->MenuSBtnClick(f->Main->MainPaintSBtn); }
};

}  // namespace

TEST(Catalogue, EnteringThePaintPageLoadsTheFirstDrawingOfTheFirstSubject) {
    Catalogue c("Flowers=Flowers\r\nKnots=Knots\r\nMine=User");
    EXPECT_EQ(c.f->Paint->Catalogue->SubjectLst->count(), 0);  // empty until the paint page is entered
    c.EnterPaint();
    ASSERT_EQ(c.f->Paint->Catalogue->SubjectLst->count(), 3);
    EXPECT_EQ(c.f->Paint->Catalogue->SubjectLst->itemText(0), "Flowers");
    EXPECT_EQ(c.Items(), QStringList({"Rose", "Lily"}));
    ASSERT_TRUE(DetailWindowAlive());
    EXPECT_EQ(DetailWindow()->Session().Picture().pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_FALSE(DetailWindow()->Session().Changed());
    EXPECT_EQ(DetailWindow()->Session().Zoom(), 1000);
    EXPECT_FALSE(QDir(c.dir.filePath("T")).exists() &&
                 !QDir(c.dir.filePath("T")).isEmpty(QDir::Files));  // the extracted file is gone
    EXPECT_TRUE(c.f->Paint->PenSBtn->isEnabled());
    // A stored member loads as well.
    c.f->Paint->Catalogue->MandalaLst->setCurrentRow(1);
    c.f->Paint->Catalogue->MandalaLstClick();
    EXPECT_EQ(DetailWindow()->Session().Picture().size(), QSize(10, 6));
}

TEST(Catalogue, SubjectWithoutEqualsUsesTheWholeLineAsFolder) {
    Catalogue c("Knots\r\nMine=User");
    c.EnterPaint();
    EXPECT_EQ(c.Items(), QStringList({"Knot"}));
}

TEST(Catalogue, UsersFolderWordCountsAsTheUserSubject) {
    Catalogue c("Mine=Users");
    QDir().mkpath(UserFolder());
    Write(UserFolder() + "my.bmp", QByteArray());
    Write(UserFolder() + "notes.txt", "x");
    c.EnterPaint();
    EXPECT_EQ(c.Items(), QStringList({"my.bmp"}));
}

TEST(Catalogue, EmptyUserFolderHidesThePaintingWindow) {
    Catalogue c("Flowers=Flowers\r\nMine=User");
    c.EnterPaint();
    ASSERT_TRUE(DetailWindow()->isVisible());
    c.f->Paint->Catalogue->SubjectLst->setCurrentIndex(1);  // runs the change handler
    EXPECT_EQ(c.f->Paint->Catalogue->MandalaLst->count(), 0);
    EXPECT_FALSE(DetailWindow()->isVisible());
}

TEST(Catalogue, UserDrawingsLoadFromTheUserFolder) {
    Catalogue c("Flowers=Flowers\r\nMine=User");
    QImage img(5, 7, QImage::Format_RGB32);
    img.fill(Qt::green);
    ASSERT_TRUE(img.save(UserFolder() + "mine.bmp"));
    c.EnterPaint();
    c.f->Paint->Catalogue->SubjectLst->setCurrentIndex(1);
    EXPECT_EQ(c.Items(), QStringList({"mine.bmp"}));
    EXPECT_EQ(DetailWindow()->Session().Picture().size(), QSize(5, 7));
    EXPECT_EQ(c.f->Paint->Files->SaveInitialDir, UserFolder());
}

TEST(Catalogue, ACatalogueNameOnDiskLoadsFromDiskAndCollapsesTheLists) {
    Catalogue c("Flowers=Flowers");
    QImage img(3, 3, QImage::Format_RGB32);
    img.fill(Qt::yellow);
    QDir().mkpath(c.dir.filePath("M/Flowers"));
    ASSERT_TRUE(img.save(c.dir.filePath("M/Flowers/rose.png")));
    c.EnterPaint();
    EXPECT_EQ(DetailWindow()->Session().Picture().pixel(1, 1), qRgb(255, 255, 0));
    EXPECT_EQ(c.f->Paint->Catalogue->SubjectLst->currentIndex(), -1);
    EXPECT_EQ(c.Items(), QStringList({"..\\rose.png"}));
    // Clicking the lone "..\" item with no subject selected hides the painting window.
    c.f->Paint->Catalogue->MandalaLstClick();
    EXPECT_FALSE(DetailWindow()->isVisible());
    // Choosing the subject again refills the list and opens its first drawing, which is
    // again the one on disk.
    c.f->Paint->Catalogue->SubjectLst->setCurrentIndex(0);
    EXPECT_TRUE(DetailWindow()->isVisible());
    EXPECT_EQ(c.Items(), QStringList({"..\\rose.png"}));
}

TEST(Catalogue, ChoosingAnotherDrawingAsksOnceWhenChanged) {
    Catalogue c("Flowers=Flowers");
    c.EnterPaint();
    DetailWindow()->Session().MarkChanged();
    c.out.rec.answer = false;  // "Nee": the changes are discarded
    c.f->Paint->Catalogue->MandalaLst->setCurrentRow(1);
    c.f->Paint->Catalogue->MandalaLstClick();
    EXPECT_EQ(c.out.rec.questions, 1);
    EXPECT_FALSE(DetailWindow()->Session().Changed());
    EXPECT_EQ(DetailWindow()->Session().Picture().size(), QSize(10, 6));
    c.f->Paint->Catalogue->MandalaLst->setCurrentRow(0);
    c.f->Paint->Catalogue->MandalaLstClick();
    EXPECT_EQ(c.out.rec.questions, 1);  // unchanged: no question
}

TEST(Catalogue, MissingArchiveLoadsNothingAndKeepsThePicture) {
    Catalogue c("Flowers=Flowers", /*withArchive=*/false);
    c.EnterPaint();
    EXPECT_EQ(c.Items(), QStringList({"Rose", "Lily"}));
    ASSERT_TRUE(DetailWindowAlive());
    EXPECT_TRUE(DetailWindow()->Session().Picture().isNull());
    EXPECT_FALSE(c.f->Paint->PenSBtn->isEnabled());
}

TEST(Catalogue, MissingDatabaseLeavesTheListsEmptyAndHistoryStillOpens) {
    Catalogue c("", true, /*withDatabase=*/false);
    c.EnterPaint();
    EXPECT_EQ(c.f->Paint->Catalogue->SubjectLst->count(), 0);
    EXPECT_EQ(c.f->Paint->Catalogue->MandalaLst->count(), 0);
    c.f->MenuSBtnClick(c.f->Paint->PaintBackSBtn);
    c.f->MenuSBtnClick(c.f->Main->MainHistorySBtn);
    EXPECT_EQ(c.f->Notebook->ActivePage(), "History");
    EXPECT_EQ(c.f->History->ContentLst->Count(), 0);
}

TEST(Catalogue, HistoryReadsTheTableOfContentsOfTheLanguage) {
    Catalogue c("Flowers=Flowers");
    c.f->MenuSBtnClick(c.f->Main->MainHistorySBtn);
    ASSERT_EQ(c.f->History->ContentLst->Count(), 3);
    EXPECT_EQ(c.f->History->ContentLst->Selected(), 2);
}

TEST(Catalogue, HistoryEntriesShowTheirPagesOnClickAndOnKeyRelease) {
    Catalogue c("Flowers=Flowers");
    c.f->MenuSBtnClick(c.f->Main->MainHistorySBtn);
    TContentOutline* list = c.f->History->ContentLst;
    EXPECT_EQ(c.f->History->HistoryMarkup->MarkupText(), "The start page");  // entry 2 on opening
    QTest::mouseClick(list, Qt::LeftButton, {}, list->RowRect(3).center());
    EXPECT_EQ(c.f->History->HistoryMarkup->MarkupText(), "<B>Long</B> ago");
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Up);
    EXPECT_EQ(c.f->History->HistoryMarkup->MarkupText(), "The start page");
    // An entry without a page empties the text.
    QTest::mouseClick(list, Qt::LeftButton, {}, list->RowRect(1).center());
    EXPECT_TRUE(c.f->History->HistoryMarkup->MarkupText().isEmpty());
    EXPECT_TRUE(list->Entry(1).Expanded);  // a click right of the indent does not toggle
}

// A drawing that cannot be decoded replaces the one on show by an empty drawing: no stale
// picture under the new name, no change mark, the view reset, and the reader's message.
TEST(Catalogue, UndecodableDrawingClearsThePaintingWindow) {
    Catalogue c("Mine=User");
    QImage img(6, 4, QImage::Format_RGB32);
    img.fill(Qt::green);
    ASSERT_TRUE(img.save(UserFolder() + "good.bmp"));
    Write(UserFolder() + "broken.bmp", QByteArray("BM\x10\x00\x00\x00garbage-not-a-bitmap", 26));
    c.EnterPaint();
    auto row = [&](const QString& name) { return c.Items().indexOf(name); };
    ASSERT_GE(row("good.bmp"), 0);
    ASSERT_GE(row("broken.bmp"), 0);
    QListWidget* list = c.f->Paint->Catalogue->MandalaLst;
    auto clickRow = [&](int r) {
        const QRect rect = list->visualItemRect(list->item(r));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    };
    clickRow(row("good.bmp"));
    ASSERT_EQ(DetailWindow()->Session().Picture().size(), QSize(6, 4));
    DetailWindow()->Session().MarkChanged();
    DetailWindow()->Session().SetZoom(2500);
    DetailWindow()->Session().Pan(40, 0);
    c.out.rec.answer = false;
    const qsizetype messagesBefore = c.out.rec.messages.size();
    clickRow(row("broken.bmp"));
    EXPECT_EQ(c.out.rec.questions, 1);
    EXPECT_TRUE(DetailWindow()->Session().Picture().isNull());
    EXPECT_FALSE(DetailWindow()->Session().Changed());
    EXPECT_EQ(DetailWindow()->Session().Zoom(), 1000);
    EXPECT_EQ(DetailWindow()->Session().OffsetX(), 0);
    EXPECT_EQ(c.f->Paint->Scale->ScaleEdit->text(), "100%");
    // The reader returns why; the shell shows it: the codec layer's error, then the reader's.
    const QStringList shown = c.out.rec.messages.mid(messagesBefore);
    ASSERT_EQ(shown.size(), 2) << shown.join(" | ").toStdString();
    EXPECT_EQ(shown[1], "Reading bmp file failed");
    EXPECT_FALSE(c.f->Paint->PenSBtn->isEnabled());
    EXPECT_FALSE(c.f->Paint->SaveSBtn->isEnabled());
    // The good drawing loads again afterwards.
    clickRow(row("good.bmp"));
    EXPECT_EQ(DetailWindow()->Session().Picture().size(), QSize(6, 4));
    EXPECT_TRUE(c.f->Paint->PenSBtn->isEnabled());
}

namespace {
QImage Filled(QColor c) {
    QImage img(4, 4, QImage::Format_RGB32);
    img.fill(c);
    return img;
}
// Points the user's data and cache folders at folders of the test's own.
struct UserHome {
    QTemporaryDir data, cache;
    UserHome() {
        qputenv("XDG_DATA_HOME", data.path().toUtf8());
        qputenv("XDG_CACHE_HOME", cache.path().toUtf8());
    }
    ~UserHome() {
        qunsetenv("XDG_DATA_HOME");
        qunsetenv("XDG_CACHE_HOME");
    }
};
}  // namespace

TEST(UserData, LivesInOneOrbelleFolderWhenTheProgramFolderCannotBeWritten) {
    UserHome home;
    SetProgramFolder(home.data.filePath("no-such-program-folder"));
    EXPECT_EQ(UserFolder(), home.data.path() + "/Orbelle/User/");
    EXPECT_EQ(WallpaperFile(), home.data.path() + "/Orbelle/Mandala.bmp");
    EXPECT_EQ(TempFolder(), home.cache.path() + "/Orbelle/T/");
    SetProgramFolder(ORBELLE_PROGRAM_DIR);
}

TEST(UserData, DrawingsOfTheEarlierDoubledFolderMoveOverOnceAndNoneIsLost) {
    UserHome home;
    const QString earlier = home.data.path() + "/Orbelle/Orbelle/";
    const QString now = home.data.path() + "/Orbelle/User/";
    ASSERT_TRUE(QDir().mkpath(earlier + "User/Bloemen") && QDir().mkpath(now));
    ASSERT_TRUE(Filled(Qt::red).save(earlier + "User/alleen.bmp"));
    ASSERT_TRUE(Filled(Qt::green).save(earlier + "User/Bloemen/roos.bmp"));
    // The same name on both sides: two different drawings, both kept.
    ASSERT_TRUE(Filled(Qt::blue).save(earlier + "User/Mandala 1.bmp"));
    ASSERT_TRUE(Filled(Qt::yellow).save(now + "Mandala 1.bmp"));
    // The same drawing on both sides: one copy is enough.
    ASSERT_TRUE(Filled(Qt::cyan).save(earlier + "User/beide.bmp"));
    ASSERT_TRUE(QFile::copy(earlier + "User/beide.bmp", now + "beide.bmp"));
    ASSERT_TRUE(Filled(Qt::gray).save(earlier + "Mandala.bmp"));

    {
        Catalogue c("Flowers=Flowers\r\nMine=User");  // start-up
    }
    auto colour = [](const QString& f) { return QImage(f).pixelColor(0, 0); };
    EXPECT_EQ(colour(now + "alleen.bmp"), QColor(Qt::red));
    EXPECT_EQ(colour(now + "Bloemen/roos.bmp"), QColor(Qt::green));
    EXPECT_EQ(colour(now + "Mandala 1.bmp"), QColor(Qt::yellow));
    EXPECT_EQ(colour(now + "Mandala 1 (2).bmp"), QColor(Qt::blue));
    EXPECT_EQ(colour(now + "beide.bmp"), QColor(Qt::cyan));
    EXPECT_EQ(QDir(now).entryList(QDir::Files).size(), 4);
    EXPECT_FALSE(QFileInfo::exists(earlier + "User"));
    // The desktop may still show the earlier wallpaper file: it stays.
    EXPECT_EQ(colour(earlier + "Mandala.bmp"), QColor(Qt::gray));

    // Once: a later start finds nothing to move and changes nothing.
    ASSERT_TRUE(QFile::remove(now + "alleen.bmp"));
    {
        Catalogue c("Flowers=Flowers\r\nMine=User");
    }
    EXPECT_FALSE(QFileInfo::exists(now + "alleen.bmp"));
    EXPECT_EQ(QDir(now).entryList(QDir::Files).size(), 3);
    EXPECT_EQ(AdoptEarlierUserData(), 0);
}
