// The delivered panel program as a user starts and ends it.

#include <windows.h>
#include <gtest/gtest.h>

#include "panel_fixture.h"

namespace kelt {
namespace {

TEST(PanelProgram, StartsVisibleAndTheCloseBoxEndsItWithExitCodeZero) {
    test::PanelUnderTest panel(L"panel-close-box");
    ASSERT_TRUE(panel.sim.ready());
    ASSERT_TRUE(panel.Launch());
    ASSERT_TRUE(panel.WaitForWindow(std::chrono::seconds(20))) << "the panel never became visible";
    EXPECT_EQ(panel.Close(), 0u);
}

}  // namespace
}  // namespace kelt
