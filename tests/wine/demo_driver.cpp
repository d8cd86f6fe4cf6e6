// Drives a running panel through a short bench session for the demo run:
// a few slider moves and typed values, a screenshot after each step, then
// Quit with the settings saved. Usage: demo_driver.exe OUTPUT_FOLDER

#include <windows.h>

#include <cstdio>

#include "panel/control_ids.h"
#include "panel_fixture.h"

using namespace std::chrono_literals;
namespace id = kelt::id;
namespace test = kelt::test;

namespace {

// A picture of the screen once the panel has drawn what it shows.
void Screenshot(HWND panel, const std::wstring& path) {
    test::WaitForPainting(panel);
    test::SaveScreen(path);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring out = argc > 1 ? argv[1] : L".";
    HWND panel = test::WaitForWindow(0, test::kPanelCaption, 60s);
    if (panel == nullptr) {
        std::fprintf(stderr, "demo: the panel never appeared\n");
        return 1;
    }
    // The first measurement line replaces the box's start-up text.
    const std::wstring startText = test::ItemText(panel, id::MeasFreqBox);
    test::WaitUntil([&] { return test::ItemText(panel, id::MeasFreqBox) != startText; }, 10s);
    Screenshot(panel, out + L"\\1-started.bmp");

    test::FocusControl(panel, id::BottomLevelSlider);
    test::PressKey(GetDlgItem(panel, id::BottomLevelSlider), VK_UP, 10);
    test::FocusControl(panel, id::BottomDepthSlider);
    test::PressKey(GetDlgItem(panel, id::BottomDepthSlider), VK_NEXT, 3);
    // The focus moves on once the keys before it are handled.
    test::FocusControl(panel, id::BottomDepthEdit);
    Screenshot(panel, out + L"\\2-sliders.bmp");

    test::Click(panel, id::FishEchoCheck);
    test::TypeAndEnter(panel, id::OnPulsesEdit, L"3");
    test::TypeAndEnter(panel, id::OffPulsesEdit, L"2");
    test::TypeAndEnter(panel, id::FishDepthEdit, L"12.5");
    test::TypeAndEnter(panel, id::BottomDepthEdit, L"45");
    test::FocusControl(panel, id::FishDepthEdit);
    Screenshot(panel, out + L"\\3-fish-echo.bmp");

    test::Click(panel, id::QuitButton);
    test::WaitUntil([&] { return !IsWindow(panel); }, 10s);
    std::printf("demo: session done\n");
    return 0;
}
