// bench/InstallBench.cpp
// Times what a player meets, from outside the setup program, and the
// copies it is compared with. bench/install-bench.sh runs it on the Wine
// bench. Not a test: nothing here is registered with CTest.
//   install_bench install BASE full|minimal [answer]
//       one install through the window into BASE, from Yes on the
//       confirmation to the completion message; with "answer", a WM_NULL
//       sent to the frame every 50 ms meanwhile. Install discs 1 and 2 must
//       be in CD-ROM drives already. SETUP_PROGRAM names another build to
//       drive (setup_timed.exe).
//   install_bench abort BASE COUNT
//       COUNT aborts in the middle of the first file (183.5 MB on the
//       realistic disc), each from Yes on the abort question to the options
//       page being visible.
//   install_bench start COUNT
//       COUNT starts, each from starting setup.exe to its start page being
//       visible, after one untimed start.
//   install_bench plain DISC1 DISC2 DEST full|minimal
//       the install list copied in 100000-byte chunks through FileStreams,
//       with no window: the copier's limit.
//   install_bench read DISC1 DISC2 full|minimal
//       the install list's files only read, in 100000-byte reads into a
//       fresh buffer each: what the discs alone take.
//   install_bench run PROGRAM
//       from starting PROGRAM to its exit.
// Folder arguments are Windows paths ending with a backslash. Each mode
// prints one line of figures (seconds, bytes, milliseconds) and a last
// field 1 when what it timed went as expected, 0 otherwise.
#include "BenchClock.h"
#include "app/Globals.h"
#include "install/FileStream.h"
#include "install/InstallManifest.h"
#include "install/InstallTexts.h"
#include "install/ProgressPage.h"
#include "res/resource.h"
#include "support/BenchState.h"
#include "support/SetupDriver.h"
#include "sys/CodePage.h"
#include "ui/SetupTexts.h"

#include <gtest/gtest.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <thread>
#include <vector>

namespace
{
using benchclock::Now;

// Polls often enough that the poll adds about a millisecond to a figure,
// and no more often, so the setup program keeps its share of the two cores.
bool PollUntil(const std::function<bool()>& condition, double timeoutSeconds, DWORD sleepMs = 1)
{
    double end = Now() + timeoutSeconds;
    while (!condition())
    {
        if (Now() > end)
            return false;
        Sleep(sleepMs);
    }
    return true;
}

struct Stats
{
    double median;
    double p99;
    double max;
    double min;
};

// Nearest-rank percentiles.
Stats Summarise(std::vector<double> values)
{
    Stats stats = {0, 0, 0, 0};
    if (values.empty())
        return stats;
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    stats.median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    size_t rank = (n * 99 + 99) / 100;
    stats.p99 = values[std::min(n, std::max<size_t>(rank, 1)) - 1];
    stats.max = values[n - 1];
    stats.min = values[0];
    return stats;
}

bool Failed()
{
    return testing::UnitTest::GetInstance()->ad_hoc_test_result().Failed();
}

// The visible top-level dialog of the frame other than skip, and its text.
probe::DialogView NextBox(SetupDriver& setup, HWND skip, double timeoutSeconds, DWORD sleepMs)
{
    probe::DialogView view;
    PollUntil(
        [&] {
            HWND found = probe::FindOpenDialog(setup.Frame());
            if (found != nullptr && found != skip)
                view.window = found;
            return view.window != nullptr;
        },
        timeoutSeconds, sleepMs);
    if (view.window != nullptr)
    {
        HWND text = GetDlgItem(view.window, 0xFFFF);
        view.text = text != nullptr ? probe::Text(text) : "";
    }
    return view;
}

void Press(HWND dialog, int buttonId)
{
    PostMessageA(GetDlgItem(dialog, buttonId), BM_CLICK, 0, 0);
}

bool WaitGone(HWND dialog)
{
    return PollUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 10);
}

// From the start page to the confirmation of an install into base, left
// open.
probe::DialogView OpenConfirmation(SetupDriver& setup, const std::string& base, bool full)
{
    probe::DialogView none;
    if (!setup.IsVisible(IDC_FOLDER))
    {
        setup.Click(IDC_INSTALL);
        if (!PollUntil([&] { return setup.IsVisible(IDC_FOLDER); }, 10, 5))
            return none;
    }
    setup.SetText(IDC_FOLDER, base);
    setup.Click(full ? IDC_FULL : IDC_MINIMAL);
    if (!PollUntil([&] { return setup.IsChecked(full ? IDC_FULL : IDC_MINIMAL); }, 5, 5))
        return none;
    setup.Click(IDC_START);
    probe::DialogView box = NextBox(setup, nullptr, 15, 5);
    if (box.window == nullptr || GetDlgItem(box.window, IDYES) == nullptr)
    {
        fprintf(stderr, "install_bench: no install question (%s)\n", box.text.c_str());
        return none;
    }
    return box;
}

// A WM_NULL to the frame every 50 ms, each answer timed, until stopped.
class AnswerProbe
{
public:
    explicit AnswerProbe(HWND frame) : m_frame(frame), m_stop(false), m_thread([this] { Run(); }) {}
    ~AnswerProbe() { Stop(); }

    void Stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    const std::vector<double>& Milliseconds() const { return m_times; }
    int Unanswered() const { return m_unanswered; }

private:
    void Run()
    {
        double next = Now();
        while (!m_stop)
        {
            DWORD_PTR result = 0;
            double start = Now();
            if (SendMessageTimeoutA(m_frame, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result))
                m_times.push_back((Now() - start) * 1000);
            else
                ++m_unanswered;
            next += 0.050;
            double wait = next - Now();
            if (wait > 0)
                Sleep(static_cast<DWORD>(wait * 1000));
            else
                next = Now();
        }
    }

    HWND m_frame;
    std::atomic<bool> m_stop;
    std::vector<double> m_times;
    int m_unanswered = 0;
    std::thread m_thread;
};

std::string LastListed(bool full);

// setup.exe beside this program, or the one SETUP_PROGRAM names (the
// build with its calls timed).
std::string SetupProgram()
{
    const char* program = getenv("SETUP_PROGRAM");
    return program != nullptr && *program != '\0' ? program : SetupDriver::SetupPath();
}

int Install(const std::string& base, bool full, bool answer)
{
    bench::ForgetInstall();
    SetupDriver setup;
    if (!setup.Start(SetupProgram()))
        return 1;
    probe::DialogView question = OpenConfirmation(setup, base, full);
    if (question.window == nullptr)
        return 1;

    double start = Now();
    Press(question.window, IDYES);
    std::unique_ptr<AnswerProbe> probe(answer ? new AnswerProbe(setup.Frame()) : nullptr);
    // A message box disables the frame while it is open. Asking for that is
    // one request to the Wine server; a search among the windows is dozens,
    // and the setup program shares that server and its CPU. Even so, asked
    // every 2 ms all along it made a full-speed install 3 % slower: until
    // the list's last file appears, the driver looks every 50 ms.
    HWND frame = setup.Frame();
    WaitGone(question.window);
    PollUntil([&] { return IsWindowEnabled(frame) != FALSE; }, 10, 2);
    std::string last = base + InstallFolderName + "\\" + LastListed(full);
    PollUntil([&] { return GetFileAttributesA(last.c_str()) != INVALID_FILE_ATTRIBUTES || !IsWindowEnabled(frame); },
              1800, 50);
    PollUntil([&] { return !IsWindowEnabled(frame); }, 1800, 2);
    probe::DialogView done = NextBox(setup, question.window, 10, 2);
    double end = Now();
    double seconds = end - start;
    if (probe != nullptr)
        probe->Stop();

    // The private bytes are the commit charge, PagefileUsage: Wine leaves
    // the PrivateUsage of the extended counters at 0 for other processes.
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof(memory);
    BOOL counted = GetProcessMemoryInfo(setup.Process(), &memory, sizeof(memory));
    int ok = done.text == CompletedText && counted;
    if (!ok)
        fprintf(stderr, "install_bench: the install ended with \"%s\"\n", done.text.c_str());
    if (done.window != nullptr)
        setup.Answer(done, IDOK);
    PollUntil([&] { return IsWindowVisible(setup.Page(IDC_LAUNCH)) != FALSE; }, 10, 5);
    setup.Close();
    bench::ForgetInstall();
    ok = ok && !Failed();

    // The clock's readings too, to be set beside the timed build's own.
    printf("install %.6f %lu %lu %lu %.6f %.6f %d\n", seconds, static_cast<unsigned long>(memory.PeakWorkingSetSize),
           static_cast<unsigned long>(memory.PeakPagefileUsage), static_cast<unsigned long>(memory.PagefileUsage),
           start, end, ok);
    if (probe != nullptr)
    {
        Stats stats = Summarise(probe->Milliseconds());
        printf("answer %u %.3f %.3f %.3f %d %d\n", static_cast<unsigned>(probe->Milliseconds().size()),
               stats.median, stats.p99, stats.max, probe->Unanswered(), ok);
    }
    return ok ? 0 : 1;
}

// The first file of the list is the largest; its bar moves from 0 to 100
// while the total bar still shows 0.
const int AbortAtPercent = 25;

int Aborts(const std::string& base, int count)
{
    bench::ForgetInstall();
    SetupDriver setup;
    if (!setup.Start())
        return 1;
    std::vector<double> times;
    int ok = 1;
    for (int i = 0; i < count && ok; ++i)
    {
        probe::DialogView question = OpenConfirmation(setup, base, true);
        if (question.window == nullptr)
            return 1;
        setup.Answer(question, IDYES);
        int percent = -1;
        bool middle = PollUntil(
            [&] {
                percent = setup.BarPosition(IDC_FILE_BAR);
                return percent >= AbortAtPercent || setup.BarPosition(IDC_TOTAL_BAR) > 0;
            },
            600, 5);
        if (!middle || setup.BarPosition(IDC_TOTAL_BAR) > 0)
        {
            fprintf(stderr, "install_bench: the first file ended before the abort\n");
            return 1;
        }
        setup.Click(IDC_ABORT);
        probe::DialogView box = NextBox(setup, nullptr, 30, 5);
        if (box.text != AbortQuestionText)
        {
            fprintf(stderr, "install_bench: no abort question (%s)\n", box.text.c_str());
            return 1;
        }
        // A file still short of its end: the abort came in its middle.
        int atAnswer = setup.BarPosition(IDC_FILE_BAR);
        // Found before the clock starts: only its visibility is polled.
        HWND folder = setup.Control(IDC_FOLDER);
        double start = Now();
        Press(box.window, IDYES);
        double gone = 0;
        bool back = PollUntil(
            [&] {
                if (gone == 0 && !IsWindowVisible(box.window))
                    gone = (Now() - start) * 1000;
                return IsWindowVisible(folder) != FALSE;
            },
            30);
        double milliseconds = (Now() - start) * 1000;
        ok = back && atAnswer > 0 && atAnswer < 100 && !setup.HasMessageBox();
        times.push_back(milliseconds);
        fprintf(stderr, "install_bench: abort %d at %d %% of the file: %.3f ms (the question gone after %.3f ms)\n", i + 1,
                atAnswer, milliseconds, gone);
    }
    setup.Close();
    bench::ForgetInstall();
    ok = ok && !Failed();
    Stats stats = Summarise(times);
    printf("abort %u %.3f %.3f %.3f %d\n", static_cast<unsigned>(times.size()), stats.median, stats.max, stats.min,
           ok);
    return ok ? 0 : 1;
}

// The frame found among the process's windows as the driver finds it: its
// visible dialog without an owner; *frame stays null until it shows.
bool StartPageVisible(const SetupDriver& setup, HWND* frame)
{
    DWORD pid = setup.ProcessId();
    *frame = probe::FindShown(pid, "#32770");
    if (*frame == nullptr)
        return false;
    HWND menu = nullptr;
    for (HWND child = GetWindow(*frame, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
    {
        if (GetDlgItem(child, IDC_INSTALL) != nullptr)
            menu = child;
    }
    return menu != nullptr && IsWindowVisible(menu) && IsWindowVisible(GetDlgItem(menu, IDC_INSTALL));
}

int Starts(int count)
{
    bench::ForgetInstall();
    std::vector<double> times;
    int ok = 1;
    for (int i = -1; i < count && ok; ++i)
    {
        SetupDriver setup;
        double start = Now();
        if (!setup.Launch())
            return 1;
        HWND frame = nullptr;
        // Waiting for the first wait for input costs the server nothing;
        // the search among the windows starts from there.
        WaitForInputIdle(setup.Process(), 20000);
        bool shown = PollUntil([&] { return StartPageVisible(setup, &frame); }, 20);
        double milliseconds = (Now() - start) * 1000;
        if (i >= 0)
            times.push_back(milliseconds);
        DWORD code = 1;
        PostMessageA(frame, WM_CLOSE, 0, 0);
        ok = shown && setup.WaitForExit(15000, &code) && code == 0 ? ok : 0;
    }
    ok = ok && !Failed();
    Stats stats = Summarise(times);
    printf("start %u %.3f %.3f %.3f %d\n", static_cast<unsigned>(times.size()), stats.median, stats.max, stats.min,
           ok);
    return ok ? 0 : 1;
}

// Calls each(source, name) for every file the install type's list copies,
// source the file's full path under the disc root named by the list.
template <typename Each>
bool ForEachListed(const char* disc1, const char* disc2, bool full, Each each)
{
    const InstallManifest& list = InstallManifest::ForType(full ? INSTALL_FULL : INSTALL_MINIMAL);
    std::string root;
    for (int i = 0; i < MANIFEST_ENTRIES; ++i)
    {
        const char* entry = list.Entry(i);
        switch (InstallManifest::KindOf(entry))
        {
        case ENTRY_END:
            return true;
        case ENTRY_DISC_SWITCH:
            root = InstallManifest::DiscOf(entry) == 1 ? disc1 : disc2;
            break;
        case ENTRY_FILE:
            if (!each(root + entry, std::string(entry)))
                return false;
            break;
        case ENTRY_FOLDER:
            // The built-in lists name files only.
            return false;
        }
    }
    return true;
}

// The name of the last file the install type's list copies.
std::string LastListed(bool full)
{
    std::string last;
    ForEachListed("", "", full, [&](const std::string&, const std::string& name) {
        last = name;
        return true;
    });
    return last;
}

int Plain(const char* disc1, const char* disc2, const std::string& dest, bool full)
{
    CreateDirectoryA(dest.c_str(), nullptr);
    unsigned long long bytes = 0;
    unsigned files = 0;
    double start = Now();
    bool ok = ForEachListed(disc1, disc2, full, [&](const std::string& source, const std::string& name) {
        FileStream to;
        FileStream from;
        if (!to.Open((dest + name).c_str(), 1) || !from.Open(source.c_str(), 0))
            return false;
        while (to.CopyFrom(from, ProgressPage::CHUNK_SIZE) == ProgressPage::CHUNK_SIZE)
        {
        }
        bytes += to.Size();
        ++files;
        return to.Size() == from.Size();
    });
    double seconds = Now() - start;
    printf("plain %.6f %llu %u %d\n", seconds, bytes, files, ok);
    return ok ? 0 : 1;
}

int ReadOnly(const char* disc1, const char* disc2, bool full)
{
    unsigned long long bytes = 0;
    unsigned files = 0;
    double start = Now();
    bool ok = ForEachListed(disc1, disc2, full, [&](const std::string& source, const std::string&) {
        FileStream from;
        if (!from.Open(source.c_str(), 0))
            return false;
        unsigned got = 0;
        unsigned total = 0;
        do
        {
            void* buffer = malloc(ProgressPage::CHUNK_SIZE);
            if (buffer == nullptr)
                return false;
            got = from.Read(buffer, ProgressPage::CHUNK_SIZE);
            free(buffer);
            total += got;
        } while (got == ProgressPage::CHUNK_SIZE);
        bytes += total;
        ++files;
        return total == from.Size();
    });
    double seconds = Now() - start;
    printf("read %.6f %llu %u %d\n", seconds, bytes, files, ok);
    return ok ? 0 : 1;
}

int Run(const char* program)
{
    std::string command = std::string("\"") + program + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    double start = Now();
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    {
        fprintf(stderr, "install_bench: cannot start %s (error %lu)\n", program, GetLastError());
        return 1;
    }
    DWORD waited = WaitForSingleObject(process.hProcess, 1800 * 1000);
    double seconds = Now() - start;
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    if (waited != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 99);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    int ok = waited == WAIT_OBJECT_0 && code == 0;
    printf("run %.6f %lu %d\n", seconds, static_cast<unsigned long>(code), ok);
    return ok ? 0 : 1;
}

bool IsFull(const char* type)
{
    return strcmp(type, "full") == 0;
}

int Usage()
{
    fprintf(stderr, "usage: install_bench install BASE full|minimal [answer] | abort BASE COUNT | start COUNT\n"
                    "       | plain DISC1 DISC2 DEST full|minimal | read DISC1 DISC2 full|minimal | run PROGRAM\n");
    return 2;
}
} // namespace

int main(int argc, char** argv)
{
    LoadLeadBytes(CP_ACP);
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "install" && (argc == 4 || (argc == 5 && strcmp(argv[4], "answer") == 0)))
        return Install(argv[2], IsFull(argv[3]), argc == 5);
    if (mode == "abort" && argc == 4 && atoi(argv[3]) > 0)
        return Aborts(argv[2], atoi(argv[3]));
    if (mode == "start" && argc == 3 && atoi(argv[2]) > 0)
        return Starts(atoi(argv[2]));
    if (mode == "plain" && argc == 6)
        return Plain(argv[2], argv[3], argv[4], IsFull(argv[5]));
    if (mode == "read" && argc == 5)
        return ReadOnly(argv[2], argv[3], IsFull(argv[4]));
    if (mode == "run" && argc == 3)
        return Run(argv[2]);
    return Usage();
}
