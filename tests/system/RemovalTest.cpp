// tests/system/RemovalTest.cpp
// Removing installed files by a list: folders made by the test, and the
// roll-back of a run that stopped on a missing file.
#include "RunInstallFixture.h"
#include "SystemTestSupport.h"
#include "app/Globals.h"
#include "install/InstallManifest.h"
#include "install/InstallRemoval.h"
#include "support/BenchState.h"

#include <gtest/gtest.h>

namespace
{
class RemovalTest : public testing::Test
{
protected:
    void SetUp() override
    {
        scratch = bench::Scratch();
        above = scratch + "Morihane\\";
        folder = above + "hoshikage\\";
        bench::MakeFolders(folder);
    }
    void TearDown() override { InstallType = INSTALL_FULL; }

    void Put(const std::string& relative, const std::string& bytes = "x")
    {
        std::string path = folder + relative;
        bench::MakeFolders(path.substr(0, path.rfind('\\') + 1));
        bench::WriteFileBytes(path, bytes);
    }

    // The seventeen files of a finished full install.
    void PutFullInstall()
    {
        for (const std::string& name : bench::ListedFiles(true))
            Put(name, name);
    }

    std::string scratch;
    std::string above;
    std::string folder;
};

TEST_F(RemovalTest, AFullInstallGoesButTheFoldersAboveStay)
{
    PutFullInstall();
    ASSERT_EQ(17u, bench::FolderContents(folder).size());
    InstallType = INSTALL_FULL;
    RemoveInstalledFiles(folder.c_str());
    EXPECT_FALSE(bench::FolderExists(folder));
    EXPECT_TRUE(bench::FolderExists(above));
    EXPECT_TRUE(bench::FolderContents(above).empty());
}

TEST_F(RemovalTest, TheMinimalListOnAFullInstallRemovesOnlyTheCommonFiles)
{
    PutFullInstall();
    InstallType = INSTALL_MINIMAL;
    RemoveInstalledFiles(folder.c_str());
    std::vector<std::string> files = bench::ListedFiles(true);
    EXPECT_EQ(std::vector<std::string>(files.begin() + 5, files.end()), bench::FolderContents(folder));
    EXPECT_EQ("v2_5.pak", bench::ReadFileBytes(folder + "v2_5.pak"));
}

TEST_F(RemovalTest, AFileOfTheUsersOwnKeepsTheFolderAndIsUntouched)
{
    const char* const entries[] = {"*1", "base.pak", "story.dat", "*2", "v2_0.pak", ""};
    InstallManifest manifest(entries, 6);
    Put("base.pak");
    Put("story.dat");
    Put("v2_0.pak");
    Put("save01.dat", "the player's save");

    for (int call = 1; call <= 2; ++call)
    {
        RemoveInstalledFiles(manifest, folder.c_str());
        EXPECT_EQ(std::vector<std::string>({"save01.dat"}), bench::FolderContents(folder)) << "call " << call;
        EXPECT_EQ("the player's save", bench::ReadFileBytes(folder + "save01.dat")) << "call " << call;
    }
}

TEST_F(RemovalTest, AFolderEntryWithASubFolderKeepsTheFolder)
{
    const char* const entries[] = {"*1", "data\\", "plain\\", "top.dat", ""};
    InstallManifest manifest(entries, 5);
    Put("data\\a.txt");
    Put("data\\b.bin");
    Put("data\\sub\\c.txt", "inside");
    Put("plain\\d.txt");
    Put("top.dat");

    RemoveInstalledFiles(manifest, folder.c_str());
    EXPECT_EQ(std::vector<std::string>({"sub"}), bench::FolderContents(folder + "data\\"));
    EXPECT_EQ("inside", bench::ReadFileBytes(folder + "data\\sub\\c.txt"));
    EXPECT_FALSE(bench::FolderExists(folder + "plain\\"));
    EXPECT_EQ(std::vector<std::string>({"data"}), bench::FolderContents(folder));
}

TEST_F(RemovalTest, ASecondCallIsHarmless)
{
    const char* const entries[] = {"*1", "data\\", "base.pak", ""};
    InstallManifest manifest(entries, 4);
    Put("data\\a.txt");
    Put("base.pak");

    RemoveInstalledFiles(manifest, folder.c_str());
    EXPECT_FALSE(bench::FolderExists(folder));
    // A new folder of the same name, made by someone else, is not the list's.
    Put("other.txt", "other");
    RemoveInstalledFiles(manifest, folder.c_str());
    EXPECT_EQ("other", bench::ReadFileBytes(folder + "other.txt"));
    EXPECT_TRUE(bench::FolderExists(above));
}

TEST_F(RemovalTest, AListIsWalkedAtMostAHundredEntries)
{
    // No end marker: entry 99 is the last one walked, entry 100 is not.
    std::vector<std::string> names;
    std::vector<const char*> entries = {"*1"};
    for (int i = 1; i <= 100; ++i)
        names.push_back("f" + std::to_string(i) + ".dat");
    for (const std::string& name : names)
    {
        Put(name);
        entries.push_back(name.c_str());
    }
    RemoveInstalledFiles(InstallManifest(entries.data(), static_cast<int>(entries.size())), folder.c_str());
    EXPECT_EQ(std::vector<std::string>({"f100.dat"}), bench::FolderContents(folder));
}

using RemovalAfterRunTest = RunInstallTest;

TEST_F(RemovalAfterRunTest, ARunStoppedAtItsThirdFileIsRolledBack)
{
    std::string disc = MakeDisc("disc1", {{"a.dat", "a"}, {"b.dat", "b"}, {"d.dat", "d"}});
    ASSERT_TRUE(InsertDisc('d', disc, "hoshikage1"));
    const std::vector<const char*> entries = {"*1", "a.dat", "b.dat", "c.dat", "d.dat", ""};

    ExpectFailure(entries, "c.dat");
    ASSERT_TRUE(bench::FileExists(dest + "a.dat"));
    ASSERT_TRUE(bench::FileExists(dest + "b.dat"));

    InstallManifest manifest(entries.data(), static_cast<int>(entries.size()));
    RemoveInstalledFiles(manifest, dest.c_str());
    EXPECT_FALSE(bench::FolderExists(dest));
    EXPECT_TRUE(bench::FolderExists(scratch + "Morihane\\"));
    EXPECT_EQ("d", bench::ReadFileBytes(disc + "d.dat")) << "the disc is never touched";
}
} // namespace
