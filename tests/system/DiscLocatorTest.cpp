// tests/system/DiscLocatorTest.cpp
// Finding an install disc by its volume label among drives that the test
// arranges through Wine's mount manager, and comparing labels.
#include "BenchDrive.h"
#include "support/BenchState.h"
#include "support/Table.h"
#include "sys/DiscLocator.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
class DiscLocatorTest : public testing::Test
{
protected:
    void SetUp() override
    {
        bench::RemoveBenchDrives();
        scratch = bench::Scratch();
    }
    void TearDown() override { bench::RemoveBenchDrives(); }

    // A disc with that label in a CD-ROM drive (or a fixed drive); no
    // label: an empty CD-ROM drive, whose folder does not exist.
    bool Insert(char letter, const char* label, bool fixed = false)
    {
        if (label == nullptr)
            return bench::DefineDrive(letter, bench::DriveKind::CdRom, bench::UnixPath(scratch + "no-disc"));
        std::string disc = bench::MakeDisc(scratch + label + "\\",
                                           {{"base.pak", label}, {".windows-label", std::string(label) + "\n"}});
        if (!fixed)
            return bench::InsertDisc(letter, disc, label);
        return bench::DefineDrive(letter, bench::DriveKind::Fixed, bench::UnixPath(disc));
    }

    // The root found, "" when none; the caller's error mode must survive.
    std::string Find(const char* label)
    {
        char root[MAX_PATH] = "garbage";
        const UINT callerMode = SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX;
        UINT original = SetErrorMode(callerMode);
        int found = FindDiscByLabel(root, label);
        EXPECT_EQ(callerMode, SetErrorMode(original)) << "the caller's error mode was not restored";
        EXPECT_EQ(found != 0, root[0] != '\0') << "result " << found << " with root " << root;
        return root;
    }

    std::string scratch;
};

struct Drive
{
    char letter;
    const char* label; // null: an empty drive
    bool fixed = false;
};

struct Search
{
    const char* label;
    const char* root;
};

struct SearchRow : table::Row
{
    std::vector<Drive> drives;
    std::vector<Search> searches;
};

const SearchRow Searches[] = {
    {{"TheSecondOfTwoDrivesAndLabelsWithoutCase"},
     {{'d', "OTHERDISC"}, {'e', "hoshikage1"}},
     {{"hoshikage1", "E:\\"}, {"otherdisc", "D:\\"}, {"hoshikage2", ""}}},
    {{"AnEmptyDriveBeforeTheDisc"}, {{'d', nullptr}, {'f', "hoshikage2"}}, {{"hoshikage2", "F:\\"}, {"hoshikage1", ""}}},
    {{"TheEarlierLetterOfTwo"}, {{'g', "hoshikage1"}, {'e', "hoshikage1"}}, {{"hoshikage1", "E:\\"}}},
    {{"NotAFixedDrive"}, {{'d', "hoshikage1", true}}, {{"hoshikage1", ""}}},
    {{"NoDriveAtAll"}, {}, {{"hoshikage1", ""}, {"", ""}}},
};

class DiscLocatorSearchTest : public DiscLocatorTest, public testing::WithParamInterface<SearchRow>
{
};

TEST_P(DiscLocatorSearchTest, FindsTheFirstCdRomDriveWithTheLabel)
{
    for (const Drive& drive : GetParam().drives)
    {
        ASSERT_TRUE(Insert(drive.letter, drive.label, drive.fixed)) << drive.letter;
        char root[] = {drive.letter, ':', '\\', '\0'};
        char label[MAX_PATH] = "";
        GetVolumeInformationA(root, label, sizeof(label), nullptr, nullptr, nullptr, nullptr, 0);
        // What the system says of the drive, so that a miss means the search.
        ASSERT_STRCASEEQ(drive.label != nullptr ? drive.label : "", label) << root;
        ASSERT_EQ(static_cast<UINT>(drive.fixed ? DRIVE_FIXED : DRIVE_CDROM), GetDriveTypeA(root)) << root;
    }
    for (const Search& search : GetParam().searches)
        EXPECT_EQ(search.root, Find(search.label)) << search.label;
}

INSTANTIATE_TEST_SUITE_P(Rows, DiscLocatorSearchTest, testing::ValuesIn(Searches), table::RowName());

TEST_F(DiscLocatorTest, ADiscChangedWhileRunningIsSeenAtTheNextCall)
{
    ASSERT_TRUE(Insert('d', nullptr));
    EXPECT_EQ("", Find("hoshikage1"));
    ASSERT_TRUE(Insert('d', "hoshikage1"));
    EXPECT_EQ("D:\\", Find("hoshikage1"));
    ASSERT_TRUE(Insert('d', "hoshikage2"));
    EXPECT_EQ("", Find("hoshikage1"));
    EXPECT_EQ("D:\\", Find("hoshikage2"));
    ASSERT_TRUE(bench::RemoveDrive('d'));
    EXPECT_EQ("", Find("hoshikage2"));
}

TEST(DiscLabelTest, AsciiLettersFoldWhereverTheyStandAndNothingElse)
{
    const struct { const char* a; const char* b; bool match; } cases[] = {
        {"hoshikage1", "HoshiKage1", true},
        {"", "", true},
        {"hoshikage1", "hoshikage2", false},
        // Neighbours of the letter ranges, which a sloppy fold would pair.
        {"@", "`", false},
        {"[", "{", false},
        {"_", "\x7f", false},
        // Full-width letters are characters of their own.
        {"ＡＢ", "ａｂ", false},
        // Second bytes run from 0x40 to 0xFC, so letter bytes occur there:
        // they fold like any other, although the characters differ (81 41
        // is "、", 81 61 is "∥"). The lead byte itself is never folded.
        {"\x81\x41", "\x81\x61", true},
        {"\x81\x41", "\x81\x62", false},
        {"\x81\x41", "\xa1\x41", false},
        // A prefix does not match.
        {"hoshikage", "hoshikage1", false},
        {"", "hoshikage1", false},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(c.match, LabelsMatch(c.a, c.b)) << c.a << " | " << c.b;
        EXPECT_EQ(c.match, LabelsMatch(c.b, c.a)) << c.b << " | " << c.a;
    }
}
} // namespace
