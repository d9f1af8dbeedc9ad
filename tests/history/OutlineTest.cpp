#include <gtest/gtest.h>

#include <QImage>
#include <QTest>

#include "shell/Basics.h"
#include "shell/ContentOutline.h"

using orb::TContentOutline;

namespace {

// Two chapters, the first with a nested section, indented with both tabs and spaces.
const QStringList kLines = {
    "Intro|Introduction",        // 1
    "\tOrigin|Where it began",   // 2
    "\tForms|Forms",             // 3
    " \tCircles|Circles",        // 4 (level 3: a space and a tab)
    "Today|Mandalas today",      // 5
    " Art|In art",               // 6
    "Last|Epilogue",             // 7
};

struct Outline {
    QWidget parent;
    TContentOutline* list;
    int clicks = 0;
    Outline() {
        parent.resize(300, 200);
        list = new TContentOutline(&parent);
        list->setGeometry(0, 0, 260, 17 * 5);
        list->SetLines(kLines);
        list->OnClick = [this] { ++clicks; };
        parent.show();
        (void)QTest::qWaitForWindowExposed(&parent);
    }
    // A point in the row of a visible entry, `x` pixels from its left.
    QPoint At(int index, int x) const { return list->RowRect(index).topLeft() + QPoint(x, 8); }
    QStringList VisibleTitles() const {
        QStringList t;
        for (int i = 1; i <= list->Count(); ++i)
            if (list->IsVisible(i)) t << TContentOutline::Title(list->Entry(i).Text);
        return t;
    }
};

}  // namespace

TEST(ContentOutline, LevelsFromLeadingTabsOrSpaces) {
    Outline o;
    ASSERT_EQ(o.list->Count(), 7);
    const int levels[] = {1, 2, 2, 3, 1, 2, 1};
    for (int i = 1; i <= 7; ++i) EXPECT_EQ(o.list->Entry(i).Level, levels[i - 1]) << i;
    EXPECT_TRUE(o.list->HasChildren(1));
    EXPECT_FALSE(o.list->HasChildren(2));
    EXPECT_TRUE(o.list->HasChildren(3));
    EXPECT_FALSE(o.list->HasChildren(7));  // last entry: nothing after it
    o.list->SetSelected(4);
    EXPECT_EQ(o.list->SelectedKey(), "Circles");
}

TEST(ContentOutline, PageOpeningStateAndToggleLeftOfIndent) {
    Outline o;
    // What the page does on opening: top level closed, entry 1 open, entry 2 selected.
    o.list->CollapseTopLevel();
    o.list->SetExpanded(1, true);
    o.list->SetSelected(2);
    // Entry 3 was never closed, so its child shows too.
    EXPECT_EQ(o.VisibleTitles(), (QStringList{"Introduction", "Where it began", "Forms",
                                              "Circles", "Mandalas today", "Epilogue"}));

    // A click right of the indent selects without toggling.
    const int indent = o.list->Indent();
    QTest::mouseClick(o.list, Qt::LeftButton, {}, o.At(5, indent + 20));
    EXPECT_EQ(o.list->Selected(), 5);
    EXPECT_FALSE(o.list->Entry(5).Expanded);
    EXPECT_EQ(o.clicks, 1);

    // Left of level x 10 on a closed entry with children opens it.
    QTest::mouseClick(o.list, Qt::LeftButton, {}, o.At(5, indent - 2));
    EXPECT_TRUE(o.list->Entry(5).Expanded);
    EXPECT_TRUE(o.list->IsVisible(6));
    EXPECT_EQ(o.clicks, 2);

    // A level-2 entry's box sits left of 20; a click at 15 toggles it, one at 25 does not.
    QTest::mouseClick(o.list, Qt::LeftButton, {}, o.At(3, 2 * indent + 5));
    EXPECT_TRUE(o.list->Entry(3).Expanded);
    QTest::mouseClick(o.list, Qt::LeftButton, {}, o.At(3, 2 * indent - 5));
    EXPECT_FALSE(o.list->Entry(3).Expanded);
    EXPECT_FALSE(o.list->IsVisible(4));

    // Left of the indent on an entry without children does nothing but select.
    QTest::mouseClick(o.list, Qt::LeftButton, {}, o.At(7, 2));
    EXPECT_EQ(o.list->Selected(), 7);
    EXPECT_FALSE(o.list->HasChildren(7));
}

TEST(ContentOutline, ClosingTakesTheSelectionFromHiddenChildren) {
    Outline o;
    o.list->SetSelected(4);
    o.list->SetExpanded(1, false);
    // The selection moves up to the entry that stays visible, not to a hidden one.
    EXPECT_EQ(o.list->Selected(), 1);
    // Selecting a hidden entry opens its parents.
    o.list->SetSelected(4);
    EXPECT_TRUE(o.list->Entry(1).Expanded);
    EXPECT_TRUE(o.list->IsVisible(4));
}

TEST(ContentOutline, KeysMoveOverVisibleRowsAndEveryReleaseShowsTheEntry) {
    Outline o;
    o.list->CollapseTopLevel();
    o.list->SetSelected(1);
    o.list->setFocus();
    QTest::keyClick(o.list, Qt::Key_Down);  // 1 -> 5, skipping the closed children
    EXPECT_EQ(o.list->Selected(), 5);
    EXPECT_EQ(o.clicks, 1);
    QTest::keyClick(o.list, Qt::Key_Right);  // opens 5
    EXPECT_TRUE(o.list->Entry(5).Expanded);
    QTest::keyClick(o.list, Qt::Key_Right);  // into its child
    EXPECT_EQ(o.list->Selected(), 6);
    QTest::keyClick(o.list, Qt::Key_Left);  // back to the parent
    EXPECT_EQ(o.list->Selected(), 5);
    QTest::keyClick(o.list, Qt::Key_Minus);
    EXPECT_FALSE(o.list->Entry(5).Expanded);
    QTest::keyClick(o.list, Qt::Key_End);
    EXPECT_EQ(o.list->Selected(), 7);
    QTest::keyClick(o.list, Qt::Key_Home);
    EXPECT_EQ(o.list->Selected(), 1);
    QTest::keyClick(o.list, Qt::Key_Up);  // stays on the first row
    EXPECT_EQ(o.list->Selected(), 1);
    // A key that does nothing still shows the entry on release.
    QTest::keyClick(o.list, Qt::Key_A);
    EXPECT_EQ(o.clicks, 9);
}

TEST(ContentOutline, PageKeysAndWheelScrollLongLists) {
    Outline o;
    QStringList many;
    for (int i = 1; i <= 40; ++i) many << QString("P%1|Page %1").arg(i);
    o.list->SetLines(many);
    o.list->SetSelected(1);
    o.list->setFocus();
    QTest::keyClick(o.list, Qt::Key_PageDown);
    EXPECT_EQ(o.list->Selected(), 6);  // five rows fit
    QTest::keyClick(o.list, Qt::Key_End);
    EXPECT_EQ(o.list->Selected(), 40);
    // The selection is kept in view: the last five rows show.
    EXPECT_EQ(o.list->TopRow(), 35);
    EXPECT_EQ(o.list->EntryAt(QPoint(50, 4 * 17 + 3)), 40);
    QWheelEvent up(QPointF(50, 20), o.list->mapToGlobal(QPointF(50, 20)), {}, QPoint(0, 120),
                   Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(o.list, &up);
    EXPECT_EQ(o.list->TopRow(), 32);
    // A click after the last row selects nothing new.
    o.list->SetLines(kLines);
    o.list->CollapseTopLevel();  // three rows: 1, 5 and 7
    QTest::mouseClick(o.list, Qt::LeftButton, {}, QPoint(100, 17 * 4 + 8));
    EXPECT_EQ(o.list->Selected(), 0);
}

TEST(ContentOutline, RowsGrowWithTheSizeClass) {
    const orb::SizeClass old = orb::CurrentSizeClass();
    orb::SetCurrentSizeClass(orb::SizeClass::Large);
    Outline o;
    EXPECT_EQ(o.list->RowHeight(), 27);  // 17 x 8/5
    EXPECT_EQ(o.list->RowRect(3).top(), 2 * 27);
    QTest::mouseClick(o.list, Qt::LeftButton, {}, QPoint(100, 2 * 27 + 20));
    EXPECT_EQ(o.list->Selected(), 3);
    orb::SetCurrentSizeClass(old);
}

TEST(ContentOutline, DrawsBoxesAndBoldTitlesAtTheirRows) {
    Outline o;
    o.list->resize(260, 17 * 7);
    o.list->SetExpanded(3, false);
    o.list->SetSelected(2);
    QImage img(o.list->size(), QImage::Format_ARGB32);
    img.fill(Qt::black);
    o.list->render(&img);
    // White ink in a row's band between x0 and x1.
    auto ink = [&](int index, int x0, int x1) {
        const QRect r = o.list->RowRect(index);
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = x0; x < x1; ++x) n += qGray(img.pixel(x, y)) > 160;
        return n;
    };
    const int ind = o.list->Indent();
    EXPECT_GT(ind, 0);
    // Entry 1 (open, children): a "-" left of 10; entry 2 has no box left of 20.
    EXPECT_GT(ink(1, 0, ind), 0);
    EXPECT_EQ(ink(2, 0, 2 * ind), 0);
    EXPECT_GT(ink(3, 0, 2 * ind), 0);  // "+" of the closed entry 3
    // Entry 2 (selected) is bolder than entry 3 of the same level with similar text length.
    o.list->SetLines({"a|Forms", "\tb|Forms", "\tc|Forms"});
    o.list->SetSelected(2);
    img.fill(Qt::black);
    o.list->render(&img);
    EXPECT_GT(ink(2, 2 * ind, 200), ink(3, 2 * ind, 200));
    EXPECT_GT(ink(1, ind, 200), ink(3, 2 * ind, 200));  // top level bold
}
