// tests/copy/ProgressFixture.cpp
#include "ProgressFixture.h"

#include "TestFiles.h"

#include "app/Globals.h"
#include "install/ProgressPage.h"
#include "res/resource.h"
#include "support/BenchState.h"
#include "ui/MainFrame.h"

#include <commctrl.h>

namespace copytest
{
namespace
{
const char ReceiverClass[] = "CopyTestReceiver";

// Removes what is queued without dispatching it: the windows it was for
// are gone, and the frame's end leaves a quit message behind.
void DiscardQueue()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
    {
    }
}
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
    InProcessTest::SetUp();
    folder = bench::Scratch();
    // Template 105 names the progress-bar class, as in the program.
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);

    TheMainFrame = new MainFrame;
    ASSERT_EQ(1, TheMainFrame->Create(IDD_FRAME, nullptr));
    ASSERT_NE(nullptr, Pages[PROGRESS_PAGE]);
    ASSERT_NE(nullptr, Pages[OPTIONS_PAGE]);
    ASSERT_NE(nullptr, Pages[PROGRESS_PAGE]->Handle()) << "template 105 did not load";
    page = static_cast<ProgressPage*>(Pages[PROGRESS_PAGE]);

    // As the options page leaves it when a run starts.
    SwitchPage(MENU_PAGE, PROGRESS_PAGE);
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
    if (TheMainFrame != nullptr)
        TheMainFrame->Destroy();
    DiscardQueue();
    for (Dialog*& each : Pages)
    {
        delete each;
        each = nullptr;
    }
    delete TheMainFrame;
    TheMainFrame = nullptr;
    page = nullptr;
    InProcessTest::TearDown();
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
