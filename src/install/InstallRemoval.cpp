// src/install/InstallRemoval.cpp
#include "install/InstallRemoval.h"

#include "app/Globals.h"
#include "install/InstallManifest.h"
#include "sys/Text.h"

namespace
{
// Plain files directly inside; sub-folders and their contents stay.
void RemoveFolderEntry(const char* folder, const char* entry)
{
    char entryFolder[MAX_PATH];
    char pattern[MAX_PATH];
    if (!FormatText(entryFolder, sizeof(entryFolder), "%s%s", folder, entry)
        || !FormatText(pattern, sizeof(pattern), "%s*.*", entryFolder))
        return;

    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search != INVALID_HANDLE_VALUE)
    {
        do
        {
            char path[MAX_PATH];
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                && FormatText(path, sizeof(path), "%s%s", entryFolder, found.cFileName))
                DeleteFileA(path);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(entryFolder);
}
} // namespace

void RemoveInstalledFiles(const char* folder)
{
    RemoveInstalledFiles(InstallManifest::ForType(InstallType), folder);
}

void RemoveInstalledFiles(const InstallManifest& manifest, const char* folder)
{
    for (int i = 0; i < MANIFEST_ENTRIES; ++i)
    {
        const char* entry = manifest.Entry(i);
        EntryKind kind = InstallManifest::KindOf(entry);
        if (kind == ENTRY_END)
            break;
        if (kind == ENTRY_FOLDER)
        {
            RemoveFolderEntry(folder, entry);
        }
        else if (kind == ENTRY_FILE)
        {
            char path[MAX_PATH];
            if (FormatText(path, sizeof(path), "%s%s", folder, entry))
                DeleteFileA(path);
        }
    }
    RemoveDirectoryA(folder);
}
