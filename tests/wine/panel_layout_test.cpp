// The real panel window, built in this process, against its layout tables.

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "kelt_version.h"
#include "built_panel.h"
#include "panel/control_ids.h"
#include "panel/win/main_panel.h"
#include "panel/panel_layout.h"
#include "panel_fixture.h"
#include "platform/win/text.h"

namespace kelt {
namespace {

using platform::AnsiToWide;
using test::ClassNameOf;
using test::Lower;
using test::WindowText;

class PanelLayout : public test::BuiltPanel {
protected:
    RECT DialogUnits(int x, int y, int w, int h) const { return test::DialogUnits(panel_, x, y, w, h); }
};

TEST_F(PanelLayout, DialogFrameCaptionStyleAndClientSize) {
    EXPECT_EQ(WindowText(panel_), test::kPanelCaption + L"         Ver.:  " + platform::AnsiToWide(KELT_PANEL_VERSION));
    EXPECT_EQ(WindowText(panel_).size(), 73u);
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(panel_, GWL_STYLE));
    EXPECT_EQ(style & ~static_cast<DWORD>(WS_VISIBLE), 0x94CA10D4u & ~static_cast<DWORD>(WS_VISIBLE));
    EXPECT_FALSE(IsWindowVisible(panel_)) << "shown only after the initialisation";
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(panel_, GWL_EXSTYLE)) & 0x50000u, 0x50000u);
    EXPECT_EQ(GetParent(panel_), nullptr);

    // The menu bar comes off the 615 x 233 client area; the outer size stays.
    RECT client;
    GetClientRect(panel_, &client);
    const RECT full = DialogUnits(0, 0, 615, 233);
    MENUBARINFO bar{};
    bar.cbSize = sizeof bar;
    ASSERT_TRUE(GetMenuBarInfo(panel_, OBJID_MENU, 0, &bar));
    EXPECT_EQ(client.right, full.right);
    EXPECT_NEAR(client.bottom + (bar.rcBar.bottom - bar.rcBar.top), full.bottom, 1);
    EXPECT_NE(SendMessageW(panel_, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageW(panel_, WM_GETICON, ICON_SMALL, 0), 0);
}

TEST_F(PanelLayout, EveryControlInCreationOrderWithClassStyleTextAndRectangle) {
    const auto children = test::ChildrenInOrder(panel_);
    const auto controls = MainPanelControls();
    ASSERT_EQ(children.size(), 69u);
    ASSERT_EQ(controls.size(), 69u);
    for (size_t i = 0; i < controls.size(); ++i) {
        const ControlSpec& control = controls[i];
        SCOPED_TRACE(std::string(control.name));
        HWND child = children[i];
        EXPECT_EQ(GetDlgCtrlID(child), control.id);
        EXPECT_EQ(Lower(ClassNameOf(child)), Lower(control.kind->className));
        // Auto radio buttons gain or lose WS_TABSTOP as they are checked.
        DWORD style = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE));
        DWORD expected = control.kind->style;
        if (std::string_view(control.kind->code) == "R") {
            style &= ~static_cast<DWORD>(WS_TABSTOP);
            expected &= ~static_cast<DWORD>(WS_TABSTOP);
        }
        EXPECT_EQ(style, expected) << std::hex << style << " vs " << expected;
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(child, GWL_EXSTYLE)) & ~WS_EX_NOPARENTNOTIFY,
                  control.kind->exStyle);
        if (std::string_view(control.kind->code) != "I") {
            EXPECT_EQ(WindowText(child), AnsiToWide(control.text));
        }
        const RECT expectedRect = DialogUnits(control.x, control.y, control.w, control.h);
        const RECT actual = test::RectInParent(child);
        EXPECT_EQ(actual.left, expectedRect.left);
        EXPECT_EQ(actual.top, expectedRect.top);
        EXPECT_EQ(actual.right, expectedRect.right);
        EXPECT_EQ(actual.bottom, expectedRect.bottom);
    }
    EXPECT_EQ(GetDlgItem(panel_, 1004), nullptr) << "the unit options skip 1004";
}

TEST_F(PanelLayout, PanelFontsAndDialogFont) {
    HDC dc = GetDC(panel_);
    const LONG tenPoints = -(GetDeviceCaps(dc, LOGPIXELSY) * 10 / 72);
    ReleaseDC(panel_, dc);
    for (const ControlSpec& control : MainPanelControls()) {
        SCOPED_TRACE(std::string(control.name));
        // Sliders, rules and the picture show no text and keep no font.
        const std::string_view code = control.kind->code;
        if (code == "S" || code == "H" || code == "I") continue;
        auto font = reinterpret_cast<HFONT>(SendMessageW(GetDlgItem(panel_, control.id), WM_GETFONT, 0, 0));
        ASSERT_NE(font, nullptr);
        LOGFONTW log{};
        GetObjectW(font, sizeof log, &log);
        EXPECT_STREQ(log.lfFaceName, L"MS Sans Serif");
        if (control.font == PanelFont::Dialog) {
            // Wine builds a template's font with the default character set,
            // so only face and identity are checked for the dialog font.
            EXPECT_EQ(font, reinterpret_cast<HFONT>(SendMessageW(panel_, WM_GETFONT, 0, 0)));
            continue;
        }
        EXPECT_EQ(log.lfCharSet, ANSI_CHARSET);
        EXPECT_EQ(log.lfHeight, tenPoints);
        EXPECT_EQ(log.lfWeight, control.font == PanelFont::Normal ? FW_NORMAL : FW_BOLD);
        EXPECT_EQ(log.lfItalic != 0, control.font == PanelFont::Heading);
    }
    const int fontedControls = static_cast<int>(std::count_if(
        MainPanelControls().begin(), MainPanelControls().end(),
        [](const ControlSpec& control) { return control.font != PanelFont::Dialog; }));
    EXPECT_EQ(fontedControls, 20);
}

TEST_F(PanelLayout, MenuBarFileAndCommPort) {
    HMENU bar = GetMenu(panel_);
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(GetMenuItemCount(bar), 2);
    wchar_t text[64];
    GetMenuStringW(bar, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"File");
    GetMenuStringW(bar, 1, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"Comm Port");
    EXPECT_EQ(GetMenuItemID(bar, 1), static_cast<UINT>(id::MenuCommPort));
    EXPECT_EQ(GetSubMenu(bar, 1), nullptr);

    HMENU file = GetSubMenu(bar, 0);
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(GetMenuItemCount(file), 3);
    GetMenuStringW(file, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"Open File");
    EXPECT_EQ(GetMenuItemID(file, 0), static_cast<UINT>(id::MenuOpenFile));
    GetMenuStringW(file, 1, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"Save File");
    EXPECT_EQ(GetMenuItemID(file, 1), static_cast<UINT>(id::MenuSaveFile));
    EXPECT_TRUE(GetMenuState(file, 2, MF_BYPOSITION) & MF_SEPARATOR);
    for (int i = 0; i < 2; ++i)
        EXPECT_FALSE(GetMenuState(file, static_cast<UINT>(i), MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED));
}

TEST_F(PanelLayout, SliderRangesFeetCheckedAllEnabled) {
    const std::pair<int, std::pair<int, int>> ranges[] = {
        {id::FreqSlider, {2, 10000}},       {id::WidthSlider, {10, 10000}},
        {id::BottomDepthSlider, {5, 5000}}, {id::BottomLevelSlider, {0, 255}},
        {id::FishDepthSlider, {5, 5000}},   {id::FishLevelSlider, {0, 255}},
        {id::OnPulsesSlider, {0, 50}},      {id::OffPulsesSlider, {0, 50}}};
    for (const auto& [sliderId, range] : ranges) {
        HWND slider = GetDlgItem(panel_, sliderId);
        EXPECT_EQ(SendMessageW(slider, TBM_GETRANGEMIN, 0, 0), range.first) << sliderId;
        EXPECT_EQ(SendMessageW(slider, TBM_GETRANGEMAX, 0, 0), range.second) << sliderId;
    }
    EXPECT_EQ(IsDlgButtonChecked(panel_, id::FeetOption), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(panel_, id::FathomsOption), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(panel_, id::MetersOption), BST_UNCHECKED);
    for (HWND child : test::ChildrenInOrder(panel_)) EXPECT_TRUE(IsWindowEnabled(child));
}

TEST_F(PanelLayout, TabMovesOnlyBetweenEnabledSettingBoxesInCreationOrder) {
    const int order[] = {id::FreqSetEdit,   id::WidthSetEdit,  id::BottomDepthEdit,
                         id::BottomLevelEdit, id::FishLevelEdit, id::OnPulsesEdit,
                         id::OffPulsesEdit, id::FishDepthEdit};
    HWND at = GetDlgItem(panel_, id::FreqSetEdit);
    for (size_t i = 1; i <= std::size(order); ++i) {
        at = GetNextDlgTabItem(panel_, at, FALSE);
        EXPECT_EQ(GetDlgCtrlID(at), order[i % std::size(order)]) << "after step " << i;
    }
    EnableWindow(GetDlgItem(panel_, id::WidthSetEdit), FALSE);
    EXPECT_EQ(GetDlgCtrlID(GetNextDlgTabItem(panel_, GetDlgItem(panel_, id::FreqSetEdit), FALSE)),
              id::BottomDepthEdit);
}

TEST_F(PanelLayout, FrontPlatePictureFillsItsControl) {
    HWND picture = GetDlgItem(panel_, id::PanelPicture);
    auto bitmap = reinterpret_cast<HBITMAP>(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
    ASSERT_NE(bitmap, nullptr);
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    RECT client;
    GetClientRect(picture, &client);
    EXPECT_EQ(info.bmWidth, client.right);
    EXPECT_EQ(info.bmHeight, client.bottom);
}

// Wine's GetGuiResources counts nothing, so the picture's handles are
// watched instead: what STM_SETIMAGE hands back during the build is the
// control's own copy of bitmap 115, and it must not outlive the build.
HBITMAP gReplacedPicture = nullptr;

LRESULT CALLBACK WatchPictureReplacement(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == STM_SETIMAGE &&
        GetDlgCtrlID(sent->hwnd) == id::PanelPicture)
        gReplacedPicture = reinterpret_cast<HBITMAP>(sent->lResult);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(PanelPicture, TheControlsOwnCopyIsReleasedAndOursAtTeardown) {
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROCRET, WatchPictureReplacement, nullptr,
                                   GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    PanelState state;
    auto resources = std::make_unique<PanelResources>();
    HWND panel = CreateMainPanel(GetModuleHandleW(nullptr), nullptr, state, *resources);
    UnhookWindowsHookEx(hook);
    ASSERT_NE(panel, nullptr);
    ASSERT_NE(gReplacedPicture, nullptr) << "the control loaded bitmap 115 from its text";
    EXPECT_EQ(GetObjectType(gReplacedPicture), 0u) << "the control's copy leaked";
    const HBITMAP shown = resources->picture.get();
    EXPECT_EQ(reinterpret_cast<HBITMAP>(SendMessageW(GetDlgItem(panel, id::PanelPicture), STM_GETIMAGE,
                                                     IMAGE_BITMAP, 0)),
              shown);
    DestroyWindow(panel);
    resources.reset();
    EXPECT_EQ(GetObjectType(shown), 0u) << "the shown picture goes with the panel's resources";
}

}  // namespace
}  // namespace kelt
