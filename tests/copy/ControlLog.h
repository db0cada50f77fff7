// tests/copy/ControlLog.h
// Every position sent to a progress bar and every text set on a static,
// in the order they came: values set with no pump after them are lost to
// a read-back of the control, not to this log.
#pragma once

#include "sys/Win32.h"

#include <string>
#include <vector>

namespace copytest
{
struct ControlEvent
{
    int id;
    // PBM_SETPOS: the position; WM_SETTEXT: the text.
    unsigned position;
    std::string text;

    bool operator==(const ControlEvent& other) const
    {
        return id == other.id && position == other.position && text == other.text;
    }
};

void PrintTo(const ControlEvent& event, std::ostream* out);

ControlEvent Bar(int id, unsigned position);
ControlEvent Text(int id, const std::string& text);

// One log for the process: the subclass procedure has no other way in.
class ControlLog
{
public:
    // Subclasses the control; its own procedure still does the work.
    static void Attach(HWND control);
    // Gives every attached control its own procedure back.
    static void DetachAll();
    static void Clear();

    static const std::vector<ControlEvent>& Events();
    // What one control was sent, in order.
    static std::vector<ControlEvent> Of(int id);
};
} // namespace copytest
