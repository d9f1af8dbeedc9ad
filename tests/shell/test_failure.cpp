// A failure inside a real handler reaches the message loop: its text is shown in the message
// box and the program goes on.
#include <gtest/gtest.h>

#include <QApplication>

#include "shell/MMBtns.h"
#include "tests/shell/Painting.h"

TEST(Failure, AFailingCommandShowsItsTextAndTheProgramGoesOn) {
    Painting p;
    p.out.rec.openFailure = "De bestandskeuze kon niet worden geopend.";
    const qsizetype before = p.out.rec.messages.size();
    p.ClickButton(p.f->Paint->OpenSBtn);  // through the button's own mouse events
    ASSERT_EQ(p.out.rec.messages.size(), before + 1);
    EXPECT_EQ(p.out.rec.messages.last(), "De bestandskeuze kon niet worden geopend.");
    // The window is still there and answers: the next click runs the command again.
    EXPECT_TRUE(p.f->isVisible());
    p.out.rec.openFailure.clear();
    p.ClickButton(p.f->Paint->OpenSBtn);
    EXPECT_EQ(p.out.rec.openDialogs, 2);
    EXPECT_EQ(p.out.rec.messages.size(), before + 1);
    // Painting still works after the failure.
    p.ClickButton(p.f->Paint->PaintSBtn);
    p.Colour(0, 100, 100);
    p.RealClick(p.At(10, 10));
    EXPECT_EQ(p.w->Session().Picture().pixel(10, 10), qRgb(255, 0, 0));
}
