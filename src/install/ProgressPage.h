// src/install/ProgressPage.h
#pragma once

#include "ui/Dialog.h"

class FileStream;
class InstallManifest;

// The page shown while an install runs, and the run itself: it walks the
// list of the current install type across the two discs and copies every
// file in chunks, with two bars and two status lines.
class ProgressPage : public Dialog
{
public:
    enum
    {
        CHUNK_SIZE = 100000,
        // Files above this size take their percentage from size / 100, so
        // the arithmetic stays within 32 bits.
        PERCENT_FORMULA_LIMIT = 10000000
    };

    ProgressPage();

    // The Abort button.
    void OnCommand(int id) override;

    // Copies the list of InstallType into dest, a folder path ending with a
    // separator. Returns 1 when the list was walked to its end, 0 when a
    // disc prompt was cancelled, a copy failed or an abort was confirmed;
    // the run has shown its own messages by then.
    int RunInstall(const char* dest);
    int RunInstall(const InstallManifest& manifest, const char* dest);

    // Sets up the counters and the page for a run of total files.
    void BeginRun(int total);

    // Copies one file and counts it. Returns 1 when the whole file arrived,
    // 0 when a stream failed to open, a chunk came short before the end
    // (failed read or write, full disk) or an abort was confirmed; on an
    // abort the options page is showing when it returns.
    int CopyWithProgress(const char* destPath, const char* srcPath);

    // The per-file bar for position bytes out of size.
    static unsigned FilePercent(unsigned size, unsigned position);

    int Copied() const { return m_copied; }

private:
    int WaitForDisc(int disc, char* sourceRoot);
    int CopyFileEntry(const char* dest, const char* sourceRoot, const char* entry);
    int CopyFolderEntry(const char* dest, const char* sourceRoot, const char* entry);
    int FailCopy(const char* name);

    int CopyChunks(FileStream& destination, FileStream& source);
    void SetBar(int id, unsigned percent);
    void SetCountLine();
    void FinishFile();
    void PumpOneMessage();

    int m_total;
    int m_copied;
};
