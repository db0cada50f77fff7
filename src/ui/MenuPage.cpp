// src/ui/MenuPage.cpp
#include "ui/MenuPage.h"

#include "app/Globals.h"
#include "install/InstallManifest.h"
#include "install/InstallRemoval.h"
#include "install/PathRules.h"
#include "res/resource.h"
#include "sys/InstallRecord.h"
#include "sys/RegKey.h"
#include "sys/Text.h"
#include "ui/MainFrame.h"
#include "ui/SetupTexts.h"
#include "ui/StartMenuEntry.h"

#include <shellapi.h>
#include <string.h>

MenuPage* TheMenuPage()
{
    return static_cast<MenuPage*>(Pages[MENU_PAGE]);
}

MenuPage::MenuPage() : m_notInstalled(1)
{
}

MenuPage::~MenuPage()
{
}

void MenuPage::OnInitDialog()
{
    RefreshInstallState();
    Show(SW_SHOW);
}

void MenuPage::OnCommand(int id)
{
    switch (id)
    {
    case IDC_EXIT:
        TheMainFrame->Destroy();
        break;
    case IDC_LAUNCH:
        Launch();
        break;
    case IDC_INSTALL:
        if (m_notInstalled)
            SwitchPage(MENU_PAGE, OPTIONS_PAGE);
        else
            Remove();
        break;
    }
}

void MenuPage::RefreshInstallState()
{
    RegKey record;
    int installed = record.Open(INSTALL_RECORD_ROOT, InstallRecordKey);
    EnableItem(IDC_LAUNCH, installed);
    SetItemText(IDC_INSTALL, installed ? RemoveButtonText : InstallButtonText);
    m_notInstalled = installed ? 0 : 1;
    record.Close();
}

// Starts the game from its folder and ends the setup, whether or not the
// game started. A record that went away or lost its folder since the last
// refresh starts nothing: the page is brought up to date instead.
void MenuPage::Launch()
{
    RegKey record;
    char folder[MAX_PATH];
    char game[MAX_PATH];
    if (!record.Open(INSTALL_RECORD_ROOT, InstallRecordKey)
        || record.ReadString(DirectoryValueName, folder, sizeof(folder)) != ERROR_SUCCESS
        || !FormatText(game, sizeof(game), "%s%s", folder, GameExecutableName))
    {
        record.Close();
        RefreshInstallState();
        return;
    }
    // The game gets no directory of its own and inherits this one.
    SetCurrentDirectoryA(folder);
    ShellExecuteA(nullptr, nullptr, game, nullptr, nullptr, SW_SHOWNORMAL);
    TheMainFrame->Destroy();
    record.Close();
}

// Every step runs whatever happened before, so the page offers Install
// again afterwards; only the file removal needs a folder that was read.
void MenuPage::Remove()
{
    if (MessageBox(UninstallQuestionText, ConfirmCaption, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;

    RegKey key;
    char folder[MAX_PATH];
    char installValue[MAX_PATH];
    int opened = key.Open(INSTALL_RECORD_ROOT, InstallRecordKey);
    int haveFolder = opened && key.ReadString(DirectoryValueName, folder, sizeof(folder)) == ERROR_SUCCESS
        && AddTrailingBackslash(folder, sizeof(folder));
    int full = opened && key.ReadString(InstallValueName, installValue, sizeof(installValue)) == ERROR_SUCCESS
        && strcmp(installValue, InstallManifest::RecordValue(INSTALL_FULL)) == 0;
    InstallType = full ? INSTALL_FULL : INSTALL_MINIMAL;
    // A folder that is not a full path would be looked for wherever the
    // current folder happens to be, and another program's files of the same
    // names deleted there.
    if (haveFolder && IsFullPath(folder))
        RemoveInstalledFiles(folder);

    StartMenuEntry entry;
    if (entry.Locate(key))
    {
        DeleteFileA(entry.linkPath);
        RemoveDirectoryA(entry.folder);
    }
    key.Delete(INSTALL_RECORD_ROOT, InstallRecordKey);
    RefreshInstallState();
    key.Close();
}
