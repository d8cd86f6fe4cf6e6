#pragma once
// The command line seam over a real port: each line with its CR LF in one
// write, pauses slept to their deadlines on the steady clock.

#include <memory>

#include "link/seams.h"
#include "link/win/port.h"

namespace kelt {

class PortLink : public Link {
public:
    explicit PortLink(std::shared_ptr<Port> port) : port_(std::move(port)) {}
    void Send(const std::string& line) override;
    Clock::time_point Now() override;
    void SleepUntil(Clock::time_point deadline) override;

private:
    std::shared_ptr<Port> port_;
};

}  // namespace kelt
