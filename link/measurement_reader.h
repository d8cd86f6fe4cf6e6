#pragma once
// The measurement reader thread: polls the port, frames the instrument's
// lines and hands each examined line's texts to the panel's window thread,
// which stores and shows them.

#include <windows.h>

#include "panel/panel_state.h"
#include "panel/seams.h"

namespace kelt {

// Posted to the panel when line texts wait in the reader's mailbox.
inline constexpr UINT kMeasurementMessage = WM_APP + 1;

// Starts the reader on its own thread (1 MiB stack) for this panel.
void StartMeasurementReader(HWND panel, PanelState& state);
// The window thread's side: stores and shows every line waiting, in order.
void TakeMeasurements(PanelState& state, PanelView& view);
// Stops the reader and waits for it (bounded), so that the port is never
// closed under a poll cycle; releases the thread handle.
void StopMeasurementReader(PanelState& state);

// The panel's end after its window has gone: the reader stopped, the port
// drained and closed.
void ShutDownPanel(PanelState& state);

}  // namespace kelt
