#pragma once
// The instrument's command lines and the full settings upload.

#include <cstdint>
#include <string_view>

#include "panel/panel_state.h"
#include "panel/seams.h"

namespace kelt {

// A command word alone ("~~~", "cf", "e", "A", "S", " ", or "" for a bare
// CR LF), or a word followed directly by NumberText of the value ("d300").
void SendCommand(Link& link, std::string_view word);
void SendCommand(Link& link, std::string_view word, double value);

// Depth unit codes, which are also the instrument's unit commands.
inline constexpr std::string_view kUnitFeet = "cf";
inline constexpr std::string_view kUnitFathoms = "cF";
inline constexpr std::string_view kUnitMeters = "cm";
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
