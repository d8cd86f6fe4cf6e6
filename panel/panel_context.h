#pragma once
// What the panel window carries for its dialog procedure: the state record
// and the two seams over this window and the port.

#include <windows.h>

#include <memory>

#include "panel/panel_state.h"
#include "panel/panel_win32.h"

namespace kelt {

struct PanelContext {
    explicit PanelContext(PanelState& s) : state(s) {}
    PanelState& state;
    // False while Windows creates the still empty dialog: the WM_INITDIALOG
    // of that moment is not the one the panel acts on.
    bool built = false;
    std::unique_ptr<Win32PanelView> view;
    std::unique_ptr<PortLink> link;
};

PanelContext* PanelContextOf(HWND panel);

// Ends the panel's modal run with result 0.
void EndPanel(HWND panel);

}  // namespace kelt
