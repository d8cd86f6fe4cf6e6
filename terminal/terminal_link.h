#pragma once
// The terminal's serial line: opening and setting up the port, sending a
// typed line, the receiver thread and closing the port at exit.

#include <windows.h>

#include <string_view>

#include "terminal/terminal_state.h"

namespace kelt::term {

// Opens "\\.\COM" + termPortText at 9600 8-N-1. Returns 1 on success, 0 when
// the name does not open, or opens something that is not a serial device.
int OpenTerminalPort(TerminalState& state);

// Writes text, then CR LF. Returns 0 when both writes went out in full,
// nonzero when either failed or was cut short (a stalled line times out).
int SendLine(TerminalState& state, std::string_view text);

// The receiver: polls the port, frames the bytes into lines and hands each
// complete line to the window, until termStopReceiver is set.
void ReceiveLoop(TerminalState& state, HWND window);

// Starts ReceiveLoop on its own thread for state.termWindow; keeps the handle
// in termReceiverThread. Returns false when the thread cannot be created.
bool StartReceiver(TerminalState& state);

// Sets termStopReceiver and lets go of the receiver: waits a bounded time for
// it to finish its pass, then releases its handle with a bounded number of
// retries. Never blocks for ever on a receiver that does not end.
void StopReceiver(TerminalState& state);

// Waits a second for the last bytes on their way, throws away whatever is
// queued and closes the port.
void CloseTerminalPort(TerminalState& state);

}  // namespace kelt::term
