// tests/copy/TestFiles.h
// Files of a known length and content for the copy tests.
#pragma once

#include <string>

namespace copytest
{
// The byte at offset of every patterned file: not periodic at the chunk
// size, so a chunk lost, doubled or shifted shows in a comparison.
char PatternByte(unsigned offset);

// Writes size patterned bytes to path (a Windows path); false on failure.
bool MakePatternedFile(const std::string& path, unsigned size);
// The offset of the first byte of path that differs from the pattern, or
// the file's length when all of it matches.
unsigned MatchingPrefix(const std::string& path);

// The length of the file, or -1 when it cannot be asked.
long long FileLength(const std::string& path);
} // namespace copytest
