// tests/support/SetupDriver.cpp
#include "support/SetupDriver.h"

#include "support/BenchState.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <set>

namespace
{
const DWORD StartTimeoutMs = 20000;
const DWORD QueryTimeoutMs = 5000;

std::set<DWORD> ProcessesNamed(const std::string& name)
{
    std::set<DWORD> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
    {
        if (_stricmp(entry.szExeFile, name.c_str()) == 0)
            found.insert(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return found;
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

bool SetupDriver::Launch(const std::string& program)
{
    Kill();
    m_frame = nullptr;
    if (!m_locale.empty())
        return LaunchInLocale(program);
    std::string command = "\"" + program + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                        m_folder.empty() ? nullptr : m_folder.c_str(), &startup, &m_process))
    {
        ADD_FAILURE() << "cannot start " << command << " (error " << GetLastError() << ")";
        return false;
    }
    return true;
}

// Wine hands a program that a Wine process starts the starter's locale,
// whatever the environment says: one in another locale is started from the
// Unix side, through the bench's launcher, as a Wine process of its own on
// the same server, and found among the processes by its name.
bool SetupDriver::LaunchInLocale(const std::string& program)
{
    const char* launcher = getenv("BENCH_WINE_EXEC");
    if (launcher == nullptr)
    {
        ADD_FAILURE() << "no BENCH_WINE_EXEC: the bench's launcher is unknown";
        return false;
    }
    std::string name = program.substr(program.find_last_of('\\') + 1);
    std::set<DWORD> before = ProcessesNamed(name);
    std::string line = "/bin/sh -c \"BENCH_LOCALE=" + m_locale + " exec '" + launcher + "' '"
        + bench::UnixPath(program) + "'\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION shell = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                        m_folder.empty() ? nullptr : m_folder.c_str(), &startup, &shell))
    {
        ADD_FAILURE() << "cannot run " << line << " (error " << GetLastError() << ")";
        return false;
    }
    // Wine gives a Unix program no handles, and leaves them as they were.
    if (shell.hProcess != nullptr)
    {
        CloseHandle(shell.hThread);
        CloseHandle(shell.hProcess);
    }
    DWORD pid = 0;
    probe::WaitUntil(
        [&] {
            for (DWORD id : ProcessesNamed(name))
                pid = before.count(id) == 0 ? id : pid;
            return pid != 0;
        },
        StartTimeoutMs);
    m_process.hProcess = pid != 0 ? OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid) : nullptr;
    if (m_process.hProcess == nullptr)
    {
        ADD_FAILURE() << name << " did not start in the locale " << m_locale;
        return false;
    }
    m_process.dwProcessId = pid;
    return true;
}

bool SetupDriver::Start(const std::string& program)
{
    return Launch(program) && WaitForFrame();
}

bool SetupDriver::WaitForFrame()
{
    DWORD pid = m_process.dwProcessId;
    probe::WaitUntil(
        [&] {
            m_frame = probe::FindShown(pid, "#32770");
            return m_frame != nullptr || WaitForSingleObject(m_process.hProcess, 0) == WAIT_OBJECT_0;
        },
        StartTimeoutMs);
    if (m_frame == nullptr)
    {
        ADD_FAILURE() << "the setup window did not appear";
        return false;
    }
    // Not known for a program started from the Unix side.
    if (m_process.dwThreadId == 0)
        m_process.dwThreadId = GetWindowThreadProcessId(m_frame, nullptr);
    return true;
}

HWND SetupDriver::Page(int controlId)
{
    for (HWND page = GetWindow(m_frame, GW_CHILD); page != nullptr; page = GetWindow(page, GW_HWNDNEXT))
    {
        if (probe::ClassName(page) == "#32770" && GetDlgItem(page, controlId) != nullptr)
            return page;
    }
    return nullptr;
}

HWND SetupDriver::Control(int id)
{
    HWND page = Page(id);
    HWND control = page != nullptr ? GetDlgItem(page, id) : nullptr;
    if (control == nullptr)
        ADD_FAILURE() << "no control " << id;
    return control;
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
    HWND control = Control(id);
    DWORD_PTR state = 0;
    if (control != nullptr
        && !SendMessageTimeoutA(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, QueryTimeoutMs, &state))
        ADD_FAILURE() << "control " << id << " does not answer";
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

bool SetupDriver::WaitVisible(int id, DWORD timeoutMs)
{
    HWND control = Control(id);
    return control != nullptr && probe::WaitUntil([&] { return IsWindowVisible(control) != FALSE; }, timeoutMs);
}

void SetupDriver::Click(int id)
{
    HWND button = Control(id);
    if (button == nullptr)
        return;
    ASSERT_TRUE(IsWindowVisible(button)) << "control " << id << " is not visible";
    ASSERT_TRUE(IsWindowEnabled(button)) << "control " << id << " is disabled";
    PostMessageA(button, BM_CLICK, 0, 0);
}

void SetupDriver::SetText(int id, const std::string& text)
{
    HWND control = Control(id);
    if (control != nullptr && !probe::SetText(control, text))
        ADD_FAILURE() << "control " << id << " does not answer";
}

void SetupDriver::PressKey(UINT key)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    HWND target = GetGUIThreadInfo(m_process.dwThreadId, &info) && info.hwndFocus != nullptr ? info.hwndFocus : m_frame;
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 0xC0000001);
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
    ASSERT_TRUE(probe::Answer(box.window, buttonId)) << "the message box did not close";
    Settle();
}

void SetupDriver::Settle()
{
    DWORD_PTR result = 0;
    // A copy lets one message through per chunk: give it time.
    if (!SendMessageTimeoutA(m_frame, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result))
        ADD_FAILURE() << "the setup window does not answer (error " << GetLastError() << ")";
}

void SetupDriver::ExpectIdle()
{
    Settle();
    EXPECT_TRUE(IsWindowEnabled(m_frame)) << "something modal is open";
    DWORD pid = m_process.dwProcessId;
    HWND owned = probe::FindTopLevel(
        [&](HWND window) { return probe::ProcessOf(window) == pid && GetWindow(window, GW_OWNER) == m_frame; });
    EXPECT_EQ(nullptr, owned) << "a " << probe::ClassName(owned) << " \"" << probe::Text(owned) << "\" is open";
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
    if (m_process.hThread != nullptr)
        CloseHandle(m_process.hThread);
    CloseHandle(m_process.hProcess);
    m_process = PROCESS_INFORMATION();
}
