// tools/shots/ScreenshotTour.cpp
// Walks the real setup window through its pages and main message boxes on
// the bench and photographs each: the pictures of the README. Run through
// tools/screenshots.sh, which gives Wine a virtual desktop so the window
// has its title bar. The pictures go to $SHOTS_DIR; the setup runs in the
// locale $SHOTS_LOCALE names (a Windows in another language), if set.
#include "BenchDrive.h"
#include "res/resource.h"
#include "support/BenchState.h"
#include "support/SetupDriver.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{
std::string Shots()
{
    const char* folder = getenv("SHOTS_DIR");
    return folder != nullptr ? folder : "/tmp";
}

// Photographs the frame and, if one is open, its message box, moved below
// the frame so the page stays in sight, with a margin.
void Shoot(SetupDriver& setup, const std::string& name, HWND box = nullptr)
{
    SendMessageA(setup.Frame(), WM_NCACTIVATE, box == nullptr, 0);
    if (box != nullptr)
    {
        RECT frame;
        RECT boxRect;
        GetWindowRect(setup.Frame(), &frame);
        GetWindowRect(box, &boxRect);
        int x = frame.left + ((frame.right - frame.left) - (boxRect.right - boxRect.left)) / 2;
        SetWindowPos(box, nullptr, x, frame.bottom + 8, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageA(box, WM_NCACTIVATE, TRUE, 0);
    }
    Sleep(400);
    RECT area;
    GetWindowRect(setup.Frame(), &area);
    if (box != nullptr)
    {
        RECT boxRect;
        GetWindowRect(box, &boxRect);
        UnionRect(&area, &area, &boxRect);
    }
    const int margin = 12;
    int left = std::max(0L, area.left - margin);
    int top = std::max(0L, area.top - margin);
    std::string geometry = std::to_string(area.right - left + margin) + "x" + std::to_string(area.bottom - top + margin)
        + "+" + std::to_string(left) + "+" + std::to_string(top);
    // The desktop by its process's class: Wine words its title in the
    // locale's language, and not alike in every version.
    std::string output = bench::RunUnix("import -window $(xdotool search --onlyvisible --classname '^explorer.exe$' | head -1)"
                                        " -crop " + geometry + " +repage " + Shots() + "/" + name + ".png && echo shot");
    EXPECT_NE(std::string::npos, output.find("shot")) << output;
}

TEST(ScreenshotTour, PagesAndMessages)
{
    bench::ForgetInstall();
    bench::RemoveBenchDrives();
    ASSERT_TRUE(bench::DefineDrive('d', bench::DriveKind::CdRom, bench::DiscUnix(1), "hoshikage1"));
    std::string base = "C:\\Games\\";
    bench::RunUnix("rm -rf '" + bench::UnixPath(base + "hoshikage") + "'");

    SetupDriver setup;
    const char* locale = getenv("SHOTS_LOCALE");
    setup.SetLocale(locale != nullptr ? locale : "");
    ASSERT_TRUE(setup.Start());
    Shoot(setup, "start-page");

    setup.Click(IDC_INSTALL);
    ASSERT_TRUE(setup.WaitVisible(IDC_FOLDER));
    Shoot(setup, "options-page");

    setup.SetText(IDC_FOLDER, base);
    setup.Click(IDC_START);
    probe::DialogView box = setup.WaitForMessageBox();
    ASSERT_NE(nullptr, box.window);
    Shoot(setup, "confirm-install", box.window);
    setup.Answer(box, IDYES);

    box = setup.WaitForMessageBox(60000);
    ASSERT_NE(nullptr, box.window);
    Shoot(setup, "disc-prompt", box.window);
    ASSERT_TRUE(bench::DefineDrive('e', bench::DriveKind::CdRom, bench::DiscUnix(2), "hoshikage2"));
    setup.Answer(box, IDOK);

    box = setup.WaitForMessageBox(60000);
    ASSERT_NE(nullptr, box.window);
    Shoot(setup, "install-complete", box.window);
    setup.Answer(box, IDOK);
    ASSERT_TRUE(setup.WaitVisible(IDC_LAUNCH));
    Shoot(setup, "start-page-installed");

    setup.Click(IDC_INSTALL);
    box = setup.WaitForMessageBox();
    ASSERT_NE(nullptr, box.window);
    Shoot(setup, "confirm-remove", box.window);
    setup.Answer(box, IDYES);
    ASSERT_TRUE(probe::WaitUntil([&] { return setup.Text(IDC_INSTALL) == "インストール"; }, 10000));
    Shoot(setup, "start-page-removed");

    // The progress page while a copy runs, held by the Abort question.
    setup.Click(IDC_INSTALL);
    ASSERT_TRUE(setup.WaitVisible(IDC_FOLDER));
    setup.Click(IDC_START);
    box = setup.WaitForMessageBox();
    setup.Answer(box, IDYES);
    ASSERT_TRUE(setup.WaitVisible(IDC_ABORT));
    // A third into the longest voice archive of the small discs (v1_3.pak,
    // 300 chunks), so the bar shows the middle of a copy.
    probe::WaitUntil(
        [&] {
            return setup.Text(IDC_COUNT_LINE).find("中8") != std::string::npos
                && setup.BarPosition(IDC_FILE_BAR) >= 30;
        },
        20000);
    setup.Click(IDC_ABORT);
    box = setup.WaitForMessageBox();
    ASSERT_NE(nullptr, box.window);
    // The question holds the copy where it is: the page alone first, the
    // question moved out of the picture, then the two together.
    RECT boxRect;
    GetWindowRect(box.window, &boxRect);
    SetWindowPos(box.window, nullptr, 2000, 2000, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Shoot(setup, "progress-page");
    SetWindowPos(box.window, nullptr, boxRect.left, boxRect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Shoot(setup, "confirm-abort", box.window);
    setup.Answer(box, IDYES);
    ASSERT_TRUE(setup.WaitVisible(IDC_FOLDER));
    setup.Close();
    bench::RemoveBenchDrives();
    bench::ForgetInstall();
}
} // namespace
