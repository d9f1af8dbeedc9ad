#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QLineEdit>
#include <QSet>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

#include "tests/common/RecordingOutward.h"
#include "paint/DtlWin.h"
#include "platform/Display.h"
#include "platform/Paths.h"
#include "shell/MMBtns.h"
#include "shell/ContentOutline.h"
#include "library/MarkupBox.h"
#include "shell/Main.h"
#include "platform/Resources.h"

using namespace orb;

namespace {

// A main window on a simulated screen, in a program folder of its own.
struct Form {
    ScopedOutward out;
    QTemporaryDir dir;
    std::unique_ptr<TMainForm> form;
    explicit Form(QSize screen = QSize(800, 600), bool withMusic = false) {
        SetProgramFolder(dir.path());
        if (withMusic) {
            QDir(dir.path()).mkpath("A");
            QFile f(dir.filePath("A/Orbelle.wav"));
            f.open(QIODevice::WriteOnly);
            f.write("RIFF");
        }
        SetSimulatedScreen(screen);
        form = std::make_unique<TMainForm>();
    }
    ~Form() {
        form.reset();
        SetSimulatedScreen(QSize());
        SetProgramFolder(ORBELLE_PROGRAM_DIR);
    }
    TMainForm* operator->() { return form.get(); }

    // Makes a picture ready as the catalogue will: painting window, lists, selection.
    void MakePictureReady() {
        ShowDetailWindow(form->Paint->MandalaPanel, form->Paint->Session());
        DetailWindow()->Session().LoadPicture(QImage(50, 50, QImage::Format_RGB32));
        form->Paint->Catalogue->SubjectLst->addItem("Bloemen=Bloemen");
        form->Paint->Catalogue->MandalaLst->addItem("Roos=\\Bloemen\\roos.bmp");
        form->Paint->Catalogue->MandalaLst->setCurrentRow(0);
    }
};

void ClickLabel(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(2, 2)); }

}  // namespace

TEST(MainForm, SizeClassesScaleTheWindowAndButtons) {
    {
        Form f(QSize(800, 600));
        ASSERT_TRUE(f->Created());
        EXPECT_EQ(f->size(), QSize(640, 480));
        EXPECT_EQ(f->Paint->PenSBtn->size(), QSize(32, 32));
        EXPECT_EQ(f->Paint->PenSBtn->CaptionXRound, 30);
        EXPECT_EQ(f->QuitSBtn->CaptionXRound, 16);
    }
    {
        Form f(QSize(1024, 768));
        EXPECT_EQ(f->size(), QSize(800, 600));
        EXPECT_EQ(f->Paint->PenSBtn->size(), QSize(40, 40));
        EXPECT_EQ(f->Paint->PenSBtn->CaptionXRound, 37);
        EXPECT_EQ(f->Paint->PenSBtn->pos(), QPoint(MulDiv(410, 5, 4), MulDiv(380, 5, 4)));
    }
    {
        Form f(QSize(1280, 1024));
        EXPECT_EQ(f->size(), QSize(1024, 768));
        EXPECT_EQ(f->Paint->PenSBtn->size(), QSize(51, 51));
        EXPECT_EQ(f->Paint->PenSBtn->CaptionXRound, 47);
        EXPECT_EQ(f->Paint->MandalaPanel->size(), QSize(688, 688));
        // Centred on the screen: (1280-1024)/2, (1024-768)/2.
        EXPECT_EQ(f->pos(), QPoint(128, 128));
    }
    Form tiny(QSize(600, 400));
    EXPECT_FALSE(tiny->Created());
}

TEST(MainForm, ControlsCarryDesignNamesTagsAndTexts) {
    Form f;
    auto* save = f->findChild<TBaseBtn*>("SaveSBtn");
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(save->property("Tag").toInt(), 4112);
    EXPECT_EQ(save->toolTip(), "Mandala bewaren");
    EXPECT_EQ(save->pos(), QPoint(410, 40));
    EXPECT_EQ(f->findChild<QLabel*>("SubTitleLbl")->text(),
              "Zelf kleur geven aan ornamenten uit 60 eeuwen");
    EXPECT_EQ(f->findChild<QLabel*>("CaptionLbl")->text(), "Orbelle 2.0 release 5");
    EXPECT_EQ(f->findChild<TBaseBtn*>("HelpSBtn")->Caption(), "?");
    EXPECT_EQ(f->Paint->PaintTabSet->tabText(2), "Tekenen");
    EXPECT_EQ(f->Notebook->ActivePage(), "Main");
    EXPECT_EQ(f->Paint->PaintNotebook->ActivePage(), "FilePage");
    // The painting area is a circle.
    EXPECT_FALSE(f->Paint->MandalaPanel->mask().contains(QPoint(2, 2)));
    EXPECT_TRUE(f->Paint->MandalaPanel->mask().contains(QPoint(215, 215)));
}

// Each page object builds its controls on its own notebook page, and the window still finds
// every control by its design name.
TEST(MainForm, EachPageHoldsItsOwnControls) {
    Form f;
    const struct {
        const char* page;
        QList<QWidget*> controls;
    } pages[] = {
        {"Main", {f->Main->MainHistorySBtn, f->Main->MainPaintImg, f->Main->SubTitleLbl}},
        {"History", {f->History->ContentLst, f->History->HistoryCtrl, f->History->HistoryBackSBtn}},
        {"Paint", {f->Paint->UndoSBtn, f->Paint->Catalogue->MandalaLst, f->Paint->Scale->ScaleEdit,
                   f->Paint->Colour->HScroller, f->Paint->PaintTabSet, f->Paint->MandalaPanel}},
    };
    for (const auto& p : pages) {
        QWidget* page = f->Notebook->Page(p.page);
        ASSERT_NE(page, nullptr) << p.page;
        for (QWidget* c : p.controls) {
            ASSERT_NE(c, nullptr);
            EXPECT_TRUE(page->isAncestorOf(c)) << p.page << " " << c->objectName().toStdString();
            EXPECT_EQ(f->findChild<QWidget*>(c->objectName()), c);
        }
    }
    // The round buttons UpdateStatus colours are those of the three pages, each once.
    const QList<TBaseBtn*> all = f->RoundButtons();
    EXPECT_EQ(all.size(), 19);
    EXPECT_EQ(QSet<TBaseBtn*>(all.begin(), all.end()).size(), all.size());
    // A real pointer move over a menu label gives its button the hover look; over the
    // title the look goes again.
    f->show();
    QTest::mouseMove(f->Main->MainPaintLbl, QPoint(5, 5));
    QMouseEvent over(QEvent::MouseMove, QPointF(5, 5), f->Main->MainPaintLbl->mapToGlobal(QPointF(5, 5)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(f->Main->MainPaintLbl, &over);
    EXPECT_TRUE(f->Main->MainPaintSBtn->ButtonIsDown());
    QMouseEvent title(QEvent::MouseMove, QPointF(5, 5), f->Main->MainTitle->mapToGlobal(QPointF(5, 5)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(f->Main->MainTitle, &title);
    EXPECT_FALSE(f->Main->MainPaintSBtn->ButtonIsDown());
}

TEST(MainForm, UpdateStatusWithoutPicture) {
    Form f;
    f->UpdateStatus();
    EXPECT_TRUE(f->Paint->OpenSBtn->isEnabled());
    for (TBaseBtn* b : {f->Paint->SaveSBtn, f->Paint->PrintSBtn, f->Paint->UndoSBtn, f->Paint->PenSBtn, f->Paint->ZoomInSBtn,
                        f->Paint->SendToClipBrdSBtn, f->Paint->CenterSBtn}) {
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
        EXPECT_EQ(b->Brush().color(), QColor(0, 0, 100));
        EXPECT_EQ(b->Pen().style(), Qt::DotLine);
        EXPECT_FALSE(b->ButtonIsHot());
    }
    EXPECT_EQ(f->Paint->OpenSBtn->Brush().color(), QColor(255, 153, 51));
    EXPECT_EQ(f->Paint->OpenSBtn->Pen().style(), Qt::NoPen);
    EXPECT_EQ(f->Main->MainHistorySBtn->Brush().color(), QColor(255, 153, 51));
}

TEST(MainForm, UpdateStatusWithAPictureFollowsChangesUndoPrintersAndTool) {
    Form f;
    f.MakePictureReady();
    f->UpdateStatus();
    EXPECT_TRUE(f->Paint->PenSBtn->isEnabled());
    EXPECT_TRUE(f->Paint->SendToClipBrdSBtn->isEnabled());
    EXPECT_FALSE(f->Paint->SaveSBtn->isEnabled());
    EXPECT_FALSE(f->Paint->PrintSBtn->isEnabled());  // no printer installed
    // Centred and at 100 %: those two show as active.
    EXPECT_TRUE(f->Paint->CenterSBtn->ButtonIsHot());
    EXPECT_TRUE(f->Paint->OriginalSizeSBtn->ButtonIsDown());
    EXPECT_EQ(f->Paint->CenterSBtn->Brush().color(), QColor(63, 190, 254));

    DetailWindow()->Session().MarkChanged();
    f.out.rec.printers = {"Office"};
    f->Paint->Files->RefreshPrinters();  // asked at start-up and when printing, not at every refresh
    f->UpdateStatus();
    EXPECT_TRUE(f->Paint->SaveSBtn->isEnabled());
    EXPECT_TRUE(f->Paint->PrintSBtn->isEnabled());
    EXPECT_FALSE(f->Paint->UndoSBtn->isEnabled());  // nothing to undo
    DetailWindow()->Session().SaveUndo();
    f->UpdateStatus();
    EXPECT_TRUE(f->Paint->UndoSBtn->isEnabled());

    f->Paint->SpeedBtnClick(f->Paint->PenSBtn);
    EXPECT_EQ(CursorNumber(DetailWindow()), -30);
    EXPECT_EQ(f->Paint->PaintNotebook->ActivePage(), "ColorPage");
    EXPECT_TRUE(f->Paint->PenSBtn->ButtonIsHot());
    EXPECT_FALSE(f->Paint->PaintSBtn->ButtonIsHot());
    EXPECT_EQ(f->Paint->PenSBtn->Brush().color(), QColor(63, 190, 254));
    // The tab strip follows the side page without acting as a click.
    EXPECT_EQ(f->Paint->PaintTabSet->currentIndex(), 2);
    DetailWindow()->Session().Pan(5, 0);
    DetailWindow()->Session().SetZoom(2000);
    f->UpdateStatus();
    EXPECT_FALSE(f->Paint->CenterSBtn->ButtonIsHot());
    EXPECT_FALSE(f->Paint->OriginalSizeSBtn->ButtonIsHot());

    f->Paint->Catalogue->MandalaLst->setCurrentRow(-1);  // no drawing selected: nothing to work on
    f->UpdateStatus();
    EXPECT_FALSE(f->Paint->PenSBtn->isEnabled());
    EXPECT_FALSE(f->Paint->PenSBtn->ButtonIsHot());
}

TEST(MainForm, NavigationByButtonsAndLabels) {
    Form f;
    f->show();
    f->Main->MainHistorySBtn->Click();
    EXPECT_EQ(f->Notebook->ActivePage(), "History");
    ClickLabel(f->History->HistoryBackSBtnLbl);
    EXPECT_EQ(f->Notebook->ActivePage(), "Main");
    ClickLabel(f->Main->MainPaintLbl);
    EXPECT_EQ(f->Notebook->ActivePage(), "Paint");
    EXPECT_EQ(f->Paint->PaintNotebook->ActivePage(), "FilePage");
    EXPECT_TRUE(DetailWindowAlive());  // entering the paint page shows the painting window
    ClickLabel(f->Paint->PaintBackSBtnLbl);
    EXPECT_EQ(f->Notebook->ActivePage(), "Main");
    ClickLabel(f->Main->MainHistoryImg);
    EXPECT_EQ(f->Notebook->ActivePage(), "History");
    f->History->HistoryBackSBtn->Click();
    ClickLabel(f->Main->MainPaintSBtnLbl);
    EXPECT_EQ(f->Notebook->ActivePage(), "Paint");
    f->Paint->PaintBackSBtn->Click();
    EXPECT_EQ(f->Notebook->ActivePage(), "Main");
}

TEST(MainForm, HoverShowsTheDownLookExceptOnHotButtons) {
    Form f;
    f->Main->SBtnMouseMove(f->Main->MainHistoryLbl);
    EXPECT_TRUE(f->Main->MainHistorySBtn->ButtonIsDown());
    f->Main->BkMouseMove();
    EXPECT_FALSE(f->Main->MainHistorySBtn->ButtonIsDown());
    f->Main->MainPaintSBtn->SetButtonIsHot(true);
    f->Main->MainPaintSBtn->SetButtonIsDown(true);
    f->Main->BkMouseMove();
    EXPECT_TRUE(f->Main->MainPaintSBtn->ButtonIsDown());
}

TEST(MainForm, ChangePromptOnlyFromThePaintPageWithChanges) {
    {
        Form f;
        f->show();
        f.MakePictureReady();
        DetailWindow()->Session().MarkChanged();
        f->QuitSBtnClick();  // on "Main": never asks
        EXPECT_EQ(f.out.rec.questions, 0);
        EXPECT_FALSE(DetailWindow()->Session().Changed());
    }
    {
        Form f;
        f->show();
        f->MenuSBtnClick(f->Main->MainPaintSBtn);
        f.MakePictureReady();
        DetailWindow()->Session().MarkChanged();
        f->Paint->PaintBackSBtn->Click();  // asks once, then the flag is cleared after "Nee"
        EXPECT_EQ(f.out.rec.questions, 1);
        EXPECT_FALSE(DetailWindow()->Session().Changed());
        EXPECT_EQ(f->Notebook->ActivePage(), "Main");
    }
}

TEST(MainForm, MusicStartsOnceTheWindowIsOnTheScreenAndTheSoundButtonToggles) {
    Form f(QSize(800, 600), true);
    f->show();
    // The button shows the music on from the first frame; the player starts after it.
    EXPECT_TRUE(f->SoundSBtn->ButtonIsDown());
    EXPECT_EQ(f.out.rec.musicStarts, 0);
    QTRY_COMPARE_WITH_TIMEOUT(f.out.rec.musicStarts, 1, 5000);
    EXPECT_TRUE(f.out.rec.musicOn);
    f->SoundSBtn->Click();
    EXPECT_FALSE(f.out.rec.musicOn);
    EXPECT_FALSE(f->SoundSBtn->ButtonIsDown());
    f->SoundSBtn->Click();
    EXPECT_TRUE(f.out.rec.musicOn);
}

TEST(MainForm, MissingMusicStillTogglesTheButton) {
    Form f;
    f->show();
    QTest::qWait(400);  // past the first frame and the wait for an unpainted window
    EXPECT_EQ(f.out.rec.musicStarts, 0);
    EXPECT_TRUE(f->SoundSBtn->ButtonIsDown());
}

TEST(MainForm, SoundSwitchedOffBeforeTheFirstFrameStaysOff) {
    Form f(QSize(800, 600), true);
    f->show();
    f->SoundSBtn->Click();
    QTest::qWait(400);
    EXPECT_EQ(f.out.rec.musicStarts, 0);
    EXPECT_FALSE(f->SoundSBtn->ButtonIsDown());
    f->SoundSBtn->Click();
    EXPECT_EQ(f.out.rec.musicStarts, 1);
}

TEST(MainForm, DataFilesAreReadAfterTheFirstFrameOrWhenFirstAskedFor) {
    {
        Form f;
        f->show();
        EXPECT_FALSE(f->Data().Loaded());
        QTRY_VERIFY_WITH_TIMEOUT(f->Data().Loaded(), 5000);
    }
    {
        // A page that needs them before that reads them at once.
        Form f;
        ASSERT_FALSE(f->Data().Loaded());
        f->MenuSBtnClick(f->Main->MainPaintSBtn);
        EXPECT_TRUE(f->Data().Loaded());
    }
}

TEST(MainForm, HelpOpensTheHelpPageWithTheLanguage) {
    Form f;
    f->HelpSBtn->Click();
    ASSERT_EQ(f.out.rec.urls.size(), 1);
    EXPECT_TRUE(f.out.rec.urls[0].endsWith(
        "/index.dll?lngid=44&programlabel=orbelle&programversionnumber=2051&show=onlinehelp"));
}

TEST(MainForm, StartUpCreatesUserAndShutdownRemovesTemp) {
    QString programDir;
    {
        Form f;
        programDir = f.dir.path();
        EXPECT_TRUE(QDir(programDir + "/User").exists());
        QDir(programDir).mkpath("T");
        QFile tmp(programDir + "/T/extracted.bmp");
        ASSERT_TRUE(tmp.open(QIODevice::WriteOnly));
        tmp.write("x");
        tmp.close();
        QFile::setPermissions(tmp.fileName(), QFileDevice::ReadOwner);  // read-only too
        f->show();
        f->QuitSBtnClick();
        EXPECT_FALSE(f->isVisible());
        EXPECT_FALSE(f->MainFormReady());
        f.form.reset();
        EXPECT_FALSE(QDir(programDir + "/T").exists());
        EXPECT_TRUE(QDir(programDir + "/User").exists());
    }
}

TEST(MainForm, RendersEveryPageAtEverySizeClassAndDepth) {
    for (QSize screen : {QSize(800, 600), QSize(1024, 768), QSize(1280, 1024)}) {
        for (int depth : {32, 8, 4}) {
            SetSimulatedDepth(depth);
            Form f(screen);
            f->show();
            for (const char* page : {"Main", "History", "Paint"}) {
                f->Notebook->SetActivePage(page);
                const QImage img = f->Render();
                EXPECT_EQ(img.size(), f->size());
                if (const Palette* pal = GetSharedPalette(); depth == 4 && pal) {
                    // A 16-colour display shows nothing but the palette's colours.
                    QSet<QRgb> allowed;
                    for (QRgb c : *pal) allowed.insert(c | 0xff000000u);
                    int foreign = 0;
                    for (int y = 0; y < img.height(); y += 3)
                        for (int x = 0; x < img.width(); x += 3)
                            foreign += !allowed.contains(img.pixel(x, y) | 0xff000000u);
                    EXPECT_EQ(foreign, 0) << page;
                    continue;
                }
                // The title is drawn in orange somewhere on every page.
                bool orange = false;
                for (int y = 0; y < img.height() && !orange; y += 2)
                    for (int x = 0; x < img.width() && !orange; x += 2) {
                        const QRgb p = img.pixel(x, y);
                        orange = qRed(p) > 230 && qGreen(p) > 120 && qGreen(p) < 180 &&
                                 qBlue(p) < 90;
                    }
                EXPECT_TRUE(orange) << page << " " << depth;
            }
        }
    }
    SetSimulatedDepth(0);
}

TEST(MainForm, PicturesOfPagesNotOnShowWaitUntilThePageIsShown) {
    ScopedOutward out;
    SetProgramFolder(ORBELLE_PROGRAM_DIR);
    RegisterProgramResources();
    SetSimulatedScreen(QSize(1024, 768));
    {
        TMainForm f;
        EXPECT_FALSE(f.Main->MainHistoryImg->pixmap().isNull());
        EXPECT_FALSE(f.Main->MainPaintSBtn->GlyphUp.isNull());
        EXPECT_TRUE(f.Paint->PaintHeaderImage->pixmap().isNull());
        EXPECT_TRUE(f.Paint->PenSBtn->GlyphUp.isNull());
        f.MenuSBtnClick(f.Main->MainPaintSBtn);
        EXPECT_FALSE(f.Paint->PaintHeaderImage->pixmap().isNull());
        EXPECT_FALSE(f.Paint->PenSBtn->GlyphUp.isNull());
        EXPECT_FALSE(f.Paint->PenSBtn->GlyphDisabled.isNull());
        // The history page still waits; the window's first frame would bring it.
        EXPECT_TRUE(f.History->HistoryHeaderImage->pixmap().isNull());
        f.show();
        QTRY_VERIFY_WITH_TIMEOUT(f.StartUpDone(), 5000);
        EXPECT_FALSE(f.History->HistoryHeaderImage->pixmap().isNull());
        EXPECT_FALSE(f.History->HistoryBackSBtn->GlyphUp.isNull());
        f.Paint->DeclineChanges();
    }
    SetSimulatedScreen(QSize());
}
