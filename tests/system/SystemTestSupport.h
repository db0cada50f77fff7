// tests/system/SystemTestSupport.h
// What the system-layer tests share: Unix paths of the bench's Windows
// paths, a fixture that leaves Wine's drives as it found them, and small
// file helpers.
#pragma once

#include "sys/Win32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace systest
{
// The Unix path of a path on Wine's Z: drive, without a trailing slash.
// Two-byte characters pass unchanged, so Wine turns them into UTF-8 when
// the path goes to a Unix program.
std::string UnixPath(const std::string& windowsPath);

// Shift-JIS text as UTF-8, as Unix programs print it.
std::string Utf8(const std::string& ansiText);

// The names found directly inside a folder, without "." and "..".
std::vector<std::string> FolderContents(const std::string& folder);

// A test that defines drives of its own: every drive but C: and Z: is
// taken away before and after it.
class DriveTest : public testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
};
} // namespace systest
