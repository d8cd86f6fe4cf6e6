#pragma once
// The terminal program's one record of state.
//
// Threads: the window thread owns the port text, writes the port and runs
// the window; the receiver thread reads the port. They share the two flags
// and the queue of incoming lines, which both hold, so a receiver let go at
// the end still has them. The receiver never sends a message to the window
// and never waits for it, so a window that is closing can never hold the
// receiver up, nor the receiver the window.

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

#include "link/mailbox.h"
#include "link/win/port.h"
#include "link/win/reader_thread.h"

namespace kelt::term {

struct ReceiverShared {
    // Raised while the window thread writes a line; the receiver starts no
    // read meanwhile.
    std::atomic<bool> termSending{false};
    // Raised once the window has closed; the receiver ends at its next pass.
    std::atomic<bool> termStopReceiver{false};
    // Incoming lines, already prefixed, waiting for the window thread to list
    // them; one posted message stands for the whole queue.
    Mailbox<std::string> incoming;
};

struct TerminalState {
    // The port number as the user typed it: used in the device name and the caption.
    std::string termPortText;
    // The serial port, open from start-up until exit.
    std::shared_ptr<Port> termPort = std::make_shared<Port>();
    std::shared_ptr<ReceiverShared> shared = std::make_shared<ReceiverShared>();
    ReaderThread termReceiverThread;
    // The window the receiver hands its lines to.
    HWND termWindow = nullptr;
};

}  // namespace kelt::term
