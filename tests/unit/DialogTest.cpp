// tests/unit/DialogTest.cpp
// The dialog layer on the program's real templates, in-process.
#include "app/AppBase.h"
#include "app/Globals.h"
#include "app/PtrList.h"
#include "res/resource.h"
#include "support/InProcess.h"
#include "ui/Dialog.h"

#include <new>
#include <vector>

namespace
{
// Records what reaches its handlers.
class ProbeDialog : public Dialog
{
public:
    void OnInitDialog() override
    {
        ++initCount;
        handleInInit = m_handle;
        boundInInit = GetWindowLongPtrA(m_handle, GWLP_USERDATA) != 0;
    }
    void OnCommand(int id) override { commands.push_back(id); }
    void OnDestroy() override { ++destroyCount; }

    int initCount = 0;
    int destroyCount = 0;
    HWND handleInInit = nullptr;
    bool boundInInit = true;
    std::vector<int> commands;
};

using DialogTest = InProcessTest;

TEST_F(DialogTest, CreateInitialisesOnceAndBindsAfterwardsAndDeletionLeavesTheWindow)
{
    ProbeDialog missing;
    EXPECT_EQ(0, missing.Create(999, nullptr));
    EXPECT_EQ(nullptr, missing.Handle());
    EXPECT_EQ(0, missing.initCount);

    // Above 4 GiB where there is room, so that a 32-bit slot would cut it.
    void* memory = VirtualAlloc(nullptr, sizeof(ProbeDialog), MEM_COMMIT | MEM_RESERVE | MEM_TOP_DOWN, PAGE_READWRITE);
    ASSERT_NE(nullptr, memory);
    ProbeDialog* dialog = new (memory) ProbeDialog;
    ASSERT_EQ(2, DialogList->Count());
    EXPECT_EQ(&missing, DialogList->First());
    EXPECT_EQ(dialog, DialogList->Next());
    ASSERT_EQ(1, dialog->Create(IDD_FRAME, nullptr));
    EXPECT_EQ(1, dialog->initCount);
    EXPECT_EQ(dialog->Handle(), dialog->handleInInit);
    EXPECT_FALSE(dialog->boundInInit);
    HWND window = dialog->Handle();
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(dialog), GetWindowLongPtrA(window, GWLP_USERDATA));

    // Unbound first, as the program deletes its dialogs only after their
    // windows are gone.
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    dialog->~ProbeDialog();
    VirtualFree(memory, 0, MEM_RELEASE);
    EXPECT_EQ(1, DialogList->Count());
    EXPECT_TRUE(IsWindow(window));
    DestroyWindow(window);
}

TEST_F(DialogTest, MessagesReachTheHandlersAndItemsTheTemplatesControls)
{
    ProbeDialog frame;
    ASSERT_EQ(1, frame.Create(IDD_FRAME, nullptr));
    ProbeDialog page;
    ASSERT_EQ(1, page.Create(IDD_OPTIONS, frame.Handle()));
    page.Show(SW_SHOW);

    // The close box and Esc on a page's button both reach the frame, the
    // first registered dialog, as IDCANCEL.
    SendMessageA(frame.Handle(), WM_CLOSE, 0, 0);
    PostMessageA(page.GetItem(IDC_START), WM_KEYDOWN, VK_ESCAPE, 0);
    Pump();
    EXPECT_EQ(std::vector<int>({IDCANCEL, IDCANCEL}), frame.commands);
    SendMessageA(page.GetItem(IDC_START), BM_CLICK, 0, 0);
    EXPECT_EQ(std::vector<int>({IDC_START}), page.commands);

    EXPECT_TRUE(page.SetItemText(IDC_FOLDER, "C:\\ソフト\\"));
    char text[MAX_PATH];
    EXPECT_EQ(10u, page.GetItemText(IDC_FOLDER, text, sizeof(text)));
    EXPECT_STREQ("C:\\ソフト\\", text);
    page.CheckButton(IDC_MINIMAL, BST_CHECKED);
    EXPECT_EQ(static_cast<UINT>(BST_CHECKED), page.IsButtonChecked(IDC_MINIMAL));
    page.EnableItem(IDC_START, FALSE);
    EXPECT_FALSE(IsWindowEnabled(page.GetItem(IDC_START)));

    frame.Destroy();
    frame.Destroy();
    page.Destroy();
    EXPECT_EQ(1, frame.destroyCount);
    EXPECT_EQ(1, page.destroyCount);
}

// A frame that ends on IDCANCEL, and the loop with it.
class ClosingFrame : public ProbeDialog
{
public:
    void OnCommand(int id) override
    {
        ProbeDialog::OnCommand(id);
        if (id == IDCANCEL)
            Destroy();
    }
    void OnDestroy() override { PostQuitMessage(0); }
};

class LoopApp : public AppBase
{
public:
    explicit LoopApp(int templateId) : templateId(templateId) {}
    int InitInstance() override
    {
        frame = new ClosingFrame;
        return frame->Create(templateId, nullptr);
    }
    void ExitInstance() override
    {
        delete frame;
        frame = nullptr;
    }
    int templateId;
    ClosingFrame* frame = nullptr;
};

bool loopTimedOut = false;

void CALLBACK EndLoop(HWND, UINT, UINT_PTR, DWORD)
{
    loopTimedOut = true;
    PostQuitMessage(0);
}

TEST(AppBaseTest, TheLoopRoutesEscToTheFrameAndEndsWithIt)
{
    {
        LoopApp failing(999);
        EXPECT_EQ(0, failing.Run(GetModuleHandleA(nullptr), nullptr)) << "a frame that cannot be made stops the run";
        failing.ExitInstance();
        EXPECT_EQ(0, DialogList->Count());
    }
    LoopApp app(IDD_FRAME);
    ASSERT_EQ(1, app.Run(GetModuleHandleA(nullptr), nullptr));
    ASSERT_NE(nullptr, DialogList);
    EXPECT_EQ(1, DialogList->Count());
    // Shown, as the setup's frame is: the loop drops a key for a window
    // that is not.
    ShowWindow(app.frame->Handle(), SW_SHOW);
    UINT_PTR timer = SetTimer(nullptr, 0, 10000, EndLoop);
    PostMessageA(app.frame->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    app.MessageLoop();
    KillTimer(nullptr, timer);
    EXPECT_FALSE(loopTimedOut) << "Esc did not end the loop";
    EXPECT_EQ(std::vector<int>({IDCANCEL}), app.frame->commands);
    app.ExitInstance();
    EXPECT_EQ(0, DialogList->Count());
}
} // namespace
