#pragma once
// The full settings upload: the whole record applied to the controls and
// sent to the instrument as one paced sequence of command lines.

#include <cstdint>
#include <string_view>

#include "link/protocol.h"
#include "panel/panel_state.h"
#include "panel/seams.h"

namespace kelt {

// Caption of both depth labels for a unit code (Feet for anything unknown).
std::string_view DepthLabelFor(std::string_view unitCode);
int UnitOptionFor(std::string_view unitCode);

// The "Updating" splash: 12 steps of 250 ms over a bar of range 0..90, the
// steps counted from `start` so that painting them takes nothing extra.
void UpdatingDialog(PanelView& view, Link& link, Link::Clock::time_point start);

// Applies the whole settings record to the controls and uploads it to the
// instrument as one paced sequence of command lines (about 4 s).
void SendAllSettings(PanelState& state, PanelView& view, Link& link);

}  // namespace kelt
