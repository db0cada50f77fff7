// src/ui/OptionsPage.h
#pragma once

#include "sys/Win32.h"
#include "ui/Dialog.h"

// Where and how to install: a base folder, into which the install goes as
// the sub-folder "hoshikage", and full or minimal. Start carries out the
// whole install as one command. The choices live only in the controls, so
// they last across page switches and failed runs.
class OptionsPage : public Dialog
{
public:
    OptionsPage();
    ~OptionsPage() override;

    void OnInitDialog() override;
    void OnCommand(int id) override;

    // Whether freeBytes on the destination is below the install type's
    // threshold, counted in whole MiB.
    static int IsShortOfSpace(ULONGLONG freeBytes, int installType);

private:
    void Browse();
    void Start();
    int ComposeInstallFolder(char* installFolder, char* baseFolder);
    int ResolveInstallFolder(char* installFolder, const char* typedFolder);
    int ConfirmDestination(const char* baseFolder, int installType);
    int ConfirmFreeSpace(const char* installFolder, int installType);
    void CompleteInstall(const char* installFolder);
    int SelectedInstallType();
};
