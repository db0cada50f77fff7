// tests/system/InstallListTest.cpp
// Install lists that the window cannot reach: folder entries, entries
// before the first disc switch, paths too long. Each row runs its list in
// the real setup window, in process, from a disc of its own, and then
// removes it again as a failed or undone install is removed.
#include "app/Globals.h"
#include "install/InstallManifest.h"
#include "install/InstallRemoval.h"
#include "install/ProgressPage.h"
#include "support/BenchState.h"
#include "support/InProcess.h"
#include "support/Table.h"
#include "support/WindowProbe.h"
#include "ui/MainFrame.h"

#include "BenchDrive.h"

#include <atomic>
#include <thread>

namespace
{
using Files = std::map<std::string, std::string>;
using Names = std::vector<std::string>;

const char Completed[] = "インストールが完了しました。Game Discをセットして起動してください";

struct ListCase : table::Row
{
    Files disc;
    std::vector<const char*> entries;
    // The one message the run shows, or "" for none.
    std::string message;
    // What is under the install folder after the run, and after the
    // removal; with nothing left the folder itself must be gone.
    Names installed;
    Names left;
    // Files of the player's own in the install folder before the run.
    Files player = {};
    // A disc file that another program holds open during the run.
    const char* held = nullptr;
    // The install folder's length with its backslash; 0: an ordinary one.
    size_t folderLength = 0;
};

// Every file and folder below folder, relative to it; folders end with a
// backslash.
Names FilesUnder(const std::string& folder, const std::string& prefix = "")
{
    Names files;
    for (const std::string& name : bench::FolderContents(folder + prefix))
    {
        bool isFolder = bench::FolderExists(folder + prefix + name);
        files.push_back(prefix + name + (isFolder ? "\\" : ""));
        if (isFolder)
        {
            Names inside = FilesUnder(folder, files.back());
            files.insert(files.end(), inside.begin(), inside.end());
        }
    }
    return files;
}

class InstallListTest : public InProcessFrameTest, public testing::WithParamInterface<ListCase>
{
protected:
    void SetUp() override
    {
        bench::RemoveBenchDrives();
        InProcessFrameTest::SetUp();
        scratch = bench::Scratch();
        GetCurrentDirectoryA(sizeof(previousFolder), previousFolder);
    }

    void TearDown() override
    {
        SetCurrentDirectoryA(previousFolder);
        InProcessFrameTest::TearDown();
        bench::RemoveBenchDrives();
    }

    std::string scratch;
    char previousFolder[MAX_PATH] = "";
};

TEST_P(InstallListTest, RunsAndRemoves)
{
    const ListCase& row = GetParam();
    std::string disc = bench::MakeDisc(scratch + "disc1\\", row.disc);
    ASSERT_TRUE(bench::InsertDisc('d', disc, "hoshikage1"));
    // What a source root left empty would read from.
    ASSERT_TRUE(SetCurrentDirectoryA(bench::MakeDisc(scratch + "current\\", row.disc).c_str()));
    std::string folder = scratch + "Morihane\\hoshikage\\";
    if (row.folderLength != 0)
    {
        ASSERT_LT(scratch.size() + 1, row.folderLength) << "the scratch folder is too long for this row";
        folder = scratch + std::string(row.folderLength - scratch.size() - 1, 'a') + "\\";
    }
    if (!row.player.empty() || row.folderLength != 0)
        bench::MakeDisc(folder, row.player);
    bench::MakeDisc(scratch + "Morihane\\", {{"memo.txt", "beside the install folder"}});
    HANDLE held = row.held == nullptr ? INVALID_HANDLE_VALUE
                                      : CreateFileA((disc + row.held).c_str(), GENERIC_READ, 0, nullptr,
                                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_EQ(row.held == nullptr, held == INVALID_HANDLE_VALUE);

    // The run as the options page makes it, while a player answers OK to
    // every box from another thread, and Cancel once they never end.
    InstallManifest list(row.entries.data(), static_cast<int>(row.entries.size()));
    std::vector<probe::DialogView> boxes;
    std::atomic<bool> over(false);
    std::thread player([&] {
        while (!over)
        {
            probe::DialogView box = probe::WaitForDialog(TheMainFrame->Handle(), 20);
            if (box.window != nullptr && probe::Answer(box.window, boxes.size() < 10 ? IDOK : IDCANCEL))
                boxes.push_back(box);
        }
    });
    int result = static_cast<ProgressPage*>(Pages[PROGRESS_PAGE])->RunInstall(list, folder.c_str());
    over = true;
    player.join();
    EXPECT_EQ(row.message == Completed ? 1 : 0, result);
    if (held != INVALID_HANDLE_VALUE)
        CloseHandle(held);
    ASSERT_EQ(row.message.empty() ? 0u : 1u, boxes.size()) << (boxes.empty() ? "" : boxes.back().text);
    if (!boxes.empty())
    {
        EXPECT_EQ(row.message, boxes[0].text);
        // A failure has the system's own title.
        EXPECT_EQ(row.message == Completed ? "終了" : "エラー", boxes[0].caption);
    }
    EXPECT_EQ(row.installed, FilesUnder(folder));
    for (const std::string& name : row.installed)
    {
        if (row.message == Completed && row.disc.count(name) != 0)
        {
            EXPECT_TRUE(bench::ReadFileBytes(folder + name) == row.disc.at(name)) << name;
        }
    }

    RemoveInstalledFiles(list, folder.c_str());
    EXPECT_EQ(row.left, FilesUnder(folder));
    EXPECT_EQ(!row.left.empty(), bench::FolderExists(folder));
    for (const auto& file : row.player)
        EXPECT_EQ(file.second, bench::ReadFileBytes(folder + file.first)) << file.first;
    EXPECT_EQ("beside the install folder", bench::ReadFileBytes(scratch + "Morihane\\memo.txt"));
    for (const auto& file : row.disc)
        EXPECT_TRUE(bench::ReadFileBytes(disc + file.first) == file.second) << file.first << " changed on the disc";
}

// clang-format off
const ListCase Cases[] = {
    {{"AFolderEntryCopiesThePlainFilesDirectlyInside"},
     {{"data\\a.txt", "a"}, {"data\\b.bin", std::string(150000, 'b')}, {"data\\sub\\c.txt", "c"},
      {"data\\sub\\deeper\\d.txt", "d"}, {"top.dat", "top"}},
     {"*1", "data\\", ""}, Completed,
     {"data\\", "data\\a.txt", "data\\b.bin", "data\\sub\\", "data\\sub\\mine.txt"},
     {"data\\", "data\\sub\\", "data\\sub\\mine.txt"},
     {{"data\\sub\\mine.txt", "the player's"}}},
    {"AFileEntryInAFolderMakesNoFolder", {{"data\\a.txt", "a"}}, {"*1", "data\\a.txt", ""},
     "data\\a.txtのコピーに失敗しました", {}, {}},
    {"AFolderEntryBeforeItMakesTheFolder", {{"data\\a.txt", "a"}}, {"*1", "data\\", "data\\a.txt", ""},
     Completed, {"data\\", "data\\a.txt"}, {}},
    // The destination is made before the source fails to open.
    {"AFileInAFolderEntryThatCannotBeReadIsNamedAlone", {{"data\\held.bin", "held"}, {"after.dat", "after"}},
     {"*1", "data\\", "after.dat", ""}, "held.binのコピーに失敗しました", {"data\\", "data\\held.bin"}, {}, {},
     "data\\held.bin"},
    {"AFolderEntryMissingFromTheDiscStopsWithoutAMessage", {{"base.pak", "base"}},
     {"*1", "nodata\\", "base.pak", ""}, "", {"nodata\\"}, {}},
    {"AFileEntryBeforeTheFirstDiscSwitch", {{"base.pak", "base"}}, {"base.pak", "*1", ""},
     "base.pakのコピーに失敗しました", {}, {}},
    {"AFolderEntryBeforeTheFirstDiscSwitch", {{"data\\a.txt", "a"}}, {"data\\", "*1", ""},
     "data\\のコピーに失敗しました", {}, {}},
    // The folder and "base.pak" make 260 bytes: no room for the terminator.
    {"AFileThatWouldNotFit", {{"base.pak", "base"}}, {"*1", "base.pak", ""},
     "base.pakのコピーに失敗しました", {}, {}, {}, nullptr, MAX_PATH - 8},
    // The removal cannot name what is in that folder, so it stays, empty.
    {"AFileFoundInAFolderThatWouldNotFit", {{"data\\long-file-name-to-overflow.bin", "x"}}, {"*1", "data\\", ""},
     "long-file-name-to-overflow.binのコピーに失敗しました", {"data\\"}, {"data\\"}, {}, nullptr, MAX_PATH - 8},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Lists, InstallListTest, testing::ValuesIn(Cases), table::RowName());
} // namespace
