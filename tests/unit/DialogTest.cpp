// tests/unit/DialogTest.cpp
// The dialog layer on the program's real templates, in-process.
#include "app/AppBase.h"
#include "app/Globals.h"
#include "app/PtrList.h"
#include "res/resource.h"
#include "support/InProcess.h"
#include "ui/Dialog.h"

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

TEST_F(DialogTest, AMissingTemplateFailsWithoutInitialising)
{
    ProbeDialog dialog;
    EXPECT_EQ(0, dialog.Create(999, nullptr));
    EXPECT_EQ(nullptr, dialog.Handle());
    EXPECT_EQ(0, dialog.initCount);
}

TEST_F(DialogTest, InitialisesOnceWithTheHandleBeforeBinding)
{
    ProbeDialog dialog;
    ASSERT_EQ(1, dialog.Create(IDD_FRAME, nullptr));
    EXPECT_EQ(1, dialog.initCount);
    EXPECT_EQ(dialog.Handle(), dialog.handleInInit);
    EXPECT_FALSE(dialog.boundInInit);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&dialog), GetWindowLongPtrA(dialog.Handle(), GWLP_USERDATA));
    dialog.Destroy();
}

TEST_F(DialogTest, CloseBoxAndEscArriveAsCancel)
{
    ProbeDialog frame;
    ASSERT_EQ(1, frame.Create(IDD_FRAME, nullptr));
    ProbeDialog page;
    ASSERT_EQ(1, page.Create(IDD_MENU, frame.Handle()));
    page.Show(SW_SHOW);

    SendMessageA(frame.Handle(), WM_CLOSE, 0, 0);
    Pump();
    ASSERT_EQ(std::vector<int>({IDCANCEL}), frame.commands);

    // Esc on a page's button goes to the frame, the first registered dialog.
    PostMessageA(page.GetItem(IDC_EXIT), WM_KEYDOWN, VK_ESCAPE, 0);
    Pump();
    EXPECT_EQ(std::vector<int>({IDCANCEL, IDCANCEL}), frame.commands);
    EXPECT_TRUE(page.commands.empty());
    frame.Destroy();
}

TEST_F(DialogTest, AButtonClickArrivesWithItsId)
{
    ProbeDialog frame;
    ASSERT_EQ(1, frame.Create(IDD_FRAME, nullptr));
    ProbeDialog page;
    ASSERT_EQ(1, page.Create(IDD_MENU, frame.Handle()));
    page.Show(SW_SHOW);
    SendMessageA(page.GetItem(IDC_INSTALL), BM_CLICK, 0, 0);
    EXPECT_EQ(std::vector<int>({IDC_INSTALL}), page.commands);
    frame.Destroy();
}

TEST_F(DialogTest, DestroyTwiceDestroysOnce)
{
    ProbeDialog frame;
    ASSERT_EQ(1, frame.Create(IDD_FRAME, nullptr));
    ProbeDialog page;
    ASSERT_EQ(1, page.Create(IDD_MENU, frame.Handle()));
    frame.Destroy();
    EXPECT_FALSE(IsWindow(frame.Handle()));
    EXPECT_FALSE(IsWindow(page.Handle())) << "the page goes with its frame";
    EXPECT_EQ(1, frame.destroyCount);
    EXPECT_EQ(1, page.destroyCount);
    frame.Destroy();
    page.Destroy();
    EXPECT_EQ(1, frame.destroyCount);
    EXPECT_EQ(1, page.destroyCount);
}

TEST_F(DialogTest, DialogsRegisterInOrderAndDeletionLeavesTheWindow)
{
    ProbeDialog* first = new ProbeDialog;
    ProbeDialog* second = new ProbeDialog;
    ASSERT_EQ(2, DialogList->Count());
    EXPECT_EQ(first, DialogList->First());
    EXPECT_EQ(second, DialogList->Next());

    ASSERT_EQ(1, first->Create(IDD_FRAME, nullptr));
    HWND window = first->Handle();
    // The window keeps pointing at its object, so unbind it before the
    // object goes, as the program does only after its windows are gone.
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    delete first;
    EXPECT_EQ(1, DialogList->Count());
    EXPECT_EQ(second, DialogList->First());
    EXPECT_TRUE(IsWindow(window));
    DestroyWindow(window);
    delete second;
    EXPECT_EQ(0, DialogList->Count());
}

TEST_F(DialogTest, ControlOperationsReachTheTemplateControls)
{
    ProbeDialog frame;
    ASSERT_EQ(1, frame.Create(IDD_FRAME, nullptr));
    ProbeDialog page;
    ASSERT_EQ(1, page.Create(IDD_OPTIONS, frame.Handle()));

    EXPECT_TRUE(page.SetItemText(IDC_FOLDER, "C:\\ソフト\\"));
    char text[MAX_PATH];
    EXPECT_EQ(10u, page.GetItemText(IDC_FOLDER, text, sizeof(text)));
    EXPECT_STREQ("C:\\ソフト\\", text);

    page.CheckButton(IDC_MINIMAL, BST_CHECKED);
    EXPECT_EQ(static_cast<UINT>(BST_CHECKED), page.IsButtonChecked(IDC_MINIMAL));
    page.EnableItem(IDC_START, FALSE);
    EXPECT_FALSE(IsWindowEnabled(page.GetItem(IDC_START)));
    frame.Destroy();
}

// The application object's loop ends with the frame's window, and deleting
// the dialogs leaves the registry empty.
class QuitOnDestroy : public ProbeDialog
{
public:
    void OnDestroy() override { PostQuitMessage(0); }
};

class LoopApp : public AppBase
{
public:
    int InitInstance() override
    {
        frame = new QuitOnDestroy;
        return frame->Create(IDD_FRAME, nullptr);
    }
    void ExitInstance() override
    {
        delete frame;
        frame = nullptr;
    }
    QuitOnDestroy* frame = nullptr;
};

TEST(AppBaseTest, TheLoopEndsWhenTheFrameIsDestroyed)
{
    LoopApp app;
    ASSERT_EQ(1, app.Run(GetModuleHandleA(nullptr), nullptr));
    ASSERT_NE(nullptr, DialogList);
    EXPECT_EQ(1, DialogList->Count());
    // Its OnDestroy posts the quit message that ends the loop.
    DestroyWindow(app.frame->Handle());
    app.MessageLoop();
    app.ExitInstance();
    EXPECT_EQ(0, DialogList->Count());
}

TEST(AppBaseTest, AFrameThatCannotBeCreatedStopsTheRun)
{
    class FailingApp : public AppBase
    {
    public:
        int InitInstance() override
        {
            frame = new ProbeDialog;
            return frame->Create(999, nullptr);
        }
        void ExitInstance() override { delete frame; }
        ProbeDialog* frame = nullptr;
    } app;
    EXPECT_EQ(0, app.Run(GetModuleHandleA(nullptr), nullptr));
    EXPECT_EQ(0, app.frame->initCount);
    app.ExitInstance();
    EXPECT_EQ(0, DialogList->Count());
}
} // namespace
