// bench/BenchClock.h
// The benchmarks' clock: seconds of the performance counter. The driver and
// the timed build read the same one, so their readings can be set side by
// side.
#pragma once

#include "sys/Win32.h"

namespace benchclock
{
inline double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}
} // namespace benchclock
