// tests/ui/StartPageFlowTest.cpp
// The start page through the window: what the record makes it offer, a
// completed install, removal and launching the game.
#include "BenchDrive.h"
#include "res/resource.h"
#include "support/BenchState.h"
#include "sys/Win32.h"
#include "ui/FlowTest.h"

namespace
{
using StartPageFlowTest = FlowTest;

struct StartCase
{
    const char* name;
    bool key;
    const char* install;
    const char* directory;
    const char* middleButton;
    bool launch;
};

void PrintTo(const StartCase& row, std::ostream* out)
{
    *out << row.name;
}

class StartPageCaseTest : public FlowTest, public testing::WithParamInterface<StartCase>
{
};

// Only the record key's existence counts, not its values.
TEST_P(StartPageCaseTest, TheRecordDecidesWhatIsOffered)
{
    const StartCase& row = GetParam();
    if (row.key)
        bench::WriteRecord(row.install, row.directory);
    ASSERT_TRUE(setup.Start());
    EXPECT_EQ(row.middleButton, setup.Text(IDC_INSTALL));
    EXPECT_TRUE(setup.IsEnabled(IDC_INSTALL));
    EXPECT_EQ(row.launch, setup.IsEnabled(IDC_LAUNCH));
    setup.Close();
}

INSTANTIATE_TEST_SUITE_P(
    Records, StartPageCaseTest,
    testing::Values(StartCase{"NoRecord", false, nullptr, nullptr, "インストール", false},
                    StartCase{"ARecord", true, "FULL", "C:\\Games\\hoshikage\\", "削除", true},
                    StartCase{"ARecordKeyWithoutValues", true, nullptr, nullptr, "削除", true}),
    [](const testing::TestParamInfo<StartCase>& info) { return std::string(info.param.name); });

TEST_F(StartPageFlowTest, AFullInstallRecordsItselfAndMakesTheShortcut)
{
    std::string folder = scratch + "hoshikage\\";
    InstallFrom(scratch, true);
    ExpectInstalled(folder, true);

    std::string value;
    ASSERT_TRUE(bench::ReadRecordValue("INSTALL", &value));
    EXPECT_EQ("FULL", value);
    ASSERT_TRUE(bench::ReadRecordValue("DIRECTORY", &value));
    EXPECT_EQ(folder, value);
    // Refreshed before the page was shown again.
    EXPECT_EQ("削除", setup.Text(IDC_INSTALL));
    EXPECT_TRUE(setup.IsEnabled(IDC_LAUNCH));

    ASSERT_TRUE(bench::FileExists(bench::LinkPath())) << bench::LinkPath();
    bench::LinkInfo link = bench::ReadLink(bench::LinkPath());
    EXPECT_EQ(bench::Utf8(folder + "hoshi.exe"), link.localPath) << link.listing;
    EXPECT_EQ(bench::Utf8(folder), link.workingDirectory) << link.listing;
    EXPECT_EQ("", link.arguments) << link.listing;
    EXPECT_EQ(static_cast<unsigned>(SW_SHOWNORMAL), link.showCommand);
    setup.Close();
}
} // namespace
