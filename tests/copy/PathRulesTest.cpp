// tests/copy/PathRulesTest.cpp
// The separator rule and the three path helpers, in code page 932 and in a
// single-byte code page, switched within the one test program.
#include "install/PathRules.h"
#include "support/BenchState.h"
#include "support/Table.h"
#include "sys/CodePage.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace
{
class PathRulesTest : public testing::Test
{
protected:
    void SetUp() override { LoadLeadBytes(932); }
    void TearDown() override { LoadLeadBytes(CP_ACP); }
};

struct TrailingRow : table::Row
{
    UINT codePage;
    const char* path;
    const char* expected;
    size_t bufferSize = MAX_PATH;
    int result = 1;
};

// "ソ" is 0x83 0x5C, "表" 0x95 0x5C; 0x83 0x83 is ャ.
const TrailingRow Trailing[] = {
    {{"Empty"}, 932, "", ""},
    {{"OneByte"}, 932, "C", "C"},
    {{"OneLeadByte"}, 932, "\x83", "\x83"},
    {{"Drive"}, 932, "C:", "C:\\"},
    {{"DriveRoot"}, 932, "C:\\", "C:\\"},
    {{"Folder"}, 932, "C:\\Games", "C:\\Games\\"},
    {{"EndsInSo"}, 932, "C:\\ソ", "C:\\ソ\\"},
    {{"EndsInSoSo"}, 932, "D:\\ソソ", "D:\\ソソ\\"},
    {{"LetterThenSo"}, 932, "A\x83\\", "A\x83\\\\"},
    {{"EndsInSmallYaThenSeparator"}, 932, "C:\\\x83\x83\\", "C:\\\x83\x83\\"},
    {{"SingleByteSoBytesEndInASeparator"}, 1252, "C:\\ソ", "C:\\ソ"},
    {{"SingleByteFolder"}, 1252, "C:\\Games", "C:\\Games\\"},
    // The backslash needs room for itself and the terminator.
    {{"NoRoomForTheTerminator"}, 932, "C:ab", "C:ab", 5, 0},
    {{"RoomForBoth"}, 932, "C:ab", "C:ab\\", 6},
    {{"NothingToAddNeedsNoRoom"}, 932, "C:\\", "C:\\", 4},
};

class PathRulesTrailingTest : public PathRulesTest, public testing::WithParamInterface<TrailingRow>
{
};

TEST_P(PathRulesTrailingTest, EndsWithASeparatorOnceAndStays)
{
    const TrailingRow& row = GetParam();
    LoadLeadBytes(row.codePage);
    char path[MAX_PATH];
    strcpy(path, row.path);
    EXPECT_EQ(row.result, AddTrailingBackslash(path, row.bufferSize));
    EXPECT_EQ(std::string(row.expected), path);
    EXPECT_EQ(row.result, AddTrailingBackslash(path, row.bufferSize));
    EXPECT_EQ(std::string(row.expected), path) << "a second call changes nothing";
}

INSTANTIATE_TEST_SUITE_P(Rows, PathRulesTrailingTest, testing::ValuesIn(Trailing), table::RowName());

TEST_F(PathRulesTest, TheSeparatorRuleScansFromTheStart)
{
    const struct { UINT codePage; const char* path; size_t index; bool separator; } cases[] = {
        {932, "C:\\", 1, false},
        {932, "\x83\x83\\", 2, true},      // ャ, then a separator
        {932, "A\x83\\", 2, false},        // A, then ソ
        {932, "\x83\x83\x83\\", 3, false}, // ャ, then ソ
        {932, "表\\x", 2, true},
        {1252, "A\x83\\", 2, true},
    };
    for (const auto& c : cases)
    {
        LoadLeadBytes(c.codePage);
        EXPECT_EQ(c.separator, IsSeparatorAt(c.path, c.index)) << c.codePage << ": " << c.path << " @" << c.index;
    }
    EXPECT_FALSE(EndsWithSeparator(""));
}

TEST_F(PathRulesTest, TheRootIsThreeBytesWhateverTheyAre)
{
    const struct { const char* path; const char* root; } cases[] = {
        {"", ""},
        {"C:", "C:"},
        {"C:\\", "C:\\"},
        {"C:\\Program Files\\Morihane\\", "C:\\"},
        {"\\\\server\\share", "\\\\s"},
        // Not a drive path: cut without regard to the character.
        {"ab\x83\\", "ab\x83"},
    };
    for (const auto& c : cases)
    {
        char out[MAX_PATH];
        memset(out, 'x', sizeof(out));
        GetRootPath(out, c.path);
        EXPECT_EQ(std::string(c.root), out) << c.path;
    }
}

TEST_F(PathRulesTest, OnlyADriveWithItsSeparatorOrAUncPathIsFull)
{
    const struct { const char* path; bool full; } cases[] = {
        {"C:\\Games\\hoshikage\\", true},
        {"z:\\", true},
        {"\\\\server\\share\\hoshikage\\", true},
        {"hoshikage\\", false},
        {"", false},
        {"C:", false},
        {"\\Games\\hoshikage\\", false},
        {"ソ:\\", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.full, IsFullPath(c.path)) << c.path;
}

// A path made twice in an empty folder, and the one name each of the two
// outermost folders then holds.
struct FolderRow : table::Row
{
    const char* path;
    const char* top;
    const char* inside;
};

const FolderRow Folders[] = {
    {{"Nested"}, "a\\b\\c\\", "a", "b"},
    {{"WithoutTrailingSeparator"}, "x\\y", "x", "y"},
    {{"Hyou"}, "表\\x\\", "表", "x"},
    {{"SoInSo"}, "ソ\\ソ\\", "ソ", "ソ"},
    // Cut at its first 0x5C, ソソ would leave a folder ソ beside it.
    {{"SoSo"}, "ソソ\\x\\", "ソソ", "x"},
    {{"LetterThenSo"}, "Aソ\\b", "Aソ", "b"},
    // ャ ends before the 0x5C, which is a separator.
    {{"SmallYa"}, "\x83\x83\\x\\", "\x83\x83", "x"},
};

class PathRulesFolderTest : public PathRulesTest, public testing::WithParamInterface<FolderRow>
{
};

TEST_P(PathRulesFolderTest, EveryFolderAlongThePathIsMadeOnceWhole)
{
    const FolderRow& row = GetParam();
    ASSERT_EQ(932u, GetACP()) << "the file names are Shift-JIS";
    // Emptied from the Unix side: names that end in a 0x5C byte are beyond
    // a clean-up that cuts at every backslash.
    std::string base = bench::Scratch() + "t\\";
    bench::RunUnix("rm -rf " + bench::UnixPath(base));
    ASSERT_TRUE(CreateDirectoryA(base.c_str(), nullptr)) << base;
    for (int i = 0; i < 2; ++i)
    {
        EXPECT_EQ(1, CreateDirectoryPath((base + row.path).c_str()));
        EXPECT_TRUE(bench::FolderExists(base + row.path));
        EXPECT_EQ(std::vector<std::string>{row.top}, bench::FolderContents(base));
        EXPECT_EQ(std::vector<std::string>{row.inside}, bench::FolderContents(base + row.top + "\\"));
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, PathRulesFolderTest, testing::ValuesIn(Folders), table::RowName());
} // namespace
