// tests/copy/CopyWithProgressTest.cpp
// The copier on the real progress page of the setup window: every bar
// position and line text it sets, in order, the messages it lets through,
// the memory it gives back, and failures. Aborts through the window are
// cases of the fault catalogue.
#include "ControlLog.h"
#include "ProgressFixture.h"
#include "TestFiles.h"

#include "BenchDrive.h"
#include "app/Globals.h"
#include "install/ProgressPage.h"
#include "res/resource.h"
#include "support/BenchState.h"
#include "support/Table.h"

#include <commctrl.h>
// Its kernel32 form, which needs no DLL of its own.
#define PSAPI_VERSION 2
#include <psapi.h>

#include <string>
#include <vector>

namespace
{
using copytest::Bar;
using copytest::ControlEvent;
using copytest::ControlLog;
using copytest::Text;

// 0 to 99, each repeat times, then 100 before the chunk that ends the file
// and 100 after it.
std::vector<unsigned> EachPercentTimes(unsigned repeat)
{
    std::vector<unsigned> values;
    for (unsigned percent = 0; percent < 100; ++percent)
        values.insert(values.end(), repeat, percent);
    values.push_back(100);
    values.push_back(100);
    return values;
}

// The line naming the source, then the file bar's positions.
std::vector<ControlEvent> LineAndFileBar(const std::string& source, const std::vector<unsigned>& fileBar)
{
    std::vector<ControlEvent> events = {Text(IDC_FILE_LINE, source + "をコピー中...")};
    for (unsigned position : fileBar)
        events.push_back(Bar(IDC_FILE_BAR, position));
    return events;
}

class CopyWithProgressTest : public copytest::ProgressFixture
{
protected:
    int Copy(const std::string& dest, const std::string& source)
    {
        return page->CopyWithProgress(dest.c_str(), source.c_str());
    }
};

struct BarCase : table::Row
{
    unsigned size;
    std::vector<unsigned> fileBar;
};

// What the process has committed: a copy must give back what each chunk
// takes, or a full install's 13000 chunks add up to its whole size.
SIZE_T CommittedBytes()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PagefileUsage;
}

class CopyWithProgressBarTest : public CopyWithProgressTest, public testing::WithParamInterface<BarCase>
{
};

TEST_P(CopyWithProgressBarTest, EveryValueInOrder)
{
    const BarCase& c = GetParam();
    page->BeginRun(17);
    ControlLog::Clear();
    std::string source = MakeSource("source.bin", c.size);
    std::string dest = folder + "dest.bin";

    SIZE_T before = CommittedBytes();
    ASSERT_EQ(1, Copy(dest, source));
    EXPECT_LT(CommittedBytes(), before + 2000000) << "the copy kept memory";
    std::vector<ControlEvent> events = LineAndFileBar(source, c.fileBar);
    events.push_back(Text(IDC_COUNT_LINE, "17ファイル中1ファイルコピー完了"));
    events.push_back(Bar(IDC_TOTAL_BAR, 5));
    EXPECT_EQ(events, ControlLog::Events());
    EXPECT_EQ(1, page->Copied());
    EXPECT_EQ(c.size, copytest::FileLength(dest));
    EXPECT_EQ(c.size, copytest::MatchingPrefix(dest));
    DeleteFileA(source.c_str());
    DeleteFileA(dest.c_str());
}

// At the threshold the first formula: 0 to 100, one per chunk. One byte
// above it the second, which still counts one per chunk (the first would
// have lagged a step behind: 0, 0, 1, ...).
const BarCase Sizes[] = {{"Empty", 0, {100, 100}},
                         {"ShorterThanAChunk", 50000, {0, 100}},
                         {"Bytes250000", 250000, {0, 40, 80, 100}},
                         {"ExactMultipleOfTheChunk", 200000, {0, 50, 100, 100}},
                         {"Bytes10000000", 10000000, EachPercentTimes(1)},
                         {"Bytes10000001", 10000001, EachPercentTimes(1)},
                         {"Bytes50000000", 50000000, EachPercentTimes(5)}};

INSTANTIATE_TEST_SUITE_P(Sizes, CopyWithProgressBarTest, testing::ValuesIn(Sizes), table::RowName());

struct RunCase : table::Row
{
    int total;
    std::vector<unsigned> totalBar;
};

class CopyWithProgressRunTest : public CopyWithProgressTest, public testing::WithParamInterface<RunCase>
{
};

TEST_P(CopyWithProgressRunTest, OverallBarAndLinesOverARun)
{
    const RunCase& c = GetParam();
    page->BeginRun(c.total);
    EXPECT_EQ(std::vector<ControlEvent>({Bar(IDC_FILE_BAR, 0), Bar(IDC_TOTAL_BAR, 0), Text(IDC_FILE_LINE, ""),
                                         Text(IDC_COUNT_LINE, std::to_string(c.total) + "ファイル中0ファイルコピー完了")}),
              ControlLog::Events());
    ControlLog::Clear();

    std::vector<ControlEvent> fileLines;
    std::vector<ControlEvent> countLines;
    std::vector<ControlEvent> totalBar;
    for (int i = 1; i <= c.total; ++i)
    {
        // Lengths around the chunk size, so that some files pump and some do not.
        std::string source = MakeSource(("v" + std::to_string(i) + ".pak").c_str(), 40000u * i);
        ASSERT_EQ(1, Copy(folder + "copy" + std::to_string(i) + ".pak", source));
        fileLines.push_back(Text(IDC_FILE_LINE, source + "をコピー中..."));
        countLines.push_back(Text(IDC_COUNT_LINE, std::to_string(c.total) + "ファイル中" + std::to_string(i)
                                                      + "ファイルコピー完了"));
        totalBar.push_back(Bar(IDC_TOTAL_BAR, c.totalBar[i - 1]));
    }
    EXPECT_EQ(totalBar, ControlLog::Of(IDC_TOTAL_BAR));
    EXPECT_EQ(fileLines, ControlLog::Of(IDC_FILE_LINE));
    EXPECT_EQ(countLines, ControlLog::Of(IDC_COUNT_LINE));
    EXPECT_EQ(c.total, page->Copied());

    // What stays on the page after the last file.
    EXPECT_EQ(100, SendMessageA(page->GetItem(IDC_FILE_BAR), PBM_GETPOS, 0, 0));
    EXPECT_EQ(100, SendMessageA(page->GetItem(IDC_TOTAL_BAR), PBM_GETPOS, 0, 0));
    char line[MAX_PATH];
    page->GetItemText(IDC_COUNT_LINE, line, sizeof(line));
    EXPECT_EQ(countLines.back().text, line);
}

const RunCase Runs[] = {{"Files17", 17, {5, 11, 17, 23, 29, 35, 41, 47, 52, 58, 64, 70, 76, 82, 88, 94, 100}},
                        {"Files5", 5, {20, 40, 60, 80, 100}}};

INSTANTIATE_TEST_SUITE_P(InstallTypes, CopyWithProgressRunTest, testing::ValuesIn(Runs), table::RowName());

TEST_F(CopyWithProgressTest, OneMessageIsLetThroughPerFullChunkAndNoneForLess)
{
    copytest::Receiver receiver;
    page->BeginRun(5);
    for (int i = 0; i < 5; ++i)
        receiver.Post(WM_APP + i);
    ASSERT_EQ(1, Copy(folder + "short.dll", MakeSource("short.src", 99999)));
    ASSERT_EQ(1, Copy(folder + "empty.dll", MakeSource("empty.src", 0)));
    EXPECT_EQ(0, receiver.Dispatched());
    ASSERT_EQ(1, Copy(folder + "base.pak", MakeSource("base.src", 250000)));
    EXPECT_EQ(2, receiver.Dispatched());
    EXPECT_FALSE(receiver.TakeQueued(WM_APP + 1)) << "taken in the order they came";
    for (int i = 2; i < 5; ++i)
        EXPECT_TRUE(receiver.TakeQueued(WM_APP + i)) << i;
}

TEST_F(CopyWithProgressTest, AnAbortFromTheDispatchedMessageStopsInThatPass)
{
    copytest::Receiver receiver;
    receiver.onMessage = [](UINT) { AbortState = ABORT_REQUESTED; };
    page->BeginRun(5);
    ControlLog::Clear();
    std::string source = MakeSource("v1_0.pak", 1000000);
    std::string dest = folder + "v1_0.pak.copy";
    receiver.Post(WM_APP);

    EXPECT_EQ(0, Copy(dest, source));
    EXPECT_EQ(1, receiver.Dispatched());
    EXPECT_EQ(std::vector<ControlEvent>({Text(IDC_FILE_LINE, source + "をコピー中..."), Bar(IDC_FILE_BAR, 0)}),
              ControlLog::Events());
    EXPECT_EQ(0, page->Copied());
    EXPECT_FALSE(IsPageVisible(PROGRESS_PAGE));
    EXPECT_TRUE(IsPageVisible(OPTIONS_PAGE));
    EXPECT_FALSE(IsPageVisible(MENU_PAGE));
    EXPECT_EQ(100000, copytest::FileLength(dest)) << "one chunk, then the abort";
}

struct CopyFailure : table::Row
{
    // 0: no source file at all.
    unsigned sourceSize;
    // "" when the test cannot go on.
    std::string (*dest)(const std::string& folder);
    // The source is cut to this length while the copy runs (0: never).
    unsigned cutTo;
    std::vector<unsigned> fileBar;
    // The destination's length afterwards (-1: none).
    long long length;
};

class CopyFailureTest : public CopyWithProgressTest, public testing::WithParamInterface<CopyFailure>
{
};

TEST_P(CopyFailureTest, FailsAndCountsNothing)
{
    const CopyFailure& row = GetParam();
    page->BeginRun(5);
    std::string source = row.sourceSize != 0 ? MakeSource("source.pak", row.sourceSize) : folder + "missing.pak";
    std::string dest = row.dest(folder);
    if (dest.empty())
        return;
    copytest::Receiver receiver;
    if (row.cutTo != 0)
    {
        // As a disc taken out or a file changed would.
        receiver.onMessage = [&](UINT) {
            bench::RunUnix("truncate -s " + std::to_string(row.cutTo) + " " + bench::UnixPath(source));
        };
        receiver.Post(WM_APP);
    }
    ControlLog::Clear();

    EXPECT_EQ(0, Copy(dest, source));
    EXPECT_EQ(LineAndFileBar(source, row.fileBar), ControlLog::Events());
    EXPECT_EQ(0, page->Copied());
    EXPECT_EQ(row.length, copytest::FileLength(dest));
    if (row.sourceSize != 0 && row.cutTo == 0)
    {
        EXPECT_EQ(row.sourceSize, copytest::MatchingPrefix(source)) << "the source is only read";
    }
}

// clang-format off
const CopyFailure Failures[] = {
    // The destination is opened, and emptied, before the source.
    {"MissingSource", 0, [](const std::string& folder) {
        bench::WriteFileBytes(folder + "old.pak", "left from before");
        return folder + "old.pak";
    }, 0, {}, 0},
    {"MissingDestinationFolder", 1000, [](const std::string& folder) { return folder + "no-such-folder\\base.pak"; },
     0, {}, -1},
    // Wine gives a link to a device no length: -1.
    {"ADestinationThatRefusesTheFirstWrite", 250000,
     [](const std::string& folder) { return bench::FullDiskFile(folder, "full.pak"); }, 0, {0}, -1},
    // 262144 bytes of room: the third chunk's write is short, and the file
    // must not count as whole for the bytes that were read.
    {"AFullDiskInTheLastChunk", 280000, [](const std::string&) {
        std::string mount = bench::TestMount("small");
        return mount.empty() ? mount : bench::WindowsPath(mount) + "\\v1_4.pak";
    }, 0, {0, 35, 71}, 262144},
    {"ASourceThatEndsEarly", 300000, [](const std::string& folder) { return folder + "cut.pak"; }, 150000, {0, 33},
     150000},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Failures, CopyFailureTest, testing::ValuesIn(Failures), table::RowName());
} // namespace
