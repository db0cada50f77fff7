// tests/support/SetupDriver.cpp
#include "support/SetupDriver.h"

#include <gtest/gtest.h>

const char SetupFrameTitle[] = "ほしかげ セットアップ 修正版";

namespace
{
const DWORD StartTimeoutMs = 20000;

struct FrameSearch
{
    DWORD pid;
    HWND found;
};

BOOL CALLBACK MatchFrame(HWND window, LPARAM context)
{
    FrameSearch* search = reinterpret_cast<FrameSearch*>(context);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->pid && probe::Text(window) == SetupFrameTitle && IsWindowVisible(window))
    {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

struct PageSearch
{
    int controlId;
    HWND found;
};

BOOL CALLBACK MatchPage(HWND window, LPARAM context)
{
    PageSearch* search = reinterpret_cast<PageSearch*>(context);
    if (probe::ClassName(window) == "#32770" && GetDlgItem(window, search->controlId) != nullptr)
    {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}
} // namespace

SetupDriver::SetupDriver() : m_process(), m_frame(nullptr)
{
}

SetupDriver::~SetupDriver()
{
    Kill();
}

std::string SetupDriver::SetupPath()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string self(path, length);
    return self.substr(0, self.find_last_of('\\') + 1) + "setup.exe";
}

bool SetupDriver::Launch()
{
    return Launch(SetupPath());
}

bool SetupDriver::Launch(const std::string& program)
{
    Kill();
    m_frame = nullptr;
    std::string command = "\"" + program + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &m_process))
    {
        ADD_FAILURE() << "cannot start " << command << " (error " << GetLastError() << ")";
        return false;
    }
    return true;
}

bool SetupDriver::Start()
{
    return Launch() && WaitForFrame();
}

bool SetupDriver::Start(const std::string& program)
{
    return Launch(program) && WaitForFrame();
}

bool SetupDriver::WaitForFrame()
{
    FrameSearch search = {m_process.dwProcessId, nullptr};
    probe::WaitUntil(
        [&] {
            EnumWindows(MatchFrame, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr
                || WaitForSingleObject(m_process.hProcess, 0) == WAIT_OBJECT_0;
        },
        StartTimeoutMs);
    m_frame = search.found;
    if (m_frame == nullptr)
        ADD_FAILURE() << "the setup window did not appear";
    return m_frame != nullptr;
}

HWND SetupDriver::Page(int controlId)
{
    PageSearch search = {controlId, nullptr};
    EnumChildWindows(m_frame, MatchPage, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND SetupDriver::Control(int id)
{
    HWND page = Page(id);
    return page != nullptr ? GetDlgItem(page, id) : nullptr;
}

bool SetupDriver::IsVisible(int id)
{
    HWND control = Control(id);
    return control != nullptr && IsWindowVisible(control);
}

bool SetupDriver::IsEnabled(int id)
{
    HWND control = Control(id);
    return control != nullptr && IsWindowEnabled(control);
}

bool SetupDriver::IsChecked(int id)
{
    DWORD_PTR state = 0;
    SendMessageTimeoutA(Control(id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
    return state == BST_CHECKED;
}

std::string SetupDriver::Text(int id)
{
    HWND control = Control(id);
    return control != nullptr ? probe::Text(control) : "<no control>";
}

int SetupDriver::BarPosition(int id)
{
    return probe::BarPosition(Control(id));
}

void SetupDriver::Click(int id)
{
    HWND button = Control(id);
    ASSERT_NE(nullptr, button) << "no control " << id;
    ASSERT_TRUE(IsWindowVisible(button)) << "control " << id << " is not visible";
    ASSERT_TRUE(IsWindowEnabled(button)) << "control " << id << " is disabled";
    PostMessageA(button, BM_CLICK, 0, 0);
}

void SetupDriver::SetText(int id, const std::string& text)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG,
                        5000, &result);
}

probe::DialogView SetupDriver::WaitForMessageBox(DWORD timeoutMs)
{
    probe::DialogView box = probe::WaitForDialog(m_frame, timeoutMs);
    if (box.window == nullptr)
        ADD_FAILURE() << "no message box appeared";
    return box;
}

bool SetupDriver::HasMessageBox()
{
    return probe::FindOpenDialog(m_frame) != nullptr;
}

void SetupDriver::Answer(const probe::DialogView& box, int buttonId)
{
    ASSERT_NE(nullptr, box.window);
    EXPECT_TRUE(probe::Answer(box.window, buttonId)) << "the message box did not close";
}

bool SetupDriver::WaitForExit(DWORD timeoutMs, DWORD* exitCode)
{
    if (m_process.hProcess == nullptr || WaitForSingleObject(m_process.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return false;
    GetExitCodeProcess(m_process.hProcess, exitCode);
    return true;
}

void SetupDriver::ExpectCleanExit()
{
    DWORD code = 1;
    EXPECT_TRUE(WaitForExit(15000, &code)) << "setup.exe did not end";
    EXPECT_EQ(0u, code);
}

void SetupDriver::Close()
{
    PostMessageA(m_frame, WM_CLOSE, 0, 0);
    ExpectCleanExit();
}

void SetupDriver::Kill()
{
    if (m_process.hProcess == nullptr)
        return;
    if (WaitForSingleObject(m_process.hProcess, 0) != WAIT_OBJECT_0)
    {
        TerminateProcess(m_process.hProcess, 99);
        WaitForSingleObject(m_process.hProcess, 10000);
    }
    CloseHandle(m_process.hThread);
    CloseHandle(m_process.hProcess);
    m_process = PROCESS_INFORMATION();
}
