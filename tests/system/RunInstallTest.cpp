// tests/system/RunInstallTest.cpp
// The install run in the real setup window, over file lists and discs of
// the test's own, with a second thread answering its message boxes.
#include "RunInstallFixture.h"
#include "SystemTestSupport.h"
#include "install/InstallManifest.h"
#include "install/ProgressPage.h"
#include "support/BenchState.h"

namespace
{
void ExpectCompletion(const probe::DialogView& box)
{
    EXPECT_EQ("インストールが完了しました。Game Discをセットして起動してください", box.text);
    EXPECT_EQ("終了", box.caption);
}

TEST_F(RunInstallTest, AFolderEntryCopiesOnlyThePlainFilesDirectlyInside)
{
    std::string disc = MakeDisc("disc1", {{"data\\a.txt", Contents("a.txt")},
                                          {"data\\b.bin", Contents("b.bin", 150000)},
                                          {"data\\sub\\c.txt", "c"},
                                          {"data\\sub\\deeper\\d.txt", "d"},
                                          {"top.dat", "top"}});
    ASSERT_TRUE(InsertDisc('d', disc, "hoshikage1"));

    std::vector<probe::DialogView> boxes;
    EXPECT_EQ(1, Run({"*1", "data\\", ""}, &boxes));
    ASSERT_EQ(1u, boxes.size());
    ExpectCompletion(boxes[0]);
    EXPECT_EQ(std::vector<std::string>({"a.txt", "b.bin"}), bench::FolderContents(dest + "data\\"));
    EXPECT_EQ(Contents("a.txt"), bench::ReadFileBytes(dest + "data\\a.txt"));
    EXPECT_EQ(Contents("b.bin", 150000), bench::ReadFileBytes(dest + "data\\b.bin"));
    EXPECT_EQ(std::vector<std::string>({"data"}), bench::FolderContents(dest));
}

TEST_F(RunInstallTest, AnEntryInASubFolderNeedsAFolderEntryBeforeIt)
{
    std::string disc = MakeDisc("disc1", {{"data\\a.txt", "a"}, {"data\\sub\\c.txt", "c"}});
    ASSERT_TRUE(InsertDisc('d', disc, "hoshikage1"));

    ExpectFailure({"*1", "data\\a.txt", ""}, "data\\a.txt");
    EXPECT_FALSE(bench::FolderExists(dest + "data\\")) << "a file entry makes no folder";

    std::vector<probe::DialogView> boxes;
    EXPECT_EQ(1, Run({"*1", "data\\", "data\\a.txt", ""}, &boxes));
    ASSERT_EQ(1u, boxes.size());
    ExpectCompletion(boxes[0]);
    EXPECT_EQ("a", bench::ReadFileBytes(dest + "data\\a.txt"));
}

TEST_F(RunInstallTest, AMissingFileNamesTheEntryWithTheDefaultCaption)
{
    std::string disc = MakeDisc("disc1", {{"base.pak", "base"}, {"hoshi.exe", "MZ"}});
    ASSERT_TRUE(InsertDisc('d', disc, "hoshikage1"));

    ExpectFailure({"*1", "base.pak", "story.dat", "hoshi.exe", ""}, "story.dat");
    EXPECT_EQ("base", bench::ReadFileBytes(dest + "base.pak"));
    EXPECT_FALSE(bench::FileExists(dest + "hoshi.exe")) << "the run stops at the first failure";
    EXPECT_EQ(1, Progress()->Copied());
}

TEST_F(RunInstallTest, AFileInsideAFolderEntryThatCannotBeReadIsNamedAlone)
{
    // Wine leaves a dangling link out of the listing, so a file that is
    // listed but cannot be had is one that another program holds open.
    std::string disc = MakeDisc("disc1", {{"data\\a.txt", "a"}, {"data\\held.bin", "held"}});
    HANDLE held = CreateFileA((disc + "data\\held.bin").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    ASSERT_TRUE(InsertDisc('d', disc, "hoshikage1"));

    ExpectFailure({"*1", "data\\", "after.dat", ""}, "held.bin");
    CloseHandle(held);
    EXPECT_FALSE(bench::FileExists(dest + "after.dat")) << "the run stops at the failure";
}

TEST_F(RunInstallTest, AFolderEntryMissingOnTheDiscEndsWithoutAMessage)
{
    std::string disc = MakeDisc("disc1", {{"base.pak", "base"}});
    ASSERT_TRUE(InsertDisc('d', disc, "hoshikage1"));

    std::vector<probe::DialogView> boxes;
    EXPECT_EQ(0, Run({"*1", "nodata\\", "base.pak", ""}, &boxes));
    EXPECT_TRUE(boxes.empty()) << boxes.front().text;
    EXPECT_FALSE(bench::FileExists(dest + "base.pak"));
}

TEST_F(RunInstallTest, AnEntryBeforeTheFirstDiscSwitchFails)
{
    // What an empty source root would read from: the current folder.
    std::string here = MakeDisc("current", {{"base.pak", "base"}, {"data\\a.txt", "a"}});
    std::string disc = MakeDisc("disc1", {{"base.pak", "base"}, {"data\\a.txt", "a"}});
    ASSERT_TRUE(InsertDisc('d', disc, "hoshikage1"));
    char previous[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof(previous), previous);
    ASSERT_TRUE(SetCurrentDirectoryA(here.c_str()));

    ExpectFailure({"base.pak", "*1", ""}, "base.pak");
    ExpectFailure({"data\\", "*1", ""}, "data\\");
    SetCurrentDirectoryA(previous);
    EXPECT_FALSE(bench::FileExists(dest + "base.pak"));
    EXPECT_TRUE(bench::FolderContents(dest + "data\\").empty());
}

TEST_F(RunInstallTest, APathThatWouldNotFitFailsInsteadOfBeingCut)
{
    std::string disc = MakeDisc("disc1", {{"base.pak", "base"}, {"data\\long-file-name-to-overflow.bin", "x"}});
    ASSERT_TRUE(InsertDisc('d', disc, "hoshikage1"));

    // dest + "base.pak" needs 260 bytes and its terminator one more.
    std::string longDest = scratch;
    longDest += std::string(120, 'a') + "\\";
    longDest += std::string(MAX_PATH - 8 - longDest.size() - 1, 'b') + "\\";
    ASSERT_EQ(static_cast<size_t>(MAX_PATH - 8), longDest.size());
    dest = longDest;
    bench::MakeFolders(dest);
    ASSERT_TRUE(bench::FolderExists(dest));

    ExpectFailure({"*1", "base.pak", ""}, "base.pak");
    EXPECT_TRUE(bench::FolderContents(dest).empty()) << bench::FolderContents(dest).front();

    // The folder fits; the file found in it does not.
    ExpectFailure({"*1", "data\\", ""}, "long-file-name-to-overflow.bin");
    ASSERT_TRUE(bench::FolderExists(dest + "data\\"));
    EXPECT_TRUE(bench::FolderContents(dest + "data\\").empty()) << bench::FolderContents(dest + "data\\").front();
}

TEST_F(RunInstallTest, AWalkWithoutEndMarkerStopsAfterEntry99)
{
    std::map<std::string, std::string> files;
    std::vector<std::string> names;
    for (int i = 1; i <= 100; ++i)
    {
        names.push_back("f" + std::to_string(i) + ".dat");
        files[names.back()] = names.back();
    }
    ASSERT_TRUE(InsertDisc('d', MakeDisc("disc1", files), "hoshikage1"));
    std::vector<const char*> entries = {"*1"};
    for (const std::string& name : names)
        entries.push_back(name.c_str());
    // One entry past the limit, which a walk must not reach.
    ASSERT_EQ(101u, entries.size());

    std::vector<probe::DialogView> boxes;
    EXPECT_EQ(1, Run(entries, &boxes));
    EXPECT_TRUE(boxes.empty()) << boxes.front().text;
    EXPECT_EQ(99, Progress()->Copied());
    EXPECT_EQ("f99.dat", bench::ReadFileBytes(dest + "f99.dat"));
    EXPECT_FALSE(bench::FileExists(dest + "f100.dat"));
}
} // namespace
