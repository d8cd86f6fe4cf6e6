// The sample script shipped in the packages must be a file the panel itself
// could have saved: the panel's own reader accepts every value in it, and the
// panel's own writer gives back the very same bytes. A script that fails
// either way would load as factory settings without a word to the user.
//
// Usage: sample_check FILE

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "panel/panel_state.h"
#include "settings/settings_file.h"

namespace {

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        lines.push_back(text.substr(0, end == std::string_view::npos ? text.size() : end + 1));
        text.remove_prefix(lines.back().size());
    }
    return lines;
}

std::string Visible(std::string_view line) {
    std::string out;
    for (const char c : line) {
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (static_cast<unsigned char>(c) < 0x20) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
            out += hex;
        } else out += c;
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: sample_check FILE\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "%s: cannot open\n", argv[1]);
        return 1;
    }
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};

    // A mark that no file can hold shows which settings the reader refused
    // or never found.
    kelt::PanelState state;
    const std::string unread = "\x01 unread";
    const std::vector<std::pair<const char*, std::string*>> fields{
        {"Commport", &state.commPortText},
        {"Auto_freq flag", &state.autoFreqFlagText},
        {"Auto_freq value", &state.freqText},
        {"Auto_width flag", &state.autoWidthFlagText},
        {"Auto_width value", &state.widthText},
        {"Fish_Echo flag", &state.fishEchoFlagText},
        {"Fish_Echo on pulses", &state.onPulsesText},
        {"Fish_Echo off pulses", &state.offPulsesText},
        {"Fish_Depth", &state.fishDepthText},
        {"Fish_Reply_Level", &state.fishReplyLevelText},
        {"Bottom_Depth", &state.bottomDepthText},
        {"Bottom_Reply_Level", &state.bottomReplyLevelText},
        {"Depth_Units", &state.depthUnitsCode},
        {"LastFileLoaded", &state.lastFileLoaded},
        {"LastFileSaved", &state.lastFileSaved},
    };
    for (const auto& field : fields) *field.second = unread;

    kelt::ReadSettingsText(state, bytes);

    int failures = 0;
    for (const auto& field : fields) {
        if (*field.second == unread) {
            std::printf("%s: %s was not taken from the file\n", argv[1], field.first);
            ++failures;
        }
    }

    // Loading a script ticks the check boxes from its flags; saving writes
    // the boxes back.
    state.autoFreqChecked = state.autoFreqFlagText == "1" ? 1 : 0;
    state.autoWidthChecked = state.autoWidthFlagText == "1" ? 1 : 0;
    state.fishEchoChecked = state.fishEchoFlagText == "1" ? 1 : 0;
    const std::string saved = kelt::SettingsFileText(state);
    if (saved != bytes) {
        const auto want = Lines(saved);
        const auto have = Lines(bytes);
        // The first few differences tell enough; a file with the wrong line
        // ends differs everywhere.
        int shown = 0;
        for (std::size_t i = 0; i < std::max(want.size(), have.size()) && shown < 4; ++i) {
            const std::string_view w = i < want.size() ? want[i] : "(none)";
            const std::string_view h = i < have.size() ? have[i] : "(none)";
            if (w != h) {
                ++shown;
                std::printf("%s: line %zu is \"%s\", the panel would save \"%s\"\n", argv[1], i + 1,
                            Visible(h).c_str(), Visible(w).c_str());
                ++failures;
            }
        }
    }

    if (failures == 0) std::printf("%s: every value accepted, bytes as the panel saves them\n", argv[1]);
    return failures == 0 ? 0 : 1;
}
