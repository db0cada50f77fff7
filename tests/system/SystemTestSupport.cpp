// tests/system/SystemTestSupport.cpp
#include "SystemTestSupport.h"

#include "BenchDrive.h"

namespace systest
{
void DriveTest::SetUp()
{
    bench::RemoveBenchDrives();
}

void DriveTest::TearDown()
{
    bench::RemoveBenchDrives();
}
} // namespace systest
