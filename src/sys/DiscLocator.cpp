// src/sys/DiscLocator.cpp
#include "sys/DiscLocator.h"

#include <string.h>

namespace
{
enum
{
    MAX_DRIVES = 26,
    LABEL_SIZE = 256
};

unsigned char FoldAscii(unsigned char byte)
{
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

// Splits the system's run of NUL-terminated roots. A failed listing, or
// one that does not fit, counts as no drive at all.
int ListDriveRoots(char roots[MAX_DRIVES][4])
{
    char buffer[MAX_PATH];
    DWORD length = GetLogicalDriveStringsA(sizeof(buffer), buffer);
    if (length == 0 || length >= sizeof(buffer))
        return 0;
    int count = 0;
    for (const char* root = buffer; *root != '\0' && count < MAX_DRIVES; root += strlen(root) + 1)
    {
        if (strlen(root) > 3)
            continue;
        strcpy(roots[count++], root);
    }
    return count;
}

bool HasLabel(const char* root, const char* label)
{
    char volume[LABEL_SIZE];
    char fileSystem[LABEL_SIZE];
    DWORD maxComponent = 0;
    DWORD flags = 0;
    if (!GetVolumeInformationA(root, volume, sizeof(volume), nullptr, &maxComponent, &flags,
                               fileSystem, sizeof(fileSystem)))
        return false;
    return LabelsMatch(volume, label);
}

typedef BOOL(WINAPI* FreeSpaceExFunction)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

int QueryFreeSpace(HMODULE kernel, const char* root, ULONGLONG* freeBytes, ULONGLONG* totalBytes)
{
    FreeSpaceExFunction freeSpaceEx =
        reinterpret_cast<FreeSpaceExFunction>(reinterpret_cast<void*>(GetProcAddress(kernel, "GetDiskFreeSpaceExA")));
    if (freeSpaceEx != nullptr)
    {
        ULARGE_INTEGER available;
        ULARGE_INTEGER total;
        ULARGE_INTEGER totalFree;
        if (!freeSpaceEx(root, &available, &total, &totalFree))
            return 0;
        *freeBytes = totalFree.QuadPart;
        if (totalBytes != nullptr)
            *totalBytes = total.QuadPart;
        return 1;
    }

    return GetFreeDiskSpaceFallback(root, freeBytes, totalBytes);
}
} // namespace

bool LabelsMatch(const char* a, const char* b)
{
    for (;; ++a, ++b)
    {
        if (FoldAscii(static_cast<unsigned char>(*a)) != FoldAscii(static_cast<unsigned char>(*b)))
            return false;
        if (*a == '\0')
            return true;
    }
}

int FindDiscByLabel(char* root, const char* label)
{
    char roots[MAX_DRIVES][4];
    int count = ListDriveRoots(roots);

    // An empty drive must be no match, not the system's "no disk" pop-up.
    UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    int found = -1;
    for (int i = 0; i < count && found < 0; ++i)
    {
        if (GetDriveTypeA(roots[i]) == DRIVE_CDROM && HasLabel(roots[i], label))
            found = i;
    }
    SetErrorMode(previousMode);

    if (found < 0)
    {
        root[0] = '\0';
        return 0;
    }
    strcpy(root, roots[found]);
    return 1;
}

int GetFreeDiskSpaceFallback(const char* root, ULONGLONG* freeBytes, ULONGLONG* totalBytes)
{
    DWORD sectorsPerCluster = 0;
    DWORD bytesPerSector = 0;
    DWORD freeClusters = 0;
    DWORD totalClusters = 0;
    if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters))
        return 0;
    // In 64 bits: a 32-bit product wraps on any volume above 4 GiB.
    ULONGLONG clusterBytes = static_cast<ULONGLONG>(sectorsPerCluster) * bytesPerSector;
    *freeBytes = clusterBytes * freeClusters;
    if (totalBytes != nullptr)
        *totalBytes = clusterBytes * totalClusters;
    return 1;
}

int GetFreeDiskSpace(const char* root, ULONGLONG* freeBytes, ULONGLONG* totalBytes)
{
    *freeBytes = 0;
    if (totalBytes != nullptr)
        *totalBytes = 0;
    HMODULE kernel = LoadLibraryA("KERNEL32.DLL");
    if (kernel == nullptr)
        return 0;
    int result = QueryFreeSpace(kernel, root, freeBytes, totalBytes);
    FreeLibrary(kernel);
    if (!result)
    {
        *freeBytes = 0;
        if (totalBytes != nullptr)
            *totalBytes = 0;
    }
    return result;
}
