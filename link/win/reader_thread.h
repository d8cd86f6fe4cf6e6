#pragma once
// The worker thread that polls a program's port. It owns its loop (and so
// everything the loop holds); at the end its owner raises the loop's stop
// flag and joins it within a bound. A thread that does not end in time (a
// driver that hangs a read) is let go: it keeps what it holds and ends on
// its own, and the program is not held up by it.

#include <chrono>
#include <cstddef>
#include <functional>

#include "platform/win/handles.h"

namespace kelt {

class ReaderThread {
public:
    ReaderThread() = default;
    ~ReaderThread() { Join(kDefaultBound); }
    ReaderThread(const ReaderThread&) = delete;
    ReaderThread& operator=(const ReaderThread&) = delete;

    // Runs `loop` on a new thread with `stackBytes` of stack (0: the
    // default), at once. False when no thread could be made.
    bool Start(std::function<void()> loop, std::size_t stackBytes = 0);
    // Waits up to `bound` for the loop to end; true when it ended (or never
    // started). Either way the thread is not waited for again.
    bool Join(std::chrono::milliseconds bound);
    bool started() const { return thread_ != nullptr; }

private:
    static constexpr std::chrono::milliseconds kDefaultBound{2000};
    platform::UniqueHandle thread_;
};

}  // namespace kelt
