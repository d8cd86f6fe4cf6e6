// The event log: one JSON object per line so test scripts can follow what
// the instrument saw and did, and line it up with other processes' clocks.
#pragma once

#include <string>
#include <string_view>

namespace kelt::sim {

// JSON string contents for raw bytes. Bytes outside printable ASCII become
// \u00XX (read as Latin-1), so any byte sequence gives valid JSON.
std::string jsonEscape(std::string_view bytes);

// Lower-case hex, two digits per byte, no separators.
std::string hexBytes(std::string_view bytes);

// {"t":<since start>,"mono":<CLOCK_MONOTONIC>,"event":"<name>", ...fields}
class LogEvent {
public:
    LogEvent(std::string_view event, double sinceStart, double monotonic);

    LogEvent& text(std::string_view key, std::string_view value);
    LogEvent& integer(std::string_view key, long long value);
    LogEvent& real(std::string_view key, double value);
    LogEvent& flag(std::string_view key, bool value);

    // The finished object with its newline.
    std::string line() const { return body_ + "}\n"; }

private:
    void key(std::string_view name);

    std::string body_;
};

}  // namespace kelt::sim
