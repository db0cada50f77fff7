// tests/ui/RemoveLaunchFlowTest.cpp
// Removing and launching an installed game from the start page; whole
// removals, and the ones that go wrong, are cases of the fault catalogue.
#include "res/resource.h"
#include "support/BenchState.h"
#include "sys/Win32.h"
#include "ui/FlowTest.h"

namespace
{
using RemoveLaunchFlowTest = FlowTest;

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
} // namespace
