// tests/ui/OptionsFlowTest.cpp
// The options page through the window: defaults, questions, Back, Browse,
// the free-space warning and the refusal of a destination too long.
#include "BenchDrive.h"
#include "res/resource.h"
#include "support/BenchState.h"
#include "sys/Win32.h"

#include <commctrl.h>
#include "ui/FlowTest.h"

namespace
{
using OptionsFlowTest = FlowTest;

class OptionsLocaleTest : public FlowTest, public testing::WithParamInterface<Locale>
{
};

std::string ProgramFilesDir()
{
    char value[MAX_PATH];
    DWORD size = sizeof(value);
    if (RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
                     RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return "";
    return value;
}

TEST_P(OptionsLocaleTest, DefaultsAreTheProgramFilesFolderAndAFullInstallAndBackKeepsAChoice)
{
    setup.SetLocale(GetParam().locale);
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

    ChooseDestination("D:\\Games\\", false);
    setup.Click(IDC_BACK);
    ASSERT_TRUE(setup.WaitVisible(IDC_LAUNCH));
    EXPECT_FALSE(setup.IsVisible(IDC_FOLDER));
    EXPECT_EQ("インストール", setup.Text(IDC_INSTALL));

    OpenOptions();
    EXPECT_EQ("D:\\Games\\", setup.Text(IDC_FOLDER));
    EXPECT_TRUE(setup.IsChecked(IDC_MINIMAL));
    EXPECT_FALSE(setup.IsChecked(IDC_FULL));
    setup.Close();
}

TEST_P(OptionsLocaleTest, TheQuestionNamesTheInstallFolderWithOrWithoutABackslashUnlessItIsTooLong)
{
    std::string base = scratch + "Games";
    setup.SetLocale(GetParam().locale);
    ASSERT_TRUE(setup.Start());
    OpenOptions();
    for (const std::string& text : {base, base + "\\"})
    {
        ChooseDestination(text, true);
        PressStart(base + "\\hoshikageにフルインストールします。よろしいですか？", IDNO);
        ChooseDestination(text, false);
        PressStart(base + "\\hoshikageに最小インストールします。よろしいですか？", IDNO);
    }
    // No stays on the page with its values, and makes no folder.
    EXPECT_TRUE(setup.IsVisible(IDC_FOLDER));
    EXPECT_EQ(base + "\\", setup.Text(IDC_FOLDER));
    EXPECT_TRUE(setup.IsChecked(IDC_MINIMAL));
    EXPECT_FALSE(bench::FolderExists(base + "\\hoshikage"));
    EXPECT_FALSE(bench::FolderExists(base));

    // A destination too long for the paths made from it is refused before
    // anything is asked: with "hoshikage\" and the longest file name (10
    // bytes) this makes 260 bytes, one more than a path may hold.
    std::string tooLong = scratch + std::string(239 - scratch.size(), 'a') + "\\";
    ChooseDestination(tooLong, true);
    setup.Click(IDC_START);
    probe::DialogView refusal = setup.WaitForMessageBox();
    EXPECT_EQ(ConfirmCaption, refusal.caption);
    EXPECT_EQ("インストール先のフォルダ名が長すぎます。もっと短いフォルダを指定してください。", refusal.text);
    setup.Answer(refusal, IDOK);
    EXPECT_TRUE(setup.IsVisible(IDC_FOLDER));
    EXPECT_EQ(tooLong, setup.Text(IDC_FOLDER));
    EXPECT_TRUE(setup.IsChecked(IDC_FULL));
    setup.ExpectIdle();

    // A folder just short enough is taken: the confirmation comes.
    std::string fits = scratch + std::string(238 - scratch.size(), 'b') + "\\";
    ChooseDestination(fits, true);
    PressStart(FullQuestion(fits), IDNO);
    setup.Close();
}

INSTANTIATE_TEST_SUITE_P(Locales, OptionsLocaleTest, testing::ValuesIn(Locales), table::RowName());

TEST_F(OptionsFlowTest, ExactlyTheThresholdAsksNothingAndLessAsks)
{
    if (!bench::TestMountAsDrive("space", 'g') || !bench::TestMountAsDrive("small", 'h'))
        return;
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
    EXPECT_FALSE(setup.IsVisible(IDC_ABORT));

    // 1300 MiB free is enough for a full install: the run starts at once.
    ChooseDestination("G:\\", true);
    PressStart(FullQuestion("G:\\"), IDYES);
    probe::DialogView next = setup.WaitForMessageBox(60000);
    EXPECT_EQ(Disc2Prompt, next.text) << "expected the run to reach disc 2 without a space warning";
    setup.Answer(next, IDCANCEL);
    ASSERT_TRUE(setup.WaitVisible(IDC_FOLDER));
    setup.Close();
}

// Presses Browse and returns the folder picker once it has settled on its
// initial folder: it selects it after it appears, as it fills its tree, and
// a click before that would take the Desktop, where it starts. Wine's
// picker now and then never applies the selection (mostly the first one of
// a 64-bit process); such a picker is cancelled and Browse pressed again,
// so a program that asks for no selection still fails every attempt.
probe::DialogView OpenSettledPicker(SetupDriver& setup)
{
    for (int attempt = 1; attempt <= 3; ++attempt)
    {
        setup.Click(IDC_BROWSE);
        probe::DialogView picker = probe::WaitForDialog(setup.Frame(), 15000);
        if (picker.window == nullptr)
            break;
        HWND tree = GetDlgItem(picker.window, 14145);
        auto item = [&](WPARAM which) {
            DWORD_PTR result = 0;
            SendMessageTimeoutA(tree, TVM_GETNEXTITEM, which, 0, SMTO_ABORTIFHUNG, 5000, &result);
            return result;
        };
        if (probe::WaitUntil([&] { return item(TVGN_CARET) != 0 && item(TVGN_CARET) != item(TVGN_ROOT); }, 5000))
            return picker;
        probe::Answer(picker.window, IDCANCEL);
    }
    ADD_FAILURE() << "the picker selected no folder";
    return probe::DialogView();
}

// Folders on C:, made from the Linux side: Wine's picker sometimes misses
// its initial selection when the folder was just made through Windows
// calls (it then refreshes its tree), and it never selects a folder whose
// path holds a name much longer than 8.3; real Windows does both.
class BrowseFlowTest : public FlowTest
{
protected:
    void SetUp() override
    {
        FlowTest::SetUp();
        bench::RunUnix("rm -rf $WINEPREFIX/drive_c/HSBrowse && mkdir -p $WINEPREFIX/drive_c/HSBrowse/Games");
    }
    void TearDown() override
    {
        bench::RunUnix("rm -rf $WINEPREFIX/drive_c/HSBrowse");
        FlowTest::TearDown();
    }
    const std::string root = "C:\\HSBrowse\\";
};

TEST_F(BrowseFlowTest, BrowseOpensOnTheFolderAndReturnsItWithABackslash)
{
    ASSERT_TRUE(setup.Start());
    OpenOptions();
    // Cancel leaves the text, which OK would give back with a backslash.
    std::string text = root.substr(0, root.size() - 1);
    setup.SetText(IDC_FOLDER, text);
    probe::DialogView picker = OpenSettledPicker(setup);
    ASSERT_NE(nullptr, picker.window);
    EXPECT_EQ("フォルダーの参照", picker.caption);
    setup.Answer(picker, IDCANCEL);
    EXPECT_EQ(text, setup.Text(IDC_FOLDER));

    // With its trailing backslash taken off, the folder is selected first:
    // OK hands it back with the backslash. A drive root keeps its backslash
    // and comes back as it was.
    for (const std::string& folder : {root + "Games\\", std::string("C:\\")})
    {
        setup.SetText(IDC_FOLDER, folder);
        picker = OpenSettledPicker(setup);
        ASSERT_NE(nullptr, picker.window);
        setup.Answer(picker, IDOK);
        EXPECT_TRUE(probe::WaitUntil([&] { return setup.Text(IDC_FOLDER) == folder; }, 5000))
            << setup.Text(IDC_FOLDER);
    }
    setup.Close();
}
} // namespace
