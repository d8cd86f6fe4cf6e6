#pragma once
// What each control of the panel does: one function per reaction, over the
// state record and the two seams. The Win32 dialog procedure only routes
// messages here.

#include "panel/panel_state.h"
#include "panel/seams.h"

namespace kelt {

// A slider notification (any scroll code) with the position read from it.
void OnSliderMoved(PanelState& state, PanelView& view, Link& link, int sliderId, int position);

// Enter (WM_COMMAND id 1) with its notification code.
void OnEnterKey(PanelState& state, PanelView& view, Link& link, int code);

void OnUnitOption(PanelState& state, PanelView& view, Link& link, int optionId);
void OnFishEchoClicked(PanelState& state, PanelView& view, Link& link);
void OnAutoFreqClicked(PanelState& state, PanelView& view, Link& link);
void OnAutoWidthClicked(PanelState& state, PanelView& view, Link& link);
void OnRefresh(PanelView& view, Link& link, PanelState& state);
void OnReset(PanelState& state, PanelView& view, Link& link);

}  // namespace kelt
