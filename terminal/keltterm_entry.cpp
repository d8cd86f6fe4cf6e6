// Entry of keltterm, the KELT-9R serial terminal.

#include <windows.h>

#include "terminal/terminal_main.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    // Static, and the process ends through ExitProcess: a receiver that has
    // not yet noticed the stop flag never finds its state destroyed under it.
    static kelt::term::TerminalState state;
    ExitProcess(static_cast<UINT>(kelt::term::TerminalMain(state)));
}
