// src/install/ProgressPage.cpp
#include "install/ProgressPage.h"

#include "app/Globals.h"
#include "install/FileStream.h"
#include "install/InstallManifest.h"
#include "install/InstallTexts.h"
#include "install/PathRules.h"
#include "res/resource.h"
#include "sys/DiscLocator.h"
#include "sys/Text.h"
#include "ui/MainFrame.h"

#include <commctrl.h>

namespace
{
void UpdateFrame()
{
    if (TheMainFrame != nullptr)
        TheMainFrame->Update();
}
} // namespace

ProgressPage::ProgressPage() : m_total(0), m_copied(0)
{
}

void ProgressPage::OnCommand(int id)
{
    if (id != IDC_ABORT)
        return;
    if (MessageBox(AbortQuestionText, AbortCaption, MB_YESNO | MB_ICONQUESTION) == IDYES)
        AbortState = ABORT_REQUESTED;
}

int ProgressPage::RunInstall(const char* dest)
{
    return RunInstall(InstallManifest::ForType(InstallType), dest);
}

int ProgressPage::RunInstall(const InstallManifest& manifest, const char* dest)
{
    AbortState = ABORT_RUNNING;
    BeginRun(InstallManifest::FileCount(InstallType));
    CreateDirectoryPath(dest);

    // Empty until the first disc switch: an entry before it has no source.
    char sourceRoot[MAX_PATH] = "";
    for (int i = 0; i < MANIFEST_ENTRIES; ++i)
    {
        const char* entry = manifest.Entry(i);
        switch (InstallManifest::KindOf(entry))
        {
        case ENTRY_DISC_SWITCH:
            if (!WaitForDisc(InstallManifest::DiscOf(entry), sourceRoot))
                return 0;
            break;
        case ENTRY_END:
            MessageBox(CompletedText, CompletedCaption, MB_OK);
            return 1;
        case ENTRY_FOLDER:
            if (!CopyFolderEntry(dest, sourceRoot, entry))
                return 0;
            break;
        case ENTRY_FILE:
            if (!CopyFileEntry(dest, sourceRoot, entry))
                return 0;
            break;
        }
    }
    return 1;
}

void ProgressPage::BeginRun(int total)
{
    m_total = total;
    m_copied = 0;
    SetBar(IDC_FILE_BAR, 0);
    SetBar(IDC_TOTAL_BAR, 0);
    SetItemText(IDC_FILE_LINE, "");
    SetCountLine();
    UpdateFrame();
}

int ProgressPage::WaitForDisc(int disc, char* sourceRoot)
{
    const char* label = InstallManifest::DiscLabel(disc);
    const char* prompt = disc == 1 ? Disc1PromptText : Disc2PromptText;
    while (!FindDiscByLabel(sourceRoot, label))
    {
        if (MessageBox(prompt, DiscPromptCaption, MB_OKCANCEL | MB_ICONHAND) == IDCANCEL)
            return 0;
    }
    return 1;
}

int ProgressPage::CopyFileEntry(const char* dest, const char* sourceRoot, const char* entry)
{
    char destPath[MAX_PATH];
    char srcPath[MAX_PATH];
    if (sourceRoot[0] == '\0'
        || !FormatText(destPath, sizeof(destPath), "%s%s", dest, entry)
        || !FormatText(srcPath, sizeof(srcPath), "%s%s", sourceRoot, entry)
        || !CopyWithProgress(destPath, srcPath))
    {
        return FailCopy(entry);
    }
    return 1;
}

int ProgressPage::CopyFolderEntry(const char* dest, const char* sourceRoot, const char* entry)
{
    char folder[MAX_PATH];
    char pattern[MAX_PATH];
    if (sourceRoot[0] == '\0'
        || !FormatText(folder, sizeof(folder), "%s%s", dest, entry)
        || !FormatText(pattern, sizeof(pattern), "%s%s*.*", sourceRoot, entry))
    {
        return FailCopy(entry);
    }
    CreateDirectoryPath(folder);

    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    int result = 1;
    do
    {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        char destPath[MAX_PATH];
        char srcPath[MAX_PATH];
        if (!FormatText(destPath, sizeof(destPath), "%s%s", folder, found.cFileName)
            || !FormatText(srcPath, sizeof(srcPath), "%s%s%s", sourceRoot, entry, found.cFileName)
            || !CopyWithProgress(destPath, srcPath))
        {
            result = 0;
            break;
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return result ? 1 : FailCopy(found.cFileName);
}

// Shown only while no abort is under way: a confirmed abort ends the copy
// with a failure that the user asked for. Always returns 0.
int ProgressPage::FailCopy(const char* name)
{
    if (AbortState == ABORT_RUNNING)
    {
        char text[MAX_PATH];
        FormatText(text, sizeof(text), CopyFailedFormat, name);
        MessageBox(text, nullptr, MB_OK | MB_ICONHAND);
    }
    return 0;
}

int ProgressPage::CopyWithProgress(const char* destPath, const char* srcPath)
{
    char line[MAX_PATH];
    FormatText(line, sizeof(line), CopyingFormat, srcPath);
    SetItemText(IDC_FILE_LINE, line);

    FileStream destination;
    FileStream source;
    int result = 0;
    // The destination first: it is created, or emptied, even when the
    // source then fails to open.
    if (destination.Open(destPath, 1) && source.Open(srcPath, 0))
        result = CopyChunks(destination, source);
    source.Close();
    destination.Close();
    return result;
}

int ProgressPage::CopyChunks(FileStream& destination, FileStream& source)
{
    // Found once per file: finding a control by its id walks the page's
    // children (under Wine a server round trip), which costs far more than
    // the bar message itself.
    HWND fileBar = GetItem(IDC_FILE_BAR);
    for (;;)
    {
        SendMessageA(fileBar, PBM_SETPOS, FilePercent(source.Size(), source.Tell()), 0);
        UpdateFrame();

        if (destination.CopyFrom(source, CHUNK_SIZE) < CHUNK_SIZE)
        {
            // A short chunk ends the file only when all of it arrived;
            // before that it is a read or write that failed.
            if (destination.Size() != source.Size())
                return 0;
            FinishFile();
            return 1;
        }

        PumpOneMessage();
        if (AbortState == ABORT_REQUESTED)
        {
            SwitchPage(PROGRESS_PAGE, OPTIONS_PAGE);
            return 0;
        }
    }
}

unsigned ProgressPage::FilePercent(unsigned size, unsigned position)
{
    if (size == 0)
        return 100;
    if (size <= PERCENT_FORMULA_LIMIT)
        return position * 100 / size;
    return position / (size / 100);
}

void ProgressPage::SetBar(int id, unsigned percent)
{
    SendItemMessage(id, PBM_SETPOS, percent, 0);
}

void ProgressPage::SetCountLine()
{
    char line[MAX_PATH];
    FormatText(line, sizeof(line), CountFormat, m_total, m_copied);
    SetItemText(IDC_COUNT_LINE, line);
}

void ProgressPage::FinishFile()
{
    SetBar(IDC_FILE_BAR, 100);
    UpdateFrame();
    ++m_copied;
    SetCountLine();
    SetBar(IDC_TOTAL_BAR, m_total > 0 ? m_copied * 100 / m_total : 100);
    UpdateFrame();
}

// One waiting message, dispatched without dialog routing: enough to keep
// the window painted and the Abort button and close box alive. Without the
// routing Esc does nothing here, and a key reaches only the focused Abort
// button.
void ProgressPage::PumpOneMessage()
{
    MSG message;
    if (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE))
    {
        GetMessageA(&message, nullptr, 0, 0);
        if (IsKeyForHiddenWindow(&message))
            return;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}
