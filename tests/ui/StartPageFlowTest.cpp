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

TEST_F(StartPageFlowTest, WithoutARecordItOffersInstall)
{
    ASSERT_TRUE(setup.Start());
    EXPECT_EQ("インストール", setup.Text(IDC_INSTALL));
    EXPECT_FALSE(setup.IsEnabled(IDC_LAUNCH));
    EXPECT_TRUE(setup.IsEnabled(IDC_INSTALL));
    setup.Close();
}

TEST_F(StartPageFlowTest, WithARecordItOffersRemoveAndLaunch)
{
    bench::WriteRecord("FULL", (scratch + "hoshikage\\").c_str());
    ASSERT_TRUE(setup.Start());
    EXPECT_EQ("削除", setup.Text(IDC_INSTALL));
    EXPECT_TRUE(setup.IsEnabled(IDC_LAUNCH));
    setup.Close();
}

TEST_F(StartPageFlowTest, ARecordKeyWithoutValuesCountsAsInstalled)
{
    bench::WriteRecord(nullptr, nullptr);
    ASSERT_TRUE(setup.Start());
    EXPECT_EQ("削除", setup.Text(IDC_INSTALL));
    EXPECT_TRUE(setup.IsEnabled(IDC_LAUNCH));
    setup.Close();
}

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
