// tests/ui/RemoveLaunchFlowTest.cpp
// Removing and launching an installed game from the start page.
#include "res/resource.h"
#include "support/BenchState.h"
#include "sys/Win32.h"
#include "ui/FlowTest.h"

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
        EXPECT_FALSE(setup.IsEnabled(IDC_LAUNCH));
        EXPECT_FALSE(setup.HasMessageBox()) << "removal reports nothing";
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

TEST_F(RemoveLaunchFlowTest, AFileOfTheUsersOwnKeepsItselfAndTheFolder)
{
    std::string folder = scratch + "hoshikage\\";
    PlantInstall(folder, true, "FULL", folder.c_str());
    bench::WriteFileBytes(folder + "save01.dat", "mine");

    RemoveFromStartPage();
    ExpectNoListedFile(folder);
    EXPECT_EQ("mine", bench::ReadFileBytes(folder + "save01.dat"));
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
    Sleep(200);
    EXPECT_EQ("削除", setup.Text(IDC_INSTALL));
    EXPECT_TRUE(bench::RecordExists());
    EXPECT_TRUE(bench::FileExists(folder + "base.pak"));
    EXPECT_TRUE(bench::FileExists(bench::LinkPath()));
    setup.Close();
}

TEST_F(RemoveLaunchFlowTest, InstallFullInLowerCaseRemovesOnlyTheCommonFiles)
{
    std::string folder = scratch + "hoshikage\\";
    PlantInstall(folder, true, "full", folder.c_str());
    RemoveFromStartPage();
    for (const std::string& name : ListedFiles(false))
        EXPECT_FALSE(bench::FileExists(folder + name)) << name;
    EXPECT_TRUE(bench::FileExists(folder + "v1_0.pak"));
    EXPECT_TRUE(bench::FileExists(folder + "v2_5.pak"));
    EXPECT_TRUE(bench::FolderExists(folder));
    ExpectEntryAndRecordGone();
    setup.Close();
}

TEST_F(RemoveLaunchFlowTest, ADirectoryWithoutItsBackslashStillFindsTheFiles)
{
    std::string folder = scratch + "hoshikage\\";
    std::string bare = folder.substr(0, folder.size() - 1);
    PlantInstall(folder, false, "MIN", bare.c_str());
    RemoveFromStartPage();
    ExpectNoListedFile(folder);
    EXPECT_FALSE(bench::FolderExists(folder));
    setup.Close();
}

TEST_F(RemoveLaunchFlowTest, ARecordWithoutAFolderStillLosesItsEntryAndItself)
{
    std::string folder = scratch + "hoshikage\\";
    PlantInstall(folder, false, "MIN", nullptr);
    RemoveFromStartPage();
    EXPECT_TRUE(bench::FileExists(folder + "base.pak")) << "no folder was read, so no file is touched";
    ExpectEntryAndRecordGone();
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
    EXPECT_FALSE(setup.IsEnabled(IDC_LAUNCH));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(setup.Process(), 300)) << "the setup keeps running";
    EXPECT_FALSE(bench::FileExists(record));
    setup.Close();
}
} // namespace
