// tests/support/WindowProbe.h
// Looking at windows as a user would, from another thread or another
// process: every wait has a bound.
#pragma once

#include "sys/Win32.h"

#include <functional>
#include <string>

namespace probe
{
// Polls until condition holds or timeoutMs passes; true when it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// Unicode text as the Shift-JIS bytes the tests write their texts in, and
// back. Characters that code page 932 lacks give "<not Shift-JIS: ...>"
// with the text in UTF-8, which matches nothing.
std::string ShiftJis(const std::wstring& text);
std::wstring Wide(const std::string& shiftJis);

// The window's text as the program holds it, read as Unicode: what either
// process's code page does to it shows.
std::string Text(HWND window);
// Sets the text as Unicode.
bool SetText(HWND window, const std::string& text);
std::string ClassName(HWND window);

// A message box or the folder picker: a visible top-level dialog.
struct DialogView
{
    HWND window = nullptr;
    std::string caption;
    std::string text; // a message box's text; empty for other dialogs
};

// The first top-level window for which match holds, or null.
HWND FindTopLevel(const std::function<bool(HWND)>& match);
DWORD ProcessOf(HWND window);
// A visible top-level window of the process that nothing owns (a frame, a
// picker opened without an owner), of that class when one is named.
HWND FindShown(DWORD process, const char* className = nullptr);

// The visible top-level dialog owned by owner, if one is open.
HWND FindOpenDialog(HWND owner);
DialogView ViewOf(HWND dialog);
// Waits for such a dialog; window stays null when none came.
DialogView WaitForDialog(HWND owner, DWORD timeoutMs);
// Presses the dialog's button with that id and waits for the dialog to go.
bool Answer(HWND dialog, int buttonId, DWORD timeoutMs = 10000);

// The progress bar's position, across processes.
int BarPosition(HWND bar);
} // namespace probe
