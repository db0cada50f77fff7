// tests/copy/ControlLog.cpp
#include "ControlLog.h"

#include <commctrl.h>

#include <ostream>

namespace copytest
{
namespace
{
struct Subclassed
{
    HWND control;
    WNDPROC original;
};

std::vector<Subclassed> Controls;
std::vector<ControlEvent> Log;

WNDPROC OriginalOf(HWND control)
{
    for (const Subclassed& entry : Controls)
    {
        if (entry.control == control)
            return entry.original;
    }
    return nullptr;
}

LRESULT CALLBACK RecordingProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    int id = GetDlgCtrlID(control);
    if (message == PBM_SETPOS)
        Log.push_back(Bar(id, static_cast<unsigned>(wParam)));
    else if (message == WM_SETTEXT)
        Log.push_back(Text(id, lParam != 0 ? reinterpret_cast<const char*>(lParam) : ""));
    return CallWindowProcA(OriginalOf(control), control, message, wParam, lParam);
}
} // namespace

void PrintTo(const ControlEvent& event, std::ostream* out)
{
    if (event.position != ~0u)
        *out << event.id << ":" << event.position;
    else
        *out << event.id << ":\"" << event.text << "\"";
}

ControlEvent Bar(int id, unsigned position)
{
    return ControlEvent{id, position, ""};
}

ControlEvent Text(int id, const std::string& text)
{
    return ControlEvent{id, ~0u, text};
}

void ControlLog::Attach(HWND control)
{
    WNDPROC original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingProc)));
    Controls.push_back(Subclassed{control, original});
}

void ControlLog::DetachAll()
{
    for (const Subclassed& entry : Controls)
    {
        if (IsWindow(entry.control))
            SetWindowLongPtrA(entry.control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(entry.original));
    }
    Controls.clear();
}

void ControlLog::Clear()
{
    Log.clear();
}

const std::vector<ControlEvent>& ControlLog::Events()
{
    return Log;
}

std::vector<ControlEvent> ControlLog::Of(int id)
{
    std::vector<ControlEvent> events;
    for (const ControlEvent& event : Log)
    {
        if (event.id == id)
            events.push_back(event);
    }
    return events;
}
} // namespace copytest
