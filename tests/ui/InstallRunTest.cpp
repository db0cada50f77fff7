// tests/ui/InstallRunTest.cpp
// The install run across the two discs, through the window: what the
// progress page shows. Prompts, aborts and failures are cases of the fault
// catalogue.
#include "BenchDrive.h"
#include "res/resource.h"
#include "support/BenchState.h"
#include "ui/FlowTest.h"

namespace
{
using InstallRunTest = FlowTest;

TEST_F(InstallRunTest, FullInstallCopiesSeventeenFilesFromTwoDiscs)
{
    InsertDisc('d', 1);
    InsertDisc('e', 2);
    StartRun(scratch, true);

    probe::DialogView done = setup.WaitForMessageBox(60000);
    ASSERT_EQ(CompletedText, done.text);
    // The run is over but its page still shows what it reached.
    EXPECT_TRUE(setup.IsVisible(IDC_ABORT));
    EXPECT_EQ(100, setup.BarPosition(IDC_FILE_BAR));
    EXPECT_EQ(100, setup.BarPosition(IDC_TOTAL_BAR));
    EXPECT_EQ("17ファイル中17ファイルコピー完了", setup.Text(IDC_COUNT_LINE));
    EXPECT_EQ("E:\\v2_5.pakをコピー中...", setup.Text(IDC_FILE_LINE));
    setup.Answer(done, IDOK);

    ASSERT_TRUE(setup.WaitVisible(IDC_LAUNCH));
    ExpectInstalled(scratch + "hoshikage\\", true);
    setup.Close();
}

TEST_F(InstallRunTest, MinimalInstallNeverAsksForTheSecondDisc)
{
    InsertDisc('d', 1);
    StartRun(scratch, false);

    probe::DialogView done = setup.WaitForMessageBox(60000);
    ASSERT_EQ(CompletedText, done.text);
    EXPECT_EQ("5ファイル中5ファイルコピー完了", setup.Text(IDC_COUNT_LINE));
    EXPECT_EQ(100, setup.BarPosition(IDC_TOTAL_BAR));
    setup.Answer(done, IDOK);
    ASSERT_TRUE(setup.WaitVisible(IDC_LAUNCH));

    ExpectInstalled(scratch + "hoshikage\\", false);
    EXPECT_FALSE(bench::FileExists(scratch + "hoshikage\\v1_0.pak"));
    std::string install;
    ASSERT_TRUE(bench::ReadRecordValue("INSTALL", &install));
    EXPECT_EQ("MIN", install);
    setup.Close();
}

TEST_F(InstallRunTest, ASecondRunStartsFromNothing)
{
    InsertDisc('d', 1);
    StartRun(scratch, true);
    probe::DialogView prompt = setup.WaitForMessageBox(60000);
    ASSERT_EQ(Disc2Prompt, prompt.text);
    setup.Answer(prompt, IDCANCEL);
    ASSERT_TRUE(setup.WaitVisible(IDC_FOLDER));

    EjectDisc('d');
    PressStart(FullQuestion(scratch), IDYES);
    prompt = setup.WaitForMessageBox();
    ASSERT_EQ(Disc1Prompt, prompt.text);
    EXPECT_EQ(0, setup.BarPosition(IDC_FILE_BAR));
    EXPECT_EQ(0, setup.BarPosition(IDC_TOTAL_BAR));
    EXPECT_EQ("", setup.Text(IDC_FILE_LINE));
    EXPECT_EQ("17ファイル中0ファイルコピー完了", setup.Text(IDC_COUNT_LINE));
    setup.Answer(prompt, IDCANCEL);
    ASSERT_TRUE(setup.WaitVisible(IDC_FOLDER));
    setup.Close();
}
} // namespace
