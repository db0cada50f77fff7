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

std::string ShiftJis(const std::wstring& text)
{
    if (text.empty())
        return "";
    int units = static_cast<int>(text.size());
    BOOL lost = FALSE;
    std::string bytes(text.size() * 2, '\0');
    int length = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, text.c_str(), units, &bytes[0],
                                     static_cast<int>(bytes.size()), nullptr, &lost);
    if (length > 0 && !lost)
        return bytes.substr(0, length);
    std::string utf8(text.size() * 3, '\0');
    length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), units, &utf8[0], static_cast<int>(utf8.size()), nullptr,
                                 nullptr);
    return "<not Shift-JIS: " + utf8.substr(0, length > 0 ? length : 0) + ">";
}

std::wstring Wide(const std::string& shiftJis)
{
    if (shiftJis.empty())
        return L"";
    std::wstring text(shiftJis.size(), L'\0');
    int units = MultiByteToWideChar(932, 0, shiftJis.c_str(), static_cast<int>(shiftJis.size()), &text[0],
                                    static_cast<int>(text.size()));
    return text.substr(0, units > 0 ? units : 0);
}

std::string Text(HWND window)
{
    wchar_t buffer[1024] = L"";
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000,
                             &length))
        return "<no answer>";
    return ShiftJis(std::wstring(buffer, length));
}

bool SetText(HWND window, const std::string& text)
{
    std::wstring wide = Wide(text);
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), SMTO_ABORTIFHUNG, 5000,
                               &result) != 0;
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
