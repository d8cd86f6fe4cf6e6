#include "link/win/port_link.h"

#include "link/protocol.h"
#include "platform/win/sleep.h"

namespace kelt {

void PortLink::Send(const std::string& line) { port_->Write(line + std::string(kCommandLineEnd)); }

Link::Clock::time_point PortLink::Now() { return Clock::now(); }

void PortLink::SleepUntil(Clock::time_point deadline) { platform::SleepUntil(deadline); }

}  // namespace kelt
