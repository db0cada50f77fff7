// tests/support/SetupDriver.h
// Drives setup.exe from outside, as a player would: starts it, finds its
// frame and pages, clicks, reads texts, answers message boxes and waits
// for it to end. The program is killed if it is still running when the
// driver goes.
#pragma once

#include "support/WindowProbe.h"

#include <string>

class SetupDriver
{
public:
    SetupDriver();
    ~SetupDriver();

    // Starts the setup.exe that lies beside the test program, or another
    // copy, and waits for its frame: the process's visible dialog that
    // nothing owns. False (with a test failure) when no frame came.
    bool Start(const std::string& program = SetupPath());
    // Starts it, or another program, without waiting for anything.
    bool Launch(const std::string& program = SetupPath());
    // The current folder the program starts in from now on; empty: the
    // driver's own.
    void SetCurrentFolder(const std::string& folder) { m_folder = folder; }
    // The Unix locale the program starts in from now on, which Wine makes
    // the system's language ("en_US.UTF-8": an English Windows, code page
    // 1252); empty: the bench's own.
    void SetLocale(const std::string& locale) { m_locale = locale; }
    // Ends the program at once, as a power cut would.
    void Kill();

    HWND Frame() const { return m_frame; }
    DWORD ProcessId() const { return m_process.dwProcessId; }
    // The program's one thread, which owns its windows.
    DWORD ThreadId() const { return m_process.dwThreadId; }
    HANDLE Process() const { return m_process.hProcess; }

    // The page (a child dialog of the frame) that holds the control id.
    HWND Page(int controlId);
    // The queries fail the test when the control is missing or does not
    // answer, so a negative result comes only from a working window.
    HWND Control(int id);
    bool IsVisible(int id);
    bool IsEnabled(int id);
    bool IsChecked(int id);
    std::string Text(int id);
    int BarPosition(int id);
    // Waits until the control (and so its page) shows.
    bool WaitVisible(int id, DWORD timeoutMs = 10000);

    // Clicks a button the way a mouse can: only when it is visible and
    // enabled (a test failure otherwise).
    void Click(int id);
    // Types text into an edit control, replacing what it held.
    void SetText(int id, const std::string& text);
    // Presses a key as the keyboard would: to the window that has the focus
    // in the program, or else to the frame.
    void PressKey(UINT key);

    // The next message box owned by the frame (window null and a test
    // failure when none came).
    probe::DialogView WaitForMessageBox(DWORD timeoutMs = 15000);
    // Whether a message box is open right now.
    bool HasMessageBox();
    // Presses a button of the box, waits until it is gone, then settles.
    void Answer(const probe::DialogView& box, int buttonId);
    // A round trip to the program's thread: it answers only once it is back
    // at its messages, so what a handler did before that is done by then.
    void Settle();
    // Settles, and expects the window idle: any message retrieval answers
    // the round trip, a box's own loop too, so nothing modal may be open or
    // opening (the frame enabled, no window of the process owned by it).
    void ExpectIdle();

    // Waits for the process to end; false when it did not in time.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode);
    // Expects the process to end soon with exit code 0.
    void ExpectCleanExit();
    // Asks the frame to close (its close box) and expects a clean exit 0.
    void Close();

    static std::string SetupPath();

private:
    bool LaunchInLocale(const std::string& program);
    bool WaitForFrame();

    PROCESS_INFORMATION m_process;
    HWND m_frame;
    std::string m_folder;
    std::string m_locale;
};
