// src/ui/MainFrame.cpp
#include "ui/MainFrame.h"

#include "app/Globals.h"
#include "install/InstallTexts.h"
#include "install/ProgressPage.h"
#include "res/resource.h"
#include "ui/MenuPage.h"
#include "ui/OptionsPage.h"

#include <new>

namespace
{
// Stores the page before creating it, so the page can be reached while its
// own OnInitDialog runs. Puts it on top of its siblings without moving it.
void CreatePage(PageIndex index, Dialog* page, int templateId, HWND frame)
{
    Pages[index] = page;
    if (page == nullptr)
        return;
    page->Create(templateId, frame);
    SetWindowPos(page->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}
} // namespace

void MainFrame::OnInitDialog()
{
    CreatePage(MENU_PAGE, new (std::nothrow) MenuPage, IDD_MENU, m_handle);
    if (Pages[MENU_PAGE] != nullptr)
        Pages[MENU_PAGE]->Show(SW_SHOW);
    CreatePage(OPTIONS_PAGE, new (std::nothrow) OptionsPage, IDD_OPTIONS, m_handle);
    CreatePage(PROGRESS_PAGE, new (std::nothrow) ProgressPage, IDD_PROGRESS, m_handle);
    Show(SW_SHOW);
    if (Pages[MENU_PAGE] != nullptr)
        Pages[MENU_PAGE]->FocusFirstControl();
}

void MainFrame::OnCommand(int id)
{
    if (id != IDCANCEL)
        return;
    if (AbortState != ABORT_RUNNING)
    {
        Destroy();
        return;
    }
    if (MessageBox(AbortQuestionText, AbortCaption, MB_YESNO | MB_ICONQUESTION) == IDYES)
        AbortState = ABORT_REQUESTED;
}

void MainFrame::OnDestroy()
{
    PostQuitMessage(0);
}
