#pragma once
// The seams between the line's decisions and the real world. The upload,
// the reactions and both programs' poll loops are written against these;
// the Win32 side implements them over a serial port and the system clock,
// the tests over memory and a fake clock.

#include <atomic>
#include <chrono>
#include <string>

namespace kelt {

// What a reaction may do to the line.
struct Link {
    using Clock = std::chrono::steady_clock;

    virtual ~Link() = default;
    // One command line: word and value, without the CR LF the link adds.
    // Fire and forget: a failed write is not reported.
    virtual void Send(const std::string& line) = 0;
    // The line's clock. Pauses are deadlines on it, so whatever happens
    // during a pause (painting the splash) comes out of the pause instead of
    // adding to it; a pause is never shorter than asked.
    virtual Clock::time_point Now() = 0;
    virtual void SleepUntil(Clock::time_point deadline) = 0;

    void Pause(int milliseconds) { SleepUntil(Now() + std::chrono::milliseconds(milliseconds)); }
};

// The serial port as a poll loop sees it.
struct LinePort {
    virtual ~LinePort() = default;
    // Asks how many bytes wait in the input queue (a failed query or a line
    // error counts as none) and, unless none wait or `busy` is raised by
    // then, reads exactly those bytes. Never waits for data, and keeps the
    // port from being closed between the question and the read.
    virtual std::string ReadWaiting(const std::atomic<bool>& busy) = 0;
};

struct Sleeper {
    virtual ~Sleeper() = default;
    // 0 gives up the rest of the time slice.
    virtual void Sleep(int milliseconds) = 0;
};

}  // namespace kelt
