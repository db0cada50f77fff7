// tests/support/InProcess.h
// The program's library in the test process: the dialog registry and the
// module whose resources the dialogs come from, as Run sets them up.
#pragma once

#include "sys/Win32.h"

#include <gtest/gtest.h>

class InProcessTest : public testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Dispatches what is queued, as the main loop would, routing through the
    // registered dialogs.
    static void Pump();
};

// The real setup window in the test process, as the program makes it: the
// frame with its three pages, the progress page showing as when a run
// starts.
class InProcessFrameTest : public InProcessTest
{
protected:
    void SetUp() override;
    void TearDown() override;
};
