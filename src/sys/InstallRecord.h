// src/sys/InstallRecord.h
// Where the install is recorded, and the system values the setup reads.
// The record exists exactly when its key can be opened; its values are
// not consulted for that.
#pragma once

#include "sys/Win32.h"

#define INSTALL_RECORD_ROOT HKEY_CURRENT_USER
inline constexpr char InstallRecordKey[] = "Software\\Morihane\\ほしかげ";
// "FULL" or "MIN"; exactly "FULL" means a full install.
inline constexpr char InstallValueName[] = "INSTALL";
// The install folder, with its trailing backslash.
inline constexpr char DirectoryValueName[] = "DIRECTORY";

// HKEY_LOCAL_MACHINE: the base of the default destination.
inline constexpr char CurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
inline constexpr char ProgramFilesValueName[] = "ProgramFilesDir";

// HKEY_CURRENT_USER: the user's Start-menu programs folder.
inline constexpr char ShellFoldersKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr char ProgramsValueName[] = "Programs";
