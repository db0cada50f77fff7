// tools/benchdrive/BenchDrive.cpp
#include "BenchDrive.h"

#include <windows.h>

#include <cstring>
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

// The first line of a label file, without its line end or trailing blanks.
std::string FirstLine(const std::string& text)
{
    std::string line = text.substr(0, text.find('\n'));
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.pop_back();
    return line;
}
} // namespace

bool DefineDrive(char letter, DriveKind kind, const std::string& unixPath, const std::string& label)
{
    std::string driveLabel = label;
    if (kind == DriveKind::CdRom && !label.empty())
    {
        std::string path = WindowsPath(unixPath + "/.windows-label");
        std::ifstream held(path, std::ios::binary);
        std::string heldText((std::istreambuf_iterator<char>(held)), std::istreambuf_iterator<char>());
        std::string heldLabel = FirstLine(heldText);
        // A disc that carries its label (an image, in capitals as its
        // volume descriptor has it) is shown as it is, never written to.
        if (held.is_open() && _stricmp(heldLabel.c_str(), label.c_str()) == 0)
            driveLabel = heldLabel;
        else
        {
            std::ofstream labelFile(path, std::ios::binary | std::ios::trunc);
            labelFile << label << '\n';
        }
    }
    return SendRequest(letter, kind == DriveKind::CdRom ? DRIVE_CDROM : DRIVE_FIXED, unixPath, driveLabel);
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

std::string DriveLabel(char letter)
{
    char root[] = {letter, ':', '\\', '\0'};
    char label[MAX_PATH + 1] = "";
    if (!GetVolumeInformationA(root, label, sizeof(label), nullptr, nullptr, nullptr, nullptr, 0))
        return "";
    return label;
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
