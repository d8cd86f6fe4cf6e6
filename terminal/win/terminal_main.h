#pragma once
// The terminal program's run from the port prompt to its exit status.

#include "terminal/win/terminal_state.h"

namespace kelt::term {

// Returns the exit status: 0 when the port could not be opened (after the
// failure message), 1 after the window has been closed.
int TerminalMain(TerminalState& state);

}  // namespace kelt::term
