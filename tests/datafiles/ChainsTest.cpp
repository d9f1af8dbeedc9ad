#include <gtest/gtest.h>

#include "library/Chains.h"

using orb::TPointerChain;

namespace {

int items[16];
void* Item(int i) { return &items[i]; }

void Fill(TPointerChain& c, int n) {
    for (int i = 1; i <= n; ++i) ASSERT_TRUE(c.Add(Item(i)));
}

}  // namespace

TEST(PointerChain, OutOfRangeGetsLeaveTheCursor) {
    TPointerChain c("test");
    EXPECT_EQ(c.Get(1), nullptr);
    EXPECT_EQ(c.CurrentIndex(), 0);
    Fill(c, 5);
    c.Get(3);
    EXPECT_EQ(c.Get(0), nullptr);
    EXPECT_EQ(c.Get(6), nullptr);
    EXPECT_EQ(c.Get(-4), nullptr);
    EXPECT_EQ(c.CurrentIndex(), 3);
    EXPECT_EQ(c.Get(3), Item(3));
}

TEST(PointerChain, WalksFromTheNearestEndOrTheCursor) {
    TPointerChain c("walk");
    Fill(c, 10);
    ASSERT_EQ(c.Get(2), Item(2));  // from the last node: 10 -> 2 is 8 steps, from first 1
    int64_t before = c.LinkSteps();
    EXPECT_EQ(c.Get(9), Item(9));  // 7 from the cursor, 1 back from the last node
    EXPECT_EQ(c.LinkSteps() - before, 1);

    c.Get(2);
    before = c.LinkSteps();
    EXPECT_EQ(c.Get(5), Item(5));  // 3 from the cursor, 5 back from the last
    EXPECT_EQ(c.LinkSteps() - before, 3);

    c.Get(2);
    before = c.LinkSteps();
    EXPECT_EQ(c.Get(6), Item(6));  // a tie, 4 either way: back from the last node
    EXPECT_EQ(c.LinkSteps() - before, 4);
    EXPECT_EQ(c.CurrentIndex(), 6);

    // Backward: cursor 8, target 4: 4 back from the cursor loses to 3 forward from the first.
    c.Get(8);
    before = c.LinkSteps();
    EXPECT_EQ(c.Get(4), Item(4));
    EXPECT_EQ(c.LinkSteps() - before, 3);
    c.Get(7);
    before = c.LinkSteps();
    EXPECT_EQ(c.Get(5), Item(5));  // 2 from the cursor beats 4 from the first
    EXPECT_EQ(c.LinkSteps() - before, 2);
}

TEST(PointerChain, SequentialWalkCostsOneStepEachWay) {
    TPointerChain c("seq");
    Fill(c, 10);
    c.Get(1);
    const int64_t before = c.LinkSteps();
    for (int i = 1; i <= 10; ++i) ASSERT_EQ(c.Get(i), Item(i));
    for (int i = 10; i >= 1; --i) ASSERT_EQ(c.Get(i), Item(i));
    // Reaching either end is a jump, not a walk.
    EXPECT_EQ(c.LinkSteps() - before, 16);
}

TEST(PointerChain, DeleteRelinksAndResetsTheCursor) {
    TPointerChain c("del");
    Fill(c, 4);
    EXPECT_TRUE(c.Delete(1));  // the second node becomes first
    EXPECT_EQ(c.Count(), 3);
    EXPECT_EQ(c.Get(1), Item(2));
    EXPECT_TRUE(c.Delete(3));  // the one before the last becomes last
    EXPECT_EQ(c.Get(c.Count()), Item(3));
    c.Get(2);
    EXPECT_TRUE(c.Delete(2));
    EXPECT_EQ(c.CurrentIndex(), 1);
    EXPECT_EQ(c.Get(1), Item(2));
    EXPECT_FALSE(c.Delete(0));
    EXPECT_EQ(c.CurrentIndex(), 1);
    EXPECT_FALSE(c.Delete(2));
    EXPECT_TRUE(c.Delete(1));
    EXPECT_EQ(c.Count(), 0);
    EXPECT_EQ(c.Get(1), nullptr);
    EXPECT_EQ(c.CurrentIndex(), 0);
    EXPECT_FALSE(c.Delete(1));
    // Usable again after emptying.
    EXPECT_TRUE(c.Add(Item(7)));
    EXPECT_EQ(c.Get(1), Item(7));
}

TEST(PointerChain, DeletingTheMiddleKeepsBothDirectionsLinked) {
    TPointerChain c("mid");
    Fill(c, 6);
    EXPECT_TRUE(c.Delete(3));
    const int expect[] = {1, 2, 4, 5, 6};
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(c.Get(i), Item(expect[i - 1]));
    for (int i = 5; i >= 1; --i) EXPECT_EQ(c.Get(i), Item(expect[i - 1]));
}

TEST(PointerChain, PutReplacesOrSendsTheCursorHome) {
    TPointerChain c("put");
    c.Put(1, Item(9));  // empty: nothing happens
    EXPECT_EQ(c.Count(), 0);
    Fill(c, 5);
    c.Put(4, Item(12));
    EXPECT_EQ(c.CurrentIndex(), 4);
    EXPECT_EQ(c.Get(4), Item(12));
    c.Put(9, Item(13));
    EXPECT_EQ(c.CurrentIndex(), 1);
    for (int i = 1; i <= 5; ++i) EXPECT_NE(c.Get(i), Item(13));
}
