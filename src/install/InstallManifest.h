// src/install/InstallManifest.h
#pragma once

#include "sys/Win32.h"

enum ManifestLimits
{
    MANIFEST_ENTRIES = 100,
    MANIFEST_ENTRY_LENGTH = 259
};

enum EntryKind
{
    ENTRY_END,         // ""
    ENTRY_DISC_SWITCH, // "*1" for install disc 1, '*' and any other byte for disc 2
    ENTRY_FOLDER,      // ends with '\': every plain file directly inside it
    ENTRY_FILE         // anything else, relative to the disc root and the install folder
};

// A list of what an install copies and a removal deletes: at most
// MANIFEST_ENTRIES texts walked in order up to the end marker. Entries past
// the given ones read as end markers.
class InstallManifest
{
public:
    constexpr InstallManifest(const char* const* entries, int count)
        : m_entries(entries), m_count(count < MANIFEST_ENTRIES ? count : MANIFEST_ENTRIES)
    {
    }

    const char* Entry(int index) const;
    // The longest entry text, in bytes.
    size_t LongestEntry() const;

    static EntryKind KindOf(const char* entry);
    // 1 or 2, for a disc switch entry.
    static int DiscOf(const char* switchEntry);

    // The built-in list of an install type (INSTALL_FULL or INSTALL_MINIMAL).
    static const InstallManifest& ForType(int installType);
    // The files the built-in list copies: the run's total.
    static int FileCount(int installType);
    // Less free space than this on the destination asks for confirmation.
    static unsigned FreeSpaceThresholdMiB(int installType);
    // The INSTALL value of the install record.
    static const char* RecordValue(int installType);
    // The volume label of install disc 1 or 2.
    static const char* DiscLabel(int disc);

private:
    const char* const* m_entries;
    int m_count;
};
