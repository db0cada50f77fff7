// src/sys/SystemDlls.cpp
#include "sys/SystemDlls.h"

#include "sys/Text.h"
#include "sys/Win32.h"

#include <commctrl.h>

namespace
{
typedef BOOL(WINAPI* SetDefaultDllDirectoriesFunction)(DWORD);
typedef BOOL(WINAPI* InitCommonControlsExFunction)(const INITCOMMONCONTROLSEX*);
} // namespace

void RestrictDllSearch()
{
    // Looked up, not imported: Windows before 8 has it only with an update.
    SetDefaultDllDirectoriesFunction restrictSearch = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    if (restrictSearch != nullptr)
        restrictSearch(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

int LoadCommonControls()
{
    // comctl32 is not one of the DLLs that Windows always takes from the
    // system folder: imported, it would be looked for beside setup.exe.
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, sizeof(path));
    if (length == 0 || length >= sizeof(path) || !FormatText(path + length, sizeof(path) - length, "\\comctl32.dll"))
        return 0;
    // Never freed: the progress bars' window procedure lives in it.
    HMODULE library = LoadLibraryA(path);
    if (library == nullptr)
        return 0;
    InitCommonControlsExFunction initControls = reinterpret_cast<InitCommonControlsExFunction>(
        reinterpret_cast<void*>(GetProcAddress(library, "InitCommonControlsEx")));
    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_PROGRESS_CLASS};
    return initControls != nullptr && initControls(&classes) ? 1 : 0;
}
