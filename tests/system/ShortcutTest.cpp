// tests/system/ShortcutTest.cpp
// Shell links as the shortcut writer saves them, read back from the file
// by lnkinfo and od on the Linux side.
#include "support/BenchState.h"
#include "sys/Shell.h"

#include <gtest/gtest.h>

namespace
{
// The header's link flags.
const unsigned HasWorkingDir = 0x10;
const unsigned HasArguments = 0x20;

class ShortcutTest : public testing::Test
{
protected:
    void SetUp() override
    {
        scratch = bench::Scratch();
        install = scratch + "Program Files\\Morihane\\hoshikage\\";
        bench::MakeFolders(install);
        bench::WriteFileBytes(install + "hoshi.exe", "MZ");
        programs = scratch + "Programs\\";
        bench::MakeFolders(programs);
        menuFolder = programs + "morihane\\～ ほしかげ ～\\";
        link = menuFolder + "～ ほしかげ ～.lnk";
    }

    std::string Quoted(const std::string& windowsPath) { return "'" + bench::UnixPath(windowsPath) + "'"; }

    std::string scratch;
    std::string install;
    std::string programs;
    std::string menuFolder;
    std::string link;
};

TEST_F(ShortcutTest, StoresTargetWorkingFolderAndNormalShowCommand)
{
    bench::MakeFolders(menuFolder);
    std::string target = install + "hoshi.exe";
    ASSERT_EQ(1, CreateShortcut(link.c_str(), target.c_str(), "", install.c_str(), SW_SHOWNORMAL));
    ASSERT_TRUE(bench::FileExists(link));
    // The file name on disk is the UTF-8 of the Shift-JIS name.
    EXPECT_NE(std::string::npos, bench::RunUnix("ls " + Quoted(menuFolder)).find(bench::Utf8("～ ほしかげ ～.lnk")));

    bench::LinkInfo read = bench::ReadLink(link);
    EXPECT_EQ(bench::Utf8(target), read.localPath) << read.listing;
    EXPECT_EQ(bench::Utf8(install), read.workingDirectory) << read.listing;
    EXPECT_EQ("", read.arguments) << read.listing;
    EXPECT_EQ(static_cast<unsigned>(SW_SHOWNORMAL), read.showCommand);
    EXPECT_TRUE(read.flags & HasWorkingDir);
}

TEST_F(ShortcutTest, ArgumentsAndWorkingFolderAreSetOnlyWhenGiven)
{
    bench::MakeFolders(menuFolder);
    std::string target = install + "hoshi.exe";
    ASSERT_EQ(1, CreateShortcut(link.c_str(), target.c_str(), nullptr, nullptr, SW_SHOWMINNOACTIVE));
    bench::LinkInfo read = bench::ReadLink(link);
    EXPECT_EQ(bench::Utf8(target), read.localPath) << read.listing;
    EXPECT_EQ("", read.workingDirectory) << read.listing;
    EXPECT_EQ("", read.arguments) << read.listing;
    EXPECT_FALSE(read.flags & HasWorkingDir) << read.flags;
    EXPECT_FALSE(read.flags & HasArguments) << read.flags;
    EXPECT_EQ(static_cast<unsigned>(SW_SHOWMINNOACTIVE), read.showCommand);

    ASSERT_EQ(1, CreateShortcut(link.c_str(), target.c_str(), "-window", nullptr, SW_SHOWNORMAL));
    read = bench::ReadLink(link);
    EXPECT_EQ("-window", read.arguments) << read.listing;
    EXPECT_TRUE(read.flags & HasArguments);
    EXPECT_FALSE(read.flags & HasWorkingDir);
}

TEST_F(ShortcutTest, AMissingFolderGivesZeroAndNoFile)
{
    std::string target = install + "hoshi.exe";
    EXPECT_EQ(0, CreateShortcut(link.c_str(), target.c_str(), "", install.c_str(), SW_SHOWNORMAL));
    EXPECT_FALSE(bench::FileExists(link));
    EXPECT_TRUE(bench::FolderContents(programs).empty());
}
} // namespace
