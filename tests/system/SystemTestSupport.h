// tests/system/SystemTestSupport.h
// A fixture for the system-layer tests that leaves Wine's drives as it
// found them.
#pragma once

#include "sys/Win32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace systest
{
// A test that defines drives of its own: every drive but C: and Z: is
// taken away before and after it.
class DriveTest : public testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
};
} // namespace systest
