#include "link/poll_loop.h"

#include <string>

namespace kelt {

void PollLine(const std::atomic<bool>& stop, const std::atomic<bool>& busy, LinePort& port,
              Sleeper& sleeper, AfterRead afterRead, const std::function<void(std::string_view)>& onBytes) {
    while (!stop) {
        const std::string bytes = port.ReadWaiting(busy);
        if (bytes.empty()) {
            sleeper.Sleep(kIdlePollMs);
            continue;
        }
        onBytes(bytes);
        if (afterRead == AfterRead::Yield) sleeper.Sleep(0);
    }
}

}  // namespace kelt
