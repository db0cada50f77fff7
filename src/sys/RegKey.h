// src/sys/RegKey.h
#pragma once

#include "sys/Win32.h"

// Holds one open registry key. Every key is opened with full access, also
// where it is only read. Create and Open close the held key first, so one
// object serves for several keys in turn.
class RegKey
{
public:
    RegKey();
    virtual ~RegKey();

    // Opens the key, creating it and any missing parent. Returns 1 or 0.
    int Create(HKEY root, const char* subkey);
    int Open(HKEY root, const char* subkey);
    // Deletes root\subkey; the held key plays no part. Returns 1 or 0.
    int Delete(HKEY root, const char* subkey);

    // The system's status, 0 on success. On success buffer holds the text
    // with its terminator; a value that would not fit with its terminator
    // fails with ERROR_MORE_DATA and leaves the buffer undefined; a missing
    // value leaves it unchanged.
    LONG ReadString(const char* name, char* buffer, DWORD capacity);
    // Stores text and its terminator as REG_SZ. The system's status.
    LONG WriteString(const char* name, const char* text);
    void Close();

    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

private:
    HKEY m_key;
};
