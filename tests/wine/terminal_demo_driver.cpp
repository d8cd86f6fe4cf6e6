// Drives a running terminal through a short session for the demo run: the
// port prompt answered, two lines sent, the answers watched, a screenshot,
// then Quit. Usage: terminal_demo_driver.exe PORT OUTPUT_FOLDER

#include <windows.h>

#include <cstdio>
#include <string>

#include "wine_harness.h"

using namespace std::chrono_literals;

namespace {

constexpr int kPromptEdit = 100;
constexpr int kSendTextEdit = 102;
constexpr int kSendTextButton = 103;
constexpr int kQuitButton = 106;

HWND FindTopWindow(const std::wstring& captionStart) {
    HWND found = nullptr;
    kelt::test::WaitUntil([&] {
        for (found = GetTopWindow(nullptr); found != nullptr; found = GetWindow(found, GW_HWNDNEXT))
            if (IsWindowVisible(found) && kelt::test::WindowText(found).rfind(captionStart, 0) == 0)
                return true;
        return false;
    }, 60s);
    return found;
}

void Send(HWND window, const wchar_t* text) {
    SendMessageW(GetDlgItem(window, kSendTextEdit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    PostMessageW(GetDlgItem(window, kSendTextButton), BM_CLICK, 0, 0);
    Sleep(700);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring port = argc > 1 ? argv[1] : L"1";
    const std::wstring out = argc > 2 ? argv[2] : L".";
    HWND prompt = FindTopWindow(L"Choose your active COM port");
    if (prompt == nullptr) {
        std::fprintf(stderr, "demo: the port prompt never appeared\n");
        return 1;
    }
    kelt::test::SaveScreen(out + L"\\1-prompt.bmp");
    SendMessageW(GetDlgItem(prompt, kPromptEdit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(port.c_str()));
    PostMessageW(GetDlgItem(prompt, IDOK), BM_CLICK, 0, 0);
    HWND window = FindTopWindow(L"QMC KELT-9R Terminal Program.");
    if (window == nullptr) {
        std::fprintf(stderr, "demo: the terminal window never appeared\n");
        return 1;
    }
    Send(window, L"d300");
    Send(window, L" ");
    Send(window, L"cm");
    Send(window, L" ");
    kelt::test::SaveScreen(out + L"\\2-traffic.bmp");
    PostMessageW(GetDlgItem(window, kQuitButton), BM_CLICK, 0, 0);
    kelt::test::WaitUntil([&] { return !IsWindow(window); }, 10s);
    std::printf("demo: terminal session done\n");
    return 0;
}
