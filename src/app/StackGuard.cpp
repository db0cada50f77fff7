// src/app/StackGuard.cpp
// The stack protector's guard and failure routine, in place of the
// toolchain's: its seed imports the CryptoAPI, which Windows 95 lacks
// before OSR2, so the program would not even load there; and its failure
// routine ends in an exception, whose handlers are looked for on the very
// stack that was overwritten.
#include "sys/Win32.h"

#include <stdint.h>

extern "C" {
uintptr_t __stack_chk_guard;
void __stack_chk_fail() __attribute__((noreturn));
void __chk_fail() __attribute__((noreturn));
}

namespace
{
typedef BOOLEAN(WINAPI* GenRandomFunction)(PVOID, ULONG);

uintptr_t Spread(DWORD high, DWORD low)
{
    return (static_cast<uintptr_t>(high) << (sizeof(uintptr_t) * 8 - 32)) ^ low;
}

// Seeded before the program's functions run, and unprotected itself: a
// protected function running across the change would find its guard
// changed. Time, ids and counters are what every Windows has; the system's
// random source, where it has one (XP on), makes the value unguessable.
__attribute__((constructor(101), no_stack_protector)) void SeedStackGuard()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    uintptr_t seed = Spread(now.dwHighDateTime, now.dwLowDateTime) ^ Spread(counter.HighPart, counter.LowPart)
        ^ Spread(GetCurrentProcessId(), GetCurrentThreadId()) ^ GetTickCount()
        ^ reinterpret_cast<uintptr_t>(&seed);

    uintptr_t random = 0;
    GenRandomFunction genRandom = reinterpret_cast<GenRandomFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("advapi32.dll"), "SystemFunction036")));
    if (genRandom != nullptr && genRandom(&random, sizeof(random)))
        seed ^= random;

    // A zero byte first stops a string copied or read up to the guard.
    seed &= ~static_cast<uintptr_t>(0xFF);
    __stack_chk_guard = seed != 0 ? seed : 0xFF0A0000;
}
} // namespace

// A function's guard found overwritten on its return. No exception, no
// message, no handler: any of them would run code on the overwritten
// stack, where a handler's address may be the intruder's.
void __stack_chk_fail()
{
    TerminateProcess(GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
    // Not reached; ExitProcess, unlike TerminateProcess, never returns.
    ExitProcess(STATUS_STACK_BUFFER_OVERRUN);
}

// A fortified copy found its destination too small, before writing.
void __chk_fail()
{
    __stack_chk_fail();
}
