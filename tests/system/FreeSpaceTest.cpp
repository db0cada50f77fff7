// tests/system/FreeSpaceTest.cpp
// Free and total bytes of a drive: a tmpfs of a known size as a fixed
// drive, C: above 4 GiB for the older cluster-count query, and roots that
// are no drive roots.
#include "BenchDrive.h"
#include "SystemTestSupport.h"
#include "support/BenchState.h"
#include "sys/DiscLocator.h"

#include <stdlib.h>

namespace
{
const ULONGLONG MiB = 1ull << 20;
const ULONGLONG Sentinel = 0x0123456789abcdefull;

class FreeSpaceTest : public systest::DriveTest
{
protected:
    // The bench's 1300 MiB tmpfs as drive S:; false when the test cannot
    // go on.
    bool DefineSpaceDrive()
    {
        spaceUnix = bench::RootUnix() + "/mnt/space";
        return bench::TestMountAsDrive("space", 's');
    }

    // The file system's own count of free bytes.
    ULONGLONG UnixFreeBytes()
    {
        std::string counts = bench::RunUnix("stat -f -c '%f %S' " + spaceUnix);
        char* end = nullptr;
        ULONGLONG blocks = strtoull(counts.c_str(), &end, 10);
        ULONGLONG blockSize = strtoull(end, nullptr, 10);
        return blocks * blockSize;
    }

    std::string spaceUnix;
};

TEST_F(FreeSpaceTest, ARootThatIsNoDriveRootFailsWithZeroOutputs)
{
    for (const char* root : {"\\\\s", "Q:\\"})
    {
        ULONGLONG freeBytes = Sentinel;
        ULONGLONG totalBytes = Sentinel;
        EXPECT_EQ(0, GetFreeDiskSpace(root, &freeBytes, &totalBytes)) << root;
        EXPECT_EQ(0u, freeBytes) << root;
        EXPECT_EQ(0u, totalBytes) << root;

        freeBytes = Sentinel;
        EXPECT_EQ(0, GetFreeDiskSpace(root, &freeBytes, nullptr)) << root;
        EXPECT_EQ(0u, freeBytes) << root;
    }
}

TEST_F(FreeSpaceTest, AFixedDriveReportsItsSizeAndFreeBytes)
{
    if (!DefineSpaceDrive())
        return;
    std::string probeFile = "S:\\free-space-probe.bin";
    DeleteFileA(probeFile.c_str());

    ULONGLONG freeBytes = 0;
    ULONGLONG totalBytes = 0;
    ASSERT_EQ(1, GetFreeDiskSpace("S:\\", &freeBytes, &totalBytes));
    EXPECT_EQ(1300 * MiB, totalBytes);
    EXPECT_EQ(UnixFreeBytes(), freeBytes);

    bench::WriteFileBytes(probeFile, std::string(MiB, 'x'));
    ULONGLONG freeAfter = 0;
    ASSERT_EQ(1, GetFreeDiskSpace("S:\\", &freeAfter, nullptr));
    EXPECT_EQ(freeBytes - MiB, freeAfter);
    DeleteFileA(probeFile.c_str());
}

TEST_F(FreeSpaceTest, TheOlderQueryAgreesOnTheTmpfs)
{
    if (!DefineSpaceDrive())
        return;
    ULONGLONG freeBytes = 0;
    ULONGLONG totalBytes = 0;
    ASSERT_EQ(1, GetFreeDiskSpace("S:\\", &freeBytes, &totalBytes));
    ULONGLONG olderFree = 0;
    ULONGLONG olderTotal = 0;
    ASSERT_EQ(1, GetFreeDiskSpaceFallback("S:\\", &olderFree, &olderTotal));
    EXPECT_EQ(totalBytes, olderTotal);
    EXPECT_EQ(freeBytes, olderFree);
}

TEST_F(FreeSpaceTest, TheOlderQueryDoesNotWrapAbove4GiB)
{
    ULONGLONG freeBytes = 0;
    ULONGLONG totalBytes = 0;
    ASSERT_EQ(1, GetFreeDiskSpace("C:\\", &freeBytes, &totalBytes));
    if (totalBytes <= 0xffffffffull)
        GTEST_SKIP() << "C: holds only " << totalBytes << " bytes";
    ULONGLONG olderFree = 0;
    ULONGLONG olderTotal = 0;
    ASSERT_EQ(1, GetFreeDiskSpaceFallback("C:\\", &olderFree, &olderTotal));
    EXPECT_EQ(totalBytes, olderTotal);
    // Other programs write to C: meanwhile, so its free bytes only bound.
    EXPECT_GT(olderFree, 0u);
    EXPECT_LE(olderFree, olderTotal);

    ULONGLONG untouched = Sentinel;
    EXPECT_EQ(0, GetFreeDiskSpaceFallback("\\\\s", &untouched, nullptr));
    EXPECT_EQ(Sentinel, untouched);
}
} // namespace
