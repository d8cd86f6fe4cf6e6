#pragma once
// The "KELT -9R COMM. PORT SELECT" dialog.

#include <windows.h>

#include "panel/panel_state.h"

namespace kelt {

// How the user left the dialog.
enum class PortChoice { Chosen, Cancelled };

// Runs the modal port-selection dialog owned by the panel. Its effects are
// on commPortText and portOpen only, or it ends the program.
PortChoice PortSelectDialog(HWND owner, PanelState& state);

INT_PTR CALLBACK PortSelectCallback(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The selection loop of start-up: open the stored port, and while none is
// open, let the user choose and try again.
void SelectAndOpenPort(HWND owner, PanelState& state);

// The "Comm Port" command: the dialog always comes up at least once; the
// port stays closed while it is up. CANCEL reopens the port that was in use
// once and ends the selection, even when that port does not open: the
// panel then goes on without a port until the user picks one.
void ChangePort(HWND owner, PanelState& state);

}  // namespace kelt
