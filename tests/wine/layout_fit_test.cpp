// Every window of both programs, built in this process at the screen's
// resolution: each control inside its window, each text it shows within the
// control, each picture filling its control. Run at 96 DPI with the rest of
// the suite and at 144 DPI (a 150 % laptop screen) by high-dpi-tests.sh,
// which also keeps the pictures of the windows.

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "panel/win/port_dialog.h"
#include "panel/win/panel_port.h"
#include "panel/win/updating_window.h"
#include "panel/win/main_panel.h"
#include "terminal/win/port_prompt.h"
#include "terminal/terminal_rules.h"
#include "terminal/win/terminal_state.h"
#include "panel_fixture.h"
#include "terminal/win/terminal_window.h"
#include "terminal_fixture.h"

namespace kelt {
namespace {

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// The size the control's text takes in the control's own font: word-wrapped
// to the control's width for labels, on one line for buttons.
SIZE TextExtent(HWND control, UINT format, int width) {
    const std::wstring text = test::WindowText(control);
    HDC dc = GetDC(control);
    auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    HGDIOBJ old = SelectObject(dc, font != nullptr ? font : GetStockObject(SYSTEM_FONT));
    RECT r{0, 0, width, 0};
    DrawTextW(dc, text.c_str(), -1, &r, format | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return {r.right, r.bottom};
}

// The metrics of the control's own font.
TEXTMETRICW FontMetrics(HWND control) {
    HDC dc = GetDC(control);
    auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    HGDIOBJ old = SelectObject(dc, font != nullptr ? font : GetStockObject(SYSTEM_FONT));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return metrics;
}

// The height the font's letters take: the leading above the capitals of a
// font is room for accents, which an ASCII text never draws.
int InkHeight(HWND control) {
    const TEXTMETRICW metrics = FontMetrics(control);
    return metrics.tmHeight - metrics.tmInternalLeading;
}

int FontHeight(HWND control) { return FontMetrics(control).tmHeight; }

std::string Describe(HWND control) {
    std::ostringstream out;
    const std::wstring text = test::WindowText(control);
    out << "control " << GetDlgCtrlID(control) << " '" << std::string(text.begin(), text.end()) << "'";
    return out.str();
}

// What does not fit in one window, one line each (empty when all fits).
std::vector<std::string> LayoutProblems(HWND window) {
    std::vector<std::string> problems;
    RECT client;
    GetClientRect(window, &client);
    for (HWND child : test::ChildrenInOrder(window)) {
        const RECT r = test::RectInParent(child);
        const int width = r.right - r.left;
        const int height = r.bottom - r.top;
        if (r.left < 0 || r.top < 0 || r.right > client.right || r.bottom > client.bottom)
            problems.push_back(Describe(child) + " lies outside its window");
        const std::wstring kind = test::ClassNameOf(child);
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE));
        if (_wcsicmp(kind.c_str(), L"Static") == 0) {
            const DWORD type = style & SS_TYPEMASK;
            if (type == SS_BITMAP) {
                auto bitmap = reinterpret_cast<HBITMAP>(SendMessageW(child, STM_GETIMAGE, IMAGE_BITMAP, 0));
                BITMAP info{};
                RECT inner;
                GetClientRect(child, &inner);
                if (bitmap == nullptr || GetObjectW(bitmap, sizeof info, &info) == 0 ||
                    info.bmWidth != inner.right || info.bmHeight != inner.bottom)
                    problems.push_back(Describe(child) + " is not filled by its picture");
                continue;
            }
            if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT) continue;  // rules show no text
            const SIZE need = TextExtent(child, DT_WORDBREAK | DT_EXPANDTABS, width);
            const int leading = FontHeight(child) - InkHeight(child);
            if (need.cx > width || need.cy - leading > height)
                problems.push_back(Describe(child) + " needs " + std::to_string(need.cx) + " x " +
                                   std::to_string(need.cy) + " px, has " + std::to_string(width) +
                                   " x " + std::to_string(height));
        } else if (_wcsicmp(kind.c_str(), L"Button") == 0) {
            const DWORD type = style & BS_TYPEMASK;
            if (type == BS_GROUPBOX) continue;
            const bool box = type == BS_AUTOCHECKBOX || type == BS_CHECKBOX || type == BS_AUTORADIOBUTTON ||
                             type == BS_RADIOBUTTON;
            // A check box or option draws its box, and a gap, beside the text.
            const int room = box ? width - GetSystemMetrics(SM_CXMENUCHECK) - GetSystemMetrics(SM_CXEDGE) * 2
                                 : width - GetSystemMetrics(SM_CXEDGE) * 4;
            const SIZE need = TextExtent(child, DT_SINGLELINE, 0);
            if (need.cx > room || InkHeight(child) > height)
                problems.push_back(Describe(child) + " needs " + std::to_string(need.cx) + " x " +
                                   std::to_string(need.cy) + " px of text, has " + std::to_string(room) +
                                   " x " + std::to_string(height));
        } else if (_wcsicmp(kind.c_str(), L"Edit") == 0) {
            RECT inner;
            GetClientRect(child, &inner);
            if (FontHeight(child) > inner.bottom)
                problems.push_back(Describe(child) + " is lower than its font");
        }
    }
    return problems;
}

void ExpectFits(HWND window, const std::wstring& pictureName) {
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOWNA);
    UpdateWindow(window);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    for (const std::string& problem : LayoutProblems(window)) ADD_FAILURE() << problem;
    const std::wstring folder = test::BuildPath(L"screenshots\\dpi-") + std::to_wstring(ScreenDpi());
    CreateDirectoryW(test::BuildPath(L"screenshots").c_str(), nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
    test::SaveScreen(folder + L"\\" + pictureName + L".bmp");
}

class LayoutFits : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof controls, 0x9FF};
        InitCommonControlsEx(&controls);
        // high-dpi-tests.sh says which resolution it set up.
        if (const char* expected = std::getenv("KELT_EXPECT_DPI")) {
            ASSERT_EQ(ScreenDpi(), std::atoi(expected)) << "the prefix is not at the asked resolution";
        }
    }
};

// The panel ends its thread's message loop when it goes; the next window
// of this test program must not find that quit waiting.
void DestroyPanel(HWND panel) {
    DestroyWindow(panel);
    MSG quit;
    PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

TEST_F(LayoutFits, ThePanel) {
    PanelState state;
    PanelResources resources;
    HWND panel = CreateMainPanel(GetModuleHandleW(nullptr), nullptr, state, resources);
    ExpectFits(panel, L"panel");
    DestroyPanel(panel);
}

TEST_F(LayoutFits, TheUpdatingSplash) {
    PanelState state;
    PanelResources resources;
    HWND panel = CreateMainPanel(GetModuleHandleW(nullptr), nullptr, state, resources);
    ShowWindow(panel, SW_SHOWNA);
    {
        UpdatingWindow splash(panel);
        splash.SetProgress(50);
        ExpectFits(splash.window(), L"splash");
    }
    DestroyPanel(panel);
}

// The modal dialogs are looked at from inside their own loop.
HWND gDialog = nullptr;
std::wstring gCaption;

void CALLBACK LookAtTheDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    gDialog = FindWindowW(nullptr, gCaption.c_str());
    if (gDialog == nullptr) return;
    const bool portDialog = gCaption == test::kPortDialogCaption;
    ExpectFits(gDialog, portDialog ? L"port-dialog" : L"port-prompt");
    PostMessageW(gDialog, WM_COMMAND, MAKEWPARAM(portDialog ? 1121 : IDCANCEL, 0),
                 reinterpret_cast<LPARAM>(GetDlgItem(gDialog, 1121)));
}

TEST_F(LayoutFits, ThePortDialog) {
    PanelState state;
    PanelResources resources;
    HWND panel = CreateMainPanel(GetModuleHandleW(nullptr), nullptr, state, resources);
    ShowWindow(panel, SW_SHOWNA);
    Port port;
    state.portReselect = true;  // the menu's dialog: every port listed, CANCEL returns
    state.commPortText = "15";
    gCaption = test::kPortDialogCaption;
    gDialog = nullptr;
    SetTimer(nullptr, 0, 300, LookAtTheDialog);
    PortSelectDialog(panel, state, port);
    EXPECT_NE(gDialog, nullptr) << "the dialog was never seen";
    DestroyPanel(panel);
}

TEST_F(LayoutFits, TheTerminalsPrompt) {
    gCaption = test::kPortPromptCaption;
    gDialog = nullptr;
    SetTimer(nullptr, 0, 300, LookAtTheDialog);
    term::AskForPort();
    EXPECT_NE(gDialog, nullptr) << "the prompt was never seen";
}

TEST_F(LayoutFits, TheTerminalWindow) {
    term::TerminalState state;
    HWND window = term::BuildTerminalWindow(state, term::WindowCaption("3"));
    ExpectFits(window, L"terminal");
    DestroyWindow(window);
}

}  // namespace
}  // namespace kelt
