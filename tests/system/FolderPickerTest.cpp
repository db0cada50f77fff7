// tests/system/FolderPickerTest.cpp
// The folder picker's answer as the caller sees it, for each way the
// picker can close: a thread of the test plays the user.
#include "support/WindowProbe.h"
#include "sys/Shell.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <string.h>

namespace
{
enum class Choice
{
    Cancel,
    VirtualFolder, // "My Computer": the shell has no path for it
};

struct PickerCase
{
    const char* name;
    Choice choice;
};

void PrintTo(const PickerCase& c, std::ostream* out)
{
    *out << c.name;
}

struct User
{
    Choice choice;
    bool sawPicker = false;
};

// Selects what the user picks, then presses OK or Cancel. WM_COMMAND
// reaches OK even where the picker disables it, as for My Computer.
DWORD WINAPI PlayUser(void* context)
{
    User* user = static_cast<User*>(context);
    DWORD self = GetCurrentProcessId();
    HWND window = nullptr;
    probe::WaitUntil(
        [&] {
            window = probe::FindTopLevel([&](HWND w) {
                return probe::ProcessOf(w) == self && IsWindowVisible(w) && probe::ClassName(w) == "#32770";
            });
            return window != nullptr;
        },
        15000);
    if (window == nullptr)
        return 1;
    probe::DialogView picker = probe::ViewOf(window);
    user->sawPicker = picker.caption == "フォルダーの参照";
    LPITEMIDLIST computer = nullptr;
    if (user->choice == Choice::VirtualFolder && SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer) == S_OK)
        SendMessageA(picker.window, BFFM_SETSELECTIONA, FALSE, reinterpret_cast<LPARAM>(computer));
    PostMessageA(picker.window, WM_COMMAND, user->choice == Choice::Cancel ? IDCANCEL : IDOK, 0);
    probe::WaitUntil([&] { return !IsWindow(picker.window); }, 10000);
    CoTaskMemFree(computer);
    return 0;
}

class FolderPickerTest : public testing::TestWithParam<PickerCase>
{
};

// Choosing a folder is shown through the window, by the options page's
// Browse.
TEST_P(FolderPickerTest, WithoutAFolderThatHasAPathTheCallersTextStays)
{
    const PickerCase& c = GetParam();
    User user{c.choice};
    HANDLE thread = CreateThread(nullptr, 0, PlayUser, &user, 0, nullptr);
    ASSERT_NE(nullptr, thread);

    char path[MAX_PATH];
    memset(path, 'x', sizeof(path));
    path[sizeof(path) - 1] = '\0';
    int result = BrowseForFolder(path, nullptr, "C:\\");
    WaitForSingleObject(thread, 20000);
    CloseHandle(thread);

    ASSERT_TRUE(user.sawPicker);
    EXPECT_EQ(0, result);
    EXPECT_EQ(std::string(MAX_PATH - 1, 'x'), path) << "the caller's buffer changed";
}

INSTANTIATE_TEST_SUITE_P(Answers, FolderPickerTest,
                         testing::Values(PickerCase{"Cancel", Choice::Cancel},
                                         PickerCase{"AFolderWithoutAPath", Choice::VirtualFolder}),
                         [](const testing::TestParamInfo<PickerCase>& info) { return std::string(info.param.name); });
} // namespace
