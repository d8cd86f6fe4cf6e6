#include "terminal/win/terminal_main.h"

#include "platform/win/text.h"
#include "terminal/win/port_prompt.h"
#include "terminal/win/terminal_link.h"
#include "terminal/terminal_rules.h"
#include "terminal/win/terminal_window.h"

namespace kelt::term {
namespace {

void ShowOpenFailure() {
    MessageBoxW(nullptr, platform::AnsiToWide(kOpenFailureText).c_str(),
                platform::AnsiToWide(kProgramTitle).c_str(),
                MB_OK | MB_TASKMODAL | MB_SETFOREGROUND);
}

}  // namespace

int TerminalMain(TerminalState& state) {
    state.termPortText = AskForPort();
    if (OpenTerminalPort(state) == 0) {
        ShowOpenFailure();
        return 0;
    }
    HWND window = BuildTerminalWindow(state, WindowCaption(state.termPortText));
    if (window != nullptr) {
        StartReceiver(state);
        RunTerminalWindow(window);
    }
    StopReceiver(state);
    CloseTerminalPort(state);
    // A session that ran and was closed ends with 1, a start that failed with
    // 0: the two outcomes the program has always reported.
    return 1;
}

}  // namespace kelt::term
