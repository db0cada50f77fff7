// tests/ui/FlowTest.h
// Whole flows through the setup window, as a player goes through them:
// discs in CD-ROM drives of the bench, a destination of the test's own,
// and what the install leaves behind afterwards.
#pragma once

#include "support/BenchState.h"
#include "support/SetupDriver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class FlowTest : public testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Puts sample disc 1 or 2 into the CD-ROM drive letter.
    void InsertDisc(char letter, int disc);
    void EjectDisc(char letter);

    // From the start page to the options page.
    void OpenOptions();
    // Types the base folder and picks full (true) or minimal.
    void ChooseDestination(const std::string& base, bool full);
    // Presses Start and expects the question; answers it with answer.
    void PressStart(const std::string& question, int answer);
    // From a fresh start to a run confirmed into base.
    void StartRun(const std::string& base, bool full);
    // Full install of both discs into base, through to the start page.
    void InstallFrom(const std::string& base, bool full);
    // Waits for the completion message and closes it; the start page
    // then shows.
    void FinishRun();

    void ExpectInstalled(const std::string& folder, bool full);
    void ExpectNoListedFile(const std::string& folder);

    SetupDriver setup;
    std::string scratch;
};

using bench::DiscFile;
using bench::ListedFiles;

std::string FullQuestion(const std::string& base);
std::string MinimalQuestion(const std::string& base);

extern const char ConfirmCaption[];
extern const char CompletedText[];
extern const char DiscCaption[];
extern const char Disc1Prompt[];
extern const char Disc2Prompt[];
extern const char AbortQuestion[];
extern const char LowSpaceQuestion[];
