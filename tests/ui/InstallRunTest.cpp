// tests/ui/InstallRunTest.cpp
// The install run across the two discs, through the window: prompts,
// progress, abort, failure and roll-back.
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

    ASSERT_TRUE(probe::WaitUntil([&] { return IsWindowVisible(setup.Page(IDC_LAUNCH)); }, 10000));
    ExpectInstalled(scratch + "hoshikage\\", true);
    setup.Close();
}

TEST_F(InstallRunTest, MissingDiscIsAskedForUntilItIsInserted)
{
    StartRun(scratch, false);

    probe::DialogView prompt = setup.WaitForMessageBox();
    EXPECT_EQ(DiscCaption, prompt.caption);
    EXPECT_EQ(Disc1Prompt, prompt.text);
    setup.Answer(prompt, IDOK);

    // OK without the disc asks again.
    prompt = setup.WaitForMessageBox();
    EXPECT_EQ(Disc1Prompt, prompt.text);
    InsertDisc('f', 1);
    setup.Answer(prompt, IDOK);
    FinishRun();
    ExpectInstalled(scratch + "hoshikage\\", false);
    setup.Close();
}

TEST_F(InstallRunTest, CancelAtTheSecondDiscEndsAfterElevenFilesAndRollsBack)
{
    InsertDisc('d', 1);
    std::string base = scratch + "Morihane\\";
    StartRun(base, true);

    probe::DialogView prompt = setup.WaitForMessageBox(60000);
    EXPECT_EQ(DiscCaption, prompt.caption);
    ASSERT_EQ(Disc2Prompt, prompt.text);
    EXPECT_EQ("17ファイル中11ファイルコピー完了", setup.Text(IDC_COUNT_LINE));
    EXPECT_TRUE(bench::FileExists(base + "hoshikage\\v1_5.pak"));
    setup.Answer(prompt, IDCANCEL);

    ASSERT_TRUE(probe::WaitUntil([&] { return setup.IsVisible(IDC_FOLDER); }, 10000));
    EXPECT_FALSE(setup.HasMessageBox()) << "no failure message after a cancelled prompt";
    ExpectNoListedFile(base + "hoshikage\\");
    EXPECT_FALSE(bench::FolderExists(base + "hoshikage\\"));
    EXPECT_TRUE(bench::FolderExists(base)) << "the parent made for the install stays";
    EXPECT_FALSE(bench::RecordExists());
    EXPECT_EQ(base, setup.Text(IDC_FOLDER));
    EXPECT_TRUE(setup.IsChecked(IDC_FULL));
    setup.Close();
}

TEST_F(InstallRunTest, DiscTwoInTheOnlyDriveAfterDiscOneGoesOn)
{
    InsertDisc('d', 1);
    StartRun(scratch, true);

    probe::DialogView prompt = setup.WaitForMessageBox(60000);
    ASSERT_EQ(Disc2Prompt, prompt.text);
    // Disc 1 is still in the drive: OK asks again until it is swapped.
    setup.Answer(prompt, IDOK);
    prompt = setup.WaitForMessageBox();
    ASSERT_EQ(Disc2Prompt, prompt.text);
    InsertDisc('d', 2);
    setup.Answer(prompt, IDOK);
    FinishRun();
    ExpectInstalled(scratch + "hoshikage\\", true);
    setup.Close();
}

TEST_F(InstallRunTest, AMissingSourceIsNamedAndRolledBack)
{
    // A disc 1 without base.pak.
    std::string disc = scratch + "disc1\\";
    bench::MakeFolders(disc);
    for (const std::string& name : ListedFiles(true))
    {
        if (name != "base.pak" && name.compare(0, 3, "v2_") != 0)
            bench::WriteFileBytes(disc + name, bench::ReadFileBytes(DiscFile(name)));
    }
    ASSERT_TRUE(bench::DefineDrive('d', bench::DriveKind::CdRom, bench::UnixPath(disc), "hoshikage1"));

    std::string base = scratch + "dest\\";
    StartRun(base, true);

    probe::DialogView failure = setup.WaitForMessageBox(30000);
    EXPECT_EQ("base.pakのコピーに失敗しました", failure.text);
    // The destination was made before the source failed to open.
    EXPECT_TRUE(bench::FileExists(base + "hoshikage\\base.pak"));
    setup.Answer(failure, IDOK);

    ASSERT_TRUE(probe::WaitUntil([&] { return setup.IsVisible(IDC_FOLDER); }, 10000));
    EXPECT_FALSE(bench::FolderExists(base + "hoshikage\\"));
    EXPECT_FALSE(bench::RecordExists());
    EXPECT_EQ(base, setup.Text(IDC_FOLDER));
    setup.Close();
}

TEST_F(InstallRunTest, AbortAnsweredNoGoesOnAndYesStopsWithoutAFailureMessage)
{
    InsertDisc('d', 1);
    InsertDisc('e', 2);
    StartRun(scratch, true);

    // The click waits in the queue until the copier lets one message
    // through, after the first full chunk.
    ASSERT_TRUE(probe::WaitUntil([&] { return setup.IsVisible(IDC_ABORT); }, 10000));
    setup.Click(IDC_ABORT);
    probe::DialogView question = setup.WaitForMessageBox();
    EXPECT_EQ("中断", question.caption);
    EXPECT_EQ(AbortQuestion, question.text);
    setup.Answer(question, IDNO);

    setup.Click(IDC_ABORT);
    question = setup.WaitForMessageBox();
    ASSERT_EQ(AbortQuestion, question.text);
    setup.Answer(question, IDYES);

    ASSERT_TRUE(probe::WaitUntil([&] { return setup.IsVisible(IDC_FOLDER); }, 10000));
    EXPECT_FALSE(setup.IsVisible(IDC_ABORT));
    Sleep(300);
    EXPECT_FALSE(setup.HasMessageBox()) << "an abort shows no failure message";
    EXPECT_FALSE(bench::FileExists(scratch + "hoshikage\\v2_5.pak")) << "the run went on to its end";
    ExpectNoListedFile(scratch + "hoshikage\\");
    EXPECT_FALSE(bench::RecordExists());
    EXPECT_EQ(scratch, setup.Text(IDC_FOLDER));
    EXPECT_TRUE(setup.IsChecked(IDC_FULL));
    setup.Close();
}

TEST_F(InstallRunTest, CloseBoxDuringACopyAsksAndYesAborts)
{
    InsertDisc('d', 1);
    InsertDisc('e', 2);
    StartRun(scratch, true);

    ASSERT_TRUE(probe::WaitUntil([&] { return setup.IsVisible(IDC_ABORT); }, 10000));
    PostMessageA(setup.Frame(), WM_CLOSE, 0, 0);
    probe::DialogView question = setup.WaitForMessageBox();
    EXPECT_EQ("中断", question.caption);
    ASSERT_EQ(AbortQuestion, question.text);
    setup.Answer(question, IDYES);

    ASSERT_TRUE(probe::WaitUntil([&] { return setup.IsVisible(IDC_FOLDER); }, 10000));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(setup.Process(), 300)) << "the program keeps running";
    EXPECT_FALSE(setup.HasMessageBox());
    ExpectNoListedFile(scratch + "hoshikage\\");
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
    ASSERT_TRUE(probe::WaitUntil([&] { return IsWindowVisible(setup.Page(IDC_LAUNCH)); }, 10000));

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
    ASSERT_TRUE(probe::WaitUntil([&] { return setup.IsVisible(IDC_FOLDER); }, 10000));

    EjectDisc('d');
    PressStart(FullQuestion(scratch), IDYES);
    prompt = setup.WaitForMessageBox();
    ASSERT_EQ(Disc1Prompt, prompt.text);
    EXPECT_EQ(0, setup.BarPosition(IDC_FILE_BAR));
    EXPECT_EQ(0, setup.BarPosition(IDC_TOTAL_BAR));
    EXPECT_EQ("", setup.Text(IDC_FILE_LINE));
    EXPECT_EQ("17ファイル中0ファイルコピー完了", setup.Text(IDC_COUNT_LINE));
    setup.Answer(prompt, IDCANCEL);
    ASSERT_TRUE(probe::WaitUntil([&] { return setup.IsVisible(IDC_FOLDER); }, 10000));
    setup.Close();
}
} // namespace
