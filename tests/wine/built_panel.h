#pragma once
// The real panel window built in this test program, hidden as it is built,
// for the tests of its layout and of the windows that sit on it.

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "panel/win/main_panel.h"

namespace kelt::test {

class BuiltPanel : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof controls, 0x9FF};
        InitCommonControlsEx(&controls);
        panel_ = CreateMainPanel(GetModuleHandleW(nullptr), nullptr, state_, resources_);
        ASSERT_NE(panel_, nullptr);
    }
    void TearDown() override {
        if (IsWindow(panel_)) DestroyWindow(panel_);
    }

    PanelState state_;
    PanelResources resources_;
    HWND panel_ = nullptr;
};

}  // namespace kelt::test
