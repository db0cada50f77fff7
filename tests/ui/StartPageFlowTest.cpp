// tests/ui/StartPageFlowTest.cpp
// The start page through the window: what the record makes it offer.
#include "BenchDrive.h"
#include "res/resource.h"
#include "support/BenchState.h"
#include "sys/Win32.h"
#include "support/Table.h"
#include "ui/FlowTest.h"

namespace
{
struct StartCase : table::Row
{
    bool key;
    const char* install;
    const char* directory;
    const char* middleButton;
    bool launch;
};

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

const StartCase Records[] = {{"NoRecord", false, nullptr, nullptr, "インストール", false},
                             {"ARecord", true, "FULL", "C:\\Games\\hoshikage\\", "削除", true},
                             {"ARecordKeyWithoutValues", true, nullptr, nullptr, "削除", true}};

INSTANTIATE_TEST_SUITE_P(Records, StartPageCaseTest, testing::ValuesIn(Records), table::RowName());
} // namespace
