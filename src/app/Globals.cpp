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
    if (Pages[to] == nullptr)
        return;
    Pages[to]->Show(SW_SHOW);
    // A focus left on the hidden page would take the keys unseen, and
    // Wine's dialog manager, looking for a mnemonic from a control inside a
    // hidden window, never finds its way back: the window hangs.
    Pages[to]->FocusFirstControl();
}

int IsKeyForHiddenWindow(const MSG* message)
{
    return message->message >= WM_KEYFIRST && message->message <= WM_KEYLAST && message->hwnd != nullptr
        && !IsWindowVisible(message->hwnd);
}
