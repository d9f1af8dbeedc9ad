#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include "library/MarkupBox.h"
#include "library/PrsCtrl.h"

using orb::TMarkupScrollBox;

namespace {

struct Box {
    QWidget page;
    TMarkupScrollBox* box;
    QScrollBar* bar() const { return box->verticalScrollBar(); }
    Box() {
        page.resize(640, 460);
        box = new TMarkupScrollBox(&page);
        box->setGeometry(300, 66, 300, 323);
        QFont f("DejaVu Sans");
        f.setPixelSize(11);
        box->setFont(f);
        box->Markup()->setFont(f);
        page.show();
        (void)QTest::qWaitForWindowExposed(&page);
    }
    void SetLongText() {
        QString t;
        for (int i = 0; i < 120; ++i) t += QString("Line %1 of the history text\r\n").arg(i);
        box->Markup()->SetMarkupText(t);
        QApplication::processEvents();
    }
};

}  // namespace

TEST(MarkupScrollBox, WheelOverTheTextScrolls) {
    Box b;
    b.SetLongText();
    ASSERT_GT(b.bar()->maximum(), 0);
    const QPointF at(50, 50);
    QWheelEvent down(at, b.box->Markup()->mapToGlobal(at), {}, QPoint(0, -120), Qt::NoButton,
                     {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(b.box->Markup(), &down);
    EXPECT_GT(b.bar()->value(), 0);
}

TEST(MarkupScrollBox, ClickGivesFocusThenKeysScroll) {
    Box b;
    b.SetLongText();
    QTest::mouseClick(b.box->Markup(), Qt::LeftButton, {}, QPoint(40, 40));
    ASSERT_TRUE(b.box->hasFocus());
    QTest::keyClick(b.box, Qt::Key_Down);
    const int step = b.bar()->value();
    EXPECT_GT(step, 0);
    QTest::keyClick(b.box, Qt::Key_PageDown);
    EXPECT_GE(b.bar()->value(), step + b.bar()->pageStep() - 1);
    QTest::keyClick(b.box, Qt::Key_End);
    EXPECT_EQ(b.bar()->value(), b.bar()->maximum());
    QTest::keyClick(b.box, Qt::Key_PageUp);
    EXPECT_LT(b.bar()->value(), b.bar()->maximum());
    QTest::keyClick(b.box, Qt::Key_Home);
    EXPECT_EQ(b.bar()->value(), 0);
}

TEST(MarkupScrollBox, TextNarrowsToLeaveRoomForTheBar) {
    Box b;
    // A page that fits uses the full width and shows no bar.
    b.box->Markup()->SetMarkupText("short");
    QApplication::processEvents();
    EXPECT_EQ(b.box->Markup()->width(), 300);
    EXPECT_FALSE(b.bar()->isVisible());
    // A long one brings the vertical bar; the text then wraps inside what stays visible
    // and no horizontal bar appears.
    QString words;
    for (int i = 0; i < 400; ++i) words += "mandala ";
    b.box->Markup()->SetMarkupText(words);
    QApplication::processEvents();
    QApplication::processEvents();
    ASSERT_TRUE(b.bar()->isVisible());
    EXPECT_EQ(b.box->Markup()->width(), b.box->viewport()->width());
    EXPECT_LT(b.box->viewport()->width(), 300);
    EXPECT_FALSE(b.box->horizontalScrollBar()->isVisible());
    for (const auto& p : b.box->Markup()->Placed())
        EXPECT_LE(p.Rect.right(), b.box->viewport()->width());
    // Back to a short page: the full width again.
    b.box->Markup()->SetMarkupText("short");
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(b.box->Markup()->width(), 300);
}

TEST(MarkupScrollBox, TextFollowsTheBoxFontWhenTheWindowIsScaled) {
    Box b;
    b.box->Markup()->SetMarkupText("a few words of text");
    const int before = b.box->Markup()->Placed().first().Rect.height();
    QFont big = b.box->font();
    big.setPixelSize(22);
    b.box->setFont(big);
    EXPECT_EQ(b.box->Markup()->font().pixelSize(), 22);
    EXPECT_EQ(b.box->Markup()->HyperLinkFont().pixelSize(), 22);
    // Laid out again in the new size.
    EXPECT_GT(b.box->Markup()->Placed().first().Rect.height(), before);
}
