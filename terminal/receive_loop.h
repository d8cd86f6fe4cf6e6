#pragma once
// The terminal's receiver, without Windows: poll the port, frame the bytes
// into lines, hand each line on. The window side supplies the port, the
// place lines go and the sleep; tests supply fakes.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace kelt::term {

struct TerminalPort {
    virtual ~TerminalPort() = default;
    // The bytes waiting now, read without waiting. Nothing when none are
    // queued, when the port reports a line error, or when the read fails.
    virtual std::string ReadWaiting() = 0;
};

struct LineSink {
    virtual ~LineSink() = default;
    virtual void ShowLine(std::string line) = 0;
};

// Runs until stop is set. While sending is set no read starts; with nothing
// to read the loop sleeps 100 ms, after a read it goes straight on.
void TerminalReceiveLoop(const std::atomic<std::int32_t>& stop,
                         const std::atomic<std::int32_t>& sending, TerminalPort& port,
                         LineSink& sink, const std::function<void(int)>& sleep);

}  // namespace kelt::term
