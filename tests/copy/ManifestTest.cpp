// tests/copy/ManifestTest.cpp
// The two built-in lists as a walk sees them, the constants of each install
// type and disc, and the entry grammar.
#include "app/Globals.h"
#include "install/InstallManifest.h"
#include "support/BenchState.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace
{
// A walk from entry 0 to the end marker or entry 99, as the run and the
// removal make it: each entry as "disc N", "file NAME", "folder NAME".
struct Walk
{
    std::vector<std::string> steps;
    int files = 0;
    int folders = 0;
    std::vector<int> discs;
    int endAt = -1;
};

Walk WalkOf(const InstallManifest& manifest)
{
    Walk walk;
    for (int i = 0; i < 100; ++i)
    {
        const char* entry = manifest.Entry(i);
        switch (InstallManifest::KindOf(entry))
        {
        case ENTRY_END:
            walk.endAt = i;
            return walk;
        case ENTRY_DISC_SWITCH:
            walk.discs.push_back(InstallManifest::DiscOf(entry));
            walk.steps.push_back("disc " + std::to_string(walk.discs.back()));
            break;
        case ENTRY_FOLDER:
            ++walk.folders;
            walk.steps.push_back(std::string("folder ") + entry);
            break;
        case ENTRY_FILE:
            ++walk.files;
            walk.steps.push_back(std::string("file ") + entry);
            break;
        }
    }
    return walk;
}

// A built-in list's walk: disc 1, its files, and disc 2 before its own.
std::vector<std::string> Steps(bool full)
{
    std::vector<std::string> steps = {"disc 1"};
    for (const std::string& name : bench::ListedFiles(full))
    {
        if (name == "v2_0.pak")
            steps.push_back("disc 2");
        steps.push_back("file " + name);
    }
    return steps;
}

TEST(ManifestTest, TheFullListCopiesSeventeenFilesFromTwoDiscs)
{
    Walk walk = WalkOf(InstallManifest::ForType(INSTALL_FULL));
    EXPECT_EQ(Steps(true), walk.steps);
    EXPECT_EQ(17, walk.files);
    EXPECT_EQ(0, walk.folders);
    EXPECT_EQ(std::vector<int>({1, 2}), walk.discs);
    EXPECT_EQ(19, walk.endAt);
    EXPECT_EQ(walk.files, InstallManifest::FileCount(INSTALL_FULL));
}

TEST(ManifestTest, TheMinimalListCopiesTheCommonFilesFromDiscOne)
{
    Walk walk = WalkOf(InstallManifest::ForType(INSTALL_MINIMAL));
    EXPECT_EQ(Steps(false), walk.steps);
    EXPECT_EQ(5, walk.files);
    EXPECT_EQ(std::vector<int>({1}), walk.discs);
    EXPECT_EQ(6, walk.endAt);
    EXPECT_EQ(walk.files, InstallManifest::FileCount(INSTALL_MINIMAL));
}

TEST(ManifestTest, EntriesPastTheEndReadEmpty)
{
    for (int type : {INSTALL_FULL, INSTALL_MINIMAL})
    {
        const InstallManifest& manifest = InstallManifest::ForType(type);
        int end = type == INSTALL_FULL ? 19 : 6;
        for (int i = end; i <= 100; ++i)
            EXPECT_STREQ("", manifest.Entry(i)) << type << " entry " << i;
        EXPECT_STREQ("", manifest.Entry(-1));
        EXPECT_LE(manifest.LongestEntry(), 259u);
    }
}

TEST(ManifestTest, ConstantsOfEachInstallTypeAndDisc)
{
    EXPECT_EQ(1300u, InstallManifest::FreeSpaceThresholdMiB(INSTALL_FULL));
    EXPECT_EQ(300u, InstallManifest::FreeSpaceThresholdMiB(INSTALL_MINIMAL));
    EXPECT_STREQ("FULL", InstallManifest::RecordValue(INSTALL_FULL));
    EXPECT_STREQ("MIN", InstallManifest::RecordValue(INSTALL_MINIMAL));
    EXPECT_STREQ("hoshikage1", InstallManifest::DiscLabel(1));
    EXPECT_STREQ("hoshikage2", InstallManifest::DiscLabel(2));
}

TEST(ManifestTest, TheKindOfAnEntry)
{
    EXPECT_EQ(ENTRY_DISC_SWITCH, InstallManifest::KindOf("*1"));
    EXPECT_EQ(ENTRY_DISC_SWITCH, InstallManifest::KindOf("*2"));
    EXPECT_EQ(ENTRY_DISC_SWITCH, InstallManifest::KindOf("*x"));
    EXPECT_EQ(ENTRY_DISC_SWITCH, InstallManifest::KindOf("*1\\")) << "the switch is tested before the folder";
    EXPECT_EQ(1, InstallManifest::DiscOf("*1"));
    EXPECT_EQ(2, InstallManifest::DiscOf("*2"));
    EXPECT_EQ(2, InstallManifest::DiscOf("*x"));
    EXPECT_EQ(2, InstallManifest::DiscOf("*"));
    EXPECT_EQ(ENTRY_FOLDER, InstallManifest::KindOf("a\\"));
    EXPECT_EQ(ENTRY_FILE, InstallManifest::KindOf("a\\b"));
    EXPECT_EQ(ENTRY_FILE, InstallManifest::KindOf("a"));
    EXPECT_EQ(ENTRY_END, InstallManifest::KindOf(""));
    // The folder test looks at the last byte alone.
    EXPECT_EQ(ENTRY_FOLDER, InstallManifest::KindOf("ソ"));
}

TEST(ManifestTest, AListIsWalkedAtMostAHundredEntries)
{
    std::vector<const char*> entries(150, "x.pak");
    entries[0] = "*1";
    entries[99] = "last.pak";
    InstallManifest manifest(entries.data(), static_cast<int>(entries.size()));
    EXPECT_STREQ("last.pak", manifest.Entry(99));
    EXPECT_STREQ("", manifest.Entry(100));
    Walk walk = WalkOf(manifest);
    EXPECT_EQ(-1, walk.endAt) << "no end marker within the hundred";
    EXPECT_EQ(99, walk.files);

    // A shorter list without an end marker ends where its entries do.
    const char* few[] = {"*2", "a.pak"};
    InstallManifest shortList(few, 2);
    EXPECT_STREQ("a.pak", shortList.Entry(1));
    EXPECT_STREQ("", shortList.Entry(2));
    EXPECT_EQ(std::vector<std::string>({"disc 2", "file a.pak"}), WalkOf(shortList).steps);
}
} // namespace
