#include "terminal/receive_loop.h"

#include "link/line_framing.h"
#include "link/poll_loop.h"

namespace kelt::term {

void TerminalReceiveLoop(const std::atomic<bool>& stop, const std::atomic<bool>& sending,
                         LinePort& port, LineSink& sink, Sleeper& sleeper) {
    LineFraming framing;
    PollLine(stop, sending, port, sleeper, AfterRead::AskAgain, [&](std::string_view bytes) {
        for (std::string& line : framing.Feed(bytes)) sink.ShowLine(std::move(line));
    });
}

}  // namespace kelt::term
