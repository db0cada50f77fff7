// tests/ui/FaultCatalogueTest.cpp
// The catalogue of flows and faults: each case arranges the bench (a fault,
// a missing disc, a planted install), plays the setup through its window as
// a player would, watching what the case is about on the way, and ends with
// one check of the promise: installed, rolled back or removed as the case
// calls for, the player's other files and the folders above the install
// folder as they were, the window idle, and exit code 0.
#include "BenchDrive.h"
#include "res/resource.h"
#include "support/BenchState.h"
#include "support/FaultDisc.h"
#include "support/Table.h"
#include "ui/FlowTest.h"

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>

namespace
{
enum Kind { INSTALLED, ROLLED_BACK, REMOVED };

// The end state a case calls for, with its exceptions.
struct End
{
    Kind kind;
    // The list installed.
    bool full;
    // Listed files that a removal leaves, whole.
    std::vector<std::string> kept;
    // Whether the install has a Start-menu entry (none without Programs).
    bool startMenu;
};

End Installed(bool full = true, bool startMenu = true) { return End{INSTALLED, full, {}, startMenu}; }
End RolledBack() { return End{ROLLED_BACK, true, {}, false}; }
End Removed(const std::vector<std::string>& kept = {}, bool startMenu = true)
{
    return End{REMOVED, true, kept, startMenu};
}

std::vector<std::string> Voices()
{
    std::vector<std::string> files = ListedFiles(true);
    return std::vector<std::string>(files.begin() + 5, files.end());
}

std::string CaptionOf(const std::string& text, const char* locale)
{
    if (text == Disc1Prompt || text == Disc2Prompt)
        return DiscCaption;
    if (text == LowSpaceQuestion)
        return ConfirmCaption;
    if (text == CompletedText)
        return "終了";
    // Wine has no texts of its own in Hindi, the UTF-8 system's language:
    // it shows English ones.
    return locale == nullptr ? FailureCaption : EnglishFailureCaption;
}

// Turns the desktop theme on or off for programs started from now on, and
// gives the value it replaces.
std::string SetTheme(const char* value)
{
    const char key[] = "Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager";
    char old[16] = "0";
    DWORD size = sizeof(old);
    RegGetValueA(HKEY_CURRENT_USER, key, "ThemeActive", RRF_RT_REG_SZ, nullptr, old, &size);
    EXPECT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, key, "ThemeActive", REG_SZ, value,
                                             static_cast<DWORD>(strlen(value) + 1)));
    return old;
}

// How the player asks to abort, and in which part of the run.
enum How { BUTTON, CLOSE_BOX };
enum Where { FIRST_CHUNK, BIG_FILE, LAST_FILE };

class FaultCatalogueTest;

struct Case : table::Row
{
    bool faultDisc;
    void (*play)(FaultCatalogueTest& c);
    End end;
    // The system's language the setup runs in; null: the bench's.
    const char* locale = nullptr;
};

class FaultCatalogueTest : public FlowTest, public testing::WithParamInterface<Case>
{
public:
    void SetUp() override
    {
        FlowTest::SetUp();
        Into(scratch + "Morihane\\", scratch + "Morihane\\");
        link = bench::LinkPath();
        morihane = bench::ProgramsFolder() + "morihane\\";
        // Where a roll-back or removal that strays would reach: beside the
        // install folder, above it, and a listed name above it.
        PlantPlayerFile(base + "hoshikage2\\save.dat");
        PlantPlayerFile(base + "hoshi.exe");
        PlantPlayerFile(scratch + "memo.txt");
    }

    void TearDown() override
    {
        hidden.reset();
        for (auto undo = atEnd.rbegin(); undo != atEnd.rend(); ++undo)
            (*undo)();
        FlowTest::TearDown();
    }

    // The base folder the player types, and a folder above the install
    // folder that must stay.
    void Into(const std::string& typed, const std::string& mustStay, const std::string& installFolder = "")
    {
        base = typed;
        folder = installFolder.empty() ? typed + "hoshikage\\" : installFolder;
        above = mustStay;
    }

    void PlantPlayerFile(const std::string& path)
    {
        bench::MakeFolders(path.substr(0, path.find_last_of('\\')));
        playerFiles[path] = "the player's own " + path;
        bench::WriteFileBytes(path, playerFiles[path]);
    }

    // Remove, from a new start, of an install planted with these record
    // values; before runs once the start page is up.
    void RemovePlanted(bool full, const char* install, const char* directory,
                       const std::function<void()>& before = nullptr)
    {
        PlantInstall(folder, full, install, directory);
        ASSERT_TRUE(setup.Start());
        if (before)
            before();
        Remove();
    }

    // Copies setup.exe and a probe that searches for DLLs as Windows does
    // by default into the scratch folder, beside DLLs of the tests' own
    // under system DLLs' names. Wine takes its own DLLs whatever lies beside
    // a program unless told to search as Windows does: native first. The
    // theme is on: without one, user32 lets uxtheme go again at once, and
    // comctl32 asks for it later through its delay-load table, which Wine
    // resolves from the program's folder first whatever the search was
    // limited to (Windows keeps to the limit there).
    void PlantDlls()
    {
        std::string bin = SetupDriver::SetupPath();
        bin.erase(bin.find_last_of('\\') + 1);
        std::string theme = SetTheme("1");
        atEnd.push_back([theme] {
            SetTheme(theme.c_str());
            bench::ForgetDllOverrides("setup.exe");
            bench::ForgetDllOverrides("planted-probe.exe");
        });
        ASSERT_TRUE(CopyFileA((bin + "setup.exe").c_str(), (scratch + "setup.exe").c_str(), FALSE));
        ASSERT_TRUE(CopyFileA((bin + "..\\planted\\planted-probe.exe").c_str(), (scratch + "planted-probe.exe").c_str(),
                              FALSE));
        for (const char* dll : {"comctl32", "uxtheme"})
        {
            ASSERT_TRUE(CopyFileA((bin + "..\\planted\\planted.dll").c_str(), (scratch + dll + ".dll").c_str(), FALSE));
            bench::OverrideDll("setup.exe", dll, "native,builtin");
            bench::OverrideDll("planted-probe.exe", dll, "native,builtin");
        }
    }

    // Each load of a planted DLL leaves a line: which one, in which program.
    std::string Loaded() { return bench::ReadFileBytes(scratch + "planted-loaded.txt"); }

    void InsertFaultDisc()
    {
        ASSERT_TRUE(bench::DefineDrive('d', bench::DriveKind::CdRom, disc1.Unix(), "hoshikage1"));
    }

    void Run(bool full = true)
    {
        StartRun(base, full);
    }

    // The next message box says text; meanwhile runs while it is open, then
    // it is answered.
    void Told(const std::string& text, int answer, const std::function<void()>& meanwhile = nullptr)
    {
        probe::DialogView box = setup.WaitForMessageBox(60000);
        ASSERT_EQ(text, box.text);
        EXPECT_EQ(CaptionOf(text, GetParam().locale), box.caption);
        if (meanwhile)
            meanwhile();
        setup.Answer(box, answer);
    }

    void Ask(How how)
    {
        if (how == BUTTON)
            setup.Click(IDC_ABORT);
        else
            PostMessageA(setup.Frame(), WM_CLOSE, 0, 0);
    }

    // OK on a disc prompt and at once a request to abort: the request waits
    // in the queue for the copier's first chance, after the first full chunk
    // of the files that follow.
    void OkThenAsk(const probe::DialogView& prompt, How how)
    {
        PostMessageA(GetDlgItem(prompt.window, IDOK), BM_CLICK, 0, 0);
        Ask(how);
        EXPECT_TRUE(probe::WaitUntil([&] { return !IsWindowVisible(prompt.window); }, 10000));
    }

    // Where the failing disc stopped the copy: the file's bar, files done.
    void ExpectStoppedAt(int percent, int copied)
    {
        EXPECT_EQ(percent, setup.BarPosition(IDC_FILE_BAR));
        EXPECT_EQ("17ファイル中" + std::to_string(copied) + "ファイルコピー完了", setup.Text(IDC_COUNT_LINE));
    }

    // The abort question, open while source is copied, copied files done.
    void ExpectQuestion(const probe::DialogView& box, const std::string& source, int copied)
    {
        EXPECT_EQ("中断", box.caption);
        EXPECT_EQ(AbortQuestion, box.text);
        EXPECT_EQ(source + "をコピー中...", setup.Text(IDC_FILE_LINE));
        EXPECT_EQ("17ファイル中" + std::to_string(copied) + "ファイルコピー完了", setup.Text(IDC_COUNT_LINE));
    }

    // A full run whose copy waits on the abort question in its first file.
    probe::DialogView PauseInTheFirstFile(How how = BUTTON)
    {
        Run();
        probe::DialogView prompt = setup.WaitForMessageBox();
        EXPECT_EQ(Disc1Prompt, prompt.text);
        InsertDisc('d', 1);
        InsertDisc('e', 2);
        OkThenAsk(prompt, how);
        probe::DialogView question = setup.WaitForMessageBox();
        ExpectQuestion(question, "D:\\base.pak", 0);
        return question;
    }

    void AbortIn(Where where, How how)
    {
        probe::DialogView question;
        if (where == LAST_FILE)
        {
            InsertDisc('d', 1);
            Run();
            probe::DialogView prompt = setup.WaitForMessageBox(60000);
            ASSERT_EQ(Disc2Prompt, prompt.text);
            // Every file of this disc but the last is shorter than a chunk,
            // so the copier's first chance to take the request is there.
            std::map<std::string, std::string> files;
            for (int i = 0; i < 6; ++i)
                files["v2_" + std::to_string(i) + ".pak"] = i < 5 ? "short" : std::string(500000, 'x');
            ASSERT_TRUE(bench::InsertDisc('e', bench::MakeDisc(scratch + "disc2\\", files), "hoshikage2"));
            OkThenAsk(prompt, how);
            question = setup.WaitForMessageBox();
            ExpectQuestion(question, "E:\\v2_5.pak", 16);
        }
        else
        {
            question = PauseInTheFirstFile(how);
            // No, and ask again, until the copy waits inside the first big
            // file.
            const std::string big = "D:\\v1_0.pak";
            for (int i = 0; where == BIG_FILE && i < 20 && setup.Text(IDC_FILE_LINE) != big + "をコピー中..."; ++i)
            {
                setup.Answer(question, IDNO);
                Ask(how);
                question = setup.WaitForMessageBox();
            }
            if (where == BIG_FILE)
                ExpectQuestion(question, big, 5);
        }
        setup.Answer(question, IDYES);
    }

    // The promise, for the end state the case calls for.
    void Check(const End& end)
    {
        ASSERT_TRUE(setup.WaitVisible(end.kind == ROLLED_BACK ? IDC_FOLDER : IDC_LAUNCH))
            << "the window does not show the page the case ends on";
        setup.ExpectIdle();
        EXPECT_FALSE(setup.IsVisible(IDC_ABORT));

        std::vector<std::string> listed = end.kind == INSTALLED ? ListedFiles(end.full) : end.kept;
        std::vector<std::string> expected = listed;
        for (const auto& file : playerFiles)
        {
            if (file.first.compare(0, folder.size(), folder) == 0)
            {
                std::string name = file.first.substr(folder.size());
                expected.push_back(name.substr(0, name.find('\\')));
            }
            EXPECT_TRUE(bench::ReadFileBytes(file.first) == file.second) << file.first << " of the player's changed";
        }
        std::sort(expected.begin(), expected.end());
        expected.erase(std::unique(expected.begin(), expected.end()), expected.end());
        EXPECT_EQ(expected, bench::FolderContents(folder));
        EXPECT_EQ(!expected.empty(), bench::FolderExists(folder)) << folder;
        for (const std::string& name : listed)
            EXPECT_TRUE(bench::ReadFileBytes(folder + name) == bench::ReadFileBytes(DiscFile(name)))
                << name << " is not the disc's";
        if (!above.empty())
        {
            EXPECT_TRUE(bench::FolderExists(above)) << above << " went with the install folder";
        }

        EXPECT_EQ(end.kind == INSTALLED, bench::RecordExists());
        EXPECT_EQ(end.kind == INSTALLED && end.startMenu, bench::FileExists(link));
        // Nothing under a name of other characters beside them.
        std::vector<std::string> none;
        EXPECT_EQ(end.kind == INSTALLED ? std::vector<std::string>{"ほしかげ"} : none,
                  bench::Subkeys("Software\\Morihane"));
        EXPECT_EQ(end.kind == INSTALLED && end.startMenu ? std::vector<std::string>{"～ ほしかげ ～"} : none,
                  bench::FolderContents(morihane));
        EXPECT_EQ(end.kind == INSTALLED, setup.IsEnabled(IDC_LAUNCH));
        if (end.kind == INSTALLED)
        {
            std::string directory, install;
            EXPECT_TRUE(bench::ReadRecordValue("DIRECTORY", &directory));
            EXPECT_EQ(folder, directory);
            EXPECT_TRUE(bench::ReadRecordValue("INSTALL", &install));
            EXPECT_EQ(end.full ? "FULL" : "MIN", install);
            EXPECT_EQ("削除", setup.Text(IDC_INSTALL));
            if (end.startMenu)
            {
                bench::LinkInfo shortcut = bench::ReadLink(link);
                EXPECT_EQ(bench::Utf8(folder + "hoshi.exe"), shortcut.localPath) << shortcut.listing;
                EXPECT_EQ(bench::Utf8(folder), shortcut.workingDirectory) << shortcut.listing;
                EXPECT_EQ("", shortcut.arguments) << shortcut.listing;
                EXPECT_EQ(static_cast<unsigned>(SW_SHOWNORMAL), shortcut.showCommand);
            }
        }
        else if (end.kind == REMOVED)
        {
            EXPECT_EQ("インストール", setup.Text(IDC_INSTALL));
            EXPECT_FALSE(bench::FolderExists(link.substr(0, link.find_last_of('\\'))));
            EXPECT_TRUE(bench::KeyExists("Software\\Morihane")) << "the maker's key went with the record";
            if (end.startMenu)
            {
                EXPECT_TRUE(bench::FolderExists(morihane)) << "the folder above the Start-menu folder went";
            }
        }
        else
        {
            EXPECT_EQ(base, setup.Text(IDC_FOLDER));
            EXPECT_TRUE(setup.IsChecked(IDC_FULL));
        }
    }

    bench::FaultDisc disc1{1};
    std::string base;
    std::string folder;
    std::string above;
    std::string link;
    std::string morihane;
    std::map<std::string, std::string> playerFiles;
    std::unique_ptr<bench::HiddenValue> hidden;
    std::vector<std::function<void()>> atEnd;
};

TEST_P(FaultCatalogueTest, KeepsThePromise)
{
    const Case& row = GetParam();
    if (row.faultDisc)
        SKIP_WITHOUT_FAULT_DISC(disc1);
    if (row.locale != nullptr)
        setup.SetLocale(row.locale);
    row.play(*this);
    if (IsSkipped() || HasFatalFailure())
        return;
    Check(row.end);
    setup.Close();
}

using C = FaultCatalogueTest;

// Flows played in more than one language.

// Every box of an install and a removal but the failures': the disc
// prompts, the abort question and the completion, with the progress page's
// lines between them.
void AWholeInstallAndRemoval(C& c)
{
    c.Run();
    probe::DialogView prompt = c.setup.WaitForMessageBox();
    EXPECT_EQ(DiscCaption, prompt.caption);
    ASSERT_EQ(Disc1Prompt, prompt.text);
    c.InsertDisc('d', 1);
    c.OkThenAsk(prompt, BUTTON);
    probe::DialogView question = c.setup.WaitForMessageBox();
    c.ExpectQuestion(question, "D:\\base.pak", 0);
    c.setup.Answer(question, IDNO);
    c.Told(Disc2Prompt, IDOK, [&] {
        EXPECT_EQ("17ファイル中11ファイルコピー完了", c.setup.Text(IDC_COUNT_LINE));
        c.InsertDisc('e', 2);
    });
    c.FinishRun();
    c.Check(Installed());
    c.Remove();
}

// The low-space question, then a failure.
void TheDiskFullInTheMiddleOfAFile(C& c)
{
    if (!bench::TestMountAsDrive("small", 'h'))
        return;
    c.Into("H:\\Games\\", "H:\\Games\\");
    c.InsertDisc('d', 1);
    c.Run();
    c.Told(LowSpaceQuestion, IDYES);
    c.Told("story.datのコピーに失敗しました", IDOK);
}

// 表 is 0x95 0x5C: typed without a backslash, the setup adds one.
void AFolderNameEndingInTheSecondByteOfAKanji(C& c)
{
    c.Into(c.scratch + "表", c.scratch, c.scratch + "表\\hoshikage\\");
    c.InstallFrom(c.base, false);
    c.Check(Installed(false));
    c.setup.Close();
    // A new start reads the record.
    ASSERT_TRUE(c.setup.Start());
    c.Remove();
}

// clang-format off
const Case Cases[] = {
    // The discs.
    {"AReadErrorInTheMiddleOfABigFile", true, [](C& c) {
        c.disc1.Scratch("v1_0.pak", 5000123);
        c.InsertFaultDisc();
        c.Run();
        c.Told("v1_0.pakのコピーに失敗しました", IDOK, [&] { c.ExpectStoppedAt(50, 5); });
    }, RolledBack()},
    {"AReadErrorInTheFirstChunkOfASmallFile", true, [](C& c) {
        c.disc1.Scratch("imgdec.dll", 5);
        c.InsertFaultDisc();
        c.Run();
        c.Told("imgdec.dllのコピーに失敗しました", IDOK, [&] { c.ExpectStoppedAt(0, 2); });
    }, RolledBack()},
    {"TheDiscTakenOutInTheMiddleOfAFile", true, [](C& c) {
        c.disc1.EjectAt("story.dat", 150000);
        c.InsertFaultDisc();
        c.Run();
        // The drive is empty from then on: the next run asks for the disc.
        c.Told("story.datのコピーに失敗しました", IDOK, [&] {
            c.ExpectStoppedAt(50, 1);
            c.EjectDisc('d');
        });
        c.PressStart(FullQuestion(c.base), IDYES);
        c.Told(Disc1Prompt, IDCANCEL);
    }, RolledBack()},
    {"DiscOneAbsentThenInsertedForAMinimalInstall", false, [](C& c) {
        c.Run(false);
        c.Told(Disc1Prompt, IDOK);
        c.Told(Disc1Prompt, IDOK, [&] { c.InsertDisc('f', 1); });
        // Disc 2 is in no drive: a minimal install never asks for it.
        c.Told(CompletedText, IDOK, [&] {
            EXPECT_EQ("5ファイル中5ファイルコピー完了", c.setup.Text(IDC_COUNT_LINE));
            EXPECT_EQ(100, c.setup.BarPosition(IDC_TOTAL_BAR));
        });
    }, Installed(false)},
    {"TheWrongDiscAtTheDiscTwoPromptThenTheRightOne", false, [](C& c) {
        c.InsertDisc('d', 1);
        c.Run();
        c.Told(Disc2Prompt, IDOK);
        c.Told(Disc2Prompt, IDOK, [&] { c.InsertDisc('d', 2); });
        // The run is over, and its page still shows what it reached.
        c.Told(CompletedText, IDOK, [&] {
            EXPECT_TRUE(c.setup.IsVisible(IDC_ABORT));
            EXPECT_EQ(100, c.setup.BarPosition(IDC_FILE_BAR));
            EXPECT_EQ(100, c.setup.BarPosition(IDC_TOTAL_BAR));
            EXPECT_EQ("17ファイル中17ファイルコピー完了", c.setup.Text(IDC_COUNT_LINE));
            EXPECT_EQ("D:\\v2_5.pakをコピー中...", c.setup.Text(IDC_FILE_LINE));
        });
    }, Installed()},
    {"CancelAtTheDiscOnePrompt", false, [](C& c) {
        c.Run();
        c.Told(Disc1Prompt, IDCANCEL);
    }, RolledBack()},
    {"CancelAtTheDiscTwoPromptThenANewRunFromNothing", false, [](C& c) {
        c.InsertDisc('d', 1);
        c.Run();
        c.Told(Disc2Prompt, IDCANCEL, [&] {
            EXPECT_EQ("17ファイル中11ファイルコピー完了", c.setup.Text(IDC_COUNT_LINE));
            EXPECT_TRUE(bench::FileExists(c.folder + "v1_5.pak"));
        });
        c.Check(RolledBack());
        c.EjectDisc('d');
        c.PressStart(FullQuestion(c.base), IDYES);
        c.Told(Disc1Prompt, IDCANCEL, [&] {
            EXPECT_EQ(0, c.setup.BarPosition(IDC_FILE_BAR));
            EXPECT_EQ(0, c.setup.BarPosition(IDC_TOTAL_BAR));
            EXPECT_EQ("", c.setup.Text(IDC_FILE_LINE));
            EXPECT_EQ("17ファイル中0ファイルコピー完了", c.setup.Text(IDC_COUNT_LINE));
        });
    }, RolledBack()},
    {"AFileMissingFromTheDisc", false, [](C& c) {
        ASSERT_TRUE(bench::InsertDisc('d', bench::MakeDisc(c.scratch + "disc1\\", {}), "hoshikage1"));
        c.Run();
        // The destination was made before the source failed to open.
        c.Told("base.pakのコピーに失敗しました", IDOK,
               [&] { EXPECT_TRUE(bench::FileExists(c.folder + "base.pak")); });
    }, RolledBack()},

    // Aborts, and what does not abort.
    {"TheAbortButtonInTheFirstChunk", false, [](C& c) { c.AbortIn(FIRST_CHUNK, BUTTON); }, RolledBack()},
    {"TheAbortButtonInTheMiddleOfABigFile", false, [](C& c) { c.AbortIn(BIG_FILE, BUTTON); }, RolledBack()},
    {"TheAbortButtonDuringTheLastFile", false, [](C& c) { c.AbortIn(LAST_FILE, BUTTON); }, RolledBack()},
    {"TheCloseBoxInTheFirstChunk", false, [](C& c) { c.AbortIn(FIRST_CHUNK, CLOSE_BOX); }, RolledBack()},
    {"TheCloseBoxInTheMiddleOfABigFile", false, [](C& c) { c.AbortIn(BIG_FILE, CLOSE_BOX); }, RolledBack()},
    {"TheCloseBoxDuringTheLastFile", false, [](C& c) { c.AbortIn(LAST_FILE, CLOSE_BOX); }, RolledBack()},
    {"NoToTheAbortQuestion", false, [](C& c) {
        c.setup.Answer(c.PauseInTheFirstFile(), IDNO);
        c.FinishRun();
    }, Installed()},
    {"EscDuringACopy", false, [](C& c) {
        c.setup.Answer(c.PauseInTheFirstFile(), IDNO);
        c.setup.PressKey(VK_ESCAPE);
        c.FinishRun();
    }, Installed()},
    {"ASpaceDuringACopy", false, [](C& c) {
        c.Run();
        probe::DialogView prompt = c.setup.WaitForMessageBox();
        ASSERT_EQ(Disc1Prompt, prompt.text);
        c.InsertDisc('d', 1);
        c.InsertDisc('e', 2);
        c.setup.Answer(prompt, IDOK);
        // A second Space on Start, still queued when its page went, is
        // dropped; one at the focus reaches only Abort, which asks.
        HWND start = c.setup.Control(IDC_START);
        PostMessageA(start, WM_KEYDOWN, VK_SPACE, 1);
        PostMessageA(start, WM_KEYUP, VK_SPACE, 0xC0000001);
        c.setup.PressKey(VK_SPACE);
        probe::DialogView question = c.setup.WaitForMessageBox();
        EXPECT_EQ("中断", question.caption);
        EXPECT_EQ(AbortQuestion, question.text);
        c.setup.Answer(question, IDNO);
        c.FinishRun();
    }, Installed()},
    {"ASpaceJustAsARunEnds", false, [](C& c) {
        c.InsertDisc('d', 1);
        c.InsertDisc('e', 2);
        c.Run();
        probe::DialogView done = c.setup.WaitForMessageBox(60000);
        ASSERT_EQ(CompletedText, done.text);
        // Behind the OK in the queue, a key for the button that had the
        // focus during the copy: its page goes before the key is taken.
        HWND abort = c.setup.Control(IDC_ABORT);
        PostMessageA(GetDlgItem(done.window, IDOK), BM_CLICK, 0, 0);
        PostMessageA(abort, WM_KEYDOWN, VK_SPACE, 1);
        PostMessageA(abort, WM_KEYUP, VK_SPACE, 0xC0000001);
        // A mark behind the key on the hidden bar: once it shows, the key
        // has been taken, and whatever it opened is open.
        PostMessageA(c.setup.Control(IDC_FILE_BAR), PBM_SETPOS, 37, 0);
        EXPECT_TRUE(probe::WaitUntil([&] { return c.setup.BarPosition(IDC_FILE_BAR) == 37; }, 10000));
    }, Installed()},

    // The destination.
    {"TheDiskFullInTheMiddleOfAFile", false, TheDiskFullInTheMiddleOfAFile, RolledBack()},
    {"AFolderThatCannotBeCreated", false, [](C& c) {
        if (!bench::TestMountAsDrive("readonly", 'r'))
            return;
        c.Into("R:\\Games\\", "R:\\");
        c.InsertDisc('d', 1);
        c.Run();
        c.Told(LowSpaceQuestion, IDYES);
        c.Told("base.pakのコピーに失敗しました", IDOK);
    }, RolledBack()},
    {"ADriveThatDoesNotExist", false, [](C& c) {
        c.Into("Q:\\Games\\", "");
        c.InsertDisc('d', 1);
        c.Run();
        c.Told(LowSpaceQuestion, IDYES);
        c.Told("base.pakのコピーに失敗しました", IDOK);
    }, RolledBack()},
    {"AnEmptyDestination", false, [](C& c) {
        // The install goes into hoshikage\ under the folder the setup runs in.
        c.setup.SetCurrentFolder(c.scratch);
        c.Into("", c.scratch);
        c.folder = c.scratch + "hoshikage\\";
        c.InsertDisc('d', 1);
        c.InsertDisc('e', 2);
        c.Run();
        c.Told(LowSpaceQuestion, IDYES);
        c.FinishRun();
    }, Installed()},
    {"AnEmptyDestinationWithTheSetupRunningOnTheDisc", false, [](C& c) {
        // Started from disc 1 as autorun does, an empty edit names a folder
        // on the disc itself.
        c.InsertDisc('d', 1);
        if (CreateDirectoryA("D:\\written", nullptr))
        {
            RemoveDirectoryA("D:\\written");
            GTEST_SKIP() << "disc 1 is served from a folder that can be written, not from its image";
        }
        c.setup.SetCurrentFolder("D:\\");
        c.Into("", "", "D:\\hoshikage\\");
        c.Run();
        // A disc has no free space.
        c.Told(LowSpaceQuestion, IDYES);
        c.Told("base.pakのコピーに失敗しました", IDOK);
    }, RolledBack()},
    {"ThePlayersOwnFilesInTheInstallFolder", false, [](C& c) {
        c.PlantPlayerFile(c.folder + "save01.dat");
        c.PlantPlayerFile(c.folder + "shots\\01.bmp");
        c.InsertDisc('d', 1);
        c.Run();
        c.Told(Disc2Prompt, IDCANCEL);
        c.Check(RolledBack());
        c.InsertDisc('e', 2);
        c.PressStart(FullQuestion(c.base), IDYES);
        c.FinishRun();
        c.Remove();
    }, Removed()},


    {"AFullInstallStartedFromDiscOne", false, [](C& c) {
        c.InsertDisc('d', 1);
        c.InsertDisc('e', 2);
        c.setup.SetCurrentFolder("D:\\");
        ASSERT_TRUE(c.setup.Start("D:\\setup.exe"));
        c.OpenOptions();
        c.ChooseDestination(c.base, true);
        c.PressStart(FullQuestion(c.base), IDYES);
        c.FinishRun();
        c.Check(Installed());
        c.Remove();
    }, Removed()},

    // The process.
    {"KilledInTheMiddleOfACopy", false, [](C& c) {
        c.PauseInTheFirstFile();
        c.setup.Kill();
        EXPECT_TRUE(bench::FileExists(c.folder + "base.pak"));
        // Longer than the disc's, as an older version may have left it.
        bench::WriteFileBytes(c.folder + "base.pak", std::string(bench::ReadFileBytes(DiscFile("base.pak")).size() + 1, 's'));
        // A new start offers Install; the install then overwrites what is there.
        c.Run();
        c.FinishRun();
    }, Installed()},
    {"ASecondStartDuringACopy", false, [](C& c) {
        probe::DialogView question = c.PauseInTheFirstFile();
        // It ends at once without a window; the first copy goes on.
        SetupDriver second;
        ASSERT_TRUE(second.Launch());
        HWND shown = nullptr;
        probe::WaitUntil([&] {
            shown = probe::FindShown(second.ProcessId());
            return shown != nullptr || WaitForSingleObject(second.Process(), 0) == WAIT_OBJECT_0;
        }, 15000);
        EXPECT_EQ(nullptr, shown) << "the second copy showed a " << probe::ClassName(shown);
        second.ExpectCleanExit();
        c.setup.Answer(question, IDNO);
        c.FinishRun();
    }, Installed()},

    // Removal.
    {"AListedFileThatCannotBeDeleted", false, [](C& c) {
        c.RemovePlanted(true, "FULL", c.folder.c_str(),
                        [&] { SetFileAttributesA((c.folder + "base.pak").c_str(), FILE_ATTRIBUTE_READONLY); });
    }, Removed({"base.pak"})},
    {"InstallInLowerCase", false, [](C& c) { c.RemovePlanted(true, "full", c.folder.c_str()); }, Removed(Voices())},
    {"InstallWithASpaceAfterIt", false, [](C& c) { c.RemovePlanted(true, "FULL ", c.folder.c_str()); },
     Removed(Voices())},
    {"ADirectoryWithoutItsBackslash", false, [](C& c) {
        c.RemovePlanted(false, "MIN", c.folder.substr(0, c.folder.size() - 1).c_str());
    }, Removed()},
    {"ARecordWithoutADirectory", false, [](C& c) { c.RemovePlanted(false, "MIN", nullptr); },
     Removed(ListedFiles(false))},
    {"TheRecordDeletedBeforeRemove", false, [](C& c) {
        c.RemovePlanted(false, "MIN", c.folder.c_str(), [] { bench::DeleteRecord(); });
    }, Removed(ListedFiles(false))},
    {"TheRecordDeletedBeforeLaunch", false, [](C& c) {
        c.PlantInstall(c.folder, false, "MIN", c.folder.c_str());
        std::string record = c.scratch + "launched.txt";
        ASSERT_TRUE(c.StartRecordingLaunches(record));
        bench::ForgetInstall();
        c.setup.Click(IDC_LAUNCH);
        ASSERT_TRUE(probe::WaitUntil([&] { return c.setup.Text(IDC_INSTALL) == "インストール"; }, 10000));
        // A game started by the click exists by the time the setup is back
        // at its messages; one that ran already has left its record.
        c.setup.Settle();
        EXPECT_FALSE(c.GameRunning());
        EXPECT_FALSE(bench::FileExists(record));
    }, Removed(ListedFiles(false))},
    {"ARelativeDirectory", false, [](C& c) {
        // Another program's files of the listed names, under the folder the
        // setup runs in.
        c.setup.SetCurrentFolder(c.scratch);
        c.Into(c.scratch, c.scratch);
        c.RemovePlanted(false, "MIN", "hoshikage\\");
    }, Removed(ListedFiles(false))},

    // The system's registry values.
    {"NoProgramFilesDir", false, [](C& c) {
        c.hidden.reset(
            new bench::HiddenValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir"));
        ASSERT_TRUE(c.setup.Start());
        c.OpenOptions();
        EXPECT_EQ("", c.setup.Text(IDC_FOLDER));
        c.InsertDisc('d', 1);
        c.InsertDisc('e', 2);
        c.ChooseDestination(c.base, true);
        c.PressStart(FullQuestion(c.base), IDYES);
        c.FinishRun();
    }, Installed()},
    {"NoProgramsFolder", false, [](C& c) {
        c.hidden.reset(new bench::HiddenValue(
            HKEY_CURRENT_USER, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Programs"));
        c.setup.SetCurrentFolder(c.scratch);
        std::string since = c.scratch + "since";
        bench::WriteFileBytes(since, "");
        c.InstallFrom(c.base, true);
        c.Check(Installed(true, false));
        // No shortcut anywhere: not in the profile, on the prefix's drive or
        // in the folder the setup runs in.
        EXPECT_EQ("", bench::RunUnix("find $WINEPREFIX/drive_c '" + bench::RootUnix() + "' -name '*.lnk' -newer '"
                                     + bench::UnixPath(since) + "'"));
        c.Remove();
    }, Removed({}, false)},

    // Planted DLLs, and a folder name the entry point's code page decides.
    {"DllsPlantedBesideTheSetup", false, [](C& c) {
        c.PlantDlls();
        SetupDriver probe;
        ASSERT_TRUE(probe.Launch(c.scratch + "planted-probe.exe"));
        probe.ExpectCleanExit();
        EXPECT_NE(std::string::npos, c.Loaded().find("uxtheme.dll in"))
            << "the bench loads no planted DLL for a program that does not limit its search: " << c.Loaded();
        EXPECT_NE(std::string::npos, c.Loaded().find("comctl32.dll in")) << c.Loaded();
        DeleteFileA((c.scratch + "planted-loaded.txt").c_str());

        c.InsertDisc('d', 1);
        c.InsertDisc('e', 2);
        ASSERT_TRUE(c.setup.Start(c.scratch + "setup.exe"));
        EXPECT_EQ("", c.Loaded()) << "by the start page";
        c.OpenOptions();
        c.setup.Click(IDC_BROWSE);
        probe::DialogView picker = c.setup.WaitForMessageBox();
        EXPECT_EQ("フォルダーの参照", picker.caption);
        c.setup.Answer(picker, IDCANCEL);
        EXPECT_EQ("", c.Loaded()) << "by the folder picker";
        c.ChooseDestination(c.base, true);
        c.PressStart(FullQuestion(c.base), IDYES);
        // The bars are of the progress class, which comes from the system's
        // comctl32.
        bool fileBar = false;
        bool totalBar = false;
        probe::WaitUntil([&] {
            int file = c.setup.BarPosition(IDC_FILE_BAR);
            int total = c.setup.BarPosition(IDC_TOTAL_BAR);
            fileBar = fileBar || (file > 0 && file < 100);
            totalBar = totalBar || (total > 0 && total < 100);
            return c.setup.HasMessageBox();
        }, 60000);
        EXPECT_TRUE(fileBar) << "the file bar never stood between empty and full";
        EXPECT_TRUE(totalBar) << "the overall bar never stood between empty and full";
        c.Told(CompletedText, IDOK, [&] { EXPECT_EQ("", c.Loaded()) << "by the end of the install"; });
    }, Installed()},
    {"AFolderNameEndingInTheSecondByteOfAKanji", false, AFolderNameEndingInTheSecondByteOfAKanji, Removed()},

    // On a Windows in another language, where the program asks for code
    // page 932 itself: what the player reads and what is stored, as above.
    {"AWholeInstallAndRemovalOnAnEnglishWindows", false, AWholeInstallAndRemoval, Removed(), English},
    {"TheDiskFullInTheMiddleOfAFileOnAnEnglishWindows", false, TheDiskFullInTheMiddleOfAFile, RolledBack(), English},
    {"AFolderNameEndingInTheSecondByteOfAKanjiOnAnEnglishWindows", false, AFolderNameEndingInTheSecondByteOfAKanji,
     Removed(), English},
    {"AWholeInstallAndRemovalOnAUtf8Windows", false, AWholeInstallAndRemoval, Removed(), Utf8System},
    {"TheDiskFullInTheMiddleOfAFileOnAUtf8Windows", false, TheDiskFullInTheMiddleOfAFile, RolledBack(), Utf8System},
    {"AFolderNameEndingInTheSecondByteOfAKanjiOnAUtf8Windows", false, AFolderNameEndingInTheSecondByteOfAKanji,
     Removed(), Utf8System},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Cases, FaultCatalogueTest, testing::ValuesIn(Cases), table::RowName());
} // namespace
