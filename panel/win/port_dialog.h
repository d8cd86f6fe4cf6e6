#pragma once
// The "KELT -9R COMM. PORT SELECT" dialog and the two selection loops.

#include <windows.h>

#include "link/win/port.h"
#include "panel/panel_state.h"

namespace kelt {

// How the user left the dialog. At start-up, CANCEL, or a machine with no
// port that opens, means the end of the program (Quit).
enum class PortChoice { Chosen, Cancelled, Quit };

// Runs the modal dialog owned by the panel. Its effects are on
// commPortText and portOpen only; in the menu's dialog it closes the port
// first.
PortChoice PortSelectDialog(HWND owner, PanelState& state, Port& port);

INT_PTR CALLBACK PortSelectCallback(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The selection loop of start-up: open the stored port, and while none is
// open, let the user choose and try again. False when the program must end
// (CANCEL, or no port at all): nothing has been saved then.
bool SelectAndOpenPort(HWND owner, PanelState& state, Port& port);

// The "Comm Port" command: the dialog always comes up at least once; the
// port stays closed while it is up. CANCEL reopens the port that was in use
// once and ends the selection, even when that port does not open: the
// panel then goes on without a port until the user picks one.
void ChangePort(HWND owner, PanelState& state, Port& port);

}  // namespace kelt
