// tests/system/FreeSpaceTest.cpp
// Free and total bytes of a drive: a tmpfs of a known size as a fixed
// drive, roots that are no drive roots, and volumes above 4 GiB as a
// Windows with and without the 64-bit query reports them.
#include "BenchDrive.h"
#include "support/BenchState.h"
#include "sys/DiscLocator.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

// The test program's import slots, through which the program's code linked
// into it calls the system.
#ifdef _WIN64
#define IMPORT_SLOT(name, argumentBytes) "__imp_" #name
#else
#define IMPORT_SLOT(name, argumentBytes) "__imp__" #name "@" #argumentBytes
#endif
extern "C" void* ImportedGetProcAddress __asm__(IMPORT_SLOT(GetProcAddress, 8));
extern "C" void* ImportedGetDiskFreeSpaceA __asm__(IMPORT_SLOT(GetDiskFreeSpaceA, 20));

namespace
{
const ULONGLONG MiB = 1ull << 20;
const ULONGLONG GiB = 1ull << 30;
const ULONGLONG Sentinel = 0x0123456789abcdefull;

class FreeSpaceTest : public testing::Test
{
protected:
    void SetUp() override { bench::RemoveBenchDrives(); }
    void TearDown() override { bench::RemoveBenchDrives(); }
};

TEST_F(FreeSpaceTest, ARootThatIsNoDriveRootFailsWithZeroOutputs)
{
    // What the root of a UNC destination is cut to.
    const char root[] = "\\\\s";
    ULONGLONG freeBytes = Sentinel;
    ULONGLONG totalBytes = Sentinel;
    EXPECT_EQ(0, GetFreeDiskSpace(root, &freeBytes, &totalBytes));
    EXPECT_EQ(0u, freeBytes);
    EXPECT_EQ(0u, totalBytes);
    freeBytes = Sentinel;
    EXPECT_EQ(0, GetFreeDiskSpace(root, &freeBytes, nullptr));
    EXPECT_EQ(0u, freeBytes);

    // The older query sets its outputs on success only.
    freeBytes = Sentinel;
    EXPECT_EQ(0, GetFreeDiskSpaceFallback(root, &freeBytes, nullptr));
    EXPECT_EQ(Sentinel, freeBytes);
}

TEST_F(FreeSpaceTest, AFixedDriveReportsItsSizeAndFreeBytesToEitherQuery)
{
    // The bench's 1300 MiB tmpfs, emptied, with 1 MiB written.
    if (!bench::TestMountAsDrive("space", 's'))
        return;
    bench::WriteFileBytes("S:\\probe.bin", std::string(MiB, 'x'));
    ULONGLONG freeBytes = 0;
    ULONGLONG totalBytes = 0;
    for (auto query : {GetFreeDiskSpace, GetFreeDiskSpaceFallback})
    {
        ASSERT_EQ(1, query("S:\\", &freeBytes, &totalBytes));
        EXPECT_EQ(1299 * MiB, freeBytes);
        EXPECT_EQ(1300 * MiB, totalBytes);
    }
    EXPECT_EQ(1, GetFreeDiskSpace("S:\\", &freeBytes, nullptr));
}

// An 8 GiB volume with 6 GiB free, of which the caller may use 1 GiB, as
// the 64-bit query reports it; a 7 GiB one with 5 GiB free in 4 KiB
// clusters, as the older query does. Either is beyond a 32-bit count.
BOOL WINAPI FakeFreeSpaceEx(LPCSTR, PULARGE_INTEGER available, PULARGE_INTEGER total, PULARGE_INTEGER totalFree)
{
    available->QuadPart = 1 * GiB;
    total->QuadPart = 8 * GiB;
    totalFree->QuadPart = 6 * GiB;
    return TRUE;
}

BOOL WINAPI FakeFreeSpace(LPCSTR, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector, LPDWORD freeClusters,
                          LPDWORD totalClusters)
{
    *sectorsPerCluster = 8;
    *bytesPerSector = 512;
    *freeClusters = 5 * 262144;
    *totalClusters = 7 * 262144;
    return TRUE;
}

void* const RealGetProcAddress = ImportedGetProcAddress;
void* const RealGetDiskFreeSpaceA = ImportedGetDiskFreeSpaceA;
void* FreeSpaceEx = nullptr;

FARPROC WINAPI FakeGetProcAddress(HMODULE module, LPCSTR name)
{
    if (!IS_INTRESOURCE(name) && strcmp(name, "GetDiskFreeSpaceExA") == 0)
        return reinterpret_cast<FARPROC>(FreeSpaceEx);
    return reinterpret_cast<decltype(&GetProcAddress)>(RealGetProcAddress)(module, name);
}

// Newer linkers put the import slots in a read-only section: the slot is
// made writable for the store, then given back its protection.
bool SetImportSlot(void** slot, void* value)
{
    DWORD protection = 0;
    if (!VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &protection))
        return false;
    *slot = value;
    return VirtualProtect(slot, sizeof(*slot), protection, &protection) != 0;
}

TEST_F(FreeSpaceTest, VolumesAbove4GiBWithAndWithoutThe64BitQuery)
{
    ASSERT_TRUE(SetImportSlot(&ImportedGetProcAddress, reinterpret_cast<void*>(FakeGetProcAddress)));
    ASSERT_TRUE(SetImportSlot(&ImportedGetDiskFreeSpaceA, reinterpret_cast<void*>(FakeFreeSpace)));
    for (void* query : {reinterpret_cast<void*>(FakeFreeSpaceEx), static_cast<void*>(nullptr)})
    {
        FreeSpaceEx = query;
        ULONGLONG freeBytes = 0;
        ULONGLONG totalBytes = 0;
        EXPECT_EQ(1, GetFreeDiskSpace("T:\\", &freeBytes, &totalBytes));
        EXPECT_EQ(query != nullptr ? 6 * GiB : 5 * GiB, freeBytes) << "the volume's free bytes, all of them";
        EXPECT_EQ(query != nullptr ? 8 * GiB : 7 * GiB, totalBytes);
    }
    EXPECT_TRUE(SetImportSlot(&ImportedGetProcAddress, RealGetProcAddress));
    EXPECT_TRUE(SetImportSlot(&ImportedGetDiskFreeSpaceA, RealGetDiskFreeSpaceA));
}
} // namespace
