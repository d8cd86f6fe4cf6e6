#include "terminal/win/terminal_link.h"

#include <string>
#include <utility>

#include "link/port_names.h"
#include "terminal/receive_loop.h"
#include "terminal/terminal_rules.h"
#include "terminal/win/terminal_window.h"

namespace kelt::term {
namespace {

// The receiver notices the stop flag within one idle pass; give it a few.
constexpr std::chrono::milliseconds kReceiverStopWait{1000};

class WindowLineSink : public LineSink {
public:
    WindowLineSink(ReceiverShared& shared, HWND window) : shared_(shared), window_(window) {}
    void ShowLine(std::string line) override { ShowIncomingLine(shared_, window_, line); }

private:
    ReceiverShared& shared_;
    HWND window_;
};

class WindowsSleeper : public Sleeper {
public:
    void Sleep(int milliseconds) override { ::Sleep(static_cast<DWORD>(milliseconds)); }
};

}  // namespace

int OpenTerminalPort(TerminalState& state) {
    return state.termPort->Open(TerminalDeviceName(state.termPortText), kTerminalPortOptions) ? 1 : 0;
}

int SendLine(TerminalState& state, std::string_view text) {
    const bool textSent = state.termPort->Write(text);
    const bool endSent = state.termPort->Write(kLineEnd);
    return textSent && endSent ? 0 : 1;
}

bool StartReceiver(TerminalState& state) {
    return state.termReceiverThread.Start(
        [port = state.termPort, shared = state.shared, window = state.termWindow] {
            WindowLineSink sink(*shared, window);
            WindowsSleeper sleeper;
            TerminalReceiveLoop(shared->termStopReceiver, shared->termSending, *port, sink, sleeper);
        });
}

void StopReceiver(TerminalState& state) {
    state.shared->termStopReceiver = true;
    // Waiting for the pass under way keeps the receiver off the port while it
    // is drained and closed; the bound keeps a hung driver from hanging exit.
    state.termReceiverThread.Join(kReceiverStopWait);
}

void CloseTerminalPort(TerminalState& state) { state.termPort->DrainAndClose(); }

}  // namespace kelt::term
