// tests/ui/RemoveLaunchFlowTest.cpp
// Removing and launching an installed game from the start page.
#include "res/resource.h"
#include "support/BenchState.h"
#include "sys/Win32.h"
#include "ui/FlowTest.h"

#include <tlhelp32.h>

#include <algorithm>

namespace
{
const char MakerKey[] = "Software\\Morihane";

class RemoveLaunchFlowTest : public FlowTest
{
protected:
    // An install as a completed run leaves it: the listed files, the record
    // and a Start-menu entry.
    void PlantInstall(const std::string& folder, bool full, const char* installValue, const char* directoryValue)
    {
        bench::MakeFolders(folder);
        for (const std::string& name : ListedFiles(full))
            bench::WriteFileBytes(folder + name, bench::ReadFileBytes(DiscFile(name)));
        bench::WriteRecord(installValue, directoryValue);
        bench::MakeFolders(bench::StartMenuFolder());
        bench::WriteFileBytes(bench::LinkPath(), "link");
    }

    // Starts the setup so that the stand-in game, once launched, writes the
    // folder it was started in to record.
    bool StartRecordingLaunches(const std::string& record)
    {
        SetEnvironmentVariableA("HOSHI_RECORD", record.c_str());
        bool started = setup.Start();
        SetEnvironmentVariableA("HOSHI_RECORD", nullptr);
        return started;
    }

    void RemoveFromStartPage()
    {
        ASSERT_TRUE(setup.Start());
        ASSERT_EQ("削除", setup.Text(IDC_INSTALL));
        setup.Click(IDC_INSTALL);
        probe::DialogView question = setup.WaitForMessageBox();
        EXPECT_EQ(ConfirmCaption, question.caption);
        EXPECT_EQ("アンインストールしますか？", question.text);
        setup.Answer(question, IDYES);
        ASSERT_TRUE(probe::WaitUntil([&] { return setup.Text(IDC_INSTALL) == "インストール"; }, 10000));
        setup.Settle();
        EXPECT_FALSE(setup.IsEnabled(IDC_LAUNCH));
        EXPECT_FALSE(setup.HasMessageBox()) << "removal reports nothing";
    }

    // Whether the stand-in game runs as the setup's child.
    bool GameRunning()
    {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32 entry = {};
        entry.dwSize = sizeof(entry);
        bool found = false;
        for (BOOL more = Process32First(snapshot, &entry); more && !found; more = Process32Next(snapshot, &entry))
            found = entry.th32ParentProcessID == setup.ProcessId() && _stricmp(entry.szExeFile, "hoshi.exe") == 0;
        CloseHandle(snapshot);
        return found;
    }

    void ExpectEntryAndRecordGone()
    {
        EXPECT_FALSE(bench::RecordExists());
        EXPECT_FALSE(bench::FileExists(bench::LinkPath()));
        EXPECT_FALSE(bench::FolderExists(bench::StartMenuFolder()));
        EXPECT_TRUE(bench::KeyExists(MakerKey));
        EXPECT_TRUE(bench::FolderExists(bench::ProgramsFolder() + "morihane\\"));
    }
};

TEST_F(RemoveLaunchFlowTest, RemoveTakesEverythingTheInstallMade)
{
    std::string folder = scratch + "Morihane\\hoshikage\\";
    InstallFrom(scratch + "Morihane\\", true);
    ASSERT_TRUE(bench::FileExists(bench::LinkPath()));
    setup.Close();

    RemoveFromStartPage();
    ExpectNoListedFile(folder);
    EXPECT_FALSE(bench::FolderExists(folder));
    EXPECT_TRUE(bench::FolderExists(scratch + "Morihane\\")) << "the folder above stays";
    ExpectEntryAndRecordGone();
    setup.Close();
}

TEST_F(RemoveLaunchFlowTest, NoToTheQuestionChangesNothing)
{
    std::string folder = scratch + "hoshikage\\";
    PlantInstall(folder, false, "MIN", folder.c_str());
    ASSERT_TRUE(setup.Start());
    setup.Click(IDC_INSTALL);
    probe::DialogView question = setup.WaitForMessageBox();
    setup.Answer(question, IDNO);
    EXPECT_EQ("削除", setup.Text(IDC_INSTALL));
    EXPECT_TRUE(bench::RecordExists());
    EXPECT_TRUE(bench::FileExists(folder + "base.pak"));
    EXPECT_TRUE(bench::FileExists(bench::LinkPath()));
    setup.Close();
}

TEST_F(RemoveLaunchFlowTest, LaunchStartsTheGameInItsFolderAndEnds)
{
    std::string folder = scratch + "hoshikage\\";
    PlantInstall(folder, false, "MIN", folder.c_str());
    std::string record = scratch + "launched.txt";
    ASSERT_TRUE(StartRecordingLaunches(record));

    setup.Click(IDC_LAUNCH);
    setup.ExpectCleanExit();
    // The file exists before the game has written it.
    ASSERT_TRUE(probe::WaitUntil([&] { return !bench::ReadFileBytes(record).empty(); }, 15000))
        << "hoshi.exe did not run";
    EXPECT_EQ(folder.substr(0, folder.size() - 1), bench::ReadFileBytes(record));
}

TEST_F(RemoveLaunchFlowTest, LaunchEndsTheSetupEvenWithoutTheGame)
{
    std::string folder = scratch + "hoshikage\\";
    PlantInstall(folder, false, "MIN", folder.c_str());
    DeleteFileA((folder + "hoshi.exe").c_str());
    ASSERT_TRUE(setup.Start());
    setup.Click(IDC_LAUNCH);
    setup.ExpectCleanExit();
}

TEST_F(RemoveLaunchFlowTest, LaunchAfterTheRecordWentAwayStartsNothing)
{
    std::string folder = scratch + "hoshikage\\";
    PlantInstall(folder, false, "MIN", folder.c_str());
    std::string record = scratch + "launched.txt";
    ASSERT_TRUE(StartRecordingLaunches(record));
    ASSERT_TRUE(setup.IsEnabled(IDC_LAUNCH));

    bench::ForgetInstall();
    setup.Click(IDC_LAUNCH);
    ASSERT_TRUE(probe::WaitUntil([&] { return setup.Text(IDC_INSTALL) == "インストール"; }, 10000));
    // A game started by the click exists by the time the setup is back at
    // its messages; one that ran already has left its record.
    setup.Settle();
    EXPECT_FALSE(setup.IsEnabled(IDC_LAUNCH));
    EXPECT_FALSE(GameRunning());
    EXPECT_FALSE(bench::FileExists(record));
    setup.Close();
}

enum Directory
{
    WITH_BACKSLASH,
    WITHOUT_BACKSLASH,
    NO_DIRECTORY
};

struct PlantedRemoval
{
    const char* name;
    bool full;
    const char* install;
    Directory directory;
    bool userFile;
    // What stays in the install folder; when nothing, the folder goes too.
    std::vector<std::string> left;
};

void PrintTo(const PlantedRemoval& row, std::ostream* out)
{
    *out << row.name;
}

std::vector<std::string> Voices()
{
    std::vector<std::string> files = ListedFiles(true);
    return std::vector<std::string>(files.begin() + 5, files.end());
}

class PlantedRemovalTest : public RemoveLaunchFlowTest, public testing::WithParamInterface<PlantedRemoval>
{
};

TEST_P(PlantedRemovalTest, RemovesWhatTheRecordNames)
{
    const PlantedRemoval& row = GetParam();
    std::string folder = scratch + "hoshikage\\";
    std::string directory = row.directory == WITHOUT_BACKSLASH ? folder.substr(0, folder.size() - 1) : folder;
    PlantInstall(folder, row.full, row.install, row.directory == NO_DIRECTORY ? nullptr : directory.c_str());
    if (row.userFile)
        bench::WriteFileBytes(folder + "save01.dat", "mine");

    RemoveFromStartPage();
    std::vector<std::string> left = row.left;
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, bench::FolderContents(folder));
    // Compared whole: a diff of the voice archives would run to megabytes.
    for (const std::string& name : left)
        EXPECT_TRUE(bench::ReadFileBytes(folder + name)
                    == (name == "save01.dat" ? "mine" : bench::ReadFileBytes(DiscFile(name))))
            << name << " changed or gone";
    EXPECT_EQ(!left.empty(), bench::FolderExists(folder));
    ExpectEntryAndRecordGone();
    setup.Close();
}

INSTANTIATE_TEST_SUITE_P(
    Records, PlantedRemovalTest,
    testing::Values(PlantedRemoval{"AFileOfTheUsersOwn", true, "FULL", WITH_BACKSLASH, true, {"save01.dat"}},
                    PlantedRemoval{"InstallFullInLowerCase", true, "full", WITH_BACKSLASH, false, Voices()},
                    PlantedRemoval{"InstallFullWithASpace", true, "FULL ", WITH_BACKSLASH, false, Voices()},
                    PlantedRemoval{"ADirectoryWithoutItsBackslash", false, "MIN", WITHOUT_BACKSLASH, false, {}},
                    // No folder was read, so no file is touched.
                    PlantedRemoval{"ARecordWithoutAFolder", false, "MIN", NO_DIRECTORY, false,
                                   ListedFiles(false)}),
    [](const testing::TestParamInfo<PlantedRemoval>& info) { return std::string(info.param.name); });
} // namespace
