// tests/copy/TestFiles.cpp
#include "TestFiles.h"

#include "sys/Win32.h"

#include <algorithm>
#include <vector>

namespace copytest
{
namespace
{
const unsigned BlockSize = 1 << 20;
} // namespace

char PatternByte(unsigned offset)
{
    unsigned mixed = (offset + 1) * 2654435761u;
    return static_cast<char>(mixed >> 24);
}

bool MakePatternedFile(const std::string& path, unsigned size)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    std::vector<char> block(BlockSize);
    bool ok = true;
    for (unsigned done = 0; ok && done < size;)
    {
        unsigned count = std::min(BlockSize, size - done);
        for (unsigned i = 0; i < count; ++i)
            block[i] = PatternByte(done + i);
        DWORD written = 0;
        ok = WriteFile(file, block.data(), count, &written, nullptr) && written == count;
        done += count;
    }
    CloseHandle(file);
    return ok;
}

unsigned MatchingPrefix(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    std::vector<char> block(BlockSize);
    unsigned offset = 0;
    DWORD got = 0;
    while (ReadFile(file, block.data(), BlockSize, &got, nullptr) && got != 0)
    {
        unsigned i = 0;
        while (i < got && block[i] == PatternByte(offset + i))
            ++i;
        offset += i;
        if (i < got)
            break;
    }
    CloseHandle(file);
    return offset;
}

long long FileLength(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}
} // namespace copytest
