// tests/support/BenchState.cpp
// For RegSetKeyValueA.
#define _WIN32_WINNT 0x0600
#include "support/BenchState.h"

#include "BenchDrive.h"
#include "support/WindowProbe.h"
#include "sys/Win32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace bench
{
namespace
{
// The record is read and written through the wide functions, so that what
// the tests see of it does not depend on a code page.
const wchar_t RecordKey[] = L"Software\\Morihane\\ほしかげ";
const char CurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char ShellFoldersKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char StartMenuSubfolder[] = "morihane\\～ ほしかげ ～\\";
const char ShortcutFile[] = "～ ほしかげ ～.lnk";

std::string Slashless(std::string path)
{
    while (EndsWithBackslash(path))
        path.pop_back();
    return path;
}
} // namespace

bool EndsWithBackslash(const std::string& path)
{
    // Not the program's own path rules, which are what the tests examine:
    // a fault planted there must not steer what the bench deletes.
    size_t last = 0;
    for (size_t i = 0; i < path.size(); i += IsDBCSLeadByteEx(932, path[i]) ? 2 : 1)
        last = i;
    return !path.empty() && last == path.size() - 1 && path[last] == '\\';
}

namespace
{
// Everything in the maker's key and Start-menu folder goes, under whatever
// name: a setup in the wrong code page leaves names that Shift-JIS cannot
// spell, so these work in Unicode throughout.
void DeleteSubkeys(const std::wstring& parent)
{
    std::vector<std::wstring> names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, parent.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    wchar_t name[256];
    DWORD length = 256;
    for (DWORD i = 0; RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, length = 256)
        names.push_back(name);
    RegCloseKey(key);
    for (const std::wstring& child : names)
        RegDeleteTreeW(HKEY_CURRENT_USER, (parent + L"\\" + child).c_str());
}

void EmptyFolder(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do
    {
        std::wstring name = found.cFileName;
        std::wstring path = folder + name;
        if (name == L"." || name == L"..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        {
            EmptyFolder(path + L"\\");
            RemoveDirectoryW(path.c_str());
        }
        else
            DeleteFileW(path.c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}
} // namespace

void ForgetInstall()
{
    DeleteSubkeys(L"Software\\Morihane");
    std::string programs = ProgramsFolder();
    if (!programs.empty())
        EmptyFolder(probe::Wide(programs) + L"morihane\\");
}

void DeleteRecord()
{
    RegDeleteKeyW(HKEY_CURRENT_USER, RecordKey);
}

namespace
{
bool WideKeyExists(const wchar_t* subkey)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}
} // namespace

bool RecordExists()
{
    return WideKeyExists(RecordKey);
}

bool KeyExists(const char* subkey)
{
    return WideKeyExists(probe::Wide(subkey).c_str());
}

std::vector<std::string> Subkeys(const char* subkey)
{
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, probe::Wide(subkey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;
    wchar_t name[256];
    DWORD length = 256;
    for (DWORD i = 0; RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, length = 256)
        names.push_back(probe::ShiftJis(name));
    RegCloseKey(key);
    std::sort(names.begin(), names.end());
    return names;
}

namespace
{
const char HiddenSuffix[] = ".hidden-by-bench";

// Moves a value to another name in the same key (and registry view).
bool MoveValue(HKEY root, const std::string& subkey, const std::string& from, const std::string& to)
{
    BYTE data[4096];
    DWORD size = sizeof(data);
    DWORD type = 0;
    HKEY key = nullptr;
    bool moved = RegOpenKeyExA(root, subkey.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS
        && RegQueryValueExA(key, from.c_str(), nullptr, &type, data, &size) == ERROR_SUCCESS
        && RegSetValueExA(key, to.c_str(), 0, type, data, size) == ERROR_SUCCESS
        && RegDeleteValueA(key, from.c_str()) == ERROR_SUCCESS;
    RegCloseKey(key);
    return moved;
}
} // namespace

HiddenValue::HiddenValue(HKEY root, const char* subkey, const char* name) : m_root(root), m_subkey(subkey), m_name(name)
{
    m_hidden = MoveValue(root, subkey, name, m_name + HiddenSuffix);
    EXPECT_TRUE(m_hidden) << "cannot take away the value " << name << " of " << subkey;
}

HiddenValue::~HiddenValue()
{
    if (m_hidden)
    {
        EXPECT_TRUE(MoveValue(m_root, m_subkey, m_name + HiddenSuffix, m_name)) << "cannot put back " << m_name;
    }
}

void RestoreHiddenValues()
{
    MoveValue(HKEY_LOCAL_MACHINE, CurrentVersionKey, std::string("ProgramFilesDir") + HiddenSuffix, "ProgramFilesDir");
    MoveValue(HKEY_CURRENT_USER, ShellFoldersKey, std::string("Programs") + HiddenSuffix, "Programs");
}

bool ReadRecordValue(const char* name, std::string* value)
{
    wchar_t buffer[1024];
    DWORD size = sizeof(buffer);
    DWORD type = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, RecordKey, probe::Wide(name).c_str(), RRF_RT_REG_SZ, &type, buffer, &size)
        != ERROR_SUCCESS)
        return false;
    *value = probe::ShiftJis(buffer);
    return true;
}

void WriteRecord(const char* install, const char* directory)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, RecordKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &key, nullptr));
    RegCloseKey(key);
    for (auto value : {std::make_pair("INSTALL", install), std::make_pair("DIRECTORY", directory)})
    {
        if (value.second == nullptr)
            continue;
        std::wstring text = probe::Wide(value.second);
        RegSetKeyValueW(HKEY_CURRENT_USER, RecordKey, probe::Wide(value.first).c_str(), REG_SZ, text.c_str(),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
}

void OverrideDll(const std::string& program, const std::string& dll, const std::string& order)
{
    std::string subkey = "Software\\Wine\\AppDefaults\\" + program + "\\DllOverrides";
    EXPECT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, subkey.c_str(), dll.c_str(), REG_SZ, order.c_str(),
                                             static_cast<DWORD>(order.size() + 1)));
}

void ForgetDllOverrides(const std::string& program)
{
    std::string subkey = "Software\\Wine\\AppDefaults\\" + program;
    RegDeleteKeyA(HKEY_CURRENT_USER, (subkey + "\\DllOverrides").c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, subkey.c_str());
}

std::string ProgramsFolder()
{
    char buffer[MAX_PATH];
    DWORD size = sizeof(buffer);
    if (RegGetValueA(HKEY_CURRENT_USER, ShellFoldersKey, "Programs", RRF_RT_REG_SZ, nullptr, buffer, &size)
        != ERROR_SUCCESS)
        return "";
    return Slashless(buffer) + "\\";
}

std::string StartMenuFolder()
{
    return ProgramsFolder() + StartMenuSubfolder;
}

std::string LinkPath()
{
    return StartMenuFolder() + ShortcutFile;
}

bool FileExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(Slashless(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
    ASSERT_TRUE(file.good()) << "cannot write " << path;
}

void RemoveTree(const std::string& path)
{
    std::string folder = Slashless(path);
    // Never anything but the bench's own.
    const std::string root = Root();
    if (folder.size() <= root.size() || _strnicmp(folder.c_str(), root.c_str(), root.size()) != 0)
    {
        ADD_FAILURE() << "refusing to delete " << path << ", which is not under " << root;
        return;
    }
    for (const std::string& name : FolderContents(folder + "\\"))
    {
        std::string child = folder + "\\" + name;
        if (FolderExists(child))
            RemoveTree(child);
        else
        {
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            // DeleteFileA cannot remove a link to a device.
            if (!DeleteFileA(child.c_str()))
                RunUnix("rm -f '" + UnixPath(child) + "'");
        }
    }
    RemoveDirectoryA(folder.c_str());
}

void MakeFolders(const std::string& path)
{
    std::string folder = Slashless(path);
    for (size_t i = 3; i <= folder.size(); ++i)
    {
        if (i == folder.size() || folder[i] == '\\')
            CreateDirectoryA(folder.substr(0, i).c_str(), nullptr);
    }
}

std::string RootUnix()
{
    const char* root = getenv("BENCH_ROOT");
    return root != nullptr ? root : "/tmp/hoshikage-bench";
}

std::string Root()
{
    return WindowsPath(RootUnix()) + "\\";
}

std::string DiscUnix(int disc)
{
    // Where the bench serves the disc: its image's mount, or its tree.
    const char* served = getenv(("BENCH_DISC" + std::to_string(disc)).c_str());
    if (served != nullptr && *served != '\0')
        return served;
    return RootUnix() + "/discs-small/disc" + std::to_string(disc);
}

std::string Disc(int disc)
{
    return WindowsPath(DiscUnix(disc)) + "\\";
}

std::vector<std::string> ListedFiles(bool full)
{
    std::vector<std::string> files = {"base.pak", "story.dat", "imgdec.dll", "loader.dll", "hoshi.exe"};
    for (const char* disc : {"1", "2"})
    {
        for (int i = 0; full && i < 6; ++i)
            files.push_back(std::string("v") + disc + "_" + std::to_string(i) + ".pak");
    }
    return files;
}

std::string DiscFile(const std::string& name)
{
    return Disc(name.compare(0, 3, "v2_") == 0 ? 2 : 1) + name;
}

std::string UnixPath(const std::string& windowsPath)
{
    std::string path = windowsPath;
    char drive = path.size() >= 2 && path[1] == ':' ? static_cast<char>(toupper(path[0])) : 0;
    if (drive == 'Z')
        path.erase(0, 2);
    else if (drive == 'C' && getenv("WINEPREFIX") != nullptr)
        path = getenv("WINEPREFIX") + std::string("/drive_c") + path.substr(2);
    for (size_t i = 0; i < path.size(); ++i)
    {
        if (IsDBCSLeadByteEx(932, path[i]))
            ++i;
        else if (path[i] == '\\')
            path[i] = '/';
    }
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string TestMount(const char* name)
{
    std::string folder = RootUnix() + "/mnt/" + name;
    if (RunUnix("mountpoint -q " + folder + " && echo mounted").find("mounted") == std::string::npos)
    {
        [&] { GTEST_SKIP() << "no file system mounted at " << folder << " (mounting needs root)"; }();
        return "";
    }
    RunUnix("rm -rf " + folder + "/*");
    return folder;
}

bool TestMountAsDrive(const char* name, char letter)
{
    std::string folder = TestMount(name);
    if (folder.empty())
        return false;
    bool defined = DefineDrive(letter, DriveKind::Fixed, folder);
    EXPECT_TRUE(defined) << "cannot make " << folder << " drive " << letter;
    return defined;
}

std::string FullDiskFile(const std::string& folder, const char* name)
{
    std::string link = UnixPath(folder + name);
    RunUnix("rm -f '" + link + "' && ln -s /dev/full '" + link + "'");
    return folder + name;
}

std::vector<std::string> FolderContents(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE)
    {
        do
        {
            std::string name = found.cFileName;
            if (name != "." && name != "..")
                names.push_back(name);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    std::sort(names.begin(), names.end());
    return names;
}

namespace
{
// Little-endian fields of a shell link; 0 past the end of the file.
unsigned Field(const std::string& bytes, size_t offset, size_t size)
{
    unsigned value = 0;
    for (size_t i = size; i-- > 0;)
        value = value << 8 | (offset + i < bytes.size() ? static_cast<unsigned char>(bytes[offset + i]) : 0u);
    return value;
}

std::string AnsiAt(const std::string& bytes, size_t offset)
{
    if (offset >= bytes.size())
        return "";
    return Utf8(bytes.substr(offset, bytes.find('\0', offset) - offset));
}

std::string Utf16(const std::string& bytes, size_t offset, size_t units)
{
    std::wstring wide;
    for (size_t i = 0; i < units; ++i)
        wide += static_cast<wchar_t>(Field(bytes, offset + 2 * i, 2));
    std::string text(wide.size() * 3 + 1, '\0');
    int written = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), &text[0],
                                      static_cast<int>(text.size()), nullptr, nullptr);
    text.resize(written > 0 ? written : 0);
    return text;
}
} // namespace

LinkInfo ReadLink(const std::string& linkPath)
{
    // The published shell-link layout: the header, the target's ID list,
    // the LinkInfo structure with the local path, then the counted strings
    // in a fixed order.
    const unsigned HasIdList = 0x1, HasLinkInfo = 0x2, HasWorkingDir = 0x10, HasArguments = 0x20, IsUnicode = 0x80;
    const unsigned HasLocalPath = 0x1;
    // The name, the relative path, the working folder, the arguments, the icon.
    const unsigned StringFlags[] = {0x4, 0x8, HasWorkingDir, HasArguments, 0x40};
    std::string bytes = ReadFileBytes(linkPath);
    LinkInfo link;
    link.flags = Field(bytes, 0x14, 4);
    link.showCommand = Field(bytes, 0x3C, 4);
    size_t at = Field(bytes, 0, 4);
    if (link.flags & HasIdList)
        at += 2 + Field(bytes, at, 2);
    if (link.flags & HasLinkInfo)
    {
        if (Field(bytes, at + 8, 4) & HasLocalPath)
            link.localPath = AnsiAt(bytes, at + Field(bytes, at + 16, 4)) + AnsiAt(bytes, at + Field(bytes, at + 24, 4));
        at += Field(bytes, at, 4);
    }
    for (unsigned flag : StringFlags)
    {
        if (!(link.flags & flag))
            continue;
        size_t units = Field(bytes, at, 2);
        bool wide = (link.flags & IsUnicode) != 0;
        std::string text = wide ? Utf16(bytes, at + 2, units) : Utf8(bytes.substr(std::min(at + 2, bytes.size()), units));
        // Wine counts a terminating NUL too; Windows does not write one.
        while (!text.empty() && text.back() == '\0')
            text.pop_back();
        if (flag == HasWorkingDir)
            link.workingDirectory = text;
        else if (flag == HasArguments)
            link.arguments = text;
        at += 2 + units * (wide ? 2 : 1);
    }
    std::ostringstream listing;
    listing << linkPath << ": " << bytes.size() << " bytes, flags 0x" << std::hex << link.flags << ", local path \""
            << link.localPath << "\", working folder \"" << link.workingDirectory << "\", arguments \"" << link.arguments
            << "\"";
    link.listing = listing.str();
    return link;
}

std::string Utf8(const std::string& ansiText)
{
    std::wstring wide(ansiText.size() + 1, L'\0');
    int units = MultiByteToWideChar(CP_ACP, 0, ansiText.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
    if (units == 0)
        return "";
    std::string text(units * 3 + 1, '\0');
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &text[0], static_cast<int>(text.size()), nullptr,
                                    nullptr);
    text.resize(bytes > 0 ? bytes - 1 : 0);
    return text;
}

std::string RunUnix(const std::string& command, unsigned timeoutMs)
{
    static int serial = 0;
    std::string base = RootUnix() + "/unix-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    std::string output = WindowsPath(base + ".out");
    std::string done = WindowsPath(base + ".done");
    // Wine hands back no exit code of a Unix program and may not wait for
    // it, so the command marks its end in a file of its own.
    std::string script = command + " >" + base + ".out 2>&1; echo $? >" + base + ".done";
    std::string line = "/bin/sh -c \"" + script + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    {
        ADD_FAILURE() << "cannot run " << command;
        return "";
    }
    // Wine gives a Unix program no handles, and leaves hThread as it was.
    if (process.hProcess != nullptr)
    {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    DWORD start = GetTickCount();
    while (!FileExists(done))
    {
        if (GetTickCount() - start > timeoutMs)
        {
            ADD_FAILURE() << "timed out: " << command;
            return "";
        }
        Sleep(10);
    }
    std::string text = ReadFileBytes(output);
    DeleteFileA(output.c_str());
    DeleteFileA(done.c_str());
    return text;
}

std::string Scratch()
{
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test != nullptr ? std::string(test->test_suite_name()) + "." + test->name() : "none";
    // A short name, so that the paths a test makes from it stay far from
    // the program's limits wherever the checkout lies.
    unsigned hash = 2166136261u;
    for (unsigned char c : name)
        hash = (hash ^ c) * 16777619u;
    char folder[16];
    snprintf(folder, sizeof(folder), "%08x\\", hash);
#ifdef _WIN64
    std::string path = Root() + "s64\\" + folder;
#else
    std::string path = Root() + "s32\\" + folder;
#endif
    RemoveTree(path);
    MakeFolders(path);
    return path;
}

std::string MakeDisc(const std::string& folder, const std::map<std::string, std::string>& files)
{
    MakeFolders(folder);
    for (const auto& file : files)
    {
        std::string path = folder + file.first;
        MakeFolders(path.substr(0, path.find_last_of('\\') + 1));
        WriteFileBytes(path, file.second);
    }
    return folder;
}

bool InsertDisc(char letter, const std::string& disc, const std::string& label)
{
    return DefineDrive(letter, DriveKind::CdRom, UnixPath(disc), label);
}
} // namespace bench
