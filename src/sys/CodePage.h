// src/sys/CodePage.h
// The lead-byte ranges of the ANSI code page. They are fixed once at
// start-up; every later test of a byte sees the same ranges.
#pragma once

#include "sys/Win32.h"

// Fills the table from the code page's lead-byte ranges (CP_ACP for the
// active one). A single-byte code page, or one the system does not know,
// leaves no lead bytes.
void LoadLeadBytes(UINT codePage);

bool IsLeadByte(unsigned char byte);

// The length of the longest prefix of text, at most maxLength bytes, that
// does not end inside a two-byte character. A lead byte just before the
// terminator is half a character and is left out.
size_t CharBoundaryAtOrBefore(const char* text, size_t maxLength);
