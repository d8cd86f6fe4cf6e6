// The "Updating" splash and its timing, built on a real panel in this process.

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <vector>

#include "built_panel.h"
#include "panel/upload.h"
#include "panel/control_ids.h"
#include "panel/win/main_panel.h"
#include "panel/win/panel_view.h"
#include "platform/win/sleep.h"
#include "wine_harness.h"

namespace kelt {
namespace {

// The real clock and the real sleep, no line.
class SleepingLink : public Link {
public:
    void Send(const std::string&) override {}
    Clock::time_point Now() override { return Clock::now(); }
    void SleepUntil(Clock::time_point deadline) override { platform::SleepUntil(deadline); }
};

class UpdatingSplash : public test::BuiltPanel {
protected:
    void SetUp() override {
        BuiltPanel::SetUp();
        ShowWindow(panel_, SW_SHOW);
    }
};

TEST_F(UpdatingSplash, SitsOnThePanelWithPictureAndBarForThreeSeconds) {
    UpdatingWindow splash(panel_);
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

// The real splash, with the moment each of its steps is shown and the
// moment it is gone.
class TimedView : public Win32PanelView {
public:
    using Win32PanelView::Win32PanelView;
    void SetUpdatingProgress(int position) override {
        Win32PanelView::SetUpdatingProgress(position);
        shown.push_back(std::chrono::steady_clock::now());
    }
    void CloseUpdating() override {
        Win32PanelView::CloseUpdating();
        closed = std::chrono::steady_clock::now();
    }
    std::vector<std::chrono::steady_clock::time_point> shown;
    std::chrono::steady_clock::time_point closed;
};

TEST_F(UpdatingSplash, StepsKeepTheirDeadlinesSoPaintingTakesNothingExtra) {
    TimedView view(panel_);
    SleepingLink link;
    const auto start = std::chrono::steady_clock::now();
    UpdatingDialog(view, link, start);
    using ms = std::chrono::duration<double, std::milli>;
    ASSERT_EQ(view.shown.size(), 13u) << "position 0 once more, then the 12 steps";
    // Step k (k = 1..12) is shown when step k-1's 250 ms are over: never
    // sooner, and late only by the time one step takes to paint.
    for (size_t k = 2; k < view.shown.size(); ++k) {
        const double at = ms(view.shown[k] - start).count();
        EXPECT_GE(at, 250.0 * static_cast<double>(k - 1)) << "step " << k;
        EXPECT_LT(at, 250.0 * static_cast<double>(k - 1) + 80) << "step " << k;
    }
    const double gone = ms(view.closed - start).count();
    EXPECT_GE(gone, 2980.0) << "the last step shows for most of its 250 ms";
    EXPECT_LE(gone, 3000.0 + 80) << "taken down within the 3 s, whatever the painting took";
    std::printf("splash: last step shown at %.1f ms, gone at %.1f ms\n",
                ms(view.shown.back() - start).count(), gone);
}

}  // namespace
}  // namespace kelt
