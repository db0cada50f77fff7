// src/install/InstallManifest.cpp
#include "install/InstallManifest.h"

#include "app/Globals.h"

#include <string.h>

namespace
{
const char* const FullEntries[] = {
    "*1",
    "base.pak", "story.dat", "imgdec.dll", "loader.dll", "hoshi.exe",
    "v1_0.pak", "v1_1.pak", "v1_2.pak", "v1_3.pak", "v1_4.pak", "v1_5.pak",
    "*2",
    "v2_0.pak", "v2_1.pak", "v2_2.pak", "v2_3.pak", "v2_4.pak", "v2_5.pak",
    "",
};

// The common files of the full list, without the voice archives.
const char* const MinimalEntries[] = {
    "*1",
    "base.pak", "story.dat", "imgdec.dll", "loader.dll", "hoshi.exe",
    "",
};

constexpr InstallManifest FullManifest(FullEntries, sizeof(FullEntries) / sizeof(FullEntries[0]));
constexpr InstallManifest MinimalManifest(MinimalEntries, sizeof(MinimalEntries) / sizeof(MinimalEntries[0]));
} // namespace

const char* InstallManifest::Entry(int index) const
{
    if (index < 0 || index >= m_count || m_entries[index] == nullptr)
        return "";
    return m_entries[index];
}

size_t InstallManifest::LongestEntry() const
{
    size_t longest = 0;
    for (int i = 0; i < m_count; ++i)
    {
        size_t length = strlen(Entry(i));
        if (length > longest)
            longest = length;
    }
    return longest;
}

EntryKind InstallManifest::KindOf(const char* entry)
{
    size_t length = strlen(entry);
    if (length == 0)
        return ENTRY_END;
    if (entry[0] == '*')
        return ENTRY_DISC_SWITCH;
    if (entry[length - 1] == '\\')
        return ENTRY_FOLDER;
    return ENTRY_FILE;
}

int InstallManifest::DiscOf(const char* switchEntry)
{
    return switchEntry[1] == '1' ? 1 : 2;
}

const InstallManifest& InstallManifest::ForType(int installType)
{
    return installType == INSTALL_FULL ? FullManifest : MinimalManifest;
}

int InstallManifest::FileCount(int installType)
{
    return installType == INSTALL_FULL ? 17 : 5;
}

unsigned InstallManifest::FreeSpaceThresholdMiB(int installType)
{
    return installType == INSTALL_FULL ? 1300 : 300;
}

const char* InstallManifest::RecordValue(int installType)
{
    return installType == INSTALL_FULL ? "FULL" : "MIN";
}

const char* InstallManifest::DiscLabel(int disc)
{
    return disc == 1 ? "hoshikage1" : "hoshikage2";
}
