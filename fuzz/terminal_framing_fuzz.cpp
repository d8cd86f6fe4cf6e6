// The terminal's incoming-line framing under arbitrary bytes cut into
// arbitrary reads, held against the rule applied to the whole input at once:
// delete every LF, split at CR; the pieces before the last CR are the lines,
// what follows it is the unfinished text. A serial port hands over whatever
// has arrived, so the result must not depend on where the reads fall.
//
// Input: byte 0 says how many read sizes follow; each size byte gives a read
// of 0 to 96 bytes, used in turn (an empty read is fed too); without sizes
// the rest goes in one read. The rest is the bytes on the line.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "link/line_framing.h"

namespace {

using Lines = std::vector<std::string>;

void Require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "terminal framing: %s\n", what);
    __builtin_trap();
}

struct Framed {
    Lines lines;
    std::string pending;
};

// The rule applied to the whole input at once.
Framed FrameWhole(std::string_view wire) {
    std::string text;
    std::copy_if(wire.begin(), wire.end(), std::back_inserter(text), [](char c) { return c != '\n'; });
    Framed framed;
    std::size_t from = 0;
    for (std::size_t cr = text.find('\r'); cr != std::string::npos; cr = text.find('\r', from)) {
        framed.lines.push_back(text.substr(from, cr - from));
        from = cr + 1;
    }
    framed.pending = text.substr(from);
    return framed;
}

bool HasLineEnd(const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::size_t sizeCount = std::min<std::size_t>(data[0], size - 1);
    std::vector<std::size_t> readSizes;
    for (std::size_t i = 0; i < sizeCount; ++i) readSizes.push_back(data[1 + i] % 97u);
    std::string_view wire(reinterpret_cast<const char*>(data) + 1 + sizeCount, size - 1 - sizeCount);
    // Reads of nothing alone would never get through the input.
    if (std::all_of(readSizes.begin(), readSizes.end(), [](std::size_t n) { return n == 0; }))
        readSizes.push_back(std::max<std::size_t>(wire.size(), 1));

    const Framed expected = FrameWhole(wire);
    kelt::LineFraming framing;
    Lines got;
    // Counted as the reads go, so every read is checked without rescanning.
    std::size_t crsSoFar = 0;
    std::size_t pendingSoFar = 0;
    for (std::size_t turn = 0; !wire.empty(); ++turn) {
        const std::string_view read = wire.substr(0, readSizes[turn % readSizes.size()]);
        wire.remove_prefix(read.size());
        const Lines lines = framing.Feed(read);
        for (char c : read) {
            if (c == '\r') {
                ++crsSoFar;
                pendingSoFar = 0;
            } else if (c != '\n') {
                ++pendingSoFar;
            }
        }
        if (read.empty()) Require(lines.empty(), "an empty read completed a line");
        for (const std::string& line : lines) {
            Require(!HasLineEnd(line), "a line holds CR or LF");
            Require(got.size() < expected.lines.size(), "more lines than the input has");
            Require(line == expected.lines[got.size()], "a line differs from the whole-input framing");
            got.push_back(line);
        }
        Require(got.size() == crsSoFar, "a line was held back or given early");
        Require(framing.pendingText().size() == pendingSoFar, "the unfinished text has the wrong length");
        Require(!HasLineEnd(framing.pendingText()), "the unfinished text holds CR or LF");
    }
    Require(got == expected.lines, "the lines differ from the whole-input framing");
    Require(framing.pendingText() == expected.pending, "the unfinished text differs from the whole-input framing");
    return 0;
}
