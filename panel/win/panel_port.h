#pragma once
// The panel's serial port: the port named by commPortText, opened with the
// instrument's line settings, and its drain and close at the end.

#include "link/win/port.h"
#include "panel/panel_state.h"

namespace kelt {

// Opens "COM" + commPortText (an all-digit text through the device
// namespace); 1 when open, and portOpen is then the port's number; 0 when
// not, and portOpen keeps its value.
int OpenPort(PanelState& state, Port& port);

// Can this port be opened now? Opened and closed again at once, its line
// settings left as they are.
bool PortOpens(int number);

// Waits 1000 ms, discards what is waiting and closes the port.
void ClosePort(Port& port);

}  // namespace kelt
