// src/app/Globals.h
// The process-wide state shared by the screens. Pages reach each other only
// through these.
#pragma once

#include "sys/Win32.h"

class Dialog;
class MainFrame;
class PtrList;

enum PageIndex
{
    MENU_PAGE = 0,
    OPTIONS_PAGE = 1,
    PROGRESS_PAGE = 2,
    PAGE_COUNT = 3
};

enum InstallTypeValue
{
    INSTALL_FULL = 0,
    INSTALL_MINIMAL = 1
};

enum AbortStateValue
{
    ABORT_IDLE = -1,
    ABORT_RUNNING = 0,
    ABORT_REQUESTED = 1
};

// Module whose resources every dialog is created from.
extern HINSTANCE AppInstance;
// Every live Dialog, in construction order; null outside the application run.
extern PtrList* DialogList;
// The three pages, indexed by PageIndex; null until the frame creates them.
extern Dialog* Pages[PAGE_COUNT];
// The setup window; null until InitInstance creates it.
extern MainFrame* TheMainFrame;
// INSTALL_FULL or INSTALL_MINIMAL.
extern int InstallType;
// ABORT_IDLE, ABORT_RUNNING or ABORT_REQUESTED.
extern int AbortState;

// Hides the page that goes, then shows the page that comes and gives the
// keyboard focus to its first control.
void SwitchPage(PageIndex from, PageIndex to);
// Whether the message is a key or character for a window that is no longer
// shown (its page went while the key waited): such a key is dropped.
int IsKeyForHiddenWindow(const MSG* message);
