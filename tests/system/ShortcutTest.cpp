// tests/system/ShortcutTest.cpp
// Shell links as the shortcut writer saves them, read back from the file's
// own bytes.
#include "support/BenchState.h"
#include "support/Table.h"
#include "sys/Shell.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <thread>

namespace
{
// The header's link flags.
const unsigned HasWorkingDir = 0x10;
const unsigned HasArguments = 0x20;

struct LinkRow : table::Row
{
    const char* arguments;
    bool workingFolder;
    int showCommand;
    bool folderExists = true;
    // Called on a thread already in the multithreaded COM mode, which the
    // writer must leave as it found it.
    bool multithreaded = false;
};

const LinkRow Links[] = {
    {{"AsTheInstallSavesIt"}, "", true, SW_SHOWNORMAL},
    {{"NeitherArgumentsNorWorkingFolder"}, nullptr, false, SW_SHOWMINNOACTIVE},
    {{"ArgumentsWithoutWorkingFolder"}, "-window", false, SW_SHOWNORMAL},
    {{"IntoAMissingFolder"}, "", true, SW_SHOWNORMAL, false},
    {{"FromAThreadInAnotherComMode"}, "", true, SW_SHOWNORMAL, true, true},
};

class ShortcutTest : public testing::TestWithParam<LinkRow>
{
};

TEST_P(ShortcutTest, SavesWhatItIsGivenAndNothingElse)
{
    const LinkRow& row = GetParam();
    std::string scratch = bench::Scratch();
    std::string install = scratch + "Program Files\\Morihane\\hoshikage\\";
    std::string target = install + "hoshi.exe";
    std::string programs = scratch + "Programs\\";
    std::string folder = programs + "morihane\\～ ほしかげ ～\\";
    std::string link = folder + "～ ほしかげ ～.lnk";
    bench::MakeFolders(install);
    bench::WriteFileBytes(target, "MZ");
    bench::MakeFolders(row.folderExists ? folder : programs);

    int saved = 0;
    auto save = [&] {
        saved = CreateShortcut(link.c_str(), target.c_str(), row.arguments,
                               row.workingFolder ? install.c_str() : nullptr, row.showCommand);
    };
    if (!row.multithreaded)
        save();
    else
    {
        std::thread caller([&] {
            CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            save();
            IUnknown* object = nullptr;
            EXPECT_EQ(S_OK, CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                             reinterpret_cast<void**>(&object)))
                << "the caller's COM was undone";
            if (object != nullptr)
                object->Release();
            CoUninitialize();
        });
        caller.join();
    }
    if (!row.folderExists)
    {
        EXPECT_EQ(0, saved);
        EXPECT_TRUE(bench::FolderContents(programs).empty());
        return;
    }
    ASSERT_EQ(1, saved);
    bench::LinkInfo read = bench::ReadLink(link);
    EXPECT_EQ(bench::Utf8(target), read.localPath) << read.listing;
    EXPECT_EQ(row.workingFolder ? bench::Utf8(install) : "", read.workingDirectory) << read.listing;
    EXPECT_EQ(row.arguments != nullptr ? row.arguments : "", read.arguments) << read.listing;
    EXPECT_EQ(row.workingFolder, (read.flags & HasWorkingDir) != 0) << read.flags;
    // Wine flags an empty text as arguments; Windows may not.
    if (row.arguments == nullptr || *row.arguments != '\0')
    {
        EXPECT_EQ(row.arguments != nullptr, (read.flags & HasArguments) != 0) << read.flags;
    }
    EXPECT_EQ(static_cast<unsigned>(row.showCommand), read.showCommand);
}

INSTANTIATE_TEST_SUITE_P(Rows, ShortcutTest, testing::ValuesIn(Links), table::RowName());
} // namespace
