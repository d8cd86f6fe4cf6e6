#include "log.h"

#include <cmath>
#include <cstdio>

namespace kelt::sim {

namespace {
constexpr char kHex[] = "0123456789abcdef";
}

std::string jsonEscape(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto u = static_cast<unsigned char>(ch);
        switch (ch) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (u < 0x20 || u >= 0x7f) {
                    out += "\\u00";
                    out += kHex[u >> 4];
                    out += kHex[u & 0xf];
                } else {
                    out += ch;
                }
        }
    }
    return out;
}

std::string hexBytes(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char ch : bytes) {
        const auto u = static_cast<unsigned char>(ch);
        out += kHex[u >> 4];
        out += kHex[u & 0xf];
    }
    return out;
}

LogEvent::LogEvent(std::string_view event, double sinceStart, double monotonic) : body_("{") {
    real("t", sinceStart);
    real("mono", monotonic);
    text("event", event);
}

void LogEvent::key(std::string_view name) {
    if (body_.size() > 1) body_ += ',';
    body_ += '"';
    body_ += jsonEscape(name);
    body_ += "\":";
}

LogEvent& LogEvent::text(std::string_view k, std::string_view value) {
    key(k);
    body_ += '"';
    body_ += jsonEscape(value);
    body_ += '"';
    return *this;
}

LogEvent& LogEvent::integer(std::string_view k, long long value) {
    key(k);
    body_ += std::to_string(value);
    return *this;
}

LogEvent& LogEvent::real(std::string_view k, double value) {
    key(k);
    // JSON has no infinity or NaN.
    if (!std::isfinite(value)) {
        body_ += "null";
        return *this;
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6f", value);
    body_ += buf;
    return *this;
}

LogEvent& LogEvent::flag(std::string_view k, bool value) {
    key(k);
    body_ += value ? "true" : "false";
    return *this;
}

}  // namespace kelt::sim
