// Entry of keltterm, the KELT-9R serial terminal.

#include <windows.h>

#include "terminal/win/terminal_main.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    // A receiver let go at the end holds the port and the queue it uses, so
    // the state may go when this returns.
    kelt::term::TerminalState state;
    return kelt::term::TerminalMain(state);
}
