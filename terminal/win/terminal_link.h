#pragma once
// The terminal's serial line: opening the port, sending a typed line, the
// receiver thread and closing the port at exit.

#include <windows.h>

#include <string_view>

#include "terminal/win/terminal_state.h"

namespace kelt::term {

// Opens "\\.\COM" + termPortText at 9600 8-N-1. Returns 1 on success, 0 when
// the name does not open, or opens something that is not a serial device
// (why goes to the debug channel).
int OpenTerminalPort(TerminalState& state);

// Writes text, then CR LF. Returns 0 when both writes went out in full,
// nonzero when either failed or was cut short (a stalled line times out).
int SendLine(TerminalState& state, std::string_view text);

// Starts the receiver on its own thread for state.termWindow: it polls the
// port, frames the bytes into lines and hands each complete line to the
// window, until termStopReceiver is raised. False when no thread was made.
bool StartReceiver(TerminalState& state);

// Raises termStopReceiver and waits a bounded time for the receiver to end
// its pass; one that does not end is let go, never waited for for ever.
void StopReceiver(TerminalState& state);

// Waits a second for the last bytes on their way, throws away whatever is
// queued and closes the port.
void CloseTerminalPort(TerminalState& state);

}  // namespace kelt::term
