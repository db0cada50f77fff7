// tests/system/ShortcutTest.cpp
// Shell links as the shortcut writer saves them, read back from the file
// by lnkinfo and od on the Linux side.
#include "SystemTestSupport.h"
#include "support/BenchState.h"
#include "sys/Shell.h"

#include <gtest/gtest.h>

#include <stdlib.h>

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

    std::string Quoted(const std::string& windowsPath) { return "'" + systest::UnixPath(windowsPath) + "'"; }

    std::string LinkInfo() { return bench::RunUnix("lnkinfo -c windows-932 " + Quoted(link)); }

    // A 32-bit little-endian field of the link file's header.
    unsigned HeaderField(int offset)
    {
        std::string text = bench::RunUnix("od -An -tu4 -j" + std::to_string(offset) + " -N4 " + Quoted(link));
        return static_cast<unsigned>(strtoul(text.c_str(), nullptr, 10));
    }

    // The value lnkinfo prints after "label :", or "" when it prints no such line.
    static std::string Field(const std::string& info, const std::string& label)
    {
        size_t line = 0;
        while (line < info.size())
        {
            size_t end = info.find('\n', line);
            if (end == std::string::npos)
                end = info.size();
            std::string text = info.substr(line, end - line);
            size_t start = text.find_first_not_of(" \t");
            size_t colon = text.find(':');
            if (start != std::string::npos && colon != std::string::npos
                && text.compare(start, label.size(), label) == 0
                && text.find_first_not_of(" \t", start + label.size()) == colon)
            {
                size_t value = text.find_first_not_of(" \t", colon + 1);
                return value == std::string::npos ? "" : text.substr(value);
            }
            line = end + 1;
        }
        return "";
    }

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
    EXPECT_NE(std::string::npos, bench::RunUnix("ls " + Quoted(menuFolder)).find(systest::Utf8("～ ほしかげ ～.lnk")));

    std::string info = LinkInfo();
    EXPECT_EQ(systest::Utf8(target), Field(info, "Local path")) << info;
    EXPECT_EQ(systest::Utf8(install), Field(info, "Working directory")) << info;
    EXPECT_EQ("", Field(info, "Command line arguments")) << info;
    EXPECT_EQ(static_cast<unsigned>(SW_SHOWNORMAL), HeaderField(0x3C));
    EXPECT_TRUE(HeaderField(0x14) & HasWorkingDir);
}

TEST_F(ShortcutTest, ArgumentsAndWorkingFolderAreSetOnlyWhenGiven)
{
    bench::MakeFolders(menuFolder);
    std::string target = install + "hoshi.exe";
    ASSERT_EQ(1, CreateShortcut(link.c_str(), target.c_str(), nullptr, nullptr, SW_SHOWMINNOACTIVE));
    std::string info = LinkInfo();
    EXPECT_EQ(systest::Utf8(target), Field(info, "Local path")) << info;
    EXPECT_EQ("", Field(info, "Working directory")) << info;
    EXPECT_EQ("", Field(info, "Command line arguments")) << info;
    unsigned flags = HeaderField(0x14);
    EXPECT_FALSE(flags & HasWorkingDir) << flags;
    EXPECT_FALSE(flags & HasArguments) << flags;
    EXPECT_EQ(static_cast<unsigned>(SW_SHOWMINNOACTIVE), HeaderField(0x3C));

    ASSERT_EQ(1, CreateShortcut(link.c_str(), target.c_str(), "-window", nullptr, SW_SHOWNORMAL));
    info = LinkInfo();
    EXPECT_EQ("-window", Field(info, "Command line arguments")) << info;
    EXPECT_TRUE(HeaderField(0x14) & HasArguments);
    EXPECT_FALSE(HeaderField(0x14) & HasWorkingDir);
}

TEST_F(ShortcutTest, AMissingFolderGivesZeroAndNoFile)
{
    std::string target = install + "hoshi.exe";
    EXPECT_EQ(0, CreateShortcut(link.c_str(), target.c_str(), "", install.c_str(), SW_SHOWNORMAL));
    EXPECT_FALSE(bench::FileExists(link));
    EXPECT_TRUE(systest::FolderContents(programs).empty());
}
} // namespace
