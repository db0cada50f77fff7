// tests/unit/FreeSpaceDecisionTest.cpp
// When Start warns of a short destination: whole MiB below the threshold
// of the install type.
#include "app/Globals.h"
#include "ui/OptionsPage.h"

#include <gtest/gtest.h>

namespace
{
const ULONGLONG MiB = 1048576;

TEST(FreeSpaceDecision, ShortBelowThirteenHundredOrThreeHundredWholeMiB)
{
    const struct { ULONGLONG freeBytes; int installType; int isShort; } cases[] = {
        {1300 * MiB, INSTALL_FULL, 0},
        // A byte short counts as 1299 MiB.
        {1300 * MiB - 1, INSTALL_FULL, 1},
        {0, INSTALL_FULL, 1},
        // 4 GiB + 100 MiB: a 32-bit count would see 100 MiB.
        {4196 * MiB, INSTALL_FULL, 0},
        {300 * MiB, INSTALL_MINIMAL, 0},
        {300 * MiB - 1, INSTALL_MINIMAL, 1},
        {1299 * MiB, INSTALL_MINIMAL, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.isShort, OptionsPage::IsShortOfSpace(c.freeBytes, c.installType)) << c.freeBytes << " bytes";
}
} // namespace
