// src/sys/Text.cpp
#include "sys/Text.h"

#include "sys/CodePage.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

namespace
{
// _vsnprintf leaves no terminator when the text fills the count, and cuts
// bytes regardless of characters; both are mended here.
int FormatArgs(char* out, size_t size, const char* format, va_list args)
{
    if (size == 0)
        return 0;
    int written = _vsnprintf(out, size - 1, format, args);
    out[size - 1] = '\0';
    if (written >= 0 && static_cast<size_t>(written) <= size - 1)
    {
        out[written] = '\0';
        return 1;
    }
    out[CharBoundaryAtOrBefore(out, size - 1)] = '\0';
    return 0;
}
} // namespace

int FormatText(char* out, size_t size, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int fit = FormatArgs(out, size, format, args);
    va_end(args);
    return fit;
}

int CopyText(char* out, size_t size, const char* text)
{
    return FormatText(out, size, "%s", text);
}
