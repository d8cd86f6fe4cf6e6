#pragma once
// The instrument's measurement messages: incoming bytes framed into lines,
// the check that tells a measurement line from anything else on the wire,
// and the split of a line into the eight texts the panel shows.
//
// A message normally ends with LF CR and then frames to exactly its text.
// Other endings go through the same rule: a CR without LF stays in the line,
// together with whatever follows it up to the next LF.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace kelt {

// The most bytes kept of one stretch of the line without a CR.
inline constexpr std::size_t kLongestRun = 64 * 1024;

class MeasurementFramer {
public:
    explicit MeasurementFramer(std::size_t longestRun = kLongestRun) : longestRun_(longestRun) {}

    // Takes the bytes of one read, whatever its size. When the buffered bytes
    // hold a CR, currentLine becomes the last line they complete: the text
    // from where that line starts up to the first LF after it (or to the end
    // of the buffer when no LF follows), and everything up to its CR leaves
    // the buffer. True when the read completed a line, so that a line is
    // examined once, in the read that completed it: a reader that falls
    // behind the instrument catches up with its newest line at once.
    //
    // Only the last complete line can ever be shown, so earlier ones are
    // dropped as soon as a later CR arrives, and a stretch without a CR keeps
    // only its first longestRun bytes until the next CR: lines shorter than
    // that frame exactly as if nothing were dropped, and the buffer never
    // holds more than two such stretches and a CR. The work of a call follows
    // the bytes it was given and the line it takes out; every buffered byte
    // is moved at most once in its life.
    bool Feed(std::string_view bytesOfOneRead);

    // The last line taken out; it stays from one read to the next.
    const std::string& currentLine() const { return currentLine_; }
    // The bytes received and not yet framed (holds at most one CR).
    const std::string& receiveBuffer() const { return receiveBuffer_; }

private:
    void AppendToRun(std::string_view bytes);
    void EndRun();
    void TakeLine();

    std::size_t longestRun_;
    std::string receiveBuffer_;
    std::size_t pendingCr_ = std::string::npos;  // the CR in receiveBuffer_, if any
    std::string currentLine_;
};

// A measurement line is longer than 5 characters and its first comma stands
// at (1-based) position 5 to 9: the measured frequency takes 4 to 8
// characters. Anything else on the wire is ignored.
bool IsMeasurementLine(std::string_view line);

// Texts of the eight fields, in the order the instrument sends them:
// frequency, width, period, volts, set frequency, set width, bottom depth,
// bottom level.
struct MeasurementTexts {
    std::array<std::string, 8> field;
};

// Fields 1 to 8 by the comma-field rule; missing ones are empty, further ones
// ignored. The bottom level keeps only its first 5 characters.
MeasurementTexts SplitMeasurement(std::string_view line);

}  // namespace kelt
