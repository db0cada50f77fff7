// tests/copy/PathRulesTest.cpp
// The separator rule and the three path helpers, in code page 932 and in a
// single-byte code page, switched within the one test program.
#include "TestFiles.h"

#include "install/PathRules.h"
#include "support/BenchState.h"
#include "sys/CodePage.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

namespace
{
// Bytes written out, so that a failure shows which bytes differ.
std::string Hex(const std::string& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned char c : bytes)
    {
        text += digits[c >> 4];
        text += digits[c & 15];
        text += ' ';
    }
    return text;
}

class PathRulesTest : public testing::Test
{
protected:
    void SetUp() override { LoadLeadBytes(932); }
    void TearDown() override { LoadLeadBytes(CP_ACP); }
};

struct TrailingCase
{
    const char* name;
    UINT codePage;
    const char* path;
    const char* expected;
};

void PrintTo(const TrailingCase& c, std::ostream* out)
{
    *out << c.codePage << ": " << Hex(c.path);
}

class PathRulesBackslashTest : public PathRulesTest, public testing::WithParamInterface<TrailingCase>
{
};

TEST_P(PathRulesBackslashTest, EndsWithASeparatorOnceAndStays)
{
    const TrailingCase& c = GetParam();
    LoadLeadBytes(c.codePage);
    char path[MAX_PATH];
    strcpy(path, c.path);
    EXPECT_EQ(1, AddTrailingBackslash(path, sizeof(path)));
    EXPECT_EQ(Hex(c.expected), Hex(path));
    EXPECT_EQ(1, AddTrailingBackslash(path, sizeof(path)));
    EXPECT_EQ(Hex(c.expected), Hex(path)) << "a second call changes nothing";
}

// "ソ" is 0x83 0x5C, "表" 0x95 0x5C; 0x83 0x83 is ャ.
INSTANTIATE_TEST_SUITE_P(
    Paths, PathRulesBackslashTest,
    testing::Values(TrailingCase{"Empty", 932, "", ""}, TrailingCase{"OneByte", 932, "C", "C"},
                    TrailingCase{"OneLeadByte", 932, "\x83", "\x83"},
                    TrailingCase{"OneBackslash", 932, "\\", "\\"}, TrailingCase{"Drive", 932, "C:", "C:\\"},
                    TrailingCase{"DriveRoot", 932, "C:\\", "C:\\"},
                    TrailingCase{"Folder", 932, "C:\\Games", "C:\\Games\\"},
                    TrailingCase{"FolderWithSeparator", 932, "C:\\Games\\", "C:\\Games\\"},
                    TrailingCase{"EndsInSo", 932, "C:\\ソ", "C:\\ソ\\"},
                    TrailingCase{"EndsInHyou", 932, "D:\\表", "D:\\表\\"},
                    TrailingCase{"EndsInSoSo", 932, "D:\\ソソ", "D:\\ソソ\\"},
                    TrailingCase{"LetterThenSo", 932, "A\x83\\", "A\x83\\\\"},
                    TrailingCase{"EndsInSmallYaThenSeparator", 932, "C:\\\x83\x83\\", "C:\\\x83\x83\\"},
                    TrailingCase{"SingleByteEmpty", 1252, "", ""},
                    TrailingCase{"SingleByteDrive", 1252, "C:", "C:\\"},
                    TrailingCase{"SingleByteSoBytesEndInASeparator", 1252, "C:\\ソ", "C:\\ソ"},
                    TrailingCase{"SingleByte83ThenBackslash", 1252, "A\x83\\", "A\x83\\"},
                    TrailingCase{"SingleByteFolder", 1252, "C:\\Games", "C:\\Games\\"}),
    [](const testing::TestParamInfo<TrailingCase>& info) { return std::string(info.param.name); });

TEST_F(PathRulesTest, AddTrailingBackslashNeedsRoomForTheByteAndTheTerminator)
{
    char tight[5] = "C:ab";
    EXPECT_EQ(0, AddTrailingBackslash(tight, sizeof(tight)));
    EXPECT_STREQ("C:ab", tight);

    char enough[6] = "C:ab";
    EXPECT_EQ(1, AddTrailingBackslash(enough, sizeof(enough)));
    EXPECT_STREQ("C:ab\\", enough);

    char root[4] = "C:\\";
    EXPECT_EQ(1, AddTrailingBackslash(root, sizeof(root))) << "nothing to add, so nothing to fit";

    // A path in a MAX_PATH buffer: 258 bytes take the backslash, 259 cannot.
    char path[MAX_PATH];
    std::string longest = "C:\\" + std::string(255, 'a');
    strcpy(path, longest.c_str());
    EXPECT_EQ(1, AddTrailingBackslash(path, sizeof(path)));
    EXPECT_EQ(longest + "\\", path);
    strcpy(path, (longest + "b").c_str());
    EXPECT_EQ(0, AddTrailingBackslash(path, sizeof(path)));
    EXPECT_EQ(longest + "b", path);
}

TEST_F(PathRulesTest, TheSeparatorRuleScansFromTheStart)
{
    struct Case
    {
        UINT codePage;
        const char* path;
        size_t index;
        bool separator;
    } cases[] = {
        {932, "C:\\", 2, true},
        {932, "C:\\", 1, false},
        {932, "\x83\x83\\", 2, true},   // ャ, then a separator
        {932, "A\x83\\", 2, false},     // A, then ソ
        {932, "\x83\x83\x83\\", 3, false}, // ャ, then ソ
        {932, "ソ\\", 1, false},
        {932, "ソ\\", 2, true},
        {932, "表\\x", 2, true},
        {1252, "A\x83\\", 2, true},
        {1252, "ソ\\", 1, true},
    };
    for (const Case& c : cases)
    {
        LoadLeadBytes(c.codePage);
        EXPECT_EQ(c.separator, IsSeparatorAt(c.path, c.index)) << c.codePage << ": " << Hex(c.path) << "@" << c.index;
    }

    LoadLeadBytes(932);
    EXPECT_FALSE(EndsWithSeparator(""));
    EXPECT_TRUE(EndsWithSeparator("C:\\"));
    EXPECT_FALSE(EndsWithSeparator("C:\\ソ"));
    EXPECT_TRUE(EndsWithSeparator("C:\\ソ\\"));
    LoadLeadBytes(1252);
    EXPECT_TRUE(EndsWithSeparator("C:\\ソ"));
    EXPECT_FALSE(EndsWithSeparator("C:\\a"));
}

TEST_F(PathRulesTest, GetRootPathTakesThreeBytesWhateverTheyAre)
{
    struct Case
    {
        const char* path;
        const char* root;
    } cases[] = {
        {"", ""},
        {"C", "C"},
        {"C:", "C:"},
        {"C:\\", "C:\\"},
        {"C:\\Program Files\\Morihane\\", "C:\\"},
        {"\\\\server\\share", "\\\\s"},
        // Not a drive path: cut without regard to the character.
        {"ab\x83\\", "ab\x83"},
    };
    for (UINT codePage : {932u, 1252u})
    {
        LoadLeadBytes(codePage);
        for (const Case& c : cases)
        {
            char out[MAX_PATH];
            memset(out, 'x', sizeof(out));
            GetRootPath(out, c.path);
            EXPECT_EQ(Hex(c.root), Hex(out)) << codePage << ": " << Hex(c.path);
        }
    }
}

TEST_F(PathRulesTest, OnlyADriveWithItsSeparatorOrAUncPathIsFull)
{
    struct Case
    {
        const char* path;
        bool full;
    } cases[] = {
        {"C:\\Games\\hoshikage\\", true},
        {"z:\\", true},
        {"\\\\server\\share\\hoshikage\\", true},
        {"hoshikage\\", false},
        {"", false},
        {"C:", false},
        {"C:hoshikage\\", false},
        {"\\Games\\hoshikage\\", false},
        {"1:\\", false},
        {"ソ:\\", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.full, IsFullPath(c.path)) << Hex(c.path);
}

class PathRulesFolderTest : public PathRulesTest
{
protected:
    void SetUp() override
    {
        PathRulesTest::SetUp();
        ASSERT_EQ(932u, GetACP()) << "the file names below are Shift-JIS";
        folder = bench::Scratch();
    }

    std::string folder;
};

TEST_F(PathRulesFolderTest, CreatesNestedFolders)
{
    EXPECT_EQ(1, CreateDirectoryPath((folder + "a\\b\\c\\").c_str()));
    EXPECT_TRUE(bench::FolderExists(folder + "a\\b\\c\\"));
    EXPECT_EQ(1, CreateDirectoryPath((folder + "x\\y").c_str()));
    EXPECT_TRUE(bench::FolderExists(folder + "x\\y\\"));
    EXPECT_EQ("a|x", copytest::ListFolder(folder));
    EXPECT_EQ("b", copytest::ListFolder(folder + "a\\"));
    EXPECT_EQ("c", copytest::ListFolder(folder + "a\\b\\"));
}

TEST_F(PathRulesFolderTest, FoldersThatExistStayAsTheyAre)
{
    bench::MakeFolders(folder + "a\\b\\");
    bench::WriteFileBytes(folder + "a\\b\\keep.txt", "kept");
    EXPECT_EQ(1, CreateDirectoryPath((folder + "a\\b\\").c_str()));
    EXPECT_EQ(1, CreateDirectoryPath((folder + "a\\b").c_str()));
    EXPECT_EQ("a", copytest::ListFolder(folder));
    EXPECT_EQ("keep.txt", copytest::ListFolder(folder + "a\\b\\"));
    EXPECT_EQ("kept", bench::ReadFileBytes(folder + "a\\b\\keep.txt"));
}

TEST_F(PathRulesFolderTest, ANameWhoseSecondByteIs5CIsOneFolder)
{
    struct Case
    {
        const char* path;
        const char* top;
        const char* inside;
    } cases[] = {
        {"表\\x\\", "表", "x"},
        {"ソ\\ソ\\", "ソ", "ソ"},
        // Cut at its first 0x5C, ソソ would leave a folder ソ beside it.
        {"ソソ\\x\\", "ソソ", "x"},
        {"Aソ\\b", "Aソ", "b"},
        // ャ ends before the 0x5C, which is a separator.
        {"\x83\x83\\x\\", "\x83\x83", "x"},
    };
    int serial = 0;
    for (const Case& c : cases)
    {
        // A folder per case, emptied from the Unix side: the Windows-side
        // clean-up of the bench cuts names that end in a 0x5C byte.
        std::string base = folder + "case" + std::to_string(++serial) + "\\";
        bench::RunUnix("rm -rf " + bench::UnixPath(base));
        ASSERT_TRUE(CreateDirectoryA(base.c_str(), nullptr)) << base;
        EXPECT_EQ(1, CreateDirectoryPath((base + c.path).c_str()));
        // Nothing named by the bytes before a character's 0x5C appeared.
        EXPECT_EQ(Hex(c.top), Hex(copytest::ListFolder(base))) << Hex(c.path);
        EXPECT_EQ(Hex(c.inside), Hex(copytest::ListFolder(base + c.top + "\\"))) << Hex(c.path);
    }
}
} // namespace
