// src/app/AppBase.cpp
#include "app/AppBase.h"

#include "app/Globals.h"
#include "app/PtrList.h"
#include "ui/Dialog.h"

#include <new>

AppBase::AppBase()
{
}

AppBase::~AppBase()
{
    delete DialogList;
    DialogList = nullptr;
}

int AppBase::InitInstance()
{
    return 1;
}

void AppBase::ExitInstance()
{
}

int AppBase::Run(HINSTANCE instance, LPSTR /*commandLine*/)
{
    AppInstance = instance;
    DialogList = new (std::nothrow) PtrList;
    if (DialogList == nullptr)
        return 0;
    return InitInstance() != 0 ? 1 : 0;
}

void AppBase::MessageLoop()
{
    MSG message;
    // GetMessageA returns -1 on an invalid argument, which cannot happen with
    // a null window; only the quit message (0) ends the loop.
    while (GetMessageA(&message, nullptr, 0, 0) != 0)
    {
        if (IsKeyForHiddenWindow(&message) || PreTranslate(&message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

int AppBase::PreTranslate(MSG* message)
{
    // The frame comes first, and since the pages are its descendants its
    // dialog routing takes every message of the window tree; the pages see
    // only what the frame declined.
    for (void* item = DialogList->First(); item != nullptr; item = DialogList->Next())
    {
        Dialog* dialog = static_cast<Dialog*>(item);
        if (IsDialogMessageA(dialog->Handle(), message))
            return 1;
    }
    return 0;
}
