// src/app/SetupApp.cpp
#include "app/SetupApp.h"

#include "app/Globals.h"
#include "res/resource.h"
#include "sys/SystemDlls.h"
#include "ui/MainFrame.h"

#include <new>

int SetupApp::InitInstance()
{
    // Template 105 names the progress-bar class; it must exist before the
    // frame creates its pages.
    LoadCommonControls();

    TheMainFrame = new (std::nothrow) MainFrame;
    if (TheMainFrame == nullptr)
        return 0;
    return TheMainFrame->Create(IDD_FRAME, nullptr) != 0 ? 1 : 0;
}

void SetupApp::ExitInstance()
{
    for (int i = 0; i < PAGE_COUNT; ++i)
    {
        delete Pages[i];
        Pages[i] = nullptr;
    }
    delete TheMainFrame;
    TheMainFrame = nullptr;
}
