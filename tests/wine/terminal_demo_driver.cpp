// Drives a running terminal through a short session for the demo run: the
// port prompt answered, two lines sent, the answers watched, a screenshot,
// then Quit. Usage: terminal_demo_driver.exe PORT OUTPUT_FOLDER

#include <windows.h>

#include <cstdio>
#include <string>

#include "terminal/win/terminal_window.h"
#include "terminal_fixture.h"

using namespace std::chrono_literals;
namespace id = kelt::term::id;
namespace test = kelt::test;

namespace {

// Sends the text with the button, as a user does, and waits for the list to
// show that many more lines: the line itself, and the answer to a blank.
void Send(HWND window, const wchar_t* text, LRESULT newLines) {
    HWND list = GetDlgItem(window, id::TrafficList);
    const LRESULT before = test::ListCount(list);
    test::Ask(GetDlgItem(window, id::SendTextEdit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    test::Click(window, id::SendTextButton);
    test::WaitUntil([&] { return test::ListCount(list) >= before + newLines; }, 10s);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring port = argc > 1 ? argv[1] : L"1";
    const std::wstring out = argc > 2 ? argv[2] : L".";
    HWND prompt = test::WaitForWindow(0, test::kPortPromptCaption, 60s);
    if (prompt == nullptr) {
        std::fprintf(stderr, "demo: the port prompt never appeared\n");
        return 1;
    }
    test::WaitForPainting(prompt);
    test::SaveScreen(out + L"\\1-prompt.bmp");
    test::AnswerPortPrompt(prompt, port);
    HWND window = test::WaitForWindow(0, test::kTerminalCaption, 60s);
    if (window == nullptr) {
        std::fprintf(stderr, "demo: the terminal window never appeared\n");
        return 1;
    }
    Send(window, L"d300", 1);
    Send(window, L" ", 2);
    Send(window, L"cm", 1);
    Send(window, L" ", 2);
    test::WaitForPainting(window);
    test::SaveScreen(out + L"\\2-traffic.bmp");
    test::Click(window, id::TermQuitButton);
    test::WaitUntil([&] { return !IsWindow(window); }, 10s);
    std::printf("demo: terminal session done\n");
    return 0;
}
