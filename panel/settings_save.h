#pragma once
// What the user sees on the panel is what a settings or script file keeps.

#include <string>
#include <string_view>

#include "panel/panel_state.h"
#include "panel/seams.h"

namespace kelt {

// The three check boxes, then the eight setting boxes, into the record. The
// flag texts stay as they are; the file's flags are written from the check
// states.
void RefreshSettingsFromPanel(PanelState& state, PanelView& view);

// Saving to `fileName`: the name becomes the last file saved, the record is
// refreshed from the panel, and the bytes to store under that name are
// returned. A write that then fails leaves the record changed all the same.
std::string SettingsFileToSave(PanelState& state, PanelView& view, std::string_view fileName);

}  // namespace kelt
