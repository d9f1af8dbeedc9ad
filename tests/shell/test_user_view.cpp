// The main window as a user meets it: the shipped language file applied to the real window,
// texts that fit, hover colours, keyboard on the tab strip and the intro's only way out.
#include <gtest/gtest.h>

#include <QFontInfo>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QTabBar>
#include <QTest>

#include "tests/common/RecordingOutward.h"
#include "paint/DtlWin.h"
#include "platform/Display.h"
#include "platform/Paths.h"
#include "platform/Resources.h"
#include "platform/Tags.h"
#include "shell/Intro.h"
#include "shell/LangState.h"
#include "shell/LanguageTexts.h"
#include "shell/MMBtns.h"
#include "shell/Main.h"

using namespace orb;

namespace {

const QColor kLightBlue(63, 190, 254);
const QColor kOrange(255, 153, 51);

// The real window in the real program folder, shown, so the language file is applied.
struct ShownForm {
    ScopedOutward out;
    int savedLng = LngID();
    std::unique_ptr<TMainForm> form;
    ShownForm(QSize screen, int lng) {
        SetProgramFolder(ORBELLE_PROGRAM_DIR);
        RegisterProgramResources();
        SetSimulatedScreen(screen);
        SetLngID(lng);
        form = std::make_unique<TMainForm>();
        form->SoundSBtn->SetButtonIsDown(true);  // no music: the toggle at show stops it
        form->show();
        // Until the rest of start-up, after the first frame, has run.
        QTRY_VERIFY_WITH_TIMEOUT(form->StartUpDone(), 5000);
    }
    ~ShownForm() {
        form.reset();
        SetSimulatedScreen(QSize());
        SetLngID(savedLng);
    }
    TMainForm* operator->() { return form.get(); }
};

// The hint Qt shows over a widget: its own, or the nearest one up the parent chain.
QString EffectiveToolTip(QWidget* w) {
    for (; w; w = w->parentWidget())
        if (!w->toolTip().isEmpty()) return w->toolTip();
    return {};
}

}  // namespace

TEST(ShippedLanguage, EveryTaggedTextOfTheRealWindowComesFromTheTableAndFits) {
    for (int lng : {31, 44}) {
        for (QSize screen : {QSize(800, 600), QSize(1024, 768), QSize(1280, 1024)}) {
            SCOPED_TRACE(testing::Message() << lng << " " << screen.width());
            ShownForm f(screen, lng);
            int checked = 0;
            for (QLabel* l : f->findChildren<QLabel*>()) {
                const int tag = GetTag(l);
                if (l->property("Picture").toBool()) {
                    EXPECT_FALSE(l->pixmap().isNull()) << qPrintable(l->objectName());
                    EXPECT_TRUE(l->text().isEmpty()) << qPrintable(l->objectName());
                    continue;
                }
                if (tag > 0) {
                    EXPECT_EQ(l->text(), GetLangText(tag, "MainForm", LngFileName(), "<no record>"))
                        << qPrintable(l->objectName());
                    ++checked;
                }
                if (!l->text().isEmpty() && !l->wordWrap())
                    EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->width())
                        << qPrintable(l->objectName()) << " " << qPrintable(l->text());
            }
            EXPECT_GT(checked, 20);
            const QStringList tabs = lng == 31 ? QStringList{"Mandala's", "Schalen", "Tekenen"}
                                               : QStringList{"Mandalas", "Scale", "Drawing"};
            for (int i = 0; i < 3; ++i) EXPECT_EQ(f->Paint->PaintTabSet->tabText(i), tabs[i]);
            // Controls without a hint of their own show none, not a page control's.
            for (QWidget* w : QList<QWidget*>{f->Paint->Colour->ColorTitle, f->Paint->Colour->HLbl, f->Paint->PaintTabSet,
                                              f->Paint->Catalogue->SubjectLstLbl})
                EXPECT_TRUE(EffectiveToolTip(w).isEmpty())
                    << qPrintable(w->objectName()) << ": " << qPrintable(EffectiveToolTip(w));
            EXPECT_FALSE(f->Paint->PaintBackSBtn->toolTip().isEmpty());
        }
    }
}

TEST(ShippedLanguage, ListAndTabFontsGrowWithTheSizeClass) {
    ShownForm f(QSize(1280, 1024), 44);
    EXPECT_EQ(f->Paint->Catalogue->MandalaLst->font().pixelSize(), MulDiv(13, 8, 5));
    EXPECT_EQ(f->Paint->Catalogue->SubjectLst->font().pixelSize(), MulDiv(13, 8, 5));
    // The tabs' labels at least as large as the lists', each clear of its slanted edges.
    TTabStrip* tabs = f->Paint->PaintTabSet;
    EXPECT_GE(QFontInfo(tabs->LabelFont()).pixelSize(), 13);
    for (int i = 0; i < tabs->count(); ++i)
        EXPECT_TRUE(tabs->ClearRect(i).contains(tabs->LabelRect(i))) << i;
    EXPECT_TRUE(f->Paint->Catalogue->MandalaLst->styleSheet().contains("height: 26px"));
}

TEST(ShippedLanguage, PagesAreFoundByIdentityWhateverTheirShownName) {
    ShownForm f(QSize(800, 600), 44);
    for (TNotebook* nb : {f->Notebook, f->Paint->PaintNotebook})
        for (int i = 0; i < nb->count(); ++i) nb->widget(i)->setProperty("PageName", "Vertaald");
    f->MenuSBtnClick(f->Main->MainHistorySBtn);
    EXPECT_EQ(f->Notebook->ActivePage(), "History");
    f->MenuSBtnClick(f->History->HistoryBackSBtn);
    f->MenuSBtnClick(f->Main->MainPaintSBtn);
    EXPECT_EQ(f->Notebook->ActivePage(), "Paint");
    EXPECT_EQ(f->Paint->PaintNotebook->ActivePage(), "FilePage");
}

TEST(RoundButtonLook, HoverShowsLightBlueAndLeavingTakesItBack) {
    ShownForm f(QSize(800, 600), 31);
    TBaseBtn* b = f->Main->MainPaintSBtn;
    f->SBtnMouseIn(b);
    EXPECT_EQ(b->Brush().color(), kLightBlue);
    f->SBtnMouseOut(b);
    EXPECT_EQ(b->Brush().color(), kOrange);

    // A button disabled while hovered gets no mouse-out; enabled again it must look up.
    f->MenuSBtnClick(f->Main->MainPaintSBtn);
    f->Paint->UndoSBtn->SetButtonIsDown(true);
    f->UpdateStatus();
    EXPECT_FALSE(f->Paint->UndoSBtn->isEnabled());
    EXPECT_FALSE(f->Paint->UndoSBtn->ButtonIsDown());

    // A command whose dialog took the pointer away leaves its button up.
    f->SBtnMouseIn(f->Paint->OpenSBtn);
    f->Paint->SpeedBtnClick(f->Paint->OpenSBtn);  // the open dialog, cancelled
    EXPECT_EQ(f.out.rec.openDialogs, 1);
    EXPECT_FALSE(f->Paint->OpenSBtn->ButtonIsDown());
    EXPECT_EQ(f->Paint->OpenSBtn->Brush().color(), kOrange);
}

TEST(PaintTabs, ArrowKeysKeepTheStripInStepWithTheSidePage) {
    ShownForm f(QSize(800, 600), 31);
    f->MenuSBtnClick(f->Main->MainPaintSBtn);
    ASSERT_TRUE(DetailWindowAlive());
    f->Paint->PaintTabSet->setFocus();
    QTest::keyClick(f->Paint->PaintTabSet, Qt::Key_Right);
    QApplication::processEvents();
    EXPECT_EQ(f->Paint->PaintNotebook->ActivePage(), "SizePage");
    EXPECT_EQ(f->Paint->PaintTabSet->currentIndex(), 1);
    QTest::keyClick(f->Paint->PaintTabSet, Qt::Key_Right);
    QApplication::processEvents();
    EXPECT_EQ(f->Paint->PaintNotebook->ActivePage(), "ColorPage");
    EXPECT_EQ(f->Paint->PaintTabSet->currentIndex(), 2);
    QTest::keyClick(f->Paint->PaintTabSet, Qt::Key_Left);
    QTest::keyClick(f->Paint->PaintTabSet, Qt::Key_Left);
    QApplication::processEvents();
    EXPECT_EQ(f->Paint->PaintNotebook->PageIndex(), f->Paint->PaintTabSet->currentIndex());
    EXPECT_EQ(f->Paint->PaintNotebook->ActivePage(), "FilePage");

    // Without a painting window a tab cannot switch the page: the strip goes back.
    DetailWindow()->close();
    QApplication::processEvents();
    if (!DetailWindowAlive()) {
        QTest::keyClick(f->Paint->PaintTabSet, Qt::Key_Right);
        QApplication::processEvents();
        EXPECT_EQ(f->Paint->PaintTabSet->currentIndex(), f->Paint->PaintNotebook->PageIndex());
    }
}

TEST(PaintCatalogue, OneClickInTheMandalaListLoadsOnce) {
    ShownForm f(QSize(800, 600), 31);
    f->MenuSBtnClick(f->Main->MainPaintSBtn);
    ASSERT_GT(f->Paint->Catalogue->MandalaLst->count(), 1);
    ASSERT_TRUE(DetailWindowAlive());
    // Each load asks about a changed picture first: count the questions.
    auto& rec = f.out.rec;
    const int before = rec.questions;
    DetailWindow()->Session().MarkChanged();
    rec.answer = false;
    // The list has the focus, as after a user's first click into it.
    f->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(f.form.get(), 2000));
    f->Paint->Catalogue->MandalaLst->setFocus();
    const QRect r = f->Paint->Catalogue->MandalaLst->visualItemRect(f->Paint->Catalogue->MandalaLst->item(1));
    QTest::mouseClick(f->Paint->Catalogue->MandalaLst->viewport(), Qt::LeftButton, {}, r.center());
    QApplication::processEvents();
    EXPECT_EQ(f->Paint->Catalogue->MandalaLst->currentRow(), 1);
    EXPECT_EQ(rec.questions - before, 1);
}

TEST(Intro, OnlyAChoiceClosesIt) {
    const int saved = LngID();
    TIntroForm intro;
    intro.open();
    QTest::keyClick(&intro, Qt::Key_Escape);
    EXPECT_TRUE(intro.isVisible());
    intro.close();
    EXPECT_TRUE(intro.isVisible());
    intro.LingoLstChange(1);
    EXPECT_FALSE(intro.isVisible());
    EXPECT_EQ(intro.result(), QDialog::Accepted);
    EXPECT_EQ(LngID(), 44);
    SetLngID(saved);
}
