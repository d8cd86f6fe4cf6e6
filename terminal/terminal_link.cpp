#include "terminal/terminal_link.h"

#include <string>
#include <utility>

#include "platform/serial_line.h"
#include "platform/text.h"
#include "terminal/line_framing.h"
#include "terminal/terminal_rules.h"
#include "terminal/terminal_window.h"

namespace kelt::term {
namespace {

// The receiver's pause when nothing is queued (or a line is being sent).
constexpr DWORD kIdlePassMs = 100;
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
    platform::UniqueHandle port(CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                            nullptr));
    if (!port || port.get() == INVALID_HANDLE_VALUE) return 0;
    // The typed text is appended to the device name unchecked, so an answer
    // like 1\..\C:\notes.txt walks out of the device names and opens a file.
    // Only a character device can be the instrument's line.
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

void ReceiveLoop(TerminalState& state, HWND window) {
    LineFraming framing;
    std::string chunk;
    while (state.termStopReceiver.load() == 0) {
        DWORD lineErrors = 0;
        const DWORD reported = QueuedBytes(state.termPort.get(), lineErrors);
        const DWORD queued = BytesToRead(lineErrors, reported);
        if (queued == 0 || state.termSending.load() != 0) {
            Sleep(kIdlePassMs);
            continue;
        }
        chunk.resize(queued);
        DWORD got = 0;
        if (!ReadFile(state.termPort.get(), chunk.data(), queued, &got, nullptr) || got == 0) {
            Sleep(kIdlePassMs);  // a port that fails every read must not spin
            continue;
        }
        // Straight on to the next pass: a busy line is read as fast as it fills.
        for (std::string& line : framing.Feed(std::string_view(chunk.data(), got)))
            ShowIncomingLine(state, window, line);
    }
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
