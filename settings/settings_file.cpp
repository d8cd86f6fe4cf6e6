#include "settings/settings_file.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

#include "link/comma_fields.h"
#include "link/numbers.h"
#include "link/protocol.h"

namespace kelt {
namespace {

constexpr std::string_view kHeaderRule = "'**************************************************";
constexpr std::string_view kHeaderMaker = "'** Quillion Maritime Corp.                      **";
constexpr std::string_view kHeaderVersion = "'** KELT_9R.scp file Version 1.0                 **";
constexpr std::string_view kLineEnd = "\r\n";
constexpr char kBlank = ' ';
constexpr std::size_t kPrintZone = 14;  // the check value and the setting line up in zones of 14 columns

// Bounds of what a file may set. The two fractional lower bounds were
// single-precision constants and their widened values decide, so "0.2" kHz
// and "0.006" mV themselves are refused while ".007" is taken.
constexpr double kPortAbove = 0, kPortBelow = 16;
constexpr double kFreqAbove = double(0.2f), kFreqAtMost = 1000;
constexpr double kWidthFrom = 10, kWidthTo = 10000;
constexpr double kPulsesFrom = 0, kPulsesTo = 50;
constexpr double kDepthFrom = 0.5, kDepthTo = 500;
constexpr double kLevelFrom = double(0.006f), kLevelTo = 50;

bool IsFlag(std::string_view field) { return field == "0" || field == "1"; }

bool IsUnitCode(std::string_view field) {
    return field == command::UnitFeet || field == command::UnitFathoms || field == command::UnitMeters;
}

bool NumberFrom(std::string_view field, double lo, double hi) {
    const double v = ParseNumber(field);
    return v >= lo && v <= hi;
}

void StoreIf(bool accepted, std::string& target, std::string& value) {
    if (accepted) target = std::move(value);
}

std::string_view TrimBlanks(std::string_view w) {
    const std::size_t first = w.find_first_not_of(kBlank);
    if (first == std::string_view::npos) return {};
    return w.substr(first, w.find_last_not_of(kBlank) - first + 1);
}

void StoreCommport(StoredSettings& s, std::string_view w) {
    auto f = CommaFields(w, 1);
    const double port = ParseNumber(f[0]);
    StoreIf(port > kPortAbove && port < kPortBelow, s.commPortText, f[0]);
}

void StoreAutoFreq(StoredSettings& s, std::string_view w) {
    auto f = CommaFields(w, 2);
    StoreIf(IsFlag(f[0]), s.autoFreqFlagText, f[0]);
    const double khz = ParseNumber(f[1]);
    StoreIf(khz > kFreqAbove && khz <= kFreqAtMost, s.freqText, f[1]);
}

void StoreAutoWidth(StoredSettings& s, std::string_view w) {
    auto f = CommaFields(w, 2);
    StoreIf(IsFlag(f[0]), s.autoWidthFlagText, f[0]);
    StoreIf(NumberFrom(f[1], kWidthFrom, kWidthTo), s.widthText, f[1]);
}

void StoreFishEcho(StoredSettings& s, std::string_view w) {
    auto f = CommaFields(w, 3);
    StoreIf(IsFlag(f[0]), s.fishEchoFlagText, f[0]);
    StoreIf(NumberFrom(f[1], kPulsesFrom, kPulsesTo), s.onPulsesText, f[1]);
    StoreIf(NumberFrom(f[2], kPulsesFrom, kPulsesTo), s.offPulsesText, f[2]);
}

void StoreFishDepth(StoredSettings& s, std::string_view w) {
    auto f = CommaFields(w, 1);
    StoreIf(NumberFrom(f[0], kDepthFrom, kDepthTo), s.fishDepthText, f[0]);
}

void StoreFishReplyLevel(StoredSettings& s, std::string_view w) {
    auto f = CommaFields(w, 1);
    StoreIf(NumberFrom(f[0], kLevelFrom, kLevelTo), s.fishReplyLevelText, f[0]);
}

void StoreBottomDepth(StoredSettings& s, std::string_view w) {
    auto f = CommaFields(w, 1);
    StoreIf(NumberFrom(f[0], kDepthFrom, kDepthTo), s.bottomDepthText, f[0]);
}

void StoreBottomReplyLevel(StoredSettings& s, std::string_view w) {
    auto f = CommaFields(w, 1);
    StoreIf(NumberFrom(f[0], kLevelFrom, kLevelTo), s.bottomReplyLevelText, f[0]);
}

void StoreDepthUnits(StoredSettings& s, std::string_view w) {
    auto f = CommaFields(w, 1);
    StoreIf(IsUnitCode(f[0]), s.depthUnitsCode, f[0]);
}

// File names may hold commas, so they take the whole value.
void StoreLastFileLoaded(StoredSettings& s, std::string_view w) { s.lastFileLoaded = w; }
void StoreLastFileSaved(StoredSettings& s, std::string_view w) { s.lastFileSaved = w; }

struct KeyRule {
    std::string_view key;
    bool trimmed;  // blanks around the value removed before it is split
    void (*store)(StoredSettings&, std::string_view);
};

// Tried in this order on every line, each against what the keys before it
// left of the line: once a key has matched, only its value is searched for
// the keys after it.
constexpr std::array<KeyRule, 11> kKeyRules{{
    {"Commport", false, StoreCommport},
    {"Auto_freq", false, StoreAutoFreq},
    {"Auto_width", false, StoreAutoWidth},
    {"Fish_Echo", true, StoreFishEcho},
    {"Fish_Depth", true, StoreFishDepth},
    {"Fish_Reply_Level", true, StoreFishReplyLevel},
    {"Bottom_Depth", true, StoreBottomDepth},
    {"Bottom_Reply_Level", true, StoreBottomReplyLevel},
    {"Depth_Units", true, StoreDepthUnits},
    {"LastFileLoaded", true, StoreLastFileLoaded},
    {"LastFileSaved", true, StoreLastFileSaved},
}};

// A key may stand anywhere in a line (so a leading apostrophe does not make
// a comment); lines without any key, like the header, change nothing.
void ReadSettingsLine(StoredSettings& state, std::string_view line) {
    std::string_view w = line;
    for (const KeyRule& rule : kKeyRules) {
        if (w.find(rule.key) == std::string_view::npos) continue;
        if (const std::size_t eq = w.find('='); eq != std::string_view::npos) w.remove_prefix(eq + 1);
        if (rule.trimmed) w = TrimBlanks(w);
        rule.store(state, w);
    }
}

// The setting after a check value starts in the next 14-column zone.
std::string CheckAndValueLine(std::string_view prefix, bool checked, std::string_view value) {
    std::string line = std::string(prefix) + SignedNumberText(checked ? 1 : 0) + " , ";
    line.append(kPrintZone - line.size() % kPrintZone, kBlank);
    line += value;
    return line;
}

}  // namespace

void SetDefaultSettings(StoredSettings& state) {
    state.autoFreqFlagText = "1";
    state.autoWidthFlagText = "1";
    state.fishEchoFlagText = "0";
    state.freqText = "";
    state.widthText = "";
    state.onPulsesText = "1";
    state.offPulsesText = "0";
    state.fishDepthText = "15.0";
    state.fishReplyLevelText = "50.0";
    state.bottomDepthText = "30";
    state.bottomReplyLevelText = "50.0";
    state.depthUnitsCode = command::UnitFeet;
    state.commPortText = "15";
    state.lastFileLoaded = "";
    state.lastFileSaved = "";
}

// A line ends at CR, which takes an LF right after it along; a lone LF is
// part of the line. Ctrl-Z or the end of the bytes ends the data, and an
// unfinished last line still counts.
void ReadSettingsText(StoredSettings& state, std::string_view bytes) {
    const std::string_view data = bytes.substr(0, bytes.find(kEndOfData));
    std::size_t pos = 0;
    while (pos < data.size()) {
        const std::size_t cr = std::min(data.find('\r', pos), data.size());
        ReadSettingsLine(state, data.substr(pos, cr - pos));
        pos = cr + 1;
        if (pos < data.size() && data[pos] == '\n') ++pos;
    }
}

void ReadSettingsFile(StoredSettings& state, std::string_view fileName,
                      std::optional<std::string_view> contents) {
    state.lastFileLoaded = fileName;
    if (contents) ReadSettingsText(state, *contents);
}

std::string SettingsFileText(const StoredSettings& s) {
    const std::array<std::string, 15> lines{
        std::string(kHeaderRule),
        std::string(kHeaderMaker),
        std::string(kHeaderVersion),
        std::string(kHeaderRule),
        "Commport = " + s.commPortText,
        CheckAndValueLine("Auto_freq = ", s.autoFreqChecked, s.freqText),
        CheckAndValueLine("Auto_width = ", s.autoWidthChecked, s.widthText),
        "Fish_Echo = " + SignedNumberText(s.fishEchoChecked ? 1 : 0) + " , " + s.onPulsesText + " , " +
            s.offPulsesText,
        "Fish_Depth = " + s.fishDepthText,
        "Fish_Reply_Level = " + s.fishReplyLevelText,
        "Bottom_Depth = " + s.bottomDepthText,
        "Bottom_Reply_Level = " + s.bottomReplyLevelText,
        "Depth_Units = " + s.depthUnitsCode,
        "LastFileLoaded  = " + s.lastFileLoaded,
        "LastFileSaved  = " + s.lastFileSaved,
    };
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += kLineEnd;
    }
    return text;
}

bool IsPlainFileName(std::string_view name) {
    return !name.empty() && name.find_first_of("*?") == std::string_view::npos && name.back() != ':';
}

}  // namespace kelt
