// tests/unit/PtrListTest.cpp
#include "app/PtrList.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <vector>

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

// What reaches operator delete while a list is destroyed. Nothing is freed
// then, so a list that frees its items fails the test, not the heap.
void* freed[8];
int freedCount = -1;

TEST(PtrList, DestroyingAListFreesItsNodesButNotItsItems)
{
    PtrList* list = new PtrList;
    list->Append(&a);
    list->Append(&b);
    list->Append(&a);
    freedCount = 0;
    delete list;
    std::vector<void*> blocks(freed, freed + freedCount);
    freedCount = -1;
    EXPECT_EQ(4u, blocks.size()) << "three nodes and the list";
    EXPECT_EQ(0, std::count(blocks.begin(), blocks.end(), &a) + std::count(blocks.begin(), blocks.end(), &b))
        << "items were freed";
}
} // namespace

// The unit test program's own deallocation, which records into freed.
void operator delete(void* block) noexcept
{
    if (freedCount < 0)
        free(block);
    else if (freedCount < 8)
        freed[freedCount++] = block;
}

void operator delete(void* block, size_t) noexcept
{
    operator delete(block);
}
