#include "terminal/receive_loop.h"

#include "terminal/line_framing.h"

namespace kelt::term {

void TerminalReceiveLoop(const std::atomic<std::int32_t>& stop,
                         const std::atomic<std::int32_t>& sending, TerminalPort& port,
                         LineSink& sink, const std::function<void(int)>& sleep) {
    constexpr int kIdlePassMs = 100;
    LineFraming framing;
    while (stop.load() == 0) {
        const std::string bytes = sending.load() != 0 ? std::string() : port.ReadWaiting();
        if (bytes.empty()) {
            sleep(kIdlePassMs);  // also after a failed read: a broken port must not spin
            continue;
        }
        for (std::string& line : framing.Feed(bytes)) sink.ShowLine(std::move(line));
    }
}

}  // namespace kelt::term
