// tools/benchdrive/BenchDrive.cpp
#include "BenchDrive.h"

#include <windows.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace bench
{
namespace
{
// Wine's own request layout (newer than the mingw-w64 header's).
struct UnixDriveRequest
{
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDev;
    WCHAR letter;
    USHORT mountPointOffset;
    USHORT deviceOffset;
    USHORT labelOffset;
};

const DWORD DefineUnixDrive = CTL_CODE(0x6D, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

bool SendRequest(char letter, ULONG type, const std::string& unixPath, const std::string& label)
{
    std::wstring wideLabel(label.begin(), label.end());
    size_t size = sizeof(UnixDriveRequest);
    size_t pathOffset = size;
    if (!unixPath.empty())
        size += unixPath.size() + 1;
    size = (size + 1) & ~size_t(1);
    size_t labelOffset = size;
    if (!label.empty())
        size += (wideLabel.size() + 1) * sizeof(WCHAR);

    std::vector<char> buffer(size, 0);
    UnixDriveRequest* request = reinterpret_cast<UnixDriveRequest*>(buffer.data());
    request->size = static_cast<ULONG>(size);
    request->type = type;
    request->letter = static_cast<WCHAR>(tolower(static_cast<unsigned char>(letter)));
    if (!unixPath.empty())
    {
        memcpy(buffer.data() + pathOffset, unixPath.c_str(), unixPath.size() + 1);
        request->mountPointOffset = static_cast<USHORT>(pathOffset);
    }
    if (!label.empty())
    {
        memcpy(buffer.data() + labelOffset, wideLabel.c_str(), (wideLabel.size() + 1) * sizeof(WCHAR));
        request->labelOffset = static_cast<USHORT>(labelOffset);
    }

    HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (manager == INVALID_HANDLE_VALUE)
        return false;
    DWORD returned = 0;
    BOOL ok = DeviceIoControl(manager, DefineUnixDrive, buffer.data(), static_cast<DWORD>(size), nullptr, 0,
                              &returned, nullptr);
    CloseHandle(manager);
    return ok != FALSE;
}
} // namespace

bool DefineDrive(char letter, DriveKind kind, const std::string& unixPath, const std::string& label)
{
    if (kind == DriveKind::CdRom && !label.empty())
    {
        // A disc served read-only already holds its label: no write to fail.
        std::string path = WindowsPath(unixPath + "/.windows-label");
        std::string text = label + '\n';
        std::ifstream held(path, std::ios::binary);
        std::string heldText((std::istreambuf_iterator<char>(held)), std::istreambuf_iterator<char>());
        if (heldText != text)
        {
            std::ofstream labelFile(path, std::ios::binary | std::ios::trunc);
            labelFile << text;
        }
    }
    return SendRequest(letter, kind == DriveKind::CdRom ? DRIVE_CDROM : DRIVE_FIXED, unixPath, label);
}

bool RemoveDrive(char letter)
{
    return SendRequest(letter, DRIVE_NO_ROOT_DIR, "", "");
}

void RemoveBenchDrives()
{
    for (char letter = 'a'; letter <= 'y'; ++letter)
    {
        if (letter != 'c')
            RemoveDrive(letter);
    }
}

std::string WindowsPath(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path)
    {
        if (c == '/')
            c = '\\';
    }
    return path;
}
} // namespace bench
