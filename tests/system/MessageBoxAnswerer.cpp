// tests/system/MessageBoxAnswerer.cpp
#include "MessageBoxAnswerer.h"

MessageBoxAnswerer::MessageBoxAnswerer(HWND owner, Choice choice)
    : m_owner(owner), m_choice(std::move(choice)), m_stop(false), m_thread([this] { Watch(); })
{
}

void MessageBoxAnswerer::Stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

void MessageBoxAnswerer::Watch()
{
    while (!m_stop)
    {
        HWND window = probe::FindOpenDialog(m_owner);
        if (window == nullptr)
        {
            Sleep(2);
            continue;
        }
        m_boxes.push_back(probe::ViewOf(window));
        size_t index = m_boxes.size() - 1;
        int fallback = GetDlgItem(window, IDCANCEL) != nullptr ? IDCANCEL : IDOK;
        if (index == MaxBoxes)
            m_problems.push_back("more than " + std::to_string(MaxBoxes) + " message boxes");
        int button = index < MaxBoxes ? m_choice(m_boxes.back(), index) : fallback;
        if (!probe::Answer(window, button))
        {
            m_problems.push_back("cannot press button " + std::to_string(button) + " of \"" + m_boxes.back().text + "\"");
            // Without this the same box would be found again at once.
            probe::Answer(window, fallback);
        }
    }
}

int AcknowledgeAll(const probe::DialogView&, size_t)
{
    return IDOK;
}
