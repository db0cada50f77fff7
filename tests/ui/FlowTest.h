// tests/ui/FlowTest.h
// Whole flows through the setup window, as a player goes through them:
// discs in CD-ROM drives of the bench, a destination of the test's own,
// and what the install leaves behind afterwards.
#pragma once

#include "support/BenchState.h"
#include "support/SetupDriver.h"
#include "support/Table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Public: the cases of the fault catalogue play it from outside.
class FlowTest : public testing::Test
{
public:
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

    // An install as a completed run leaves it: the listed files, the record
    // and a Start-menu entry.
    void PlantInstall(const std::string& folder, bool full, const char* installValue, const char* directoryValue);
    // Remove on the start page of the running setup, confirmed; waits until
    // the page offers Install again.
    void Remove();
    // Starts the setup so that the stand-in game, once launched, writes the
    // folder it was started in to record.
    bool StartRecordingLaunches(const std::string& record);
    // Whether the stand-in game runs as the setup's child.
    bool GameRunning();

    SetupDriver setup;
    std::string scratch;
};

// The Windows a row starts the setup on: the bench's Japanese one;
// English, code page 1252; or one whose code page is UTF-8 (65001), as
// Windows' "Use Unicode UTF-8" option makes it: Wine gives that to a
// locale without a code page of its own, Hindi's. On the last two the
// program asks Windows for code page 932 itself.
inline constexpr char English[] = "en_US.UTF-8";
inline constexpr char Utf8System[] = "hi_IN.UTF-8";
struct Locale : table::Row
{
    const char* locale;
};
inline constexpr Locale Locales[] = {{"Japanese", ""}, {"English", English}, {"Utf8", Utf8System}};

using bench::DiscFile;
using bench::ListedFiles;

std::string FullQuestion(const std::string& base);
std::string MinimalQuestion(const std::string& base);

inline constexpr char ConfirmCaption[] = "確認";
inline constexpr char CompletedText[] = "インストールが完了しました。Game Discをセットして起動してください";
inline constexpr char DiscCaption[] = "ディスク交換";
inline constexpr char Disc1Prompt[] = "ほしかげのInstall Disc1をセットしてください";
inline constexpr char Disc2Prompt[] = "ほしかげのInstall Disc2をセットしてください";
inline constexpr char AbortQuestion[] = "インストールを中断しますか？";
inline constexpr char LowSpaceQuestion[] = "インストール先のディスク容量が足りません。強行しますか？";
// A box shown without a caption has the system's own, in its language.
inline constexpr char FailureCaption[] = "エラー";
inline constexpr char EnglishFailureCaption[] = "Error";
