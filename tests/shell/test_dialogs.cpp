#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include "tests/common/RecordingOutward.h"
#include "paint/ProImg.h"
#include "platform/Display.h"
#include "shell/About.h"
#include "shell/Bk.h"
#include "shell/Intro.h"
#include "shell/LangState.h"
#include "shell/MMBtns.h"
#include "shell/MsgDlg.h"
#include "shell/Pictures.h"

using namespace orb;

TEST(MessageDialog, ButtonsFollowTheirCaptions) {
    TMessageDialog d;
    d.Setup("Titel", "Vraag?", "Ja", "");
    EXPECT_EQ(d.HCaption->text(), "Titel");
    EXPECT_FALSE(d.YesBtn->isHidden());
    EXPECT_TRUE(d.NoBtn->isHidden());
    EXPECT_EQ(d.size(), QSize(312, 113));
    EXPECT_FALSE(d.mask().contains(QPoint(0, 0)));  // rounded corners
    EXPECT_TRUE(d.mask().contains(QPoint(156, 56)));
}

TEST(MessageDialog, KeysAnswerOnlyWithoutModifiers) {
    {
        TMessageDialog d;
        d.Setup("t", "m", "Ja", "");  // one button: Esc still answers no
        d.open();
        QTest::keyClick(&d, Qt::Key_Escape);
        EXPECT_EQ(d.result(), QDialog::Rejected);
        EXPECT_FALSE(d.isVisible());
    }
    {
        TMessageDialog d;
        d.Setup("t", "m", "Ja", "Nee");
        d.open();
        QTest::keyClick(&d, Qt::Key_Return, Qt::ShiftModifier);
        EXPECT_TRUE(d.isVisible());  // Shift+Enter does nothing
        QTest::keyClick(&d, Qt::Key_Escape, Qt::ControlModifier);
        EXPECT_TRUE(d.isVisible());
        QTest::keyClick(&d, Qt::Key_Return);
        EXPECT_EQ(d.result(), QDialog::Accepted);
        EXPECT_FALSE(d.isVisible());
    }
}

TEST(MessageDialog, HoverUnderlinesAnEnabledButton) {
    TMessageDialog d;
    d.YesBtn->MouseIn();
    EXPECT_TRUE(d.YesBtn->font().underline());
    d.YesBtn->MouseOut();
    EXPECT_FALSE(d.YesBtn->font().underline());
    d.NoBtn->setEnabled(false);
    d.NoBtn->MouseIn();
    EXPECT_FALSE(d.NoBtn->font().underline());
}

TEST(MessageDialog, ScaledWithTheSizeClass) {
    SetCurrentSizeClass(SizeClass::Large);
    TMessageDialog d;
    SetCurrentSizeClass(SizeClass::Small);
    EXPECT_EQ(d.size(), QSize(MulDiv(312, 8, 5), MulDiv(113, 8, 5)));
    EXPECT_EQ(d.YesBtn->geometry(), QRect(120, 144, 176, MulDiv(18, 8, 5)));
}

TEST(AskYesNo, ScriptedAnswerComesThrough) {
    ScopedOutward out;
    out.rec.answer = true;
    EXPECT_TRUE(AskYesNo("a", "b", "Ja", "Nee"));
    out.rec.answer = false;
    EXPECT_FALSE(AskYesNo("a", "b", "Ja", "Nee"));
}

TEST(Intro, ChoosingTheLanguageSetsItAndCloses) {
    SetLngID(44);
    TIntroForm f;
    EXPECT_TRUE(IntroFormAlive());
    EXPECT_EQ(f.LingoLst->currentIndex(), -1);
    f.open();
    f.LingoLstChange(0);
    EXPECT_EQ(LngID(), 31);
    EXPECT_FALSE(f.isVisible());
    f.LingoLstChange(1);
    EXPECT_EQ(LngID(), 44);
    f.LingoLstChange(-1);  // no entry counts as Dutch
    EXPECT_EQ(LngID(), 31);
    SetLngID(44);
}

TEST(Intro, PictureChosenByDisplayDepth) {
    const QImage i256 = LoadResourcePicture("Intro256"), i16 = LoadResourcePicture("Intro"),
                 carried(":/pictures/IntroForm.png");
    if (i256.isNull() || i16.isNull() || carried.isNull()) GTEST_SKIP() << "no resources built";
    for (auto [depth, expected] : {std::pair{8, i256}, {16, i16}, {4, i16}, {24, carried},
                                   {32, carried}}) {
        SetSimulatedDepth(depth);
        TIntroForm f;
        EXPECT_EQ(f.IntroFormImg->Background().Image(), expected) << depth;
    }
    SetSimulatedDepth(0);
}

TEST(AboutBox, HidesOnKeysAndFocusLossAndComesBack) {
    ShowAboutBox();
    ASSERT_TRUE(AboutBoxAlive());
    TAboutBox* first = AboutBox();
    EXPECT_TRUE(first->isVisible());
    QTest::keyClick(first, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_TRUE(first->isVisible());
    QTest::keyClick(first, Qt::Key_Escape);
    EXPECT_FALSE(first->isVisible());
    ShowAboutBox();
    EXPECT_EQ(AboutBox(), first);  // the same box again
    EXPECT_TRUE(first->isVisible());
    QEvent deactivate(QEvent::WindowDeactivate);
    QCoreApplication::sendEvent(first, &deactivate);
    EXPECT_FALSE(first->isVisible());
    delete first;
    EXPECT_FALSE(AboutBoxAlive());
}

TEST(AboutBox, HotSpotsOpenTheirSites) {
    ScopedOutward out;
    ShowAboutBox();
    AboutBox()->PublisherSBtn->Click();
    EXPECT_FALSE(AboutBox()->isVisible());
    // A click that reaches the hidden box (held back during the pause at exit) does nothing.
    AboutBox()->TessvaleSBtn->Click();
    EXPECT_EQ(out.rec.urls, QStringList({TAboutBox::PublisherAddress()}));
    ShowAboutBox();
    AboutBox()->TessvaleSBtn->Click();
    EXPECT_EQ(out.rec.urls,
              QStringList({TAboutBox::PublisherAddress(), TAboutBox::MakerAddress()}));
    EXPECT_FALSE(AboutBox()->isVisible());
    EXPECT_FALSE(AboutBox()->TessvaleSBtn->FaceVisible);
    EXPECT_EQ(AboutBox()->AboutBoxImage->size(), QSize(325, 325));
    FreeAboutBox();
}

TEST(AboutBox, CentredOnTheMainWindowEachTimeElseOnTheScreen) {
    SetSimulatedScreen(QSize(1024, 768));
    ShowAboutBox();  // no main window: the screen's centre
    ASSERT_TRUE(AboutBoxAlive());
    EXPECT_EQ(AboutBox()->pos(), QPoint((1024 - 329) / 2, (768 - 329) / 2));
    CloseAboutBox();
    {
        // Hidden, as at exit, and moved since the box was first made.
        QWidget main;
        main.setObjectName("MainForm");
        main.setGeometry(100, 40, 640, 480);
        ShowAboutBox();
        EXPECT_EQ(AboutBox()->pos(), QPoint(100 + (640 - 329) / 2, 40 + (480 - 329) / 2));
        CloseAboutBox();
        main.move(301, 200);
        ShowAboutBox();
        EXPECT_EQ(AboutBox()->pos(), QPoint(301 + (640 - 329) / 2, 200 + (480 - 329) / 2));
        EXPECT_TRUE(AboutBox()->isVisible());
    }
    FreeAboutBox();
    SetSimulatedScreen(QSize());
}

TEST(Intro, CentredOnTheScreen) {
    const int saved = LngID();
    for (QSize screen : {QSize(800, 600), QSize(1280, 1024)}) {
        SetSimulatedScreen(screen);
        QPoint at(-1, -1);
        QSize size;
        // The intro is modal: look at it from inside its loop once shown, then choose.
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (!IntroFormAlive() || !IntroForm()->isVisible()) return;
            poll.stop();
            at = IntroForm()->pos();
            size = IntroForm()->size();
            IntroForm()->LingoLstChange(1);
        });
        poll.start();
        ShowIntro();
        EXPECT_EQ(at, QPoint((screen.width() - size.width()) / 2,
                             (screen.height() - size.height()) / 2))
            << screen.width();
        FreeIntro();
    }
    SetSimulatedScreen(QSize());
    SetLngID(saved);
}
