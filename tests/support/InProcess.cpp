// tests/support/InProcess.cpp
#include "support/InProcess.h"

#include "app/Globals.h"
#include "app/PtrList.h"
#include "ui/Dialog.h"
#include "res/resource.h"
#include "sys/SystemDlls.h"
#include "ui/MainFrame.h"

void InProcessTest::SetUp()
{
    // As SetupApp does before the frame makes its pages.
    LoadCommonControls();
    AppInstance = GetModuleHandleA(nullptr);
    DialogList = new PtrList;
    for (Dialog*& page : Pages)
        page = nullptr;
    TheMainFrame = nullptr;
    InstallType = INSTALL_FULL;
    AbortState = ABORT_IDLE;
}

void InProcessTest::TearDown()
{
    delete DialogList;
    DialogList = nullptr;
}

void InProcessTest::Pump()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
    {
        bool consumed = false;
        for (void* item = DialogList->First(); item != nullptr && !consumed; item = DialogList->Next())
            consumed = IsDialogMessageA(static_cast<Dialog*>(item)->Handle(), &message) != 0;
        if (!consumed)
        {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

void InProcessFrameTest::SetUp()
{
    InProcessTest::SetUp();
    TheMainFrame = new MainFrame;
    ASSERT_EQ(1, TheMainFrame->Create(IDD_FRAME, nullptr));
    for (Dialog* page : Pages)
        ASSERT_TRUE(page != nullptr && page->Handle() != nullptr);
    SwitchPage(MENU_PAGE, PROGRESS_PAGE);
}

void InProcessFrameTest::TearDown()
{
    if (TheMainFrame != nullptr)
        TheMainFrame->Destroy();
    // The frame's end posts the quit message; left in the queue it would
    // end the next test's message boxes at once.
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
    {
    }
    for (Dialog*& page : Pages)
    {
        delete page;
        page = nullptr;
    }
    delete TheMainFrame;
    TheMainFrame = nullptr;
    AbortState = ABORT_IDLE;
    InstallType = INSTALL_FULL;
    InProcessTest::TearDown();
}
