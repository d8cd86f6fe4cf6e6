#pragma once
// Incoming bytes from the instrument's serial line, turned into lines.
//
// A line ends at CR. LF is thrown away wherever it stands, so CR LF and LF CR
// both end a line once and LF on its own never does. Lines have no length
// limit: a peer that never sends CR makes the unfinished text grow for as
// long as it talks (960 bytes a second at 9600 baud, about 3.5 MB an hour).

#include <string>
#include <string_view>
#include <vector>

namespace kelt {

class LineFraming {
public:
    // Takes the bytes of one read and returns the lines they complete, in
    // order, without their CR. The work is proportional to `bytes` alone:
    // nothing already kept is looked at again.
    std::vector<std::string> Feed(std::string_view bytes);

    // The bytes received that do not yet form a complete line (LF removed).
    const std::string& pendingText() const { return pendingText_; }

private:
    std::string pendingText_;
};

}  // namespace kelt
