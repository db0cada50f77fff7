// src/app/AppBase.h
#pragma once

#include "sys/Win32.h"

// The application object: creates the dialog registry, lets the subclass
// build its windows and runs the message loop. Its state lives in the
// process-wide variables of Globals.h.
class AppBase
{
public:
    AppBase();
    virtual int InitInstance();
    virtual void ExitInstance();
    // Deletes the dialog registry.
    virtual ~AppBase();

    // Returns 1 when InitInstance succeeded; the caller then runs the loop.
    int Run(HINSTANCE instance, LPSTR commandLine);
    // Runs until the quit message arrives.
    void MessageLoop();
    // Returns 1 when a registered dialog consumed the message.
    int PreTranslate(MSG* message);

    AppBase(const AppBase&) = delete;
    AppBase& operator=(const AppBase&) = delete;
};
