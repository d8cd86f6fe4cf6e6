#pragma once
// The terminal's receiver, without Windows: the line's poll loop, the
// terminal's framing of the bytes into lines, each line handed on. The
// window side supplies the port, the place lines go and the sleep; tests
// supply fakes.

#include <atomic>
#include <string>

#include "link/seams.h"

namespace kelt::term {

struct LineSink {
    virtual ~LineSink() = default;
    virtual void ShowLine(std::string line) = 0;
};

// Runs until stop is set. While sending is set no read starts; with nothing
// to read the loop sleeps 100 ms, after a read it asks again at once.
void TerminalReceiveLoop(const std::atomic<bool>& stop, const std::atomic<bool>& sending,
                         LinePort& port, LineSink& sink, Sleeper& sleeper);

}  // namespace kelt::term
