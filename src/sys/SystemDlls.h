// src/sys/SystemDlls.h
// DLLs from the system folder only: a DLL of the same name placed beside
// setup.exe (in a downloads folder, say) must never run inside it.
#pragma once

// Limits the search for DLLs loaded by name to the system folder, for the
// whole process. Called before anything else can load a DLL. Windows
// without SetDefaultDllDirectories keeps its usual search.
void RestrictDllSearch();

// Loads the system folder's comctl32.dll by its full path, never to be
// freed, and registers the progress-bar class from it. Returns 1 when the
// class is registered.
int LoadCommonControls();
