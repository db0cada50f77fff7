// src/sys/DiscLocator.h
// Questions about drives. Neither function shows anything.
#pragma once

#include "sys/Win32.h"

// Finds the first CD-ROM drive, in drive-letter order, whose volume label
// equals label, ASCII letters compared without case. On 1 root (at least 4
// bytes) holds the drive's root, such as "D:\"; on 0 it holds "". An empty
// or unreadable drive simply does not match, without a system pop-up.
int FindDiscByLabel(char* root, const char* label);

// The free bytes of the volume at a drive root (all of them, not the
// caller's quota) and, if totalBytes is given, its size. On 0 both outputs
// are 0.
int GetFreeDiskSpace(const char* root, ULONGLONG* freeBytes, ULONGLONG* totalBytes);

// The same from the older cluster-count query, which GetFreeDiskSpace uses
// where the 64-bit query is missing; the outputs are set on success only.
int GetFreeDiskSpaceFallback(const char* root, ULONGLONG* freeBytes, ULONGLONG* totalBytes);

// Whether two labels match byte for byte, ASCII letters folded wherever
// they stand, also inside two-byte characters.
bool LabelsMatch(const char* a, const char* b);
