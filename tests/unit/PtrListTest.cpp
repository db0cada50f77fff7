// tests/unit/PtrListTest.cpp
#include "app/PtrList.h"
#include "support/Table.h"

#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{
// The items are the letters of this text, so a list reads as a word.
char Letters[] = "abcx";

void* Item(char letter)
{
    return strchr(Letters, letter);
}

// The items in traversal order; a traversal ends for good at the tail.
std::string Contents(PtrList& list)
{
    std::string word;
    for (void* item = list.First(); item != nullptr; item = list.Next())
        word += *static_cast<char*>(item);
    EXPECT_EQ(nullptr, list.Next()) << "a traversal went past the tail";
    return word;
}

// A list, a removal, and what the list says and holds afterwards.
struct RemovalRow : table::Row
{
    const char* before;
    int cursor;       // the cursor's node for RemoveCurrent, or -1 for Remove
    char removed;     // the item Remove takes
    char returned;    // 0 for null
    char next;        // what Next gives right after the removal; 0 for null
    const char* after;
};

const RemovalRow Removals[] = {
    {{"CurrentInTheMiddle"}, "abc", 1, 0, 'c', 0, "ac"},
    {{"CurrentAtTheHead"}, "ab", 0, 0, 'b', 0, "b"},
    // The cursor stays on the new tail, so Next ends the traversal.
    {{"CurrentAtTheTail"}, "ab", 1, 0, 0, 0, "a"},
    {{"TheFirstOccurrenceOnly"}, "aba", -1, 'a', 'b', 'a', "ba"},
    {{"AMissingItem"}, "ab", -1, 'c', 0, 0, "ab"},
    {{"FromAnEmptyList"}, "", -1, 'a', 0, 0, ""},
};

class PtrListTest : public testing::TestWithParam<RemovalRow>
{
};

TEST_P(PtrListTest, RemovalKeepsTheLinksAndTheCount)
{
    const RemovalRow& row = GetParam();
    PtrList list;
    for (const char* letter = row.before; *letter != '\0'; ++letter)
        EXPECT_EQ(letter - row.before + 1, list.Append(Item(*letter)));
    ASSERT_EQ(row.before, Contents(list));

    void* returned = nullptr;
    if (row.cursor >= 0)
    {
        list.First();
        for (int i = 0; i < row.cursor; ++i)
            list.Next();
        returned = list.RemoveCurrent();
    }
    else
        returned = list.Remove(Item(row.removed));
    EXPECT_EQ(row.returned != 0 ? Item(row.returned) : nullptr, returned);
    EXPECT_EQ(row.next != 0 ? Item(row.next) : nullptr, list.Next());
    EXPECT_EQ(row.after, Contents(list));
    EXPECT_EQ(static_cast<int>(strlen(row.after)), list.Count());
    // Appending after the removal finds the true tail.
    list.Append(Item('x'));
    EXPECT_EQ(std::string(row.after) + "x", Contents(list));
}

INSTANTIATE_TEST_SUITE_P(Rows, PtrListTest, testing::ValuesIn(Removals), table::RowName());

// What reaches operator delete while a list is destroyed. Nothing is freed
// then, so a list that frees its items fails the test, not the heap.
void* freed[8];
int freedCount = -1;

TEST(PtrListDestroyTest, FreesItsNodesButNotItsItems)
{
    PtrList* list = new PtrList;
    for (char letter : std::string("aba"))
        list->Append(Item(letter));
    freedCount = 0;
    delete list;
    std::vector<void*> blocks(freed, freed + freedCount);
    freedCount = -1;
    EXPECT_EQ(4u, blocks.size()) << "three nodes and the list";
    EXPECT_EQ(0, std::count(blocks.begin(), blocks.end(), Item('a')) + std::count(blocks.begin(), blocks.end(), Item('b')))
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
