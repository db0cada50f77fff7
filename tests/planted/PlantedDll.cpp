// tests/planted/PlantedDll.cpp
// A DLL of the tests' own, planted beside a copy of setup.exe under the
// name of a system DLL. Whatever loads it leaves a line in the marker file
// beside it: the DLL's path and the program that loaded it.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace
{
void LeaveMarker(HINSTANCE self)
{
    char dll[MAX_PATH];
    char process[MAX_PATH];
    char marker[MAX_PATH + 32];
    DWORD length = GetModuleFileNameA(self, dll, sizeof(dll));
    GetModuleFileNameA(nullptr, process, sizeof(process));
    const char* slash = strrchr(dll, '\\');
    if (length == 0 || length >= sizeof(dll) || slash == nullptr)
        return;
    snprintf(marker, sizeof(marker), "%.*splanted-loaded.txt", static_cast<int>(slash + 1 - dll), dll);
    char line[2 * MAX_PATH + 16];
    int size = snprintf(line, sizeof(line), "%s in %s\r\n", dll, process);
    HANDLE file = CreateFileA(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(size), &written, nullptr);
    CloseHandle(file);
}
} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        LeaveMarker(self);
    return TRUE;
}

// What setup.exe asked of comctl32 when it imported it, so that such a
// program gets as far as running it. Registers nothing: the planted DLL is
// there to be noticed, not to work.
extern "C" __declspec(dllexport) BOOL WINAPI InitCommonControlsEx(const void*)
{
    return FALSE;
}
