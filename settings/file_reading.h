#pragma once
// Reading a settings or script file: chunk by chunk, only as far as the
// reader needs, and again while another program holds the file for a
// moment. The file and the clock are callbacks, so the rules are tried on
// any machine.

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

namespace kelt {

// No settings or script file comes near this size. What lies beyond it is
// ignored, so a runaway file can neither exhaust the 32-bit program's memory
// nor keep the panel from starting.
inline constexpr std::size_t kReadLimit = std::size_t{64} << 20;
inline constexpr std::size_t kReadChunk = std::size_t{64} << 10;

// Fills up to `room` bytes at `into` from the file; the number of bytes
// filled, 0 at the end of the file or on an error.
using ReadSome = std::function<std::size_t(char* into, std::size_t room)>;

// A file's bytes read in chunks of kReadChunk up to its end, its first
// Ctrl-Z or `limit` bytes, whichever comes first. The Ctrl-Z and whatever
// follows it are left out: the data end there for the reader.
std::string ReadUpToEndOfData(const ReadSome& readSome, std::size_t limit = kReadLimit);

// What one try at opening and reading a file came to.
enum class ReadAttempt {
    Done,
    Busy,     // another program holds the file (a sharing or lock violation)
    Refused,  // missing, no permission, or any other error: trying again will not help
};

struct RetryClock {
    using Clock = std::chrono::steady_clock;
    virtual ~RetryClock() = default;
    virtual Clock::time_point Now() = 0;
    virtual void SleepUntil(Clock::time_point deadline) = 0;
};

// A sync client, an indexer or a virus scanner may hold a file for a moment.
inline constexpr std::chrono::milliseconds kBusyRetryEvery{50};
inline constexpr std::chrono::milliseconds kBusyPatience{2000};

// Tries `attempt`, and again every kBusyRetryEvery while it finds the file
// busy, until kBusyPatience after the first try. The last try's result:
// Busy means the file was held all that time.
ReadAttempt RetryWhileBusy(const std::function<ReadAttempt()>& attempt, RetryClock& clock);

}  // namespace kelt
