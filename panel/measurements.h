#pragma once
// The instrument's measurement lines on the panel.

#include "link/framing.h"
#include "panel/panel_state.h"
#include "panel/seams.h"

namespace kelt {

// On the window thread, for each examined line in turn: the measured pulse
// always shows; the set frequency and width replace the stored settings
// every time but reach their boxes only while "Auto" is ticked; the bottom
// echo's depth and level reach theirs only for the countdown of lines after
// an upload (a negative countdown never ends), and an empty field leaves
// its box as it is.
void ApplyMeasurement(PanelState& state, PanelView& view, const MeasurementTexts& texts);

}  // namespace kelt
