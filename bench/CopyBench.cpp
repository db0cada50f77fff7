// bench/CopyBench.cpp
// Times one copy of a file in 100000-byte chunks, either through the
// progress page of a visible setup window (the installer's own copy) or
// through two file streams alone (the same chunks with no window work).
//   copy_bench window SOURCE DEST
//   copy_bench plain SOURCE DEST
// Prints one line: mode, seconds, bytes, chunks, result (1 when the whole
// file arrived).
//   copy_bench parts SOURCE COUNT
// Times each piece of the copier's window work alone on the same visible
// page, COUNT times, and prints microseconds per call of each: the bar
// message sent by control id, the same sent to the bar's handle, a bar
// message that moves the bar, the repaint, the pump, the source's Tell, and
// a move of the bar with the repaint that follows it.
#include "app/Globals.h"
#include "app/PtrList.h"
#include "install/FileStream.h"
#include "install/ProgressPage.h"
#include "res/resource.h"
#include "sys/CodePage.h"
#include "sys/SystemDlls.h"
#include "ui/MainFrame.h"

#include <commctrl.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace
{
double Seconds(const LARGE_INTEGER& start, const LARGE_INTEGER& end)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Lets the window settle before the clock starts: creation and the first
// paint are not part of the copy.
void PumpUntilIdle()
{
    MSG message;
    for (int quietRounds = 0; quietRounds < 5;)
    {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&message);
            DispatchMessageA(&message);
            quietRounds = 0;
        }
        else
        {
            Sleep(20);
            ++quietRounds;
        }
    }
}

unsigned FileSizeOf(const char* path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        return 0;
    return data.nFileSizeLow;
}

int CopyPlain(const char* dest, const char* source, unsigned* chunks)
{
    FileStream to;
    FileStream from;
    if (!to.Open(dest, 1) || !from.Open(source, 0))
        return 0;
    for (;;)
    {
        ++*chunks;
        if (to.CopyFrom(from, ProgressPage::CHUNK_SIZE) < ProgressPage::CHUNK_SIZE)
            return to.Size() == from.Size() ? 1 : 0;
    }
}

ProgressPage* MakeVisiblePage()
{
    AppInstance = GetModuleHandleA(nullptr);
    DialogList = new PtrList;
    LoadCommonControls();
    TheMainFrame = new MainFrame;
    if (!TheMainFrame->Create(IDD_FRAME, nullptr) || Pages[PROGRESS_PAGE] == nullptr
        || Pages[PROGRESS_PAGE]->Handle() == nullptr)
    {
        fprintf(stderr, "copy_bench: the setup window could not be made\n");
        return nullptr;
    }
    ProgressPage* page = static_cast<ProgressPage*>(Pages[PROGRESS_PAGE]);
    SwitchPage(MENU_PAGE, PROGRESS_PAGE);
    AbortState = ABORT_RUNNING;
    page->BeginRun(1);
    PumpUntilIdle();
    return page;
}

int CopyThroughPage(const char* dest, const char* source, double* seconds)
{
    ProgressPage* page = MakeVisiblePage();
    if (page == nullptr)
        return 0;

    LARGE_INTEGER start;
    LARGE_INTEGER end;
    QueryPerformanceCounter(&start);
    int result = page->CopyWithProgress(dest, source);
    QueryPerformanceCounter(&end);
    *seconds = Seconds(start, end);
    TheMainFrame->Destroy();
    return result;
}
template <typename Step>
double MicrosecondsPerCall(unsigned count, Step step)
{
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    QueryPerformanceCounter(&start);
    for (unsigned i = 0; i < count; ++i)
        step(i);
    QueryPerformanceCounter(&end);
    return Seconds(start, end) * 1e6 / count;
}

// The same calls the copier makes per chunk, one kind at a time.
int TimeParts(const char* source, unsigned count)
{
    ProgressPage* page = MakeVisiblePage();
    FileStream from;
    if (page == nullptr || !from.Open(source, 0))
        return 0;
    HWND bar = page->GetItem(IDC_FILE_BAR);
    // Most chunks of a large file set the value the bar already has; one
    // in a hundred moves it, and the bar repaints itself then.
    double barById = MicrosecondsPerCall(count, [&](unsigned) { page->SendItemMessage(IDC_FILE_BAR, PBM_SETPOS, 0, 0); });
    double sameBar = MicrosecondsPerCall(count, [&](unsigned) { SendMessageA(bar, PBM_SETPOS, 0, 0); });
    // A repaint of the bar takes about a millisecond here: fewer of them do.
    double movingBar = MicrosecondsPerCall(count / 10 + 1, [&](unsigned i) { SendMessageA(bar, PBM_SETPOS, i % 101, 0); });
    SendMessageA(bar, PBM_SETPOS, 0, 0);
    double repaint = MicrosecondsPerCall(count, [&](unsigned) { TheMainFrame->Update(); });
    double pump = MicrosecondsPerCall(count, [&](unsigned) {
        MSG message;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE))
        {
            GetMessageA(&message, nullptr, 0, 0);
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    });
    double tell = MicrosecondsPerCall(count, [&](unsigned) { from.Tell(); });
    // The repaint after a move has the bar to draw.
    double moveAndRepaint = MicrosecondsPerCall(count / 10 + 1, [&](unsigned i) {
        SendMessageA(bar, PBM_SETPOS, i % 101, 0);
        TheMainFrame->Update();
    });
    printf("parts %.2f %.2f %.2f %.2f %.2f %.2f %.2f\n", barById, sameBar, movingBar, repaint, pump, tell,
           moveAndRepaint);
    TheMainFrame->Destroy();
    return 1;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 4
        || (strcmp(argv[1], "window") != 0 && strcmp(argv[1], "plain") != 0 && strcmp(argv[1], "parts") != 0))
    {
        fprintf(stderr, "usage: copy_bench window|plain SOURCE DEST, or copy_bench parts SOURCE COUNT\n");
        return 2;
    }
    LoadLeadBytes(CP_ACP);
    if (strcmp(argv[1], "parts") == 0)
    {
        int count = atoi(argv[3]);
        return count > 0 && TimeParts(argv[2], static_cast<unsigned>(count)) ? 0 : 1;
    }
    const char* source = argv[2];
    const char* dest = argv[3];
    unsigned bytes = FileSizeOf(source);
    // The copier itself takes one chunk more than whole chunks fill: the
    // last, short or empty, one.
    unsigned chunks = bytes / ProgressPage::CHUNK_SIZE + 1;
    double seconds = 0;
    int result = 0;
    if (strcmp(argv[1], "window") == 0)
    {
        result = CopyThroughPage(dest, source, &seconds);
    }
    else
    {
        unsigned counted = 0;
        LARGE_INTEGER start;
        LARGE_INTEGER end;
        QueryPerformanceCounter(&start);
        result = CopyPlain(dest, source, &counted);
        QueryPerformanceCounter(&end);
        seconds = Seconds(start, end);
        if (counted != chunks)
            result = 0;
    }
    printf("%s %.6f %u %u %d\n", argv[1], seconds, bytes, chunks, result);
    return result ? 0 : 1;
}
