#include "control.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "link/port_names.h"

namespace kelt::sim {

namespace {

std::optional<double> parseNumber(std::string_view text) {
    double value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc{} || ptr != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<double> numberIn(std::string_view text, double lo, double hi) {
    auto v = parseNumber(text);
    if (!v || *v < lo || *v > hi) return std::nullopt;
    return v;
}

std::optional<bool> parseSwitch(std::string_view text) {
    if (text == "on") return true;
    if (text == "off") return false;
    return std::nullopt;
}

std::string_view trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

}  // namespace

std::optional<double> parseRate(std::string_view text) {
    if (text == "max") return std::numeric_limits<double>::infinity();
    return numberIn(text, 0.0, 1000.0);
}

ParsedOptions parseOptions(const std::vector<std::string_view>& args, PortKind kind) {
    ParsedOptions out;
    Options& o = out.options;
    const bool pty = kind == PortKind::Pty;
    for (std::size_t i = 0; i < args.size() && out.error.empty(); ++i) {
        std::string_view name = args[i];
        std::optional<std::string_view> inlineValue;
        if (const auto eq = name.find('='); name.starts_with("--") && eq != std::string_view::npos) {
            inlineValue = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        auto fail = [&](std::string_view why) { out.error = std::string(name) + ": " + std::string(why); };
        auto value = [&]() -> std::optional<std::string_view> {
            if (inlineValue) return inlineValue;
            if (i + 1 < args.size()) return args[++i];
            fail("needs a value");
            return std::nullopt;
        };
        auto number = [&](double& target, double lo, double hi, std::string_view what) {
            if (auto v = value(); v && out.error.empty()) {
                if (auto n = numberIn(*v, lo, hi)) target = *n;
                else fail(what);
            }
        };
        auto flag = [&](bool& target) {
            if (inlineValue) fail("takes no value");
            target = true;
        };

        if (name == "--help" || name == "-h") flag(o.help);
        else if (pty && name == "--print-pty") flag(o.printPty);
        else if (name == "--jitter") flag(o.jitter);
        else if (name == "--numbered") flag(o.numbered);
        else if (name == "--log-tx") flag(o.logTx);
        else if (name == "--no-cr") flag(o.noCr);
        else if (name == "--stall") flag(o.stall);
        else if ((pty && name == "--link") || name == "--log" || name == "--control") {
            auto v = value();
            if (v && v->empty()) fail("needs a non-empty path");
            else if (v) (name == "--link" ? o.linkPath : name == "--log" ? o.logPath : o.controlPath) = *v;
        } else if (!pty && name == "--port") {
            // The panel's own rule: a separator would lead the device name
            // to another device or a file.
            if (auto v = value()) {
                if (v->empty() || kelt::PortDeviceName(*v).empty()) fail("expects a COM port number such as 16");
                else o.portText = *v;
            }
        } else if (name == "--rate") {
            if (auto v = value()) {
                if (auto r = parseRate(*v)) o.rate = *r;
                else fail("expects lines per second from 0 to 1000, or max");
            }
        } else if (name == "--sounder-freq") number(o.sounder.freqKHz, 0.3, 1000, "expects kHz from 0.3 to 1000");
        else if (name == "--sounder-width") number(o.sounder.widthUs, 10, 10000, "expects µs from 10 to 10000");
        else if (name == "--sounder-period") number(o.sounder.periodMs, 0.1, 99999, "expects ms from 0.1 to 99999");
        else if (name == "--sounder-volts") number(o.sounder.voltsPP, 0, 999, "expects volts from 0 to 999");
        else if (name == "--garbage") number(o.garbageSeconds, 0, 3600, "expects seconds from 0 to 3600");
        else if (name == "--burst") {
            double n = 0;
            number(n, 1, 10000, "expects a line count from 1 to 10000");
            if (out.error.empty() && n != std::floor(n)) fail("expects a whole line count");
            o.burst = static_cast<int>(n);
        } else {
            out.error = "unknown argument '" + std::string(name) + "' (try --help)";
        }
    }
    if (out.error.empty() && !pty && o.portText.empty() && !o.help) out.error = "--port: the COM port is missing";
    return out;
}

std::string usage(std::string_view program, PortKind kind) {
    const bool pty = kind == PortKind::Pty;
    std::string u = "Usage: " + std::string(program);
    if (pty) {
        u += " [OPTIONS]\n"
             "Plays the KELT-9R echo-sounder tester on a pseudo-terminal (9600 8-N-1 pacing).\n\n"
             "  --link PATH           point symlink PATH at the pty (replaced atomically)\n"
             "  --print-pty           print the pty path on standard output\n";
    } else {
        u += " --port N [OPTIONS]\n"
             "Plays the KELT-9R echo-sounder tester on a COM port, set to 9600 8-N-1 and paced\n"
             "to it. Pair it with the panel through a null-modem cable or a virtual port pair.\n\n"
             "  --port N              the COM port: 16 opens \\\\.\\COM16 (any number works)\n";
    }
    u += "  --rate R              measurement lines per second (default 2; 0 = only on\n"
         "                        request with a blank line; max = back to back)\n"
         "  --sounder-freq KHZ    sounder frequency (default 50)\n"
         "  --sounder-width US    sounder pulse width (default 400)\n"
         "  --sounder-period MS   sounder pulse period (default 250)\n"
         "  --sounder-volts VPP   sounder amplitude, volts peak to peak (default 12.5)\n"
         "  --jitter              small reproducible wander of the measured pulse\n"
         "  --numbered            the period field counts the lines sent (1.0, 2.0, ...),\n"
         "                        to tell from outside which line a display shows\n"
         "  --log FILE            JSON-lines event log (default standard error)\n"
         "  --log-tx              also log every line sent\n"
         "  --control FILE        run-time commands, one per line, read as appended\n"
         "  --no-cr               end lines with LF only\n";
    u += pty ? "  --stall               never read from the pty\n" : "  --stall               never read from the port\n";
    u += "  --burst N             send N lines in one write when the peer first opens\n"
         "  --garbage SECONDS     send noise without CR when the peer first opens\n"
         "  -h, --help            this text\n\n"
         "Control file commands: vanish SECONDS | rate R | no-cr on|off | burst N | flood BYTES |\n"
         "  garbage SECONDS | stall on|off | line TEXT | quit\n"
         "Lines already in the control file at start are carried out too.\n"
         "Exit status: 0 done, 1 runtime failure, 2 bad arguments.\n";
    return u;
}

ParsedControl parseControl(std::string_view raw) {
    ParsedControl out;
    ControlCommand& c = out.command;
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    const std::string_view line = trim(raw);
    if (line.empty() || line.front() == '#') return out;

    const auto space = line.find_first_of(" \t");
    const std::string_view word = line.substr(0, space);
    const std::string_view arg = space == std::string_view::npos ? std::string_view{} : trim(line.substr(space));

    auto need = [&](std::optional<double> v, std::string_view what) {
        if (v) c.number = *v;
        else out.error = std::string(word) + " expects " + std::string(what);
    };
    auto onOff = [&] {
        if (auto v = parseSwitch(arg)) c.on = *v;
        else out.error = std::string(word) + " expects on or off";
    };

    if (word == "vanish") { c.kind = ControlKind::Vanish; need(numberIn(arg, 0, 3600), "seconds"); }
    else if (word == "rate") { c.kind = ControlKind::Rate; need(parseRate(arg), "lines per second or max"); }
    else if (word == "garbage") { c.kind = ControlKind::Garbage; need(numberIn(arg, 0, 3600), "seconds"); }
    // Noise without CR as fast as the peer reads it: hours of a wrong baud
    // rate in seconds.
    else if (word == "flood") { c.kind = ControlKind::Flood; need(numberIn(arg, 1, 1e9), "a byte count"); }
    else if (word == "burst") {
        c.kind = ControlKind::Burst;
        need(numberIn(arg, 1, 10000), "a line count");
        if (out.error.empty() && c.number != std::floor(c.number)) out.error = "burst expects a whole line count";
    }
    else if (word == "no-cr") { c.kind = ControlKind::NoCr; onOff(); }
    else if (word == "stall") { c.kind = ControlKind::Stall; onOff(); }
    else if (word == "quit" && arg.empty()) c.kind = ControlKind::Quit;
    else if (word == "line") {
        // Verbatim: everything after the single separating blank, blanks included.
        c.kind = ControlKind::Line;
        c.text = std::string(raw.substr(std::min(raw.size(), raw.find("line") + 5)));
    }
    else out.error = "unknown control command '" + std::string(word) + "'";
    return out;
}

}  // namespace kelt::sim
