// src/app/Main.cpp
// The process entry point: one copy at a time, exit code 0 on every path.
#include "app/ArrowCursor.h"
#include "app/SetupApp.h"
#include "sys/CodePage.h"
#include "sys/SystemDlls.h"
#include "sys/Win32.h"

namespace
{
const char MutexName[] = "HOSHIKAGE SETUP";
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    RestrictDllSearch();
    LoadLeadBytes(CP_ACP);
    ArrowCursor cursor;

    HANDLE running = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, MutexName);
    if (running != nullptr)
    {
        CloseHandle(running);
        return 0;
    }
    // Without the mutex the program runs unguarded; only the open above
    // detects a running copy.
    HANDLE mutex = CreateMutexA(nullptr, TRUE, MutexName);

    SetupApp app;
    if (app.Run(instance, commandLine))
        app.MessageLoop();
    app.ExitInstance();
    if (mutex != nullptr)
        ReleaseMutex(mutex);
    return 0;
}
