#pragma once
// The main panel window: its build from the layout tables, its modal run and
// the shutdown that follows.

#include <windows.h>

#include "panel/panel_state.h"
#include "platform/handles.h"

namespace kelt {

// What the build creates and the shutdown deletes: the three panel fonts,
// the icons and the stretched front-plate picture.
struct PanelResources {
    platform::UniqueFont fontBold;
    platform::UniqueFont fontNormal;
    platform::UniqueFont fontHeading;
    platform::UniqueIcon iconBig;
    platform::UniqueIcon iconSmall;
    platform::UniqueBitmap picture;
};

// The build up to the modal run: the hidden panel with its controls, fonts,
// menu, "Feet" checked and the slider ranges set. Returns nullptr when the
// window cannot be created.
HWND CreateMainPanel(HINSTANCE instance, HWND parent, PanelState& state,
                     PanelResources& resources);

// The menu bar, built and attached to the panel.
HMENU BuildPanelMenu(HWND panel);

// The whole life of the panel: build, initialisation, modal run, shutdown.
INT_PTR BuildMainPanel(HWND parent);

// The panel's dialog procedure. Returns 0 for every message.
INT_PTR MainPanelCallback(HWND panel, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the panel's message loop until the window is destroyed. Enter goes
// to the panel as IDOK whatever control has the focus; Tab moves between
// the tab stops as in any dialog.
void RunPanelLoop(HWND panel);

PanelState* PanelStateOf(HWND panel);

// Windows makes a checked auto radio button a tab stop again; on this panel
// Tab moves only between the setting boxes, so each check of a unit option
// is followed by this.
void ClearOptionTabStops(HWND panel);

// After an upload: unless the keyboard focus is already in an enabled
// setting box, it goes to the first one in Tab order, never to a unit
// option, where a stray arrow key would change the depth unit.
void FocusASettingBox(HWND panel);

}  // namespace kelt
