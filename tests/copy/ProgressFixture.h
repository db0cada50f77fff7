// tests/copy/ProgressFixture.h
// The setup window in-process, as the program makes it, with the progress
// page showing and its bars and lines logged, and a window of the test's
// own for messages that the copier's pump may let through.
#pragma once

#include "ControlLog.h"

#include "support/InProcess.h"

#include <functional>
#include <string>

class ProgressPage;

namespace copytest
{
// A hidden top-level window of the test; counts what is dispatched to it
// and hands each message to a handler.
class Receiver
{
public:
    Receiver();
    ~Receiver();

    void Post(UINT message);
    // Whether a message posted to it still waits in the queue (taken out).
    bool TakeQueued(UINT message);

    int Dispatched() const { return m_dispatched; }
    std::function<void(UINT)> onMessage;

    Receiver(const Receiver&) = delete;
    Receiver& operator=(const Receiver&) = delete;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window;
    int m_dispatched;
};

class ProgressFixture : public InProcessFrameTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A patterned source file in the test's folder.
    std::string MakeSource(const char* name, unsigned size);
    bool IsPageVisible(int index);

    ProgressPage* page = nullptr;
    std::string folder;
};
} // namespace copytest
