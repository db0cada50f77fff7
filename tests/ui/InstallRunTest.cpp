// tests/ui/InstallRunTest.cpp
// The install run across the two discs, through the window: prompts,
// progress, abort, failure and roll-back.
#include "BenchDrive.h"
#include "res/resource.h"
#include "support/BenchState.h"
#include "ui/FlowTest.h"

#include <stdlib.h>

#include <functional>
#include <utility>

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

class InterruptedRunTest;

struct Interruption
{
    const char* name;
    // Starts a full run into base and stops it on the way.
    void (InterruptedRunTest::*interrupt)(const std::string& base);
};

void PrintTo(const Interruption& row, std::ostream* out)
{
    *out << row.name;
}

class InterruptedRunTest : public FlowTest, public testing::WithParamInterface<Interruption>
{
public:
    void CancelAtDiscTwo(const std::string& base)
    {
        InsertDisc('d', 1);
        StartRun(base, true);
        probe::DialogView prompt = setup.WaitForMessageBox(60000);
        EXPECT_EQ(DiscCaption, prompt.caption);
        ASSERT_EQ(Disc2Prompt, prompt.text);
        EXPECT_EQ(11, CopiedCount());
        EXPECT_TRUE(bench::FileExists(base + "hoshikage\\v1_5.pak"));
        setup.Answer(prompt, IDCANCEL);
    }

    void MissingSource(const std::string& base)
    {
        std::string disc = scratch + "disc1\\";
        bench::MakeFolders(disc);
        for (const std::string& name : ListedFiles(false))
        {
            if (name != "base.pak")
                bench::WriteFileBytes(disc + name, bench::ReadFileBytes(DiscFile(name)));
        }
        ASSERT_TRUE(bench::DefineDrive('d', bench::DriveKind::CdRom, bench::UnixPath(disc), "hoshikage1"));
        StartRun(base, true);
        probe::DialogView failure = setup.WaitForMessageBox(30000);
        EXPECT_EQ("base.pakのコピーに失敗しました", failure.text);
        // The destination was made before the source failed to open.
        EXPECT_TRUE(bench::FileExists(base + "hoshikage\\base.pak"));
        setup.Answer(failure, IDOK);
    }

    void AbortButton(const std::string& base)
    {
        AbortAfterNo(base, [&] { setup.Click(IDC_ABORT); });
    }

    void CloseBox(const std::string& base)
    {
        AbortAfterNo(base, [&] { PostMessageA(setup.Frame(), WM_CLOSE, 0, 0); });
    }

    // What the progress page, hidden or not, counts as copied.
    int CopiedCount()
    {
        std::string line = setup.Text(IDC_COUNT_LINE);
        const std::string head = "17ファイル中";
        EXPECT_EQ(0u, line.find(head)) << line;
        return line.find(head) == 0 ? atoi(line.c_str() + head.size()) : -1;
    }

private:
    // Asks to abort, answers No, asks again once the copy went on, and
    // answers Yes. A request waits in the queue until the copier lets one
    // message through, after a full chunk.
    void AbortAfterNo(const std::string& base, const std::function<void()>& ask)
    {
        InsertDisc('d', 1);
        InsertDisc('e', 2);
        StartRun(base, true);
        ASSERT_TRUE(setup.WaitVisible(IDC_ABORT));
        std::pair<int, int> reached;
        for (int answer : {IDNO, IDYES})
        {
            ask();
            probe::DialogView question = setup.WaitForMessageBox();
            EXPECT_EQ("中断", question.caption);
            ASSERT_EQ(AbortQuestion, question.text);
            std::pair<int, int> now(CopiedCount(), setup.BarPosition(IDC_FILE_BAR));
            if (answer == IDYES)
            {
                EXPECT_GT(now, reached) << "files and file bar did not move on after No";
            }
            reached = now;
            setup.Answer(question, answer);
        }
    }
};

TEST_P(InterruptedRunTest, EndsBackOnTheOptionsPageWithNothingLeft)
{
    std::string base = scratch + "Morihane\\";
    (this->*GetParam().interrupt)(base);
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(setup.WaitVisible(IDC_FOLDER));
    setup.Settle();
    EXPECT_FALSE(setup.IsVisible(IDC_ABORT));
    EXPECT_FALSE(setup.HasMessageBox()) << "no message of the roll-back's own";
    EXPECT_LT(CopiedCount(), 17) << "the run went on to its end";
    ExpectNoListedFile(base + "hoshikage\\");
    EXPECT_FALSE(bench::FolderExists(base + "hoshikage\\"));
    EXPECT_TRUE(bench::FolderExists(base)) << "the parent made for the install stays";
    EXPECT_FALSE(bench::RecordExists());
    EXPECT_EQ(base, setup.Text(IDC_FOLDER));
    EXPECT_TRUE(setup.IsChecked(IDC_FULL));
    setup.Close();
}

INSTANTIATE_TEST_SUITE_P(Ways, InterruptedRunTest,
                         testing::Values(Interruption{"CancelAtDiscTwo", &InterruptedRunTest::CancelAtDiscTwo},
                                         Interruption{"MissingSource", &InterruptedRunTest::MissingSource},
                                         Interruption{"AbortButton", &InterruptedRunTest::AbortButton},
                                         Interruption{"CloseBox", &InterruptedRunTest::CloseBox}),
                         [](const testing::TestParamInfo<Interruption>& info) { return std::string(info.param.name); });
} // namespace
