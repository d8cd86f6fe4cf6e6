#pragma once
// What the panel window keeps for its one dialog procedure: the state, the
// window's resources, the port and the reader for the whole run, and the
// two seams over this window and that port.

#include <windows.h>

#include <memory>

#include "link/win/port.h"
#include "link/win/port_link.h"
#include "panel/panel_state.h"
#include "panel/win/main_panel.h"
#include "panel/win/measurement_reader.h"
#include "panel/win/panel_view.h"

namespace kelt {

struct PanelContext {
    PanelContext(PanelState& s, PanelResources& r, bool start) : state(s), resources(r), startUp(start) {}
    PanelState& state;
    PanelResources& resources;
    // False for a panel built only to be looked at: nothing is loaded,
    // opened or sent.
    bool startUp;
    // Set by a start-up that the user cancelled at the first port choice,
    // or that found no port at all: the program ends at once.
    bool endedAtStart = false;
    // The one port of the run; the reader thread holds it too.
    std::shared_ptr<Port> port = std::make_shared<Port>();
    PortLink link{port};
    std::unique_ptr<Win32PanelView> view;
    MeasurementReader reader;
    HWND panelSavedFocus = nullptr;
};

PanelContext* PanelContextOf(HWND panel);

// Ends the panel's run: its window goes.
void EndPanel(HWND panel);

}  // namespace kelt
