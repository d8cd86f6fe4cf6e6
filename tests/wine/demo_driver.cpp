// Drives a running panel through a short bench session for the demo run:
// a few slider moves and typed values, a screenshot after each step, then
// Quit with the settings saved. Usage: demo_driver.exe OUTPUT_FOLDER

#include <windows.h>
#include <commctrl.h>

#include <cstdio>

#include "panel/control_ids.h"
#include "wine_harness.h"

using namespace std::chrono_literals;

namespace {

void Key(HWND control, WPARAM key, int times) {
    for (int i = 0; i < times; ++i) {
        PostMessageW(control, WM_KEYDOWN, key, 1);
        PostMessageW(control, WM_KEYUP, key, 0xC0000001);
        Sleep(60);
    }
}

void TypeAndEnter(HWND panel, int id, const wchar_t* text) {
    HWND box = GetDlgItem(panel, id);
    PostMessageW(panel, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(box), TRUE);
    Sleep(150);
    SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    Key(box, VK_RETURN, 1);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring out = argc > 1 ? argv[1] : L".";
    HWND panel = nullptr;
    kelt::test::WaitUntil([&] {
        for (panel = GetTopWindow(nullptr); panel != nullptr; panel = GetWindow(panel, GW_HWNDNEXT))
            if (IsWindowVisible(panel) &&
                kelt::test::WindowText(panel).rfind(L"Quillion Maritime Corp.", 0) == 0)
                return true;
        return false;
    }, 60s);
    if (panel == nullptr) {
        std::fprintf(stderr, "demo: the panel never appeared\n");
        return 1;
    }
    Sleep(2000);  // the first measurement lines
    kelt::test::SaveScreen(out + L"\\1-started.bmp");

    HWND level = GetDlgItem(panel, kelt::id::BottomLevelSlider);
    PostMessageW(panel, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(level), TRUE);
    Key(level, VK_UP, 10);
    HWND depth = GetDlgItem(panel, kelt::id::BottomDepthSlider);
    PostMessageW(panel, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(depth), TRUE);
    Key(depth, VK_NEXT, 3);
    Sleep(500);
    kelt::test::SaveScreen(out + L"\\2-sliders.bmp");

    PostMessageW(GetDlgItem(panel, kelt::id::FishEchoCheck), BM_CLICK, 0, 0);
    Sleep(300);
    TypeAndEnter(panel, kelt::id::OnPulsesEdit, L"3");
    TypeAndEnter(panel, kelt::id::OffPulsesEdit, L"2");
    TypeAndEnter(panel, kelt::id::FishDepthEdit, L"12.5");
    TypeAndEnter(panel, kelt::id::BottomDepthEdit, L"45");
    Sleep(1500);
    kelt::test::SaveScreen(out + L"\\3-fish-echo.bmp");

    PostMessageW(GetDlgItem(panel, kelt::id::QuitButton), BM_CLICK, 0, 0);
    kelt::test::WaitUntil([&] { return !IsWindow(panel); }, 10s);
    std::printf("demo: session done\n");
    return 0;
}
