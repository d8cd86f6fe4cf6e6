#pragma once
// The main panel window: its build from the layout tables, its modal run and
// the shutdown that follows.

#include <windows.h>

#include "panel/panel_state.h"
#include "platform/win/handles.h"

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

// A panel built to be looked at: the hidden window with its controls,
// fonts, menu, "Feet" checked and the slider ranges set; nothing is loaded,
// opened or sent. The window owns what it needs and frees it when it goes.
// Returns nullptr when the window cannot be created.
HWND CreateMainPanel(HINSTANCE instance, HWND parent, PanelState& state,
                     PanelResources& resources);

// The controls and everything on them, as the panel's WM_INITDIALOG builds
// them: caption, icon, the 69 controls in their order, the picture, the
// fonts, the menu bar, "Feet" and the slider ranges.
void BuildPanelContents(HWND panel, PanelResources& resources);

// The menu bar, built and attached to the panel.
HMENU BuildPanelMenu(HWND panel);

// The whole life of the panel: build and start-up (settings, port, reader,
// upload) inside its WM_INITDIALOG, the run, and the end (reader stopped,
// port drained and closed). Returns 0, also when the start-up ended the
// program (the first port choice cancelled, no port at all).
INT_PTR BuildMainPanel(HWND parent);

// The panel's one dialog procedure. Returns 0 for every message but the
// close command, which ends the panel without saving.
INT_PTR CALLBACK MainPanelCallback(HWND panel, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the panel's message loop until the window is destroyed. Enter goes
// to the panel as IDOK whatever control has the focus; Tab moves between
// the tab stops as in any dialog.
void RunPanelLoop(HWND panel);

// Windows makes a checked auto radio button a tab stop again; on this panel
// Tab moves only between the setting boxes, so each check of a unit option
// is followed by this.
void ClearOptionTabStops(HWND panel);

// After an upload: unless the keyboard focus is already in an enabled
// setting box, it goes to the first one in Tab order, never to a unit
// option, where a stray arrow key would change the depth unit.
void FocusASettingBox(HWND panel);

}  // namespace kelt
