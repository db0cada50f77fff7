// src/app/Globals.cpp
#include "app/Globals.h"

#include "ui/Dialog.h"

HINSTANCE AppInstance = nullptr;
PtrList* DialogList = nullptr;
Dialog* Pages[PAGE_COUNT] = {nullptr, nullptr, nullptr};
MainFrame* TheMainFrame = nullptr;
int InstallType = INSTALL_FULL;
int AbortState = ABORT_IDLE;

void SwitchPage(PageIndex from, PageIndex to)
{
    if (Pages[from] != nullptr)
        Pages[from]->Show(SW_HIDE);
    if (Pages[to] != nullptr)
        Pages[to]->Show(SW_SHOW);
}
