// How the simulator is driven: its command line, the run-time control file,
// and what it reads back of the serial settings the peer chose.
#pragma once

#include <termios.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "measurement.h"

namespace kelt::sim {

// Lines per second; 0 sends only on request, infinity back to back.
std::optional<double> parseRate(std::string_view text);

struct Options {
    std::string linkPath;
    bool printPty = false;
    double rate = 2.0;
    Pulse sounder;
    bool jitter = false;
    std::string logPath;  // empty: standard error
    bool logTx = false;
    std::string controlPath;
    // Misbehaviour from the start; the same switches exist in the control file.
    bool noCr = false;
    bool stall = false;
    int burst = 0;              // lines in one write when the peer first opens
    double garbageSeconds = 0;  // noise when the peer first opens
    bool help = false;
};

struct ParsedOptions {
    Options options;
    std::string error;  // empty when the arguments were fine
};

ParsedOptions parseOptions(const std::vector<std::string_view>& args);
std::string usage(std::string_view program);

enum class ControlKind { None, Vanish, Rate, NoCr, Burst, Garbage, Flood, Stall, Line, Quit };

struct ControlCommand {
    ControlKind kind = ControlKind::None;
    double number = 0;  // seconds, lines per second or line count
    bool on = false;
    std::string text;   // for "line"
};

struct ParsedControl {
    ControlCommand command;
    std::string error;
};

// One line of the control file (blank lines and "#" comments give None).
ParsedControl parseControl(std::string_view line);

struct SerialSettings {
    long baud = 0;
    int dataBits = 8;
    char parity = 'N';  // N, E, O, M(ark), S(pace)
    int stopBits = 1;

    bool is9600_8N1() const { return baud == 9600 && dataBits == 8 && parity == 'N' && stopBits == 1; }
    friend bool operator==(const SerialSettings&, const SerialSettings&) = default;
};

SerialSettings serialSettings(const termios& tio);

}  // namespace kelt::sim
