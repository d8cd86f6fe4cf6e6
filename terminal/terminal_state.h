#pragma once
// The terminal program's one record of state.
//
// Threads: the window thread owns the port text, writes the port and runs
// the window; the receiver thread reads the port. They share the two flags
// (atomic) and the queue of incoming lines (under its mutex). The receiver
// never sends a message to the window and never waits for it, so a window
// that is closing can never hold the receiver up, nor the receiver the window.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/handles.h"

namespace kelt::term {

struct TerminalState {
    // The port number as the user typed it: used in the device name and the caption.
    std::string termPortText;
    // The serial port, open from start-up until exit.
    platform::UniqueHandle termPort;
    // 1 while the window thread writes a line; the receiver starts no read meanwhile.
    std::atomic<std::int32_t> termSending{0};
    platform::UniqueHandle termReceiverThread;
    // Set to 1 once the window has closed; the receiver ends at its next pass.
    std::atomic<std::int32_t> termStopReceiver{0};
    // The window the receiver hands its lines to.
    HWND termWindow = nullptr;

    // Incoming lines, already prefixed, waiting for the window thread to list
    // them. A message is posted only when the queue turns non-empty, so a fast
    // stream cannot flood the window's message queue.
    std::mutex incomingMutex;
    std::vector<std::string> incomingLines;
};

}  // namespace kelt::term
