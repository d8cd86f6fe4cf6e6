// The KELT-9R's side of the command protocol: framing of incoming bytes into
// command lines, what each line means, and the settings the instrument holds.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kelt::sim {

enum class DepthUnit { Feet, Fathoms, Meters };

enum class CommandKind {
    BeginUpload,  // "~~~"
    EndUpload,    // "S"
    Unit,         // "cf", "cF", "cm"
    BottomDepth,  // "d<n>" tenths of the depth unit
    BottomLevel,  // "l<n>" attenuator step
    FishDepth,    // "D<n>"
    FishLevel,    // "L<n>"
    OffPulses,    // "e<n>" (switches the fish echo on)
    OnPulses,     // "E<n>"
    FishOff,      // "e" alone
    AutoFreq,     // "A"
    ManualFreq,   // "f<n>" tenths of a kHz
    AutoWidth,    // "a"
    ManualWidth,  // "w<n>" microseconds
    Measure,      // " " one blank: send a measurement line now
    Empty,        // CR LF alone
    Unknown,
};

struct Command {
    CommandKind kind = CommandKind::Unknown;
    long value = 0;                    // only for kinds that carry a number
    DepthUnit unit = DepthUnit::Feet;  // only for CommandKind::Unit
};

// `line` is the text without its terminator.
Command parseCommand(std::string_view line);

// Stable name used in the event log ("bottom-depth", "unknown", ...).
std::string_view commandName(CommandKind kind);
bool carriesValue(CommandKind kind);
std::string_view unitName(DepthUnit unit);

// Power-on settings of the instrument; they match the panel's defaults so a
// panel that skips the upload still sees consistent numbers.
struct InstrumentState {
    DepthUnit unit = DepthUnit::Feet;
    int bottomDepthSteps = 300;
    int fishDepthSteps = 150;
    int bottomLevelStep = 255;
    int fishLevelStep = 255;
    bool fishEcho = false;
    int onPulses = 1;
    int offPulses = 0;
    bool autoFreq = true;
    int freqTenths = 500;
    bool autoWidth = true;
    int widthUs = 400;
    bool uploading = false;
};

struct Outcome {
    bool known = true;         // false for lines the instrument ignores
    bool limited = false;      // the value was outside what the hardware can do
    bool measureNow = false;   // the peer asked for a measurement line
};

Outcome apply(InstrumentState& state, const Command& command);

struct RxLine {
    std::string text;  // without terminator
    std::string raw;   // exactly as received, terminator included
};

// Frames the byte stream into lines. CR LF, CR alone and LF alone all end a
// line; the LF of a CR LF pair split across two reads is dropped silently.
class LineSplitter {
public:
    static constexpr std::size_t kMaxLine = 1024;

    std::vector<RxLine> feed(std::string_view bytes);
    std::size_t pending() const { return partial_.size(); }

private:
    std::string partial_;
    bool afterCr_ = false;
};

}  // namespace kelt::sim
