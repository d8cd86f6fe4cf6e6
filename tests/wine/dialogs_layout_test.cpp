// The "Updating" splash and its timing, built on a real panel in this process.

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <chrono>

#include "link/commands.h"
#include "panel/control_ids.h"
#include "panel/main_panel.h"
#include "panel/panel_win32.h"
#include "wine_harness.h"

namespace kelt {
namespace {

class SleepingLink : public Link {
public:
    void Send(const std::string&) override {}
    void Pause(int milliseconds) override { Sleep(static_cast<DWORD>(milliseconds)); }
};

class UpdatingSplash : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof controls, 0x9FF};
        InitCommonControlsEx(&controls);
        panel_ = CreateMainPanel(GetModuleHandleW(nullptr), nullptr, state_, resources_);
        ASSERT_NE(panel_, nullptr);
        ShowWindow(panel_, SW_SHOW);
    }
    void TearDown() override { DestroyWindow(panel_); }

    PanelState state_;
    PanelResources resources_;
    HWND panel_ = nullptr;
};

TEST_F(UpdatingSplash, SitsOnThePanelWithPictureAndBarForThreeSeconds) {
    UpdatingWindow splash(panel_, state_);
    HWND window = splash.window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(GetWindow(window, GW_OWNER), panel_);
    EXPECT_EQ(test::WindowText(window), L"Dialog3");
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    EXPECT_EQ(style & ~static_cast<DWORD>(DS_MODALFRAME),
              static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_BORDER | DS_SETFONT |
                                 DS_NOFAILCREATE | DS_3DLOOK));
    EXPECT_TRUE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);

    // Placed in dialog units from the panel's client area.
    RECT expected{137, 55, 137 + 111, 55 + 60};
    MapDialogRect(window, &expected);
    POINT origin{0, 0};
    ClientToScreen(panel_, &origin);
    RECT outer;
    GetWindowRect(window, &outer);
    // Windows and Wine round dialog units to pixels a little differently.
    EXPECT_NEAR(outer.left - origin.x, expected.left, 1);
    EXPECT_NEAR(outer.top - origin.y, expected.top, 1);

    HWND image = GetDlgItem(window, id::UpdatingImage);
    HWND bar = GetDlgItem(window, id::UpdatingProgressBar);
    ASSERT_NE(image, nullptr);
    ASSERT_NE(bar, nullptr);
    EXPECT_NE(SendMessageW(image, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
    EXPECT_EQ(test::WindowText(bar), L"ProgressBar1");
    EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, TRUE, 0), 0);
    EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 90);
    RECT barRect{0, 50, 110, 60};
    MapDialogRect(window, &barRect);
    RECT actual;
    GetWindowRect(bar, &actual);
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_EQ(actual.top, barRect.top);
    EXPECT_EQ(actual.right - actual.left, barRect.right - barRect.left);
    splash.SetProgress(110);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 90) << "full from 90 on";
}

TEST_F(UpdatingSplash, TwelveStepsTakeThreeSeconds) {
    Win32PanelView view(panel_, state_);
    SleepingLink link;
    const auto start = std::chrono::steady_clock::now();
    UpdatingDialog(view, link);
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(took, 3000);
    EXPECT_LT(took, 3150) << "creating and painting the splash must not add to the wait";
}

}  // namespace
}  // namespace kelt
