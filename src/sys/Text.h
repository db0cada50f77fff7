// src/sys/Text.h
// Bounded composition of texts in fixed buffers.
#pragma once

#include <stddef.h>

// Formats into out (size bytes, size > 0). Returns 1 when the whole text
// fit; otherwise 0, and out holds the text cut at the last whole character
// that fits, so a status line is shortened without splitting a two-byte
// character. Paths must be refused on 0, never used cut.
int FormatText(char* out, size_t size, const char* format, ...)
    __attribute__((format(ms_printf, 3, 4)));

// Copies text into out (size bytes) on the same terms.
int CopyText(char* out, size_t size, const char* text);
