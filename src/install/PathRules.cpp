// src/install/PathRules.cpp
#include "install/PathRules.h"

#include "sys/CodePage.h"

#include <string.h>

bool IsSeparatorAt(const char* path, size_t index)
{
    if (static_cast<unsigned char>(path[index]) != '\\')
        return false;
    size_t i = 0;
    while (i < index)
    {
        if (IsLeadByte(static_cast<unsigned char>(path[i])))
        {
            if (i + 1 == index)
                return false;
            i += 2;
        }
        else
        {
            ++i;
        }
    }
    return i == index;
}

bool EndsWithSeparator(const char* path)
{
    size_t length = strlen(path);
    return length > 0 && IsSeparatorAt(path, length - 1);
}

int AddTrailingBackslash(char* path, size_t bufferSize)
{
    size_t length = strlen(path);
    if (length < 2 || EndsWithSeparator(path))
        return 1;
    if (length + 2 > bufferSize)
        return 0;
    path[length] = '\\';
    path[length + 1] = '\0';
    return 1;
}

void GetRootPath(char* out, const char* path)
{
    size_t length = strlen(path);
    if (length > 3)
        length = 3;
    memcpy(out, path, length);
    out[length] = '\0';
}

bool IsFullPath(const char* path)
{
    char letter = static_cast<char>(path[0] | 0x20);
    bool drive = letter >= 'a' && letter <= 'z' && path[1] == ':' && path[2] == '\\';
    bool unc = path[0] == '\\' && path[1] == '\\';
    return drive || unc;
}

int CreateDirectoryPath(const char* path)
{
    char prefix[MAX_PATH];
    size_t i = 0;
    for (; path[i] != '\0' && i < MAX_PATH - 1; ++i)
    {
        if (IsSeparatorAt(path, i))
        {
            prefix[i] = '\0';
            CreateDirectoryA(prefix, nullptr);
        }
        prefix[i] = path[i];
    }
    prefix[i] = '\0';
    CreateDirectoryA(prefix, nullptr);
    return 1;
}
