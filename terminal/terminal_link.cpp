#include "terminal/terminal_link.h"

#include <string>
#include <utility>

#include "platform/serial_line.h"
#include "platform/text.h"
#include "terminal/line_framing.h"
#include "terminal/receive_loop.h"
#include "terminal/terminal_rules.h"
#include "terminal/terminal_window.h"

namespace kelt::term {
namespace {

// The receiver notices the stop flag within one idle pass; give it a few.
constexpr DWORD kReceiverStopWaitMs = 1000;
// Releasing the receiver's handle is retried, but not for ever.
constexpr int kHandleCloseAttempts = 100;
// Bytes still on their way when the window closes arrive within this time;
// they are read and dropped so the instrument's driver is not left with them.
constexpr DWORD kCloseSettleMs = 1000;

bool WriteAll(HANDLE port, std::string_view bytes) {
    DWORD written = 0;
    const BOOL ok =
        WriteFile(port, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    return ok && written == bytes.size();
}

// Bytes waiting in the receive queue, as the port reports them; any line
// error is cleared by the same call.
DWORD QueuedBytes(HANDLE port, DWORD& lineErrors) {
    COMSTAT status{};
    lineErrors = 0;
    if (!ClearCommError(port, &lineErrors, &status)) return 0;
    return status.cbInQue;
}

DWORD WINAPI ReceiverThread(void* parameter) {
    auto& state = *static_cast<TerminalState*>(parameter);
    ReceiveLoop(state, state.termWindow);
    return 0;
}

}  // namespace

int OpenTerminalPort(TerminalState& state) {
    const std::wstring name = platform::AnsiToWide(PortDeviceName(state.termPortText));
    if (name.empty()) return 0;  // the answer held a path separator
    platform::UniqueHandle port(CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                            nullptr));
    if (!port || port.get() == INVALID_HANDLE_VALUE) return 0;
    // Whatever else reaches past the device names (a name Windows maps to
    // a file), only a character device can be the instrument's line.
    if (GetFileType(port.get()) != FILE_TYPE_CHAR) return 0;
    platform::SetLine9600_8N1(port.get());
    // The largest queues the driver will give.
    platform::SetQueueSizes(port.get(), 0xFFFFFFFF, 0xFFFFFFFF);
    // A line that stops draining (instrument off, cable pulled, handshake
    // held) fails a send in about a second instead of freezing the window.
    platform::LimitWriteTime(port.get(), kWriteTimeoutConstantMs, kWriteTimeoutPerByteMs);
    state.termPort = std::move(port);
    return 1;
}

int SendLine(TerminalState& state, std::string_view text) {
    const bool textSent = WriteAll(state.termPort.get(), text);
    const bool endSent = WriteAll(state.termPort.get(), kLineEnd);
    return textSent && endSent ? 0 : 1;
}

namespace {

class WindowsTerminalPort : public TerminalPort {
public:
    explicit WindowsTerminalPort(HANDLE port) : port_(port) {}
    std::string ReadWaiting() override {
        DWORD lineErrors = 0;
        const DWORD reported = QueuedBytes(port_, lineErrors);
        const DWORD queued = BytesToRead(lineErrors, reported);
        if (queued == 0) return {};
        std::string bytes(queued, '\0');
        DWORD got = 0;
        if (!ReadFile(port_, bytes.data(), queued, &got, nullptr)) return {};
        bytes.resize(got);
        return bytes;
    }

private:
    HANDLE port_;
};

class WindowLineSink : public LineSink {
public:
    WindowLineSink(TerminalState& state, HWND window) : state_(state), window_(window) {}
    void ShowLine(std::string line) override { ShowIncomingLine(state_, window_, line); }

private:
    TerminalState& state_;
    HWND window_;
};

}  // namespace

void ReceiveLoop(TerminalState& state, HWND window) {
    WindowsTerminalPort port(state.termPort.get());
    WindowLineSink sink(state, window);
    TerminalReceiveLoop(state.termStopReceiver, state.termSending, port, sink,
                        [](int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); });
}

bool StartReceiver(TerminalState& state) {
    state.termReceiverThread.reset(CreateThread(nullptr, 0, ReceiverThread, &state, 0, nullptr));
    return state.termReceiverThread != nullptr;
}

void StopReceiver(TerminalState& state) {
    state.termStopReceiver.store(1);
    HANDLE thread = state.termReceiverThread.release();
    if (thread == nullptr) return;
    // Waiting for the pass under way keeps the receiver off the port while it
    // is drained and closed; the bound keeps a hung driver from hanging exit.
    WaitForSingleObject(thread, kReceiverStopWaitMs);
    for (int attempt = 0; attempt < kHandleCloseAttempts && !CloseHandle(thread); ++attempt)
        Sleep(0);
}

void CloseTerminalPort(TerminalState& state) {
    Sleep(kCloseSettleMs);
    DWORD lineErrors = 0;
    if (const DWORD queued = QueuedBytes(state.termPort.get(), lineErrors); queued > 0) {
        std::string discarded(queued, '\0');
        DWORD got = 0;
        ReadFile(state.termPort.get(), discarded.data(), queued, &got, nullptr);
    }
    state.termPort.reset();
}

}  // namespace kelt::term
