#include "instrument.h"

#include <algorithm>
#include <charconv>

namespace kelt::sim {

namespace {

// Value-carrying words. "e" is both a value command and the bare "fish off".
struct ValueWord {
    char word;
    CommandKind kind;
};
constexpr ValueWord kValueWords[] = {
    {'d', CommandKind::BottomDepth}, {'l', CommandKind::BottomLevel},
    {'D', CommandKind::FishDepth},   {'L', CommandKind::FishLevel},
    {'e', CommandKind::OffPulses},   {'E', CommandKind::OnPulses},
    {'f', CommandKind::ManualFreq},  {'w', CommandKind::ManualWidth},
};

// The panel writes values as plain decimal integers: no blank, no plus sign.
bool parseValue(std::string_view digits, long& out) {
    if (digits.empty() || digits.front() == '+') return false;
    const char* end = digits.data() + digits.size();
    auto [ptr, ec] = std::from_chars(digits.data(), end, out);
    return ec == std::errc{} && ptr == end;
}

// Stores `value` limited to what the hardware does; tells whether it had to.
bool store(int& field, long value, int lo, int hi) {
    field = static_cast<int>(std::clamp<long>(value, lo, hi));
    return field != value;
}

}  // namespace

Command parseCommand(std::string_view line) {
    if (line.empty()) return {CommandKind::Empty};
    if (line == " ") return {CommandKind::Measure};
    if (line == "~~~") return {CommandKind::BeginUpload};
    if (line == "S") return {CommandKind::EndUpload};
    if (line == "A") return {CommandKind::AutoFreq};
    if (line == "a") return {CommandKind::AutoWidth};
    if (line == "e") return {CommandKind::FishOff};
    if (line == "cf") return {CommandKind::Unit, 0, DepthUnit::Feet};
    if (line == "cF") return {CommandKind::Unit, 0, DepthUnit::Fathoms};
    if (line == "cm") return {CommandKind::Unit, 0, DepthUnit::Meters};
    for (const auto& w : kValueWords) {
        long value = 0;
        if (line.front() == w.word && parseValue(line.substr(1), value)) return {w.kind, value};
    }
    return {CommandKind::Unknown};
}

std::string_view commandName(CommandKind kind) {
    switch (kind) {
        case CommandKind::BeginUpload: return "begin-upload";
        case CommandKind::EndUpload: return "end-upload";
        case CommandKind::Unit: return "unit";
        case CommandKind::BottomDepth: return "bottom-depth";
        case CommandKind::BottomLevel: return "bottom-level";
        case CommandKind::FishDepth: return "fish-depth";
        case CommandKind::FishLevel: return "fish-level";
        case CommandKind::OffPulses: return "off-pulses";
        case CommandKind::OnPulses: return "on-pulses";
        case CommandKind::FishOff: return "fish-off";
        case CommandKind::AutoFreq: return "auto-freq";
        case CommandKind::ManualFreq: return "freq";
        case CommandKind::AutoWidth: return "auto-width";
        case CommandKind::ManualWidth: return "width";
        case CommandKind::Measure: return "measure";
        case CommandKind::Empty: return "empty";
        case CommandKind::Unknown: break;
    }
    return "unknown";
}

bool carriesValue(CommandKind kind) {
    return std::any_of(std::begin(kValueWords), std::end(kValueWords),
                       [kind](const ValueWord& w) { return w.kind == kind; });
}

std::string_view unitName(DepthUnit unit) {
    switch (unit) {
        case DepthUnit::Fathoms: return "fathoms";
        case DepthUnit::Meters: return "meters";
        case DepthUnit::Feet: break;
    }
    return "feet";
}

Outcome apply(InstrumentState& s, const Command& c) {
    Outcome out;
    switch (c.kind) {
        case CommandKind::BeginUpload: s.uploading = true; break;
        case CommandKind::EndUpload: s.uploading = false; break;
        case CommandKind::Unit: s.unit = c.unit; break;
        case CommandKind::BottomDepth: out.limited = store(s.bottomDepthSteps, c.value, 5, 5000); break;
        case CommandKind::FishDepth: out.limited = store(s.fishDepthSteps, c.value, 5, 5000); break;
        case CommandKind::BottomLevel: out.limited = store(s.bottomLevelStep, c.value, 0, 255); break;
        case CommandKind::FishLevel: out.limited = store(s.fishLevelStep, c.value, 0, 255); break;
        case CommandKind::OffPulses:
            // The panel switches the fish echo on with "e<n>" then "E<n>".
            s.fishEcho = true;
            out.limited = store(s.offPulses, c.value, 0, 50);
            break;
        case CommandKind::OnPulses: out.limited = store(s.onPulses, c.value, 0, 50); break;
        case CommandKind::FishOff: s.fishEcho = false; break;
        case CommandKind::AutoFreq: s.autoFreq = true; break;
        case CommandKind::ManualFreq:
            // The synthesiser's floor is 0.3 kHz: the frequency it reports back
            // ends up in the panel's settings file, which refuses 0.2 kHz.
            s.autoFreq = false;
            out.limited = store(s.freqTenths, c.value, 3, 10000);
            break;
        case CommandKind::AutoWidth: s.autoWidth = true; break;
        case CommandKind::ManualWidth:
            s.autoWidth = false;
            out.limited = store(s.widthUs, c.value, 10, 10000);
            break;
        case CommandKind::Measure: out.measureNow = true; break;
        case CommandKind::Empty: break;
        case CommandKind::Unknown: out.known = false; break;
    }
    return out;
}

std::vector<RxLine> LineSplitter::feed(std::string_view bytes) {
    std::vector<RxLine> lines;
    for (char ch : bytes) {
        const bool swallow = afterCr_ && ch == '\n';
        afterCr_ = false;
        if (swallow) {
            if (!lines.empty()) lines.back().raw.push_back(ch);
            continue;
        }
        if (ch == '\r' || ch == '\n') {
            lines.push_back({partial_, partial_ + ch});
            partial_.clear();
            afterCr_ = ch == '\r';
            continue;
        }
        partial_.push_back(ch);
        // A peer that never ends its lines must not grow us without bound.
        if (partial_.size() >= kMaxLine) {
            lines.push_back({partial_, partial_});
            partial_.clear();
        }
    }
    return lines;
}

}  // namespace kelt::sim
