// tools/standin/hoshi.cpp
// The stand-in game on the bench's install disc 1: it records the folder
// it was started in, so a test can tell how the setup launched it, and
// exits. The record goes to the file named by HOSHI_RECORD, if set.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char record[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("HOSHI_RECORD", record, sizeof(record));
    if (length == 0 || length >= sizeof(record))
        return 0;
    char folder[MAX_PATH];
    DWORD folderLength = GetCurrentDirectoryA(sizeof(folder), folder);
    HANDLE file = CreateFileA(record, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    WriteFile(file, folder, folderLength, &written, nullptr);
    CloseHandle(file);
    return 0;
}
