// tests/ui/SetupWindowTest.cpp
// The setup window from outside: pages, buttons, frame and how it ends.
#include "res/resource.h"
#include "support/SetupDriver.h"
#include "support/BenchState.h"
#include "ui/FlowTest.h"

#include <gtest/gtest.h>

namespace
{
class SetupWindowTest : public testing::Test
{
protected:
    void SetUp() override { bench::ForgetInstall(); }

    SetupDriver setup;
};

class SetupWindowLocaleTest : public SetupWindowTest, public testing::WithParamInterface<Locale>
{
};

TEST_P(SetupWindowLocaleTest, TheStartPageAloneShowsInACentredFrameWithACloseBoxOnly)
{
    setup.SetLocale(GetParam().locale);
    ASSERT_TRUE(setup.Start());
    EXPECT_EQ("ほしかげ セットアップ 修正版", probe::Text(setup.Frame()));
    LONG style = GetWindowLongA(setup.Frame(), GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    RECT frame;
    GetWindowRect(setup.Frame(), &frame);
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((work.left + work.right) / 2, (frame.left + frame.right) / 2, 2);
    EXPECT_NEAR((work.top + work.bottom) / 2, (frame.top + frame.bottom) / 2, 2);

    EXPECT_EQ("起動", setup.Text(IDC_LAUNCH));
    EXPECT_EQ("インストール", setup.Text(IDC_INSTALL));
    EXPECT_EQ("終了", setup.Text(IDC_EXIT));
    for (int id : {IDC_LAUNCH, IDC_INSTALL, IDC_EXIT})
        EXPECT_TRUE(setup.IsVisible(id)) << id;
    EXPECT_FALSE(setup.IsVisible(IDC_FOLDER));
    EXPECT_FALSE(setup.IsVisible(IDC_ABORT));
    // Controls without an id hold 0xFFFF, the 16-bit form of -1.
    HWND picture = GetDlgItem(setup.Page(IDC_LAUNCH), 0xFFFF);
    ASSERT_NE(nullptr, picture);
    EXPECT_EQ(SS_BITMAP, GetWindowLongA(picture, GWL_STYLE) & SS_TYPEMASK);
    DWORD_PTR bitmap = 0;
    SendMessageTimeoutA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0, SMTO_ABORTIFHUNG, 5000, &bitmap);
    EXPECT_NE(0u, bitmap) << "the picture holds no bitmap";

    // The pages are stacked at the frame's origin and fill its client area.
    RECT client;
    GetClientRect(setup.Frame(), &client);
    for (int id : {IDC_LAUNCH, IDC_FOLDER, IDC_ABORT})
    {
        HWND page = setup.Page(id);
        ASSERT_NE(nullptr, page) << id;
        RECT rect;
        GetWindowRect(page, &rect);
        POINT origin = {rect.left, rect.top};
        ScreenToClient(setup.Frame(), &origin);
        EXPECT_EQ(0, origin.x);
        EXPECT_EQ(0, origin.y);
        EXPECT_EQ(client.right, rect.right - rect.left);
        EXPECT_EQ(client.bottom, rect.bottom - rect.top);
    }
    setup.Close();
}

INSTANTIATE_TEST_SUITE_P(Locales, SetupWindowLocaleTest, testing::ValuesIn(Locales), table::RowName());

TEST_F(SetupWindowTest, EscTheCloseBoxAndExitEachEndTheProgram)
{
    for (int way = 0; way < 3; ++way)
    {
        ASSERT_TRUE(setup.Start());
        HWND button = setup.Control(IDC_EXIT);
        if (way == 0)
        {
            PostMessageA(button, WM_KEYDOWN, VK_ESCAPE, 0);
            PostMessageA(button, WM_KEYUP, VK_ESCAPE, 0);
        }
        else if (way == 1)
            PostMessageA(setup.Frame(), WM_SYSCOMMAND, SC_CLOSE, 0);
        else
            setup.Click(IDC_EXIT);
        setup.ExpectCleanExit();
    }
}

TEST_F(SetupWindowTest, OtherCommandsToTheFrameChangeNothing)
{
    ASSERT_TRUE(setup.Start());
    for (int id : {IDOK, IDC_INSTALL, IDC_LAUNCH, IDC_EXIT, IDC_START, IDC_ABORT})
    {
        DWORD_PTR result = 0;
        ASSERT_TRUE(SendMessageTimeoutA(setup.Frame(), WM_COMMAND, id, 0, SMTO_ABORTIFHUNG, 5000, &result));
        EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(setup.Process(), 200)) << "ended on command " << id;
        EXPECT_TRUE(setup.IsVisible(IDC_LAUNCH)) << id;
        EXPECT_FALSE(setup.IsVisible(IDC_FOLDER)) << id;
        setup.ExpectIdle();
    }
    setup.Close();
}
} // namespace
