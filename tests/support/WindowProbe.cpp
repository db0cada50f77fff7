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
struct TopLevelSearch
{
    const std::function<bool(HWND)>& match;
    HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM context)
{
    TopLevelSearch* search = reinterpret_cast<TopLevelSearch*>(context);
    if (!search->match(window))
        return TRUE;
    search->found = window;
    return FALSE;
}
} // namespace

HWND FindTopLevel(const std::function<bool(HWND)>& match)
{
    TopLevelSearch search = {match, nullptr};
    EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

DWORD ProcessOf(HWND window)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

HWND FindShown(DWORD process, const char* className)
{
    return FindTopLevel([&](HWND window) {
        return ProcessOf(window) == process && IsWindowVisible(window) && GetWindow(window, GW_OWNER) == nullptr
            && (className == nullptr || ClassName(window) == className);
    });
}

HWND FindOpenDialog(HWND owner)
{
    return FindTopLevel([&](HWND window) {
        return IsWindowVisible(window) && ClassName(window) == "#32770" && GetWindow(window, GW_OWNER) == owner;
    });
}

DialogView ViewOf(HWND dialog)
{
    DialogView view;
    view.window = dialog;
    if (dialog != nullptr)
    {
        view.caption = Text(dialog);
        HWND text = GetDlgItem(dialog, 0xFFFF);
        if (text != nullptr)
            view.text = Text(text);
    }
    return view;
}

DialogView WaitForDialog(HWND owner, DWORD timeoutMs)
{
    HWND dialog = nullptr;
    WaitUntil([&] { return (dialog = FindOpenDialog(owner)) != nullptr; }, timeoutMs);
    return ViewOf(dialog);
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
