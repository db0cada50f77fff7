// tests/ui/FlowTest.cpp
#include "ui/FlowTest.h"

#include "BenchDrive.h"
#include "res/resource.h"
#include "support/BenchState.h"

#include <tlhelp32.h>

void FlowTest::SetUp()
{
    bench::RestoreHiddenValues();
    bench::ForgetInstall();
    bench::RemoveBenchDrives();
    scratch = bench::Scratch();
}

void FlowTest::TearDown()
{
    if (WaitForSingleObject(setup.Process(), 0) == WAIT_TIMEOUT && setup.Frame() != nullptr)
        ADD_FAILURE() << "setup.exe was still running at the end of the test";
    bench::RemoveBenchDrives();
    bench::ForgetInstall();
}

void FlowTest::InsertDisc(char letter, int disc)
{
    ASSERT_TRUE(bench::InsertDisc(letter, bench::Disc(disc), "hoshikage" + std::to_string(disc)));
}

void FlowTest::EjectDisc(char letter)
{
    ASSERT_TRUE(bench::RemoveDrive(letter));
}

void FlowTest::OpenOptions()
{
    setup.Click(IDC_INSTALL);
    ASSERT_TRUE(setup.WaitVisible(IDC_FOLDER));
    EXPECT_FALSE(setup.IsVisible(IDC_LAUNCH));
}

void FlowTest::ChooseDestination(const std::string& base, bool full)
{
    setup.SetText(IDC_FOLDER, base);
    setup.Click(full ? IDC_FULL : IDC_MINIMAL);
    ASSERT_TRUE(probe::WaitUntil([&] { return setup.IsChecked(full ? IDC_FULL : IDC_MINIMAL); }, 5000));
}

void FlowTest::PressStart(const std::string& question, int answer)
{
    setup.Click(IDC_START);
    probe::DialogView box = setup.WaitForMessageBox();
    ASSERT_NE(nullptr, box.window);
    EXPECT_EQ(ConfirmCaption, box.caption);
    EXPECT_EQ(question, box.text);
    setup.Answer(box, answer);
}

void FlowTest::FinishRun()
{
    probe::DialogView done = setup.WaitForMessageBox(60000);
    ASSERT_NE(nullptr, done.window);
    EXPECT_EQ("終了", done.caption);
    EXPECT_EQ(CompletedText, done.text);
    setup.Answer(done, IDOK);
    ASSERT_TRUE(setup.WaitVisible(IDC_LAUNCH));
}

void FlowTest::StartRun(const std::string& base, bool full)
{
    ASSERT_TRUE(setup.Start());
    OpenOptions();
    ChooseDestination(base, full);
    PressStart((full ? FullQuestion : MinimalQuestion)(base), IDYES);
}

void FlowTest::InstallFrom(const std::string& base, bool full)
{
    InsertDisc('d', 1);
    if (full)
        InsertDisc('e', 2);
    StartRun(base, full);
    FinishRun();
}

void FlowTest::PlantInstall(const std::string& folder, bool full, const char* installValue,
                            const char* directoryValue)
{
    bench::MakeFolders(folder);
    for (const std::string& name : ListedFiles(full))
        bench::WriteFileBytes(folder + name, bench::ReadFileBytes(DiscFile(name)));
    bench::WriteRecord(installValue, directoryValue);
    bench::MakeFolders(bench::StartMenuFolder());
    bench::WriteFileBytes(bench::LinkPath(), "link");
}

void FlowTest::Remove()
{
    ASSERT_EQ("削除", setup.Text(IDC_INSTALL));
    setup.Click(IDC_INSTALL);
    probe::DialogView question = setup.WaitForMessageBox();
    EXPECT_EQ(ConfirmCaption, question.caption);
    EXPECT_EQ("アンインストールしますか？", question.text);
    setup.Answer(question, IDYES);
    ASSERT_TRUE(probe::WaitUntil([&] { return setup.Text(IDC_INSTALL) == "インストール"; }, 10000));
    // Removal reports nothing.
    setup.ExpectIdle();
    EXPECT_FALSE(setup.IsEnabled(IDC_LAUNCH));
}

bool FlowTest::StartRecordingLaunches(const std::string& record)
{
    SetEnvironmentVariableA("HOSHI_RECORD", record.c_str());
    bool started = setup.Start();
    SetEnvironmentVariableA("HOSHI_RECORD", nullptr);
    return started;
}

bool FlowTest::GameRunning()
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

namespace
{
std::string WithBackslash(const std::string& base)
{
    return base.empty() || bench::EndsWithBackslash(base) ? base : base + "\\";
}
} // namespace

std::string FullQuestion(const std::string& base)
{
    return WithBackslash(base) + "hoshikageにフルインストールします。よろしいですか？";
}

std::string MinimalQuestion(const std::string& base)
{
    return WithBackslash(base) + "hoshikageに最小インストールします。よろしいですか？";
}
