// tests/support/TestMain.cpp
// The test programs' entry: the code page is fixed first, as setup.exe
// does at start-up.
#include "sys/CodePage.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    LoadLeadBytes(CP_ACP);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
