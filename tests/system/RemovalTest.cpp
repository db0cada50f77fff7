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

#include <algorithm>

namespace
{
std::vector<std::string> Sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

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

    // Every file that a built-in list names, as a finished install holds it.
    void PutInstall(int installType)
    {
        const InstallManifest& manifest = InstallManifest::ForType(installType);
        for (int i = 0; i < MANIFEST_ENTRIES; ++i)
        {
            const char* entry = manifest.Entry(i);
            EntryKind kind = InstallManifest::KindOf(entry);
            if (kind == ENTRY_END)
                break;
            if (kind == ENTRY_FILE)
                Put(entry, entry);
        }
    }

    std::string scratch;
    std::string above;
    std::string folder;
};

TEST_F(RemovalTest, AFullInstallGoesButTheFoldersAboveStay)
{
    PutInstall(INSTALL_FULL);
    ASSERT_EQ(17u, bench::FolderContents(folder).size());
    InstallType = INSTALL_FULL;
    RemoveInstalledFiles(folder.c_str());
    EXPECT_FALSE(bench::FolderExists(folder));
    EXPECT_TRUE(bench::FolderExists(above));
    EXPECT_TRUE(bench::FolderContents(above).empty());
}

TEST_F(RemovalTest, TheMinimalListOnAFullInstallRemovesOnlyTheCommonFiles)
{
    PutInstall(INSTALL_FULL);
    InstallType = INSTALL_MINIMAL;
    RemoveInstalledFiles(folder.c_str());
    for (const char* common : {"base.pak", "story.dat", "imgdec.dll", "loader.dll", "hoshi.exe"})
        EXPECT_FALSE(bench::FileExists(folder + common)) << common;
    std::vector<std::string> voices;
    for (int disc = 1; disc <= 2; ++disc)
    {
        for (int n = 0; n < 6; ++n)
            voices.push_back("v" + std::to_string(disc) + "_" + std::to_string(n) + ".pak");
    }
    EXPECT_EQ(Sorted(voices), Sorted(bench::FolderContents(folder)));
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

using RemovalAfterRunTest = RunInstallTest;

TEST_F(RemovalAfterRunTest, ARunStoppedAtItsThirdFileIsRolledBack)
{
    std::string disc = MakeDisc("disc1", {{"a.dat", "a"}, {"b.dat", "b"}, {"d.dat", "d"}});
    ASSERT_TRUE(InsertDisc('d', disc, "hoshikage1"));
    const std::vector<const char*> entries = {"*1", "a.dat", "b.dat", "c.dat", "d.dat", ""};

    std::vector<probe::DialogView> boxes;
    ASSERT_EQ(0, Run(entries, &boxes));
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("c.datのコピーに失敗しました", boxes[0].text);
    ASSERT_TRUE(bench::FileExists(dest + "a.dat"));
    ASSERT_TRUE(bench::FileExists(dest + "b.dat"));

    InstallManifest manifest(entries.data(), static_cast<int>(entries.size()));
    RemoveInstalledFiles(manifest, dest.c_str());
    EXPECT_FALSE(bench::FolderExists(dest));
    EXPECT_TRUE(bench::FolderExists(scratch + "Morihane\\"));
    EXPECT_EQ("d", bench::ReadFileBytes(disc + "d.dat")) << "the disc is never touched";
}
} // namespace
