// tests/ui/KeyboardFlowTest.cpp
// Flows made with the keyboard alone, as a player without a mouse makes
// them: real key presses through X (xdotool's XTEST events into the bench's
// display, the X focus given to the setup's active window), which reach the
// program through Wine's input handling, the focus and the dialog manager,
// as no posted message does. After every step the keyboard focus is on a
// visible control of what is shown: the page, or the box or picker open.
#include "res/resource.h"
#include "support/BenchState.h"
#include "support/Table.h"
#include "ui/FlowTest.h"

#include <ctype.h>

#include <set>
#include <vector>

namespace
{
class KeyboardFlowTest;

struct Flow : table::Row
{
    void (*play)(KeyboardFlowTest& t);
};

class KeyboardFlowTest : public FlowTest, public testing::WithParamInterface<Flow>
{
public:
    void SetUp() override
    {
        FlowTest::SetUp();
        base = scratch + "Games\\";
        folder = base + "hoshikage\\";
    }

    // Starts the setup and expects the focus on the start page.
    void Begin()
    {
        ASSERT_TRUE(setup.Start());
        ExpectFocusShown("start-up");
    }

    // Presses keys (xdotool's key names, separated by spaces) into the
    // setup's active window: the frame, or the box or picker open.
    void Press(const std::string& keys)
    {
        if (HasFatalFailure())
            return;
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        HWND target = GetGUIThreadInfo(setup.ThreadId(), &info) && info.hwndActive != nullptr ? info.hwndActive
                                                                                               : setup.Frame();
        // Wine keeps each top-level window's X window in this property.
        UINT_PTR xWindow = reinterpret_cast<UINT_PTR>(GetPropA(target, "__wine_x11_whole_window"));
        ASSERT_NE(0u, xWindow) << "the setup's window has no X window";
        bench::RunUnix("xdotool windowfocus " + std::to_string(xWindow) + " key --delay 60 " + keys);
    }

    // Types ASCII text, key by key.
    void Type(const std::string& text)
    {
        std::string keys;
        for (char c : text)
        {
            const char* name = c == '\\' ? "backslash" : c == ':' ? "colon" : c == '.' ? "period"
                             : c == '-' ? "minus" : c == '_' ? "underscore" : nullptr;
            ASSERT_TRUE(name != nullptr || isalnum(static_cast<unsigned char>(c))) << "no key for " << c;
            keys += (keys.empty() ? "" : " ") + (name != nullptr ? std::string(name) : std::string(1, c));
        }
        Press(keys);
    }

    // The box or picker open now; window null when none is.
    probe::DialogView Opened(const std::string& text)
    {
        if (HasFatalFailure())
            return probe::DialogView();
        probe::DialogView box = setup.WaitForMessageBox(30000);
        if (!text.empty())
        {
            EXPECT_EQ(text, box.text);
        }
        ExpectFocusShown(("the box " + text).c_str());
        return box;
    }

    // Answers the open box with keys and waits until it is gone.
    void Answer(const probe::DialogView& box, const std::string& keys)
    {
        if (HasFatalFailure())
            return;
        ASSERT_NE(nullptr, box.window);
        Press(keys);
        ASSERT_TRUE(probe::WaitUntil([&] { return !IsWindowVisible(box.window); }, 15000))
            << "the box \"" << box.text << "\" stayed after " << keys;
    }

    // Waits for the control's page to show, then checks the focus.
    void Shows(int id, const char* step)
    {
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(setup.WaitVisible(id)) << step;
        ExpectFocusShown(step);
    }

    // Presses each key in turn and expects the focus on one of the buttons
    // after every one.
    void StaysOn(const std::vector<const char*>& keys, const std::set<int>& buttons)
    {
        for (const char* key : keys)
        {
            Press(key);
            ExpectFocusShown(key);
            EXPECT_EQ(1u, buttons.count(GetDlgCtrlID(Focus()))) << "after " << key << " the focus is on control "
                                                               << GetDlgCtrlID(Focus());
        }
    }

    // Tabs on until the focus is on the control.
    void TabTo(int id)
    {
        for (int i = 0; i < 8 && !HasFatalFailure() && GetDlgCtrlID(Focus()) != id; ++i)
            Press("Tab");
        ASSERT_EQ(id, GetDlgCtrlID(Focus())) << "Tab does not reach control " << id;
    }

    HWND Focus()
    {
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        return GetGUIThreadInfo(setup.ThreadId(), &info) ? info.hwndFocus : nullptr;
    }

    // Once the program is back at its messages: the focus is on a visible
    // control of the box or picker open, or else of a page of the frame. A
    // program that does not answer ends the row: the helpers do nothing
    // after a fatal failure, so a hang costs one bound, not one per step.
    void ExpectFocusShown(const char* step)
    {
        if (HasFatalFailure())
            return;
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(setup.Frame(), WM_NULL, 0, 0, SMTO_NORMAL, 20000, &result))
        {
            setup.Kill();
            FAIL() << step << ": the setup window does not answer";
        }
        HWND focus = Focus();
        ASSERT_NE(nullptr, focus) << step << ": nothing has the keyboard focus";
        std::string what = probe::ClassName(focus) + " \"" + probe::Text(focus) + "\"";
        EXPECT_TRUE(IsWindowVisible(focus)) << step << ": the focus is on a hidden " << what;
        EXPECT_TRUE(IsWindowEnabled(focus)) << step << ": the focus is on a disabled " << what;
        HWND box = probe::FindOpenDialog(setup.Frame());
        if (box != nullptr)
        {
            EXPECT_TRUE(IsChild(box, focus)) << step << ": the focus is on " << what << ", not in the open box";
            return;
        }
        HWND page = GetParent(focus);
        EXPECT_TRUE(page != nullptr && GetParent(page) == setup.Frame() && probe::ClassName(page) == "#32770")
            << step << ": the focus is on " << what << ", not on a control of a page";
    }

    std::string base;
    std::string folder;
};

TEST_P(KeyboardFlowTest, ReachesOnlyWhatIsShown)
{
    GetParam().play(*this);
}

using K = KeyboardFlowTest;

// clang-format off
const Flow Flows[] = {
    {"AnInstallAndRemoval", [](K& t) {
        t.Begin();
        EXPECT_EQ(IDC_INSTALL, GetDlgCtrlID(t.Focus()));
        t.Press("space");
        t.Shows(IDC_FOLDER, "to the options page");
        // The caret at the end of the folder, nothing selected.
        ASSERT_EQ(IDC_FOLDER, GetDlgCtrlID(t.Focus()));
        DWORD_PTR selection = 0;
        SendMessageTimeoutA(t.Focus(), EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &selection);
        size_t length = t.setup.Text(IDC_FOLDER).size();
        EXPECT_EQ(length, LOWORD(selection));
        EXPECT_EQ(length, HIWORD(selection));
        t.Press("shift+Home");
        t.Type(t.base);
        EXPECT_EQ(t.base, t.setup.Text(IDC_FOLDER));
        t.ExpectFocusShown("a folder typed");
        t.Press("Tab Tab Down");
        ASSERT_TRUE(probe::WaitUntil([&] { return t.setup.IsChecked(IDC_MINIMAL); }, 5000));
        t.ExpectFocusShown("the install type");
        // The arrows go round the pair, not on to the buttons below it.
        t.Press("Down Down");
        EXPECT_EQ(IDC_MINIMAL, GetDlgCtrlID(t.Focus()));
        EXPECT_TRUE(t.setup.IsChecked(IDC_MINIMAL));
        // No disc yet: the prompt's OK once the disc is in.
        t.Press("Tab space");
        t.Answer(t.Opened(MinimalQuestion(t.base)), "Return");
        probe::DialogView prompt = t.Opened(Disc1Prompt);
        t.InsertDisc('d', 1);
        t.Answer(prompt, "Return");
        t.Answer(t.Opened(CompletedText), "Return");
        t.Shows(IDC_LAUNCH, "back on the start page");
        EXPECT_EQ(IDC_LAUNCH, GetDlgCtrlID(t.Focus()));
        std::string install;
        EXPECT_TRUE(bench::ReadRecordValue("INSTALL", &install));
        EXPECT_EQ("MIN", install);
        EXPECT_TRUE(bench::FileExists(t.folder + "hoshi.exe"));

        t.Press("Tab space");
        t.Answer(t.Opened("アンインストールしますか？"), "Return");
        ASSERT_TRUE(probe::WaitUntil([&] { return t.setup.Text(IDC_INSTALL) == "インストール"; }, 10000));
        t.ExpectFocusShown("removed");
        EXPECT_FALSE(bench::RecordExists());
        EXPECT_FALSE(bench::FileExists(t.folder + "hoshi.exe"));
        // Esc on the start page ends the program.
        t.Press("Escape");
        t.setup.ExpectCleanExit();
    }},
    {"ASpaceDuringACopyAsksToAbort", [](K& t) {
        // Disc 1 with a big first file, so that the copy is still on when
        // the key comes.
        std::string disc = t.scratch + "disc1\\";
        std::string unixDisc = bench::UnixPath(disc);
        bench::RunUnix("mkdir -p " + unixDisc + " && ln -s " + bench::DiscUnix(1) + "/* " + unixDisc
                       + " && rm " + unixDisc + "/base.pak && truncate -s 300M " + unixDisc + "/base.pak");
        ASSERT_TRUE(bench::InsertDisc('d', disc, "hoshikage1"));
        t.Begin();
        t.Press("space");
        t.Shows(IDC_FOLDER, "to the options page");
        t.Press("shift+Home");
        t.Type(t.base);
        t.Press("Tab Tab Tab space");
        t.Answer(t.Opened(FullQuestion(t.base)), "Return space");
        probe::DialogView question = t.Opened(AbortQuestion);
        EXPECT_EQ("中断", question.caption);
        t.Answer(question, "Return");
        t.Shows(IDC_FOLDER, "aborted");
        EXPECT_FALSE(bench::FolderExists(t.folder));
        t.Press("Escape");
        t.setup.ExpectCleanExit();
    }},
    {"TheArrowsGoRoundTheButtonsAndBackReturnsToInstall", [](K& t) {
        // Never onto the picture or a group box, nor onto "起動" before an
        // install.
        t.Begin();
        t.StaysOn({"Right", "Right", "Down", "Left", "Left", "Up"}, {IDC_INSTALL, IDC_EXIT});
        t.TabTo(IDC_INSTALL);
        t.Press("space");
        t.Shows(IDC_FOLDER, "to the options page");
        t.TabTo(IDC_START);
        t.StaysOn({"Left", "Left", "Up", "Right", "Down", "Down"}, {IDC_START, IDC_BACK});
        t.TabTo(IDC_BACK);
        t.Press("space");
        t.Shows(IDC_LAUNCH, "back");
        EXPECT_EQ(IDC_INSTALL, GetDlgCtrlID(t.Focus()));
        t.Press("Escape");
        t.setup.ExpectCleanExit();
    }},
    {"EscOnTheOptionsPage", [](K& t) {
        t.Begin();
        t.Press("space");
        t.Shows(IDC_FOLDER, "to the options page");
        t.Press("Escape");
        t.setup.ExpectCleanExit();
    }},
    {"TheFolderPickerOpenedAndCancelled", [](K& t) {
        t.Begin();
        t.Press("space");
        t.Shows(IDC_FOLDER, "to the options page");
        t.Press("Tab space");
        probe::DialogView picker = t.Opened("");
        EXPECT_EQ("フォルダーの参照", picker.caption);
        t.Answer(picker, "Escape");
        t.ExpectFocusShown("the picker cancelled");
        EXPECT_EQ(IDC_BROWSE, GetDlgCtrlID(t.Focus()));
        t.Press("Escape");
        t.setup.ExpectCleanExit();
    }},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Flows, KeyboardFlowTest, testing::ValuesIn(Flows), table::RowName());
} // namespace
