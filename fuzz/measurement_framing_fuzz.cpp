// The measurement reader's framing under arbitrary bytes cut into arbitrary
// reads, held against the framing rule applied literally (an unbounded buffer,
// every line taken out one after the other).
//
// Input: byte 0 picks the longest kept run (1..64, or the real one when its
// top bit is set); byte 1 says how many read sizes follow; each size byte
// gives a read of 1 to 96 bytes, used in turn; the rest is the line's bytes.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "link/framing.h"

namespace {

void Check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "measurement framing: %s\n", what);
    std::abort();
}

// Every line taken out in turn from a buffer that keeps everything.
struct LiteralFraming {
    std::string buffer;
    std::string line;

    // True when the read completed a line.
    bool Feed(std::string_view bytes) {
        buffer += bytes;
        bool took = false;
        for (std::size_t cr = buffer.find('\r'); cr != std::string::npos; cr = buffer.find('\r')) {
            line = buffer.substr(0, buffer.find('\n'));
            buffer.erase(0, cr + 1);
            took = true;
        }
        return took;
    }
};

void CheckAfterRead(const kelt::MeasurementFramer& framer, const LiteralFraming& literal, std::size_t longestRun) {
    const std::string& line = framer.currentLine();
    const std::string& kept = framer.receiveBuffer();
    Check(line.find('\n') == std::string::npos, "a line holds an LF");
    Check(kept.size() <= 2 * longestRun + 1, "the buffer outgrew two runs and a CR");
    Check(kept.find('\r') == kept.rfind('\r'), "the buffer holds more than one CR");
    // Lines shorter than the longest run never notice what was dropped.
    if (literal.line.size() < longestRun) Check(line == literal.line, "a short line differs");
    if (literal.buffer.size() <= longestRun) Check(kept == literal.buffer, "the unframed rest differs");
    // With nothing dropped for length, only lines that can no longer count are gone.
    if (longestRun == kelt::kLongestRun) Check(literal.buffer.ends_with(kept), "kept bytes are not the newest");
    if (!kelt::IsMeasurementLine(line)) return;
    const kelt::MeasurementTexts texts = kelt::SplitMeasurement(line);
    Check(texts.field[7].size() <= 5, "the bottom level is longer than 5 characters");
    for (const std::string& field : texts.field) Check(field.size() < line.size(), "a field outgrew its line");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::size_t longestRun = (data[0] & 0x80) != 0 ? kelt::kLongestRun : (data[0] & 0x3f) + 1u;
    const std::size_t sizeCount = std::min<std::size_t>(data[1], size - 2);
    std::vector<std::size_t> readSizes;
    for (std::size_t i = 0; i < sizeCount; ++i) readSizes.push_back(data[2 + i] % 96 + 1u);
    if (readSizes.empty()) readSizes.push_back(1);
    std::string_view wire(reinterpret_cast<const char*>(data) + 2 + sizeCount, size - 2 - sizeCount);

    kelt::MeasurementFramer framer(longestRun);
    LiteralFraming literal;
    for (std::size_t turn = 0; !wire.empty(); ++turn) {
        const std::string_view read = wire.substr(0, readSizes[turn % readSizes.size()]);
        wire.remove_prefix(read.size());
        Check(framer.Feed(read) == literal.Feed(read), "the read's new line is told wrongly");
        CheckAfterRead(framer, literal, longestRun);
    }
    return 0;
}
