#include "link/line_framing.h"

namespace kelt {

std::vector<std::string> LineFraming::Feed(std::string_view bytes) {
    std::vector<std::string> lines;
    const char* at = bytes.data();
    const char* const end = at + bytes.size();
    while (at != end) {
        // Copy runs of ordinary bytes in one go; stop at the next CR or LF.
        const char* stop = at;
        while (stop != end && *stop != '\r' && *stop != '\n') ++stop;
        pendingText_.append(at, static_cast<std::size_t>(stop - at));
        if (stop == end) break;
        if (*stop == '\r') {
            lines.push_back(std::move(pendingText_));
            pendingText_.clear();  // a moved-from string need not be empty
        }
        at = stop + 1;
    }
    return lines;
}

}  // namespace kelt
