// src/install/PathRules.h
// Folder paths in the ANSI code page. A 0x5C byte is a separator only when
// it is a character by itself, not the second byte of a two-byte character
// (ソ is 0x83 0x5C in code page 932); this is decided by scanning from the
// start of the path, since the byte before a 0x5C alone cannot tell.
#pragma once

#include "sys/Win32.h"

// Whether the byte at index is a separator backslash under that rule.
bool IsSeparatorAt(const char* path, size_t index);

// Whether the path's last character is a separator backslash.
bool EndsWithSeparator(const char* path);

// Makes the path end with a separator; paths shorter than 2 bytes stay as
// they are. bufferSize is the size of the buffer holding the path: returns
// 0 and leaves the path unchanged when the backslash would not fit.
int AddTrailingBackslash(char* path, size_t bufferSize = MAX_PATH);

// The first three bytes of path (its drive root, for a drive path), or all
// of it when shorter. out holds MAX_PATH bytes.
void GetRootPath(char* out, const char* path);

// Whether path names its place by itself: a drive letter, a colon and a
// separator, or a UNC path. Any other path depends on the current folder or
// drive.
bool IsFullPath(const char* path);

// Asks for every folder along path, shallowest first, ignoring the
// outcomes; a folder that cannot be made shows when it is used. Returns 1.
int CreateDirectoryPath(const char* path);
