// tests/system/SystemTestSupport.cpp
#include "SystemTestSupport.h"

#include "BenchDrive.h"

namespace systest
{
std::string UnixPath(const std::string& windowsPath)
{
    std::string path = windowsPath;
    if (path.size() >= 2 && (path[0] == 'Z' || path[0] == 'z') && path[1] == ':')
        path.erase(0, 2);
    for (size_t i = 0; i < path.size(); ++i)
    {
        if (IsDBCSLeadByte(static_cast<BYTE>(path[i])))
            ++i;
        else if (path[i] == '\\')
            path[i] = '/';
    }
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
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

std::vector<std::string> FolderContents(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
    {
        std::string name = found.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

void DriveTest::SetUp()
{
    bench::RemoveBenchDrives();
}

void DriveTest::TearDown()
{
    bench::RemoveBenchDrives();
}
} // namespace systest
