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

std::string Trimmed(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t\r\n");
    size_t last = text.find_last_not_of(" \t\r\n");
    return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

// A field of lnkinfo's listing ("\tName\t\t: value"), in the listing's
// own encoding: lnkinfo prints UTF-8, which is turned back into Shift-JIS.
std::string LinkField(const std::string& info, const std::string& name)
{
    size_t at = info.find("\t" + name + "\t");
    if (at == std::string::npos)
        return "<missing>";
    size_t colon = info.find(": ", at);
    size_t end = info.find('\n', colon);
    std::string utf8 = info.substr(colon + 2, end == std::string::npos ? std::string::npos : end - colon - 2);
    while (!utf8.empty() && (utf8.back() == '\r' || utf8.back() == ' '))
        utf8.pop_back();
    wchar_t wide[1024];
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide, 1024);
    char local[2048];
    WideCharToMultiByte(932, 0, wide, length, local, sizeof(local), nullptr, nullptr);
    return local;
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
    std::string link = bench::LinkPath();
    std::string unixLink = bench::RootUnix() + "/link-" + std::to_string(GetCurrentProcessId()) + ".lnk";
    ASSERT_TRUE(CopyFileA(link.c_str(), bench::WindowsPath(unixLink).c_str(), FALSE));
    std::string info = bench::RunUnix("lnkinfo -c windows-932 " + unixLink);
    std::string header = bench::RunUnix("od -An -tu4 -j60 -N4 " + unixLink);
    DeleteFileA(bench::WindowsPath(unixLink).c_str());

    // Read by an independent parser of the format.
    EXPECT_EQ(folder + "hoshi.exe", LinkField(info, "Local path")) << info;
    EXPECT_EQ(folder, LinkField(info, "Working directory")) << info;
    EXPECT_EQ("", LinkField(info, "Command line arguments")) << info;
    EXPECT_NE(std::string::npos, info.find("Command line arguments")) << "arguments are set, empty";
    // lnkinfo does not print the show command; the header holds it.
    EXPECT_EQ("1", Trimmed(header)) << "SW_SHOWNORMAL";
    setup.Close();
}
} // namespace
