// tests/unit/StackGuardTest.cpp
// The stack protector as the program has it: a guard of each process's
// own, and a frame written past its buffer ends the process before its
// return address is used. Each case runs in a process of its own.
#include "support/Table.h"

#include <windows.h>

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <gtest/gtest.h>

extern "C" uintptr_t __stack_chk_guard;

namespace
{
// The guard's bits that can vary, as an exit code.
DWORD FoldedGuard()
{
    uint64_t guard = __stack_chk_guard;
    return static_cast<DWORD>(guard >> 8) ^ static_cast<DWORD>(guard >> 40);
}

// Writes past a 16-byte buffer of its own frame, as a copy without a bound
// would. The compiler must not see where the pointer goes, or it would
// refuse to build this, check the copy itself, or cut the loop short.
__attribute__((noinline)) void OverrunOwnFrame(size_t past)
{
    char buffer[16];
    char* out = buffer;
    asm volatile("" : "+r"(out) : : "memory");
    for (size_t i = 0; i < sizeof(buffer) + past; ++i)
        out[i] = 'A';
    asm volatile("" : : "r"(out) : "memory");
}

// An exception that reaches the top ends the process at once, saying which
// it was: Wine would hold a crashed process for a debugger until the test
// timed out, and a failure routine that raised one would have had handlers
// run on the overwritten stack.
LONG WINAPI EndOnAnyException(EXCEPTION_POINTERS* exception)
{
    fprintf(stderr, "exception 0x%08lx reached the top\n", exception->ExceptionRecord->ExceptionCode);
    TerminateProcess(GetCurrentProcess(), EXIT_FAILURE);
    return EXCEPTION_CONTINUE_SEARCH;
}

TEST(StackGuardTest, EachProcessHasAGuardOfItsOwnThatStopsAString)
{
    ASSERT_NE(0u, __stack_chk_guard) << "never seeded";
    EXPECT_EQ(0u, __stack_chk_guard & 0xFF) << "its first byte";
    const DWORD mine = FoldedGuard();
    EXPECT_EXIT(ExitProcess(FoldedGuard()), [mine](int code) { return static_cast<DWORD>(code) != mine; }, "")
        << "another process had this one's guard";
}

struct OverrunRow : table::Row
{
    // Bytes written past the buffer.
    size_t past;
};

// Over the guard alone, where nothing else of the frame would show the
// damage; and over the return address too.
const OverrunRow Overruns[] = {
    {{"TheGuardAlone"}, sizeof(uintptr_t)},
    {{"TheReturnAddress"}, 64},
};

class StackOverrunTest : public testing::TestWithParam<OverrunRow>
{
};

TEST_P(StackOverrunTest, EndsTheProcessBeforeTheFrameReturns)
{
    EXPECT_EXIT(
        {
            SetUnhandledExceptionFilter(EndOnAnyException);
            OverrunOwnFrame(GetParam().past);
        },
        testing::ExitedWithCode(static_cast<int>(STATUS_STACK_BUFFER_OVERRUN)), "");
}

INSTANTIATE_TEST_SUITE_P(Rows, StackOverrunTest, testing::ValuesIn(Overruns), table::RowName());
} // namespace
