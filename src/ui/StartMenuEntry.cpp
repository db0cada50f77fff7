// src/ui/StartMenuEntry.cpp
#include "ui/StartMenuEntry.h"

#include "install/PathRules.h"
#include "sys/InstallRecord.h"
#include "sys/RegKey.h"
#include "sys/Text.h"
#include "ui/SetupTexts.h"

int StartMenuEntry::Locate(RegKey& key)
{
    char programs[MAX_PATH];
    if (!key.Open(HKEY_CURRENT_USER, ShellFoldersKey)
        || key.ReadString(ProgramsValueName, programs, sizeof(programs)) != ERROR_SUCCESS
        || !AddTrailingBackslash(programs, sizeof(programs)))
        return 0;
    return FormatText(folder, sizeof(folder), "%s%s", programs, StartMenuSubfolder)
        && FormatText(linkPath, sizeof(linkPath), ShortcutFormat, folder, ShortcutName);
}
