// tests/support/WindowProbe.cpp
#include "support/WindowProbe.h"

#include <commctrl.h>

namespace probe
{
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;)
    {
        if (condition())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(5);
    }
}

std::string Text(HWND window)
{
    char buffer[1024] = "";
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof(buffer), reinterpret_cast<LPARAM>(buffer),
                             SMTO_ABORTIFHUNG, 5000, &length))
        return "<no answer>";
    return std::string(buffer, length);
}

std::string ClassName(HWND window)
{
    char name[256] = "";
    GetClassNameA(window, name, sizeof(name));
    return name;
}

namespace
{
struct DialogSearch
{
    HWND owner;
    DWORD pid;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM context)
{
    DialogSearch* search = reinterpret_cast<DialogSearch*>(context);
    if (!IsWindowVisible(window) || ClassName(window) != "#32770")
        return TRUE;
    if (search->owner != nullptr && GetWindow(window, GW_OWNER) != search->owner)
        return TRUE;
    if (search->pid != 0)
    {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid != search->pid)
            return TRUE;
    }
    search->found = window;
    return FALSE;
}
} // namespace

HWND FindOpenDialog(HWND owner, DWORD pid)
{
    DialogSearch search = {owner, pid, nullptr};
    EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

DialogView WaitForDialog(HWND owner, DWORD timeoutMs, DWORD pid)
{
    DialogView view;
    WaitUntil([&] { return (view.window = FindOpenDialog(owner, pid)) != nullptr; }, timeoutMs);
    if (view.window != nullptr)
    {
        view.caption = Text(view.window);
        HWND text = GetDlgItem(view.window, 0xFFFF);
        if (text != nullptr)
            view.text = Text(text);
    }
    return view;
}

bool Answer(HWND dialog, int buttonId, DWORD timeoutMs)
{
    HWND button = GetDlgItem(dialog, buttonId);
    if (button == nullptr)
        return false;
    PostMessageA(button, BM_CLICK, 0, 0);
    return WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, timeoutMs);
}

int BarPosition(HWND bar)
{
    DWORD_PTR position = 0;
    if (!SendMessageTimeoutA(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 5000, &position))
        return -1;
    return static_cast<int>(position);
}
} // namespace probe
