// tests/system/MessageBoxAnswerer.cpp
#include "MessageBoxAnswerer.h"

MessageBoxAnswerer::MessageBoxAnswerer(HWND owner, Choice choice)
    : m_owner(owner), m_choice(std::move(choice)), m_thread(nullptr), m_stop(0)
{
    m_thread = CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr);
    if (m_thread == nullptr)
        m_problems.push_back("cannot start the answering thread");
}

MessageBoxAnswerer::~MessageBoxAnswerer()
{
    Stop();
}

void MessageBoxAnswerer::Stop()
{
    if (m_thread == nullptr)
        return;
    InterlockedExchange(&m_stop, 1);
    WaitForSingleObject(m_thread, INFINITE);
    CloseHandle(m_thread);
    m_thread = nullptr;
}

DWORD WINAPI MessageBoxAnswerer::ThreadMain(void* self)
{
    static_cast<MessageBoxAnswerer*>(self)->Watch();
    return 0;
}

void MessageBoxAnswerer::Watch()
{
    while (InterlockedCompareExchange(&m_stop, 0, 0) == 0)
    {
        HWND window = probe::FindOpenDialog(m_owner);
        if (window == nullptr)
        {
            Sleep(2);
            continue;
        }
        probe::DialogView box;
        box.window = window;
        box.caption = probe::Text(window);
        HWND text = GetDlgItem(window, 0xFFFF);
        if (text != nullptr)
            box.text = probe::Text(text);
        size_t index = m_boxes.size();
        m_boxes.push_back(box);

        int button;
        if (index < MAX_BOXES)
        {
            button = m_choice(box, index);
        }
        else
        {
            if (index == MAX_BOXES)
                m_problems.push_back("more than " + std::to_string(MAX_BOXES) + " message boxes");
            button = GetDlgItem(window, IDCANCEL) != nullptr ? IDCANCEL : IDOK;
        }
        if (!probe::Answer(window, button))
        {
            m_problems.push_back("cannot press button " + std::to_string(button) + " of \"" + box.text + "\"");
            // Without this the same box would be found again at once.
            probe::Answer(window, GetDlgItem(window, IDCANCEL) != nullptr ? IDCANCEL : IDOK);
        }
    }
}

int AcknowledgeAll(const probe::DialogView&, size_t)
{
    return IDOK;
}
