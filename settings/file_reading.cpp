#include "settings/file_reading.h"

#include <algorithm>

#include "settings/settings_file.h"

namespace kelt {

std::string ReadUpToEndOfData(const ReadSome& readSome, std::size_t limit) {
    std::string bytes;
    while (bytes.size() < limit) {
        const std::size_t start = bytes.size();
        const std::size_t room = std::min(kReadChunk, limit - start);
        bytes.resize(start + room);
        const std::size_t filled = std::min(readSome(bytes.data() + start, room), room);
        bytes.resize(start + filled);
        if (filled == 0) break;
        if (const std::size_t end = bytes.find(kEndOfData, start); end != std::string::npos) {
            bytes.resize(end);
            break;
        }
    }
    return bytes;
}

ReadAttempt RetryWhileBusy(const std::function<ReadAttempt()>& attempt, RetryClock& clock) {
    const RetryClock::Clock::time_point giveUpAt = clock.Now() + kBusyPatience;
    for (;;) {
        const ReadAttempt result = attempt();
        if (result != ReadAttempt::Busy) return result;
        const RetryClock::Clock::time_point next = clock.Now() + kBusyRetryEvery;
        if (next > giveUpAt) return result;
        clock.SleepUntil(next);
    }
}

}  // namespace kelt
