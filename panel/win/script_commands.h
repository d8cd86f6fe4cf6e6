#pragma once
// The panel's file commands: Quit's settings file, "Open File" and
// "Save File".

#include <windows.h>

#include <string>

#include "panel/panel_state.h"
#include "panel/seams.h"

namespace kelt {

// Refreshes the record from the panel and stores the file (safely).
void WriteSettingsFile(PanelState& state, PanelView& view, const std::string& fileName);

// A script chosen in the open dialog replaces the whole set (defaults
// first) and is uploaded; a name that is not a file, or a file that cannot
// be read, changes nothing. True when it was uploaded.
bool OpenScriptFile(HWND panel, PanelState& state, PanelView& view, Link& link);
void SaveScriptFile(HWND panel, PanelState& state, PanelView& view);

}  // namespace kelt
