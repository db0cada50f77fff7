// tests/system/DiscLocatorTest.cpp
// Finding an install disc by its volume label among drives that the test
// arranges through Wine's mount manager, and comparing labels.
#include "BenchDrive.h"
#include "SystemTestSupport.h"
#include "support/BenchState.h"
#include "sys/DiscLocator.h"

#include <string.h>

namespace
{
using bench::DriveKind;

class DiscLocatorTest : public systest::DriveTest
{
protected:
    void SetUp() override
    {
        DriveTest::SetUp();
        scratch = bench::Scratch();
    }

    // A disc: a folder of the test's own holding one file, as a Unix path.
    std::string Disc(const std::string& name)
    {
        std::string folder = scratch + name + "\\";
        bench::MakeFolders(folder);
        bench::WriteFileBytes(folder + "base.pak", name);
        return bench::UnixPath(folder);
    }

    // An empty drive: its folder does not exist.
    std::string NoDisc() { return bench::UnixPath(scratch + "no-disc"); }

    std::string Find(const char* label)
    {
        char root[MAX_PATH];
        strcpy(root, "garbage");
        int found = FindDiscByLabel(root, label);
        EXPECT_EQ(found != 0, root[0] != '\0') << "result " << found << " with root " << root;
        return root;
    }

    std::string scratch;
};

TEST_F(DiscLocatorTest, FindsTheDiscInTheSecondOfTwoDrives)
{
    ASSERT_TRUE(bench::DefineDrive('d', DriveKind::CdRom, Disc("other"), "OTHERDISC"));
    ASSERT_TRUE(bench::DefineDrive('e', DriveKind::CdRom, Disc("disc1"), "hoshikage1"));
    EXPECT_EQ("E:\\", Find("hoshikage1"));
    EXPECT_EQ("D:\\", Find("otherdisc"));
}

TEST_F(DiscLocatorTest, AnEmptyDriveBeforeTheDiscDoesNotStopTheSearch)
{
    ASSERT_TRUE(bench::DefineDrive('d', DriveKind::CdRom, NoDisc()));
    ASSERT_TRUE(bench::DefineDrive('f', DriveKind::CdRom, Disc("disc2"), "hoshikage2"));
    EXPECT_EQ("F:\\", Find("hoshikage2"));
    EXPECT_EQ("", Find("hoshikage1"));
}

TEST_F(DiscLocatorTest, TheEarlierLetterWinsWhenTwoDrivesHoldTheLabel)
{
    ASSERT_TRUE(bench::DefineDrive('g', DriveKind::CdRom, Disc("late"), "hoshikage1"));
    ASSERT_TRUE(bench::DefineDrive('e', DriveKind::CdRom, Disc("early"), "hoshikage1"));
    EXPECT_EQ("E:\\", Find("hoshikage1"));
}

TEST_F(DiscLocatorTest, ALabelInCapitalsMatches)
{
    ASSERT_TRUE(bench::DefineDrive('d', DriveKind::CdRom, Disc("upper"), "HOSHIKAGE1"));
    EXPECT_EQ("D:\\", Find("hoshikage1"));
    EXPECT_EQ("", Find("hoshikage2"));
}

TEST_F(DiscLocatorTest, AFixedDriveWithTheLabelIsNotExamined)
{
    std::string folder = Disc("fixed");
    bench::WriteFileBytes(bench::WindowsPath(folder + "/.windows-label"), "hoshikage1\n");
    ASSERT_TRUE(bench::DefineDrive('d', DriveKind::Fixed, folder));
    ASSERT_EQ(static_cast<UINT>(DRIVE_FIXED), GetDriveTypeA("D:\\"));
    char label[MAX_PATH] = "";
    ASSERT_TRUE(GetVolumeInformationA("D:\\", label, sizeof(label), nullptr, nullptr, nullptr, nullptr, 0));
    ASSERT_STRCASEEQ("hoshikage1", label);
    EXPECT_EQ("", Find("hoshikage1"));
}

TEST_F(DiscLocatorTest, NoCdRomDriveAtAllFindsNothing)
{
    DWORD drives = GetLogicalDrives();
    for (char letter = 'A'; letter <= 'Z'; ++letter)
    {
        char root[] = {letter, ':', '\\', '\0'};
        if (drives & (1u << (letter - 'A')))
        {
            ASSERT_NE(static_cast<UINT>(DRIVE_CDROM), GetDriveTypeA(root)) << root;
        }
    }
    EXPECT_EQ("", Find("hoshikage1"));
    EXPECT_EQ("", Find(""));
}

TEST_F(DiscLocatorTest, ADiscChangedWhileRunningIsSeenAtTheNextCall)
{
    ASSERT_TRUE(bench::DefineDrive('d', DriveKind::CdRom, NoDisc()));
    EXPECT_EQ("", Find("hoshikage1"));

    ASSERT_TRUE(bench::DefineDrive('d', DriveKind::CdRom, Disc("disc1"), "hoshikage1"));
    EXPECT_EQ("D:\\", Find("hoshikage1"));

    ASSERT_TRUE(bench::DefineDrive('d', DriveKind::CdRom, NoDisc()));
    EXPECT_EQ("", Find("hoshikage1"));

    ASSERT_TRUE(bench::DefineDrive('d', DriveKind::CdRom, Disc("disc2"), "hoshikage2"));
    EXPECT_EQ("", Find("hoshikage1"));
    EXPECT_EQ("D:\\", Find("hoshikage2"));

    ASSERT_TRUE(bench::RemoveDrive('d'));
    EXPECT_EQ("", Find("hoshikage2"));
}

TEST_F(DiscLocatorTest, TheCallersErrorModeIsRestored)
{
    ASSERT_TRUE(bench::DefineDrive('d', DriveKind::CdRom, NoDisc()));
    ASSERT_TRUE(bench::DefineDrive('e', DriveKind::CdRom, Disc("disc1"), "hoshikage1"));
    const UINT callerMode = SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX;
    UINT original = SetErrorMode(callerMode);
    for (const char* label : {"hoshikage1", "hoshikage2"})
    {
        char root[MAX_PATH];
        FindDiscByLabel(root, label);
        UINT after = SetErrorMode(callerMode);
        EXPECT_EQ(callerMode, after) << label;
    }
    SetErrorMode(original);
}

TEST(DiscLabelTest, AsciiLettersFoldAndNothingElse)
{
    EXPECT_TRUE(LabelsMatch("hoshikage1", "HoshiKage1"));
    EXPECT_TRUE(LabelsMatch("HOSHIKAGE2", "hoshikage2"));
    EXPECT_TRUE(LabelsMatch("", ""));
    EXPECT_FALSE(LabelsMatch("hoshikage1", "hoshikage2"));
    // Neighbours of the letter ranges, which a sloppy fold would pair.
    EXPECT_FALSE(LabelsMatch("@", "`"));
    EXPECT_FALSE(LabelsMatch("[", "{"));
    EXPECT_FALSE(LabelsMatch("_", "\x7f"));
    // Full-width letters are characters of their own.
    EXPECT_FALSE(LabelsMatch("ＡＢ", "ａｂ"));
}

TEST(DiscLabelTest, LetterBytesFoldInsideTwoByteCharacters)
{
    // Second bytes run from 0x40 to 0xFC, so letter bytes occur there: they
    // fold like any other, although the characters differ (81 41 is "、",
    // 81 61 is "∥").
    EXPECT_TRUE(LabelsMatch("\x81\x41", "\x81\x61"));
    EXPECT_TRUE(LabelsMatch("\x83\x5a", "\x83\x7a"));
    EXPECT_TRUE(LabelsMatch("disc\x88\x4b", "DISC\x88\x6b"));
    EXPECT_FALSE(LabelsMatch("\x81\x41", "\x81\x62"));
    // The lead byte itself is never folded.
    EXPECT_FALSE(LabelsMatch("\x81\x41", "\xa1\x41"));
}

TEST(DiscLabelTest, APrefixDoesNotMatch)
{
    EXPECT_FALSE(LabelsMatch("hoshikage", "hoshikage1"));
    EXPECT_FALSE(LabelsMatch("hoshikage1", "hoshikage"));
    EXPECT_FALSE(LabelsMatch("", "hoshikage1"));
    EXPECT_FALSE(LabelsMatch("hoshikage1 ", "hoshikage1"));
}
} // namespace
