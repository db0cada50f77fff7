// tests/copy/ProgressFixture.cpp
#include "ProgressFixture.h"

#include "TestFiles.h"

#include "app/Globals.h"
#include "install/ProgressPage.h"
#include "res/resource.h"
#include "support/BenchState.h"

namespace copytest
{
namespace
{
const char ReceiverClass[] = "CopyTestReceiver";
} // namespace

Receiver::Receiver() : m_window(nullptr), m_dispatched(0)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = Proc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = ReceiverClass;
    RegisterClassA(&windowClass);
    m_window = CreateWindowA(ReceiverClass, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Receiver::~Receiver()
{
    DestroyWindow(m_window);
}

void Receiver::Post(UINT message)
{
    PostMessageA(m_window, message, 0, 0);
}

bool Receiver::TakeQueued(UINT message)
{
    MSG queued;
    return PeekMessageA(&queued, m_window, message, message, PM_REMOVE) != 0;
}

LRESULT CALLBACK Receiver::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Receiver* receiver = reinterpret_cast<Receiver*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (receiver != nullptr && message >= WM_APP && message < 0xC000)
    {
        ++receiver->m_dispatched;
        if (receiver->onMessage)
            receiver->onMessage(message);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void ProgressFixture::SetUp()
{
    InProcessFrameTest::SetUp();
    folder = bench::Scratch();
    page = static_cast<ProgressPage*>(Pages[PROGRESS_PAGE]);
    AbortState = ABORT_RUNNING;
    Pump();

    for (int id : {IDC_FILE_BAR, IDC_TOTAL_BAR, IDC_FILE_LINE, IDC_COUNT_LINE})
        ControlLog::Attach(page->GetItem(id));
    ControlLog::Clear();
}

void ProgressFixture::TearDown()
{
    ControlLog::DetachAll();
    ControlLog::Clear();
    page = nullptr;
    InProcessFrameTest::TearDown();
}

std::string ProgressFixture::MakeSource(const char* name, unsigned size)
{
    std::string path = folder + name;
    EXPECT_TRUE(MakePatternedFile(path, size)) << path;
    return path;
}

bool ProgressFixture::IsPageVisible(int index)
{
    return Pages[index] != nullptr && IsWindowVisible(Pages[index]->Handle());
}
} // namespace copytest
