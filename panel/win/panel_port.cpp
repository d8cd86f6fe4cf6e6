#include "panel/win/panel_port.h"

#include <string>

#include "link/numbers.h"
#include "link/port_names.h"

namespace kelt {

int OpenPort(PanelState& state, Port& port) {
    if (!port.Open(PortDeviceName(state.commPortText), kPanelPortOptions)) return 0;
    state.portOpen = RoundHalfEven(ParseNumber(state.commPortText));
    return 1;
}

bool PortOpens(int number) { return DeviceOpens(PortDeviceName(std::to_string(number)), kPanelPortOptions); }

void ClosePort(Port& port) { port.DrainAndClose(); }

}  // namespace kelt
