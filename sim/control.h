// How the simulator is driven: its command line, the run-time control file,
// and what it reads back of the serial line settings.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "line_settings.h"
#include "measurement.h"

namespace kelt::sim {

// Lines per second; 0 sends only on request, infinity back to back.
std::optional<double> parseRate(std::string_view text);

// The device a build plays the instrument on: the Linux build makes a
// pseudo-terminal, the Windows build opens a COM port that is there.
enum class PortKind { Pty, Com };

struct Options {
    std::string linkPath;   // pty only
    bool printPty = false;  // pty only
    std::string portText;   // COM only: "16" opens \\.\COM16, as the panel's port text does
    double rate = 2.0;
    Pulse sounder;
    bool jitter = false;
    bool numbered = false;  // the period field counts the lines sent: 1.0, 2.0, ...
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

ParsedOptions parseOptions(const std::vector<std::string_view>& args, PortKind kind = PortKind::Pty);
std::string usage(std::string_view program, PortKind kind = PortKind::Pty);

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

}  // namespace kelt::sim
