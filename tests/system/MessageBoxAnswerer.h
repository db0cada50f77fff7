// tests/system/MessageBoxAnswerer.h
// Answers the message boxes that a window owns, from a thread of its own,
// while the test's thread sits in the code that shows them, and records
// what each box said.
#pragma once

#include "support/WindowProbe.h"

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

class MessageBoxAnswerer
{
public:
    // The button to press on the index-th box, counting from 0. It runs on
    // the answering thread, before the box is answered.
    using Choice = std::function<int(const probe::DialogView& box, size_t index)>;

    // More boxes than this mean the code under test loops: they are
    // cancelled (or acknowledged) and recorded as a problem.
    static constexpr size_t MaxBoxes = 20;

    MessageBoxAnswerer(HWND owner, Choice choice);
    ~MessageBoxAnswerer() { Stop(); }

    // Waits for the thread to end. The records are final afterwards.
    void Stop();

    const std::vector<probe::DialogView>& Boxes() const { return m_boxes; }
    // What went wrong on the answering thread, for the test to report.
    const std::vector<std::string>& Problems() const { return m_problems; }

private:
    void Watch();

    HWND m_owner;
    Choice m_choice;
    std::atomic<bool> m_stop;
    std::vector<probe::DialogView> m_boxes;
    std::vector<std::string> m_problems;
    std::thread m_thread;
};

// Presses OK on every box.
int AcknowledgeAll(const probe::DialogView& box, size_t index);
