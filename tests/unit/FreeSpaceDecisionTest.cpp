// tests/unit/FreeSpaceDecisionTest.cpp
// When Start warns of a short destination: whole MiB below the threshold.
#include "app/Globals.h"
#include "ui/OptionsPage.h"

#include <gtest/gtest.h>

namespace
{
const ULONGLONG MiB = 1048576;

TEST(FreeSpaceDecision, AFullInstallNeedsThirteenHundredMiB)
{
    EXPECT_FALSE(OptionsPage::IsShortOfSpace(1300 * MiB, INSTALL_FULL));
    EXPECT_FALSE(OptionsPage::IsShortOfSpace(5000 * MiB, INSTALL_FULL));
    // A byte short counts as 1299 MiB.
    EXPECT_TRUE(OptionsPage::IsShortOfSpace(1300 * MiB - 1, INSTALL_FULL));
    EXPECT_TRUE(OptionsPage::IsShortOfSpace(1299 * MiB, INSTALL_FULL));
    EXPECT_TRUE(OptionsPage::IsShortOfSpace(0, INSTALL_FULL));
}

TEST(FreeSpaceDecision, AMinimalInstallNeedsThreeHundredMiB)
{
    EXPECT_FALSE(OptionsPage::IsShortOfSpace(300 * MiB, INSTALL_MINIMAL));
    EXPECT_FALSE(OptionsPage::IsShortOfSpace(1299 * MiB, INSTALL_MINIMAL));
    EXPECT_TRUE(OptionsPage::IsShortOfSpace(300 * MiB - 1, INSTALL_MINIMAL));
    EXPECT_TRUE(OptionsPage::IsShortOfSpace(0, INSTALL_MINIMAL));
}

TEST(FreeSpaceDecision, VolumesBeyondFourGiBAreCountedWhole)
{
    // 4 GiB + 100 MiB: a 32-bit count would see 100 MiB.
    EXPECT_FALSE(OptionsPage::IsShortOfSpace(4096 * MiB + 100 * MiB, INSTALL_FULL));
}
} // namespace
