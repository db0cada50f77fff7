// tests/ui/PlantedDllTest.cpp
// DLLs planted beside setup.exe, as in a downloads folder: the setup
// program must go through a whole install without loading one.
#include "res/resource.h"
#include "support/BenchState.h"
#include "ui/FlowTest.h"

namespace
{
// Wine takes its own DLLs whatever lies beside a program, unless told to
// search for them as Windows does: native first, then its own.
//   comctl32  imported by the setup program, or asked for by the shell's
//             folder picker
//   uxtheme   asked for by name by Wine's user32 when the first window is
//             made: found beside setup.exe unless the DLL search was
//             limited to the system folder before that
// The desktop theme is on for these tests. Without one, user32 lets
// uxtheme go again at once, and comctl32 asks for it later through its
// delay-load table, which Wine resolves from the program's folder first
// whatever the search was limited to (Windows keeps to the limit there); a
// test of the program's limit must not stand on that.
class PlantedDllTest : public FlowTest
{
protected:
    void SetUp() override
    {
        FlowTest::SetUp();
        ASSERT_TRUE(SetTheme("1", &theme));
        std::string bin = SetupDriver::SetupPath();
        bin.erase(bin.find_last_of('\\') + 1);
        ASSERT_TRUE(CopyFileA(SetupDriver::SetupPath().c_str(), (scratch + "setup.exe").c_str(), FALSE));
        for (const char* dll : {"comctl32", "uxtheme"})
        {
            ASSERT_TRUE(CopyFileA((bin + "..\\planted\\planted.dll").c_str(),
                                  (scratch + dll + ".dll").c_str(), FALSE))
                << "the planted DLL is not built";
            bench::OverrideDll("setup.exe", dll, "native,builtin");
        }
    }

    void TearDown() override
    {
        FlowTest::TearDown();
        bench::ForgetDllOverrides("setup.exe");
        SetTheme(theme.c_str(), nullptr);
    }

    // Sets the theme's value for programs started from now on; old (when
    // given) gets the value it replaces.
    static bool SetTheme(const char* value, std::string* old)
    {
        const char key[] = "Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager";
        char buffer[16] = "0";
        DWORD size = sizeof(buffer);
        RegGetValueA(HKEY_CURRENT_USER, key, "ThemeActive", RRF_RT_REG_SZ, nullptr, buffer, &size);
        if (old != nullptr)
            *old = buffer;
        HKEY manager = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &manager, nullptr)
            != ERROR_SUCCESS)
            return false;
        LONG set = RegSetValueExA(manager, "ThemeActive", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                                  static_cast<DWORD>(strlen(value) + 1));
        RegCloseKey(manager);
        return set == ERROR_SUCCESS;
    }

    std::string theme = "0";

    // Each load of a planted DLL leaves a line: which one, in which program.
    std::string Loaded() { return bench::ReadFileBytes(scratch + "planted-loaded.txt"); }
};

TEST_F(PlantedDllTest, NoDllBesideTheSetupIsLoaded)
{
    InsertDisc('d', 1);
    InsertDisc('e', 2);
    ASSERT_TRUE(setup.Start(scratch + "setup.exe"));
    ASSERT_TRUE(setup.IsVisible(IDC_INSTALL));
    ASSERT_EQ("", Loaded()) << "by the start page";

    OpenOptions();
    setup.Click(IDC_BROWSE);
    probe::DialogView picker = setup.WaitForMessageBox();
    ASSERT_NE(nullptr, picker.window);
    EXPECT_EQ("フォルダーの参照", picker.caption);
    setup.Answer(picker, IDCANCEL);
    EXPECT_EQ("", Loaded()) << "by the folder picker";

    // The bars are of the progress class, which comes from the system's
    // comctl32.
    std::string base = scratch + "dest\\";
    ChooseDestination(base, true);
    PressStart(FullQuestion(base), IDYES);
    int fileBar = -1;
    int totalBar = -1;
    probe::WaitUntil(
        [&] {
            int file = setup.BarPosition(IDC_FILE_BAR);
            int total = setup.BarPosition(IDC_TOTAL_BAR);
            fileBar = file > 0 && file < 100 ? file : fileBar;
            totalBar = total > 0 && total < 100 ? total : totalBar;
            return setup.HasMessageBox();
        },
        60000);
    EXPECT_NE(-1, fileBar) << "the file bar never stood between empty and full";
    EXPECT_NE(-1, totalBar) << "the overall bar never stood between empty and full";
    FinishRun();
    ExpectInstalled(base + "hoshikage\\", true);
    EXPECT_EQ("", Loaded()) << "by the end of the install";
    setup.Close();
}
} // namespace
