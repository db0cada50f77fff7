// bench/CallClock.cpp
// The timed wrappers of bench/CallClock.h and the table they add to. This
// file is compiled without that header, so the names here are the real
// calls.
#include "BenchClock.h"
#include "sys/Win32.h"

#include <commctrl.h>

#include <stdio.h>
#include <stdlib.h>

namespace
{
using benchclock::Now;

enum Piece
{
    BAR_KEPT,          // the bar message, the bar keeping its value
    BAR_MOVED,         // the bar message that moves the bar
    SEND_OTHER,        // any other SendMessageA
    REPAINT_QUIET,     // UpdateWindow with no bar moved since the last one
    REPAINT_AFTER_MOVE,
    PEEK_EMPTY,        // the pump, nothing waiting
    PEEK_FOUND,
    PUMP_GET,          // GetMessageA of the pump (the one it found)
    PUMP_TRANSLATE,
    PUMP_DISPATCH,
    READ,
    WRITE,
    TELL,
    PIECES
};

const char* const PieceNames[PIECES] = {"bar-kept", "bar-moved", "send-other", "repaint-quiet",
                                        "repaint-after-move", "peek-empty", "peek-found", "pump-get",
                                        "pump-translate", "pump-dispatch", "read", "write", "tell"};

// One row per message the pump dispatched, by message number.
struct Dispatched
{
    UINT message;
    unsigned long calls;
    double seconds;
};

class CallClock
{
public:
    ~CallClock() { Write(); }

    void Add(Piece piece, double seconds)
    {
        ++m_calls[piece];
        m_seconds[piece] += seconds;
    }

    void AddDispatch(UINT message, double seconds)
    {
        Add(PUMP_DISPATCH, seconds);
        for (unsigned i = 0; i < m_dispatchedCount; ++i)
        {
            if (m_dispatched[i].message == message)
            {
                ++m_dispatched[i].calls;
                m_dispatched[i].seconds += seconds;
                return;
            }
        }
        if (m_dispatchedCount < MaxDispatched)
            m_dispatched[m_dispatchedCount++] = {message, 1, seconds};
    }

    // The first read and the last write bound the copying; each message box
    // is stamped when it is asked for.
    void Stamp(const char* what, double at)
    {
        if (m_stampCount < MaxStamps)
            m_stamps[m_stampCount++] = {what, at};
    }
    void Read(double at)
    {
        if (m_firstRead == 0)
            m_firstRead = at;
    }
    void Wrote(double at) { m_lastWrite = at; }

    bool m_barMoved = false;
    bool m_pumping = false;

private:
    void Write()
    {
        char path[MAX_PATH];
        DWORD length = GetEnvironmentVariableA("SETUP_CALL_CLOCK", path, sizeof(path));
        if (length == 0 || length >= sizeof(path))
            return;
        FILE* out = fopen(path, "wb");
        if (out == nullptr)
            return;
        for (int i = 0; i < PIECES; ++i)
            fprintf(out, "piece %s %lu %.6f\n", PieceNames[i], m_calls[i], m_seconds[i]);
        for (unsigned i = 0; i < m_dispatchedCount; ++i)
            fprintf(out, "dispatch 0x%04x %lu %.6f\n", m_dispatched[i].message, m_dispatched[i].calls,
                    m_dispatched[i].seconds);
        fprintf(out, "first-read %.6f\nlast-write %.6f\n", m_firstRead, m_lastWrite);
        for (unsigned i = 0; i < m_stampCount; ++i)
            fprintf(out, "messagebox %.6f %s\n", m_stamps[i].at, m_stamps[i].what);
        fprintf(out, "end\n");
        fclose(out);
    }

    static const unsigned MaxDispatched = 64;
    static const unsigned MaxStamps = 16;
    unsigned long m_calls[PIECES] = {};
    double m_seconds[PIECES] = {};
    Dispatched m_dispatched[MaxDispatched] = {};
    unsigned m_dispatchedCount = 0;
    struct
    {
        const char* what;
        double at;
    } m_stamps[MaxStamps] = {};
    unsigned m_stampCount = 0;
    double m_firstRead = 0;
    double m_lastWrite = 0;
};

CallClock Clock;
} // namespace

LRESULT WINAPI TimedSendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    double start = Now();
    LRESULT result = SendMessageA(window, message, wParam, lParam);
    double took = Now() - start;
    if (message != PBM_SETPOS)
    {
        Clock.Add(SEND_OTHER, took);
        return result;
    }
    // The message answers with the bar's former value.
    bool moved = static_cast<WPARAM>(result) != wParam;
    Clock.Add(moved ? BAR_MOVED : BAR_KEPT, took);
    Clock.m_barMoved = Clock.m_barMoved || moved;
    return result;
}

BOOL WINAPI TimedUpdateWindow(HWND window)
{
    double start = Now();
    BOOL result = UpdateWindow(window);
    Clock.Add(Clock.m_barMoved ? REPAINT_AFTER_MOVE : REPAINT_QUIET, Now() - start);
    Clock.m_barMoved = false;
    return result;
}

BOOL WINAPI TimedPeekMessageA(LPMSG message, HWND window, UINT first, UINT last, UINT remove)
{
    double start = Now();
    BOOL found = PeekMessageA(message, window, first, last, remove);
    Clock.Add(found ? PEEK_FOUND : PEEK_EMPTY, Now() - start);
    Clock.m_pumping = found != FALSE;
    return found;
}

// The message loop's own GetMessageA waits for the user: only the pump's,
// right after a peek that found something, is counted.
BOOL WINAPI TimedGetMessageA(LPMSG message, HWND window, UINT first, UINT last)
{
    if (!Clock.m_pumping)
        return GetMessageA(message, window, first, last);
    double start = Now();
    BOOL result = GetMessageA(message, window, first, last);
    Clock.Add(PUMP_GET, Now() - start);
    return result;
}

BOOL WINAPI TimedTranslateMessage(const MSG* message)
{
    if (!Clock.m_pumping)
        return TranslateMessage(message);
    double start = Now();
    BOOL result = TranslateMessage(message);
    Clock.Add(PUMP_TRANSLATE, Now() - start);
    return result;
}

LRESULT WINAPI TimedDispatchMessageA(const MSG* message)
{
    if (!Clock.m_pumping)
        return DispatchMessageA(message);
    Clock.m_pumping = false;
    double start = Now();
    LRESULT result = DispatchMessageA(message);
    Clock.AddDispatch(message->message, Now() - start);
    return result;
}

BOOL WINAPI TimedReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD got, LPOVERLAPPED overlapped)
{
    double start = Now();
    BOOL result = ReadFile(file, buffer, count, got, overlapped);
    Clock.Read(start);
    Clock.Add(READ, Now() - start);
    return result;
}

BOOL WINAPI TimedWriteFile(HANDLE file, LPCVOID buffer, DWORD count, LPDWORD written, LPOVERLAPPED overlapped)
{
    double start = Now();
    BOOL result = WriteFile(file, buffer, count, written, overlapped);
    double end = Now();
    Clock.Wrote(end);
    Clock.Add(WRITE, end - start);
    return result;
}

DWORD WINAPI TimedSetFilePointer(HANDLE file, LONG distance, PLONG high, DWORD method)
{
    double start = Now();
    DWORD result = SetFilePointer(file, distance, high, method);
    Clock.Add(TELL, Now() - start);
    return result;
}

int WINAPI TimedMessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    Clock.Stamp((type & MB_YESNO) ? "question" : "notice", Now());
    return MessageBoxA(owner, text, caption, type);
}
