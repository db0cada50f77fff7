// tests/copy/ManifestTest.cpp
// The two built-in lists as a walk sees them with their record values and
// disc labels, lists of known lengths, and the entry grammar.
#include "app/Globals.h"
#include "install/InstallManifest.h"
#include "support/BenchState.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
// A walk from entry 0 to the end marker or entry 99, as the run and the
// removal make it: each entry as "disc N", "file NAME", "folder NAME".
struct Walk
{
    std::vector<std::string> steps;
    int endAt = -1;
};

Walk WalkOf(const InstallManifest& manifest)
{
    Walk walk;
    for (int i = 0; i < 100 && walk.endAt < 0; ++i)
    {
        const char* entry = manifest.Entry(i);
        EntryKind kind = InstallManifest::KindOf(entry);
        if (kind == ENTRY_END)
            walk.endAt = i;
        else if (kind == ENTRY_DISC_SWITCH)
            walk.steps.push_back("disc " + std::to_string(InstallManifest::DiscOf(entry)));
        else
            walk.steps.push_back((kind == ENTRY_FOLDER ? "folder " : "file ") + std::string(entry));
    }
    return walk;
}

TEST(ManifestTest, TheBuiltInListsCopyTheListedFilesDiscByDisc)
{
    for (bool full : {true, false})
    {
        int type = full ? INSTALL_FULL : INSTALL_MINIMAL;
        std::vector<std::string> steps = {"disc 1"};
        for (const std::string& name : bench::ListedFiles(full))
        {
            if (name == "v2_0.pak")
                steps.push_back("disc 2");
            steps.push_back("file " + name);
        }
        const InstallManifest& manifest = InstallManifest::ForType(type);
        Walk walk = WalkOf(manifest);
        EXPECT_EQ(steps, walk.steps);
        EXPECT_EQ(static_cast<int>(steps.size()), walk.endAt) << "the end marker right after the last file";
        EXPECT_EQ(static_cast<int>(bench::ListedFiles(full).size()), InstallManifest::FileCount(type));
        for (int i = walk.endAt; i <= 100; ++i)
            EXPECT_STREQ("", manifest.Entry(i)) << type << " entry " << i;
        EXPECT_STREQ("", manifest.Entry(-1));
        // "imgdec.dll" and "loader.dll".
        EXPECT_EQ(10u, manifest.LongestEntry()) << type;
        EXPECT_STREQ(full ? "FULL" : "MIN", InstallManifest::RecordValue(type));
        EXPECT_STREQ(full ? "hoshikage2" : "hoshikage1", InstallManifest::DiscLabel(full ? 2 : 1));
    }
}

TEST(ManifestTest, AListIsWalkedAndMeasuredToItsHundredthEntry)
{
    std::vector<const char*> entries(150, "x.pak");
    std::string last(30, 'l');
    std::string beyond(40, 'b');
    entries[0] = "*1";
    entries[99] = last.c_str();
    entries[100] = beyond.c_str();
    InstallManifest manifest(entries.data(), static_cast<int>(entries.size()));
    Walk walk = WalkOf(manifest);
    EXPECT_EQ(-1, walk.endAt) << "no end marker within the hundred";
    ASSERT_EQ(100u, walk.steps.size());
    EXPECT_EQ("file " + last, walk.steps[99]);
    EXPECT_EQ(30u, manifest.LongestEntry());

    // Entries past the end marker are measured; entries past the given
    // ones read as end markers and are not.
    const char* few[] = {"*2", "a.pak", "", "after-the-end.pak", "never-given-at-all.pak"};
    InstallManifest marked(few, 4);
    InstallManifest unmarked(few, 2);
    for (const InstallManifest* list : {&marked, &unmarked})
        EXPECT_EQ(std::vector<std::string>({"disc 2", "file a.pak"}), WalkOf(*list).steps);
    EXPECT_EQ(17u, marked.LongestEntry());
    EXPECT_EQ(5u, unmarked.LongestEntry());
}

TEST(ManifestTest, TheKindOfAnEntry)
{
    EXPECT_EQ(ENTRY_DISC_SWITCH, InstallManifest::KindOf("*1"));
    EXPECT_EQ(ENTRY_DISC_SWITCH, InstallManifest::KindOf("*x"));
    EXPECT_EQ(ENTRY_DISC_SWITCH, InstallManifest::KindOf("*1\\")) << "the switch is tested before the folder";
    EXPECT_EQ(1, InstallManifest::DiscOf("*1"));
    EXPECT_EQ(2, InstallManifest::DiscOf("*2"));
    EXPECT_EQ(2, InstallManifest::DiscOf("*x"));
    EXPECT_EQ(2, InstallManifest::DiscOf("*"));
    EXPECT_EQ(ENTRY_FOLDER, InstallManifest::KindOf("a\\"));
    EXPECT_EQ(ENTRY_FILE, InstallManifest::KindOf("a\\b"));
    EXPECT_EQ(ENTRY_END, InstallManifest::KindOf(""));
    // The folder test looks at the last byte alone.
    EXPECT_EQ(ENTRY_FOLDER, InstallManifest::KindOf("ソ"));
}
} // namespace
