// src/ui/StartMenuEntry.h
#pragma once

class RegKey;

// The game's Start-menu folder and its shortcut, under the user's Programs
// folder as the registry names it.
struct StartMenuEntry
{
    char folder[260];
    char linkPath[260];

    // Opens the Shell Folders key on key (closing what it held) and composes
    // both paths. Returns 0, with no path formed, when the key or the value
    // cannot be read or a path would not fit.
    int Locate(RegKey& key);
};
