// src/ui/OptionsPage.cpp
#include "ui/OptionsPage.h"

#include "app/Globals.h"
#include "install/InstallManifest.h"
#include "install/InstallRemoval.h"
#include "install/PathRules.h"
#include "install/ProgressPage.h"
#include "res/resource.h"
#include "sys/DiscLocator.h"
#include "sys/InstallRecord.h"
#include "sys/RegKey.h"
#include "sys/Shell.h"
#include "sys/Text.h"
#include "ui/MenuPage.h"
#include "ui/SetupTexts.h"
#include "ui/StartMenuEntry.h"

#include <string.h>

namespace
{
enum
{
    // The edit's text with its terminator, as the page reads it.
    FOLDER_TEXT_SIZE = MAX_PATH,
    BYTES_PER_MIB = 1048576
};

ProgressPage* TheProgressPage()
{
    return static_cast<ProgressPage*>(Pages[PROGRESS_PAGE]);
}

// Every path the install makes from its folder must fit in MAX_PATH: the
// files of either list and the shortcut's target.
int FitsInstallFolder(const char* installFolder)
{
    size_t longest = InstallManifest::ForType(INSTALL_FULL).LongestEntry();
    size_t minimalLongest = InstallManifest::ForType(INSTALL_MINIMAL).LongestEntry();
    if (minimalLongest > longest)
        longest = minimalLongest;
    if (strlen(GameExecutableName) > longest)
        longest = strlen(GameExecutableName);
    return strlen(installFolder) + longest < MAX_PATH;
}
} // namespace

OptionsPage::OptionsPage()
{
}

OptionsPage::~OptionsPage()
{
}

void OptionsPage::OnInitDialog()
{
    char note[MAX_PATH];
    FormatText(note, sizeof(note), NoteFormat, InstallFolderName);
    SetItemText(IDC_NOTE, note);

    RegKey key;
    char programFiles[MAX_PATH];
    char base[MAX_PATH];
    if (key.Open(HKEY_LOCAL_MACHINE, CurrentVersionKey)
        && key.ReadString(ProgramFilesValueName, programFiles, sizeof(programFiles)) == ERROR_SUCCESS
        && FormatText(base, sizeof(base), DefaultBaseFormat, programFiles, MakerFolderName)
        && AddTrailingBackslash(base, sizeof(base)))
        SetItemText(IDC_FOLDER, base);
    CheckButton(IDC_FULL, BST_CHECKED);
    key.Close();
}

void OptionsPage::OnCommand(int id)
{
    switch (id)
    {
    case IDC_BACK:
        SwitchPage(OPTIONS_PAGE, MENU_PAGE);
        break;
    case IDC_START:
        Start();
        break;
    case IDC_BROWSE:
        Browse();
        break;
    }
}

int OptionsPage::IsShortOfSpace(ULONGLONG freeBytes, int installType)
{
    return freeBytes / BYTES_PER_MIB < InstallManifest::FreeSpaceThresholdMiB(installType);
}

int OptionsPage::SelectedInstallType()
{
    return IsButtonChecked(IDC_FULL) == BST_CHECKED ? INSTALL_FULL : INSTALL_MINIMAL;
}

void OptionsPage::Browse()
{
    char start[FOLDER_TEXT_SIZE];
    GetItemText(IDC_FOLDER, start, sizeof(start));
    // A drive root keeps its backslash: C:\ is a folder, C: is not.
    size_t length = strlen(start);
    if (length > 3 && EndsWithSeparator(start))
        start[length - 1] = '\0';

    // One byte more than the picker fills, for the backslash.
    char chosen[MAX_PATH + 1];
    if (!BrowseForFolder(chosen, m_handle, start))
        return;
    AddTrailingBackslash(chosen, sizeof(chosen));
    SetItemText(IDC_FOLDER, chosen);
}

void OptionsPage::Start()
{
    char baseFolder[FOLDER_TEXT_SIZE + 1];
    char typedFolder[MAX_PATH];
    char installFolder[MAX_PATH];
    if (!ComposeInstallFolder(typedFolder, baseFolder) || !ResolveInstallFolder(installFolder, typedFolder))
    {
        MessageBox(PathTooLongText, ConfirmCaption, MB_OK | MB_ICONHAND);
        return;
    }

    // The questions speak of the folder as the player typed it.
    InstallType = SelectedInstallType();
    if (!ConfirmDestination(baseFolder, InstallType) || !ConfirmFreeSpace(typedFolder, InstallType))
        return;
    InstallType = SelectedInstallType();

    SwitchPage(OPTIONS_PAGE, PROGRESS_PAGE);
    int installed = TheProgressPage()->RunInstall(installFolder);
    AbortState = ABORT_IDLE;
    if (!installed)
    {
        RemoveInstalledFiles(installFolder);
        SwitchPage(PROGRESS_PAGE, OPTIONS_PAGE);
        return;
    }
    CompleteInstall(installFolder);
}

// The base folder is the edit's text with a trailing separator, and the
// install folder its "hoshikage" sub-folder. Returns 0 when that does not
// fit in MAX_PATH.
int OptionsPage::ComposeInstallFolder(char* installFolder, char* baseFolder)
{
    GetItemText(IDC_FOLDER, baseFolder, FOLDER_TEXT_SIZE);
    AddTrailingBackslash(baseFolder, FOLDER_TEXT_SIZE + 1);
    return FormatText(installFolder, MAX_PATH, "%s%s", baseFolder, InstallFolderName)
        && AddTrailingBackslash(installFolder, MAX_PATH);
}

// The run, the roll-back, the record and the shortcut take the folder as a
// full path: a relative one ("hoshikage\" from an empty edit) would follow
// whatever the current folder happens to be. Returns 0 when the full path
// leaves no room for the paths made from it.
int OptionsPage::ResolveInstallFolder(char* installFolder, const char* typedFolder)
{
    DWORD length = GetFullPathNameA(typedFolder, MAX_PATH, installFolder, nullptr);
    return length > 0 && length < MAX_PATH && AddTrailingBackslash(installFolder, MAX_PATH)
        && FitsInstallFolder(installFolder);
}

int OptionsPage::ConfirmDestination(const char* baseFolder, int installType)
{
    char question[MAX_PATH * 2];
    FormatText(question, sizeof(question), installType == INSTALL_FULL ? FullQuestionFormat : MinimalQuestionFormat,
               baseFolder, InstallFolderName);
    return MessageBox(question, ConfirmCaption, MB_YESNO | MB_ICONQUESTION) != IDNO;
}

// A failed query counts as no free space, so the user decides.
int OptionsPage::ConfirmFreeSpace(const char* installFolder, int installType)
{
    char root[MAX_PATH];
    GetRootPath(root, installFolder);
    ULONGLONG freeBytes = 0;
    GetFreeDiskSpace(root, &freeBytes, nullptr);
    if (!IsShortOfSpace(freeBytes, installType))
        return 1;
    return MessageBox(LowSpaceQuestionText, ConfirmCaption, MB_YESNO | MB_ICONHAND) != IDNO;
}

// Failures here are not reported: the files are in place, so the install
// counts as complete.
void OptionsPage::CompleteInstall(const char* installFolder)
{
    RegKey key;
    if (key.Create(INSTALL_RECORD_ROOT, InstallRecordKey))
    {
        key.WriteString(InstallValueName, InstallManifest::RecordValue(InstallType));
        key.WriteString(DirectoryValueName, installFolder);
    }
    TheMenuPage()->RefreshInstallState();

    StartMenuEntry entry;
    char target[MAX_PATH];
    if (entry.Locate(key) && FormatText(target, sizeof(target), "%s%s", installFolder, GameExecutableName))
    {
        CreateDirectoryPath(entry.folder);
        CreateShortcut(entry.linkPath, target, "", installFolder, SW_SHOWNORMAL);
    }
    SwitchPage(PROGRESS_PAGE, MENU_PAGE);
    key.Close();
}
