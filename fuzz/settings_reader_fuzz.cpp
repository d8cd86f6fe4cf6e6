// Arbitrary bytes as a settings or script file. What the panel relies on:
// - whatever a file holds, a stored value is the factory one or one that
//   passed its check, so the upload never sees an unchecked setting;
// - no stored value can break the lines of the file written from it;
// - a record whose values are plain (no key names inside, nothing the comma
//   rule would strip) survives Quit and the next start unchanged.
// A record that is not plain may need more than one save and load to
// settle, since a key name inside a value moves that value to another
// setting on the next read; only the checks above are asked of it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "panel/conversions.h"
#include "panel/panel_state.h"
#include "settings/settings_file.h"

namespace kelt {
namespace {

using Field = std::string PanelState::*;

struct NamedField {
    const char* name;
    Field field;
};

constexpr std::array<NamedField, 15> kTextFields{{
    {"commPortText", &PanelState::commPortText},
    {"autoFreqFlagText", &PanelState::autoFreqFlagText},
    {"freqText", &PanelState::freqText},
    {"autoWidthFlagText", &PanelState::autoWidthFlagText},
    {"widthText", &PanelState::widthText},
    {"fishEchoFlagText", &PanelState::fishEchoFlagText},
    {"onPulsesText", &PanelState::onPulsesText},
    {"offPulsesText", &PanelState::offPulsesText},
    {"fishDepthText", &PanelState::fishDepthText},
    {"fishReplyLevelText", &PanelState::fishReplyLevelText},
    {"bottomDepthText", &PanelState::bottomDepthText},
    {"bottomReplyLevelText", &PanelState::bottomReplyLevelText},
    {"depthUnitsCode", &PanelState::depthUnitsCode},
    {"lastFileLoaded", &PanelState::lastFileLoaded},
    {"lastFileSaved", &PanelState::lastFileSaved},
}};

// Values the file splits by the comma rule; the two file names are taken whole.
constexpr std::array<Field, 10> kCommaRuleValues{
    &PanelState::commPortText,   &PanelState::freqText,           &PanelState::widthText,
    &PanelState::onPulsesText,   &PanelState::offPulsesText,      &PanelState::fishDepthText,
    &PanelState::fishReplyLevelText, &PanelState::bottomDepthText, &PanelState::bottomReplyLevelText,
    &PanelState::depthUnitsCode,
};

constexpr std::array<std::string_view, 11> kKeys{
    "Commport",     "Auto_freq",          "Auto_width",  "Fish_Echo",      "Fish_Depth",    "Fish_Reply_Level",
    "Bottom_Depth", "Bottom_Reply_Level", "Depth_Units", "LastFileLoaded", "LastFileSaved",
};

void Require(bool holds, const char* what, const char* field) {
    if (holds) return;
    std::fprintf(stderr, "settings reader: %s (%s)\n", what, field);
    std::abort();
}

bool IsFlag(const std::string& v) { return v == "0" || v == "1"; }

bool NumberIn(const std::string& v, double lo, double hi) {
    const double x = ParseNumber(v);
    return x >= lo && x <= hi;
}

// Every field holds its factory value or a value its check accepts.
void RequireCheckedValues(const PanelState& s) {
    const double port = ParseNumber(s.commPortText);
    const double khz = ParseNumber(s.freqText);
    Require(s.commPortText == "15" || (port > 0 && port < 16), "port outside 1..15", "commPortText");
    Require(IsFlag(s.autoFreqFlagText), "flag not 0 or 1", "autoFreqFlagText");
    Require(s.freqText.empty() || (khz > double(0.2f) && khz <= 1000), "frequency out of range", "freqText");
    Require(IsFlag(s.autoWidthFlagText), "flag not 0 or 1", "autoWidthFlagText");
    Require(s.widthText.empty() || NumberIn(s.widthText, 10, 10000), "width out of range", "widthText");
    Require(IsFlag(s.fishEchoFlagText), "flag not 0 or 1", "fishEchoFlagText");
    Require(NumberIn(s.onPulsesText, 0, 50), "pulses out of range", "onPulsesText");
    Require(NumberIn(s.offPulsesText, 0, 50), "pulses out of range", "offPulsesText");
    Require(NumberIn(s.fishDepthText, 0.5, 500), "depth out of range", "fishDepthText");
    Require(NumberIn(s.bottomDepthText, 0.5, 500), "depth out of range", "bottomDepthText");
    Require(NumberIn(s.fishReplyLevelText, double(0.006f), 50), "level out of range", "fishReplyLevelText");
    Require(NumberIn(s.bottomReplyLevelText, double(0.006f), 50), "level out of range", "bottomReplyLevelText");
    Require(s.depthUnitsCode == "cf" || s.depthUnitsCode == "cF" || s.depthUnitsCode == "cm",
            "unknown depth unit", "depthUnitsCode");
    for (const NamedField& f : kTextFields)
        Require((s.*f.field).find_first_of("\r\x1A") == std::string::npos, "line end inside a value", f.name);
}

bool HasEdgeBlank(const std::string& v) { return !v.empty() && (v.front() == ' ' || v.back() == ' '); }

bool IsPlain(const PanelState& s) {
    for (const NamedField& f : kTextFields) {
        const std::string& v = s.*f.field;
        if (HasEdgeBlank(v)) return false;
        for (std::string_view key : kKeys)
            if (v.find(key) != std::string::npos) return false;
    }
    for (Field f : kCommaRuleValues) {
        const std::string& v = s.*f;
        if (v.find(',') != std::string::npos || (!v.empty() && v.front() == '"')) return false;
    }
    return true;
}

// What the upload does with the flags before the user can press Quit.
void TickCheckBoxesFromFlags(PanelState& s) {
    s.autoFreqChecked = s.autoFreqFlagText == "1";
    s.autoWidthChecked = s.autoWidthFlagText == "1";
    s.fishEchoChecked = s.fishEchoFlagText == "1";
}

// Saves `from`, starts afresh and reads the file back into `to`.
void SaveAndLoad(PanelState& from, PanelState& to) {
    TickCheckBoxesFromFlags(from);
    const std::string file = SettingsFileText(from);
    std::size_t lineEnds = 0;
    for (std::size_t at = file.find("\r\n"); at != std::string::npos; at = file.find("\r\n", at + 2)) ++lineEnds;
    Require(lineEnds == 15 && file.find('\r') == file.find("\r\n"), "written file is not 15 lines", "file");
    SetDefaultSettings(to);
    ReadSettingsText(to, file);
    RequireCheckedValues(to);
    if (!IsPlain(from)) return;
    for (const NamedField& f : kTextFields) Require(to.*f.field == from.*f.field, "value changed on reload", f.name);
}

}  // namespace
}  // namespace kelt

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelt;
    PanelState read;
    SetDefaultSettings(read);
    ReadSettingsText(read, std::string_view(reinterpret_cast<const char*>(data), size));
    RequireCheckedValues(read);
    PanelState once;
    PanelState twice;
    SaveAndLoad(read, once);
    SaveAndLoad(once, twice);
    return 0;
}
