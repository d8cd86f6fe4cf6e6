// The delivered panel program as a user starts and ends it.

#include <windows.h>
#include <gtest/gtest.h>

#include "wine_harness.h"

namespace kelt {
namespace {

using namespace std::chrono_literals;

const wchar_t kPanelCaption[] = L"Quillion Maritime Corp.        KELT-9R Control Panel";

TEST(PanelProgram, StartsVisibleAndTheCloseBoxEndsItWithExitCodeZero) {
    test::Simulator instrument(15, L"--rate 0");
    ASSERT_TRUE(instrument.ready());
    const std::wstring folder = test::FreshFolder(L"panel-close-box");
    test::RunningProgram panel(test::BuildPath(L"keltpanel.exe"), folder);
    ASSERT_TRUE(panel.started());
    HWND window = test::WaitForWindow(panel.pid(), kPanelCaption, 20s);
    ASSERT_NE(window, nullptr) << "the panel never became visible";
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(panel.WaitExit(10s), 0u);
}

}  // namespace
}  // namespace kelt
