// tests/system/FolderPickerTest.cpp
// The folder picker's answer as the caller sees it, for each way the
// picker can close without a folder that has a path: a thread of the test
// plays the user. Choosing a folder is shown through the window, by the
// options page's Browse.
#include "support/Table.h"
#include "support/WindowProbe.h"
#include "sys/Shell.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <string.h>

namespace
{
struct PickerRow : table::Row
{
    // "My Computer": the shell has no path for it.
    bool pickVirtualFolder;
    bool sawPicker = false;
};

// Selects what the user picks, then presses OK or Cancel. WM_COMMAND
// reaches OK even where the picker disables it, as for My Computer.
DWORD WINAPI PlayUser(void* context)
{
    PickerRow* user = static_cast<PickerRow*>(context);
    HWND picker = nullptr;
    probe::WaitUntil([&] { return (picker = probe::FindShown(GetCurrentProcessId(), "#32770")) != nullptr; }, 15000);
    if (picker == nullptr)
        return 1;
    user->sawPicker = probe::Text(picker) == "フォルダーの参照";
    LPITEMIDLIST computer = nullptr;
    if (user->pickVirtualFolder && SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer) == S_OK)
        SendMessageA(picker, BFFM_SETSELECTIONA, FALSE, reinterpret_cast<LPARAM>(computer));
    PostMessageA(picker, WM_COMMAND, user->pickVirtualFolder ? IDOK : IDCANCEL, 0);
    probe::WaitUntil([&] { return !IsWindow(picker); }, 10000);
    CoTaskMemFree(computer);
    return 0;
}

class FolderPickerTest : public testing::TestWithParam<PickerRow>
{
};

TEST_P(FolderPickerTest, TheCallersTextStays)
{
    PickerRow user = GetParam();
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

INSTANTIATE_TEST_SUITE_P(Rows, FolderPickerTest,
                         testing::Values(PickerRow{{"Cancel"}, false}, PickerRow{{"AFolderWithoutAPath"}, true}),
                         table::RowName());
} // namespace
