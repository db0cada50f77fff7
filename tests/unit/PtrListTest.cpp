// tests/unit/PtrListTest.cpp
#include "app/PtrList.h"

#include <gtest/gtest.h>

namespace
{
int a, b, c;

TEST(PtrList, EmptyListHasNoItems)
{
    PtrList list;
    EXPECT_EQ(nullptr, list.First());
    EXPECT_EQ(nullptr, list.Next());
    EXPECT_EQ(nullptr, list.Remove(&a));
    EXPECT_EQ(0, list.Count());
}

TEST(PtrList, AppendCountsAndTraversalEndsAfterTheTail)
{
    PtrList list;
    EXPECT_EQ(1, list.Append(&a));
    EXPECT_EQ(2, list.Append(&b));
    EXPECT_EQ(&a, list.First());
    EXPECT_EQ(&b, list.Next());
    EXPECT_EQ(nullptr, list.Next());
    EXPECT_EQ(nullptr, list.Next());
    EXPECT_EQ(&a, list.First());
}

TEST(PtrList, RemoveCurrentInTheMiddleMovesToTheFollowingNode)
{
    PtrList list;
    list.Append(&a);
    list.Append(&b);
    list.Append(&c);
    list.First();
    list.Next();
    EXPECT_EQ(&c, list.RemoveCurrent());
    EXPECT_EQ(nullptr, list.Next());
    EXPECT_EQ(2, list.Count());
    EXPECT_EQ(&a, list.First());
    EXPECT_EQ(&c, list.Next());
}

TEST(PtrList, RemoveCurrentOnTheHeadMakesTheNextNodeHead)
{
    PtrList list;
    list.Append(&a);
    list.Append(&b);
    list.First();
    EXPECT_EQ(&b, list.RemoveCurrent());
    EXPECT_EQ(nullptr, list.Next());
    EXPECT_EQ(&b, list.First());
    EXPECT_EQ(1, list.Count());
}

TEST(PtrList, RemoveCurrentOnTheTailLeavesTheCursorOnTheNewTail)
{
    PtrList list;
    list.Append(&a);
    list.Append(&b);
    list.First();
    list.Next();
    EXPECT_EQ(nullptr, list.RemoveCurrent());
    EXPECT_EQ(nullptr, list.Next());
    EXPECT_EQ(1, list.Count());
    // The new tail links to nothing: appending after it keeps the order.
    list.Append(&c);
    EXPECT_EQ(&a, list.First());
    EXPECT_EQ(&c, list.Next());
    EXPECT_EQ(nullptr, list.Next());
}

TEST(PtrList, RemovingTheOnlyNodeEmptiesTheList)
{
    PtrList list;
    list.Append(&a);
    list.First();
    EXPECT_EQ(nullptr, list.RemoveCurrent());
    EXPECT_EQ(0, list.Count());
    EXPECT_EQ(nullptr, list.First());
    EXPECT_EQ(nullptr, list.Next());
    EXPECT_EQ(1, list.Append(&b));
    EXPECT_EQ(&b, list.First());
}

TEST(PtrList, RemoveOfAMissingItemChangesNothing)
{
    PtrList list;
    list.Append(&a);
    list.Append(&b);
    EXPECT_EQ(nullptr, list.Remove(&c));
    EXPECT_EQ(2, list.Count());
    EXPECT_EQ(&a, list.First());
    EXPECT_EQ(&b, list.Next());
}

TEST(PtrList, RemoveTakesOnlyTheFirstOccurrence)
{
    PtrList list;
    list.Append(&a);
    list.Append(&b);
    list.Append(&a);
    EXPECT_EQ(&b, list.Remove(&a));
    EXPECT_EQ(2, list.Count());
    EXPECT_EQ(&b, list.First());
    EXPECT_EQ(&a, list.Next());
    EXPECT_EQ(nullptr, list.Next());
}

// Counts its destructions, to show that the list leaves its items alive.
struct Tracked
{
    int* destroyed;
    ~Tracked() { ++*destroyed; }
};

TEST(PtrList, DestroyingAListLeavesTheItemsAlive)
{
    int destroyed = 0;
    Tracked one{&destroyed};
    Tracked two{&destroyed};
    {
        PtrList* list = new PtrList;
        list->Append(&one);
        list->Append(&two);
        list->Append(&one);
        delete list;
    }
    EXPECT_EQ(0, destroyed);
}
} // namespace
