// tests/ui/OptionsFlowTest.cpp
// The options page through the window: defaults, questions, Back, Browse,
// the free-space warning and the refusal of a destination too long.
#include "BenchDrive.h"
#include "res/resource.h"
#include "support/BenchState.h"
#include "sys/Win32.h"
#include "ui/FlowTest.h"

namespace
{
using OptionsFlowTest = FlowTest;

std::string ProgramFilesDir()
{
    char value[MAX_PATH];
    DWORD size = sizeof(value);
    if (RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
                     RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return "";
    return value;
}

TEST_F(OptionsFlowTest, DefaultsAreTheProgramFilesFolderAndAFullInstall)
{
    ASSERT_TRUE(setup.Start());
    OpenOptions();
    // As a process of the same bitness sees the value.
    std::string programFiles = ProgramFilesDir();
    ASSERT_FALSE(programFiles.empty());
    EXPECT_EQ(programFiles + "\\Morihane\\", setup.Text(IDC_FOLDER));
    EXPECT_TRUE(setup.IsChecked(IDC_FULL));
    EXPECT_FALSE(setup.IsChecked(IDC_MINIMAL));
    EXPECT_EQ("インストール先にhoshikageフォルダを作成し、そこにインストールします", setup.Text(IDC_NOTE));
    EXPECT_EQ("フルインストール(音声:あり 容量:1.3G)", setup.Text(IDC_FULL));
    EXPECT_EQ("最小インストール(音声:なし 容量:300M)", setup.Text(IDC_MINIMAL));
    setup.Close();
}

TEST_F(OptionsFlowTest, BackAndReturnKeepTheFolderAndTheChoice)
{
    ASSERT_TRUE(setup.Start());
    OpenOptions();
    ChooseDestination("D:\\Games\\", false);
    setup.Click(IDC_BACK);
    ASSERT_TRUE(probe::WaitUntil([&] { return IsWindowVisible(setup.Page(IDC_LAUNCH)); }, 10000));
    EXPECT_FALSE(IsWindowVisible(setup.Page(IDC_FOLDER)));
    EXPECT_EQ("インストール", setup.Text(IDC_INSTALL));

    OpenOptions();
    EXPECT_EQ("D:\\Games\\", setup.Text(IDC_FOLDER));
    EXPECT_TRUE(setup.IsChecked(IDC_MINIMAL));
    EXPECT_FALSE(setup.IsChecked(IDC_FULL));
    setup.Close();
}

TEST_F(OptionsFlowTest, TheQuestionNamesTheInstallFolderWithOrWithoutABackslash)
{
    ASSERT_TRUE(setup.Start());
    OpenOptions();
    for (const char* base : {"D:\\Games", "D:\\Games\\"})
    {
        ChooseDestination(base, true);
        PressStart("D:\\Games\\hoshikageにフルインストールします。よろしいですか？", IDNO);
        ChooseDestination(base, false);
        PressStart("D:\\Games\\hoshikageに最小インストールします。よろしいですか？", IDNO);
    }
    // No stays on the page with its values.
    EXPECT_TRUE(setup.IsVisible(IDC_FOLDER));
    EXPECT_EQ("D:\\Games\\", setup.Text(IDC_FOLDER));
    EXPECT_TRUE(setup.IsChecked(IDC_MINIMAL));
    EXPECT_FALSE(bench::FolderExists("D:\\Games\\hoshikage"));
    setup.Close();
}

TEST_F(OptionsFlowTest, AnEmptyFolderAsksForARelativeFolderThenWarnsOfSpace)
{
    ASSERT_TRUE(setup.Start());
    OpenOptions();
    ChooseDestination("", true);
    PressStart("hoshikageにフルインストールします。よろしいですか？", IDYES);

    // Its root "hos" is no drive: the query fails and counts as no space.
    probe::DialogView warning = setup.WaitForMessageBox();
    EXPECT_EQ(ConfirmCaption, warning.caption);
    EXPECT_EQ(LowSpaceQuestion, warning.text);
    setup.Answer(warning, IDNO);
    EXPECT_TRUE(setup.IsVisible(IDC_FOLDER));
    EXPECT_FALSE(setup.IsVisible(IDC_ABORT));
    EXPECT_EQ("", setup.Text(IDC_FOLDER));
    setup.Close();
}

// The bench mounts a 1300 MiB and a 256 KiB file system; each becomes a
// fixed drive of its own.
class FreeSpaceFlowTest : public FlowTest
{
protected:
    bool MountAsDrive(const char* mount, char letter)
    {
        std::string unix = bench::RootUnix() + "/mnt/" + mount;
        std::string probe = bench::RunUnix("mountpoint -q " + unix + " && echo mounted");
        if (probe.find("mounted") == std::string::npos)
            return false;
        bench::RunUnix("rm -rf " + unix + "/*");
        return bench::DefineDrive(letter, bench::DriveKind::Fixed, unix);
    }
};

TEST_F(FreeSpaceFlowTest, ExactlyTheThresholdAsksNothingAndLessAsks)
{
    if (!MountAsDrive("space", 'g') || !MountAsDrive("small", 'h'))
        GTEST_SKIP() << "the bench could not mount its small file systems (not root?)";
    InsertDisc('d', 1);
    ASSERT_TRUE(setup.Start());
    OpenOptions();

    // A drive with 256 KiB free is short of space for either install.
    ChooseDestination("H:\\", false);
    PressStart(MinimalQuestion("H:\\"), IDYES);
    probe::DialogView warning = setup.WaitForMessageBox();
    EXPECT_EQ(LowSpaceQuestion, warning.text);
    EXPECT_EQ(ConfirmCaption, warning.caption);
    setup.Answer(warning, IDNO);
    EXPECT_TRUE(setup.IsVisible(IDC_FOLDER));

    // 1300 MiB free is enough for a full install: the run starts at once.
    ChooseDestination("G:\\", true);
    PressStart(FullQuestion("G:\\"), IDYES);
    probe::DialogView next = setup.WaitForMessageBox(60000);
    EXPECT_EQ(Disc2Prompt, next.text) << "expected the run to reach disc 2 without a space warning";
    setup.Answer(next, IDCANCEL);
    ASSERT_TRUE(probe::WaitUntil([&] { return setup.IsVisible(IDC_FOLDER); }, 10000));
    setup.Close();
}

TEST_F(OptionsFlowTest, AFolderTooLongForItsFilesIsRefusedBeforeAnything)
{
    ASSERT_TRUE(setup.Start());
    OpenOptions();
    // With "hoshikage\" and the longest file name (10 bytes) this makes
    // 260 bytes, one more than a path may hold.
    std::string base = scratch + std::string(239 - scratch.size(), 'a') + "\\";
    ChooseDestination(base, true);
    setup.Click(IDC_START);
    probe::DialogView refusal = setup.WaitForMessageBox();
    EXPECT_EQ(ConfirmCaption, refusal.caption);
    EXPECT_EQ("インストール先のフォルダ名が長すぎます。もっと短いフォルダを指定してください。", refusal.text);
    setup.Answer(refusal, IDOK);
    EXPECT_TRUE(setup.IsVisible(IDC_FOLDER));
    EXPECT_EQ(base, setup.Text(IDC_FOLDER));
    EXPECT_TRUE(setup.IsChecked(IDC_FULL));
    EXPECT_FALSE(setup.HasMessageBox()) << "nothing is asked after the refusal";

    // A folder just short enough is taken: the confirmation comes.
    std::string fits = scratch + std::string(238 - scratch.size(), 'b') + "\\";
    ChooseDestination(fits, true);
    PressStart(FullQuestion(fits), IDNO);
    setup.Close();
}

// The folder picker, answered from here.
probe::DialogView WaitForPicker(SetupDriver& setup)
{
    probe::DialogView picker = probe::WaitForDialog(setup.Frame(), 15000);
    EXPECT_NE(nullptr, picker.window) << "no folder picker";
    return picker;
}

TEST_F(OptionsFlowTest, BrowseOpensOnTheFolderAndReturnsItWithABackslash)
{
    std::string folder = scratch + "Games\\";
    bench::MakeFolders(folder);
    ASSERT_TRUE(setup.Start());
    OpenOptions();

    // With its trailing backslash taken off, the folder is selected first:
    // OK hands it back with the backslash.
    setup.SetText(IDC_FOLDER, folder);
    setup.Click(IDC_BROWSE);
    probe::DialogView picker = WaitForPicker(setup);
    ASSERT_NE(nullptr, picker.window);
    EXPECT_EQ("フォルダーの参照", picker.caption);
    setup.Answer(picker, IDOK);
    EXPECT_TRUE(probe::WaitUntil([&] { return setup.Text(IDC_FOLDER) == folder; }, 5000))
        << setup.Text(IDC_FOLDER);

    // A drive root keeps its backslash and comes back as it was.
    setup.SetText(IDC_FOLDER, "C:\\");
    setup.Click(IDC_BROWSE);
    picker = WaitForPicker(setup);
    ASSERT_NE(nullptr, picker.window);
    setup.Answer(picker, IDOK);
    EXPECT_TRUE(probe::WaitUntil([&] { return setup.Text(IDC_FOLDER) == "C:\\"; }, 5000))
        << setup.Text(IDC_FOLDER);
    setup.Close();
}

TEST_F(OptionsFlowTest, CancellingBrowseLeavesTheFolder)
{
    ASSERT_TRUE(setup.Start());
    OpenOptions();
    setup.SetText(IDC_FOLDER, scratch);
    setup.Click(IDC_BROWSE);
    probe::DialogView picker = WaitForPicker(setup);
    ASSERT_NE(nullptr, picker.window);
    setup.Answer(picker, IDCANCEL);
    Sleep(200);
    EXPECT_EQ(scratch, setup.Text(IDC_FOLDER));
    EXPECT_TRUE(setup.IsVisible(IDC_FOLDER));
    setup.Close();
}
} // namespace
