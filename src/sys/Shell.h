// src/sys/Shell.h
// Thin layers over the Windows shell: the folder picker and the shortcut
// writer. Neither shows anything of its own on failure.
#pragma once

#include "sys/Win32.h"

// Shows the folder picker, limited to file-system folders, with
// initialPath selected. On 1 path (MAX_PATH bytes) holds the chosen folder;
// on 0 (cancelled, no shell allocator, or a choice the shell gives no path
// for) it is untouched.
int BrowseForFolder(char* path, HWND owner, const char* initialPath);

// Saves a shell link at linkPath, whose folder must exist. arguments and
// workingFolder are set only when given (an empty text is given). Returns 1
// when the file was saved.
int CreateShortcut(const char* linkPath, const char* target, const char* arguments, const char* workingFolder,
                   int showCommand);
