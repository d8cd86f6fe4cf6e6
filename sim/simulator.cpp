#include "simulator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

namespace kelt::sim {
namespace {

// 9600 baud, 8-N-1: a start bit, eight data bits and a stop bit per byte.
constexpr double kByteSeconds = 10.0 / 9600.0;
constexpr int kTickMs = 2;
constexpr double kControlPollSeconds = 0.05;
constexpr double kSettingsPollSeconds = 0.2;
constexpr std::size_t kBacklogBytes = 128;  // beyond this a rate is more than the line carries

}  // namespace

Simulator::Simulator(Options options, Port& port, const Logger& log)
    : opt_(std::move(options)), port_(port), log_(log), pulses_(opt_.sounder, opt_.jitter),
      pendingBurst_(opt_.burst), pendingGarbage_(opt_.garbageSeconds) {}

std::string Simulator::nextLine() {
    Pulse pulse = pulses_.next();
    ++linesMade_;
    if (opt_.numbered) pulse.periodMs = static_cast<double>(linesMade_);
    return measurementLine(pulse, state_) + std::string(opt_.noCr ? kLineEndNoCr : kLineEnd);
}

bool Simulator::openDevice(std::string_view event) {
    std::string error;
    if (!port_.open(error)) {
        log_.write(log_.event("error").text("message", error));
        if (event == "start") std::fprintf(stderr, "keltsim: %s\n", error.c_str());
        return false;
    }
    peerPresent_ = false;
    lastSettings_.reset();
    splitter_ = LineSplitter{};
    LogEvent e = log_.event(event);
    port_.describe(e);
    log_.write(e.integer("pid", processId()));
    return true;
}

void Simulator::closeDevice() {
    if (!port_.isOpen()) return;
    port_.close();
    peerPresent_ = false;
    tx_.clear();
    txBytes_ = 0;
}

void Simulator::watchPeer() {
    const bool present = port_.peerPresent();
    if (present == peerPresent_) return;
    if (present) {
        peerPresent_ = true;
        log_.write(log_.event("open"));
        nextLineAt_ = nextByteAt_ = now_;
        if (pendingBurst_ > 0) startBurst(std::exchange(pendingBurst_, 0));
        if (pendingGarbage_ > 0) garbageUntil_ = now_ + std::exchange(pendingGarbage_, 0.0);
        return;
    }
    readPeer();  // whatever it wrote before it closed
    peerPresent_ = false;
    log_.write(log_.event("close"));
    tx_.clear();
    txBytes_ = 0;
    // A closed COM port drops what arrives meanwhile; the next program to
    // open it must not find stale lines waiting.
    port_.discardQueued();
}

void Simulator::readPeer() {
    if (opt_.stall) return;
    char buf[4096];
    for (;;) {
        const std::size_t n = port_.read(buf, sizeof buf);
        if (n == 0) break;  // drained, or the peer has gone
        // Every byte as it came, so that a stray byte or a wrong line end
        // shows even where the line framing forgives it.
        log_.write(log_.event("read").text("hex", hexBytes(std::string_view(buf, n))));
        for (const RxLine& rx : splitter_.feed(std::string_view(buf, n))) handleLine(rx);
    }
}

void Simulator::handleLine(const RxLine& rx) {
    const Command cmd = parseCommand(rx.text);
    const Outcome outcome = apply(state_, cmd);
    LogEvent e = log_.event("rx");
    e.text("dir", "rx").text("line", rx.text).text("hex", hexBytes(rx.raw)).text("cmd", commandName(cmd.kind));
    if (carriesValue(cmd.kind)) e.integer("value", cmd.value);
    if (cmd.kind == CommandKind::Unit) e.text("unit", unitName(cmd.unit));
    if (outcome.limited) e.flag("limited", true);
    log_.write(e);
    if (outcome.measureNow) queue(nextLine(), "line");
}

void Simulator::watchLineSettings() {
    if (now_ < nextSettingsAt_) return;
    nextSettingsAt_ = now_ + kSettingsPollSeconds;
    const std::optional<SerialSettings> s = port_.lineSettings();
    if (!s || lastSettings_ == s) return;
    lastSettings_ = s;
    log_.write(log_.event(port_.lineSettingsEvent()).integer("baud", s->baud).integer("data_bits", s->dataBits)
                   .text("parity", std::string(1, s->parity)).integer("stop_bits", s->stopBits)
                   .flag("is_9600_8n1", s->is9600_8N1()));
}

void Simulator::pollControl() {
    if (opt_.controlPath.empty() || now_ < nextControlAt_) return;
    nextControlAt_ = now_ + kControlPollSeconds;
    std::optional<FileTail> tail = readFileFrom(opt_.controlPath, controlOffset_);
    if (tail && tail->size < controlOffset_) {  // truncated or replaced: start over
        controlOffset_ = 0;
        controlPartial_.clear();
        tail = readFileFrom(opt_.controlPath, 0);
    }
    if (!tail) return;
    controlOffset_ += tail->bytes.size();
    controlPartial_ += tail->bytes;
    std::size_t eol = 0;
    while (!quit_ && (eol = controlPartial_.find('\n')) != std::string::npos) {
        const std::string line = controlPartial_.substr(0, eol);
        controlPartial_.erase(0, eol + 1);
        const ParsedControl parsed = parseControl(line);
        if (parsed.command.kind == ControlKind::None && parsed.error.empty()) continue;
        LogEvent e = log_.event("control");
        e.text("cmd", line);
        if (!parsed.error.empty()) e.text("error", parsed.error);
        log_.write(e);
        if (parsed.error.empty()) execute(parsed.command);
    }
}

void Simulator::execute(const ControlCommand& c) {
    switch (c.kind) {
        case ControlKind::Vanish:
            log_.write(log_.event("vanish").real("seconds", c.number));
            closeDevice();
            returnAt_ = now_ + c.number;
            break;
        case ControlKind::Rate:
            opt_.rate = c.number;
            nextLineAt_ = now_;
            break;
        case ControlKind::NoCr: opt_.noCr = c.on; break;
        case ControlKind::Stall: opt_.stall = c.on; break;
        case ControlKind::Burst:
            if (peerPresent_) startBurst(static_cast<int>(c.number));
            else pendingBurst_ = static_cast<int>(c.number);
            break;
        case ControlKind::Garbage:
            if (peerPresent_) garbageUntil_ = now_ + c.number;
            else pendingGarbage_ = c.number;
            break;
        case ControlKind::Flood:
            queue(garbageBytes(noise_, static_cast<std::size_t>(c.number)), "flood", false);
            break;
        case ControlKind::Line: queue(c.text + std::string(kLineEnd), "verbatim"); break;
        case ControlKind::Quit: quit_ = true; break;
        case ControlKind::None: break;
    }
}

void Simulator::startBurst(int lines) {
    std::string bytes;
    for (int i = 0; i < lines; ++i) bytes += nextLine();
    queue(std::move(bytes), "burst", false);
}

void Simulator::scheduleOutput() {
    if (!peerPresent_) return;
    if (now_ < garbageUntil_) {
        if (tx_.empty()) queue(garbageBytes(noise_, 32), "garbage");
        return;
    }
    if (opt_.rate <= 0) return;
    if (std::isinf(opt_.rate)) {
        // Top up before the line runs dry so no byte slot goes unused.
        if (txBytes_ < 8) queue(nextLine(), "line");
        return;
    }
    if (now_ < nextLineAt_) return;
    if (txBytes_ < kBacklogBytes) queue(nextLine(), "line");
    const double period = 1.0 / opt_.rate;
    nextLineAt_ = std::max(nextLineAt_ + period, now_);
}

void Simulator::queue(std::string bytes, std::string what, bool paced) {
    if (!port_.isOpen() || !peerPresent_) return;  // nobody would read it until the next open
    if (tx_.empty()) nextByteAt_ = std::max(nextByteAt_, now_);
    txBytes_ += bytes.size();
    tx_.push_back({std::move(bytes), paced, std::move(what)});
}

void Simulator::pump() {
    while (!tx_.empty()) {
        Chunk& c = tx_.front();
        std::size_t want = c.bytes.size() - c.sent;
        if (c.paced) {
            if (now_ < nextByteAt_) return;
            // Whole bytes due since the last batch; keeping the fractional
            // remainder in nextByteAt_ makes the long-run rate exact.
            const auto due = static_cast<std::size_t>((now_ - nextByteAt_) / kByteSeconds) + 1;
            want = std::min(want, due);
        }
        if (c.sent == 0 && opt_.logTx) {
            std::string_view text = c.bytes;
            if (c.what != "burst") text = text.substr(0, text.find('\n'));
            log_.write(log_.event("tx").text("dir", "tx").text("what", c.what).text("line", text)
                           .text("hex", hexBytes(c.bytes)));
        }
        const std::size_t n = port_.write(std::string_view(c.bytes).substr(c.sent, want));
        if (n == 0) {
            // Buffer full (the peer is not reading) or the peer has gone.
            nextByteAt_ = std::max(nextByteAt_, now_);
            return;
        }
        c.sent += n;
        txBytes_ -= n;
        nextByteAt_ = c.paced ? nextByteAt_ + static_cast<double>(n) * kByteSeconds : std::max(nextByteAt_, now_);
        if (c.sent < c.bytes.size()) return;
        tx_.pop_front();
    }
}

int Simulator::run() {
    if (!openDevice("start")) return 1;
    while (stopReason().empty() && !quit_) {
        port_.wait(kTickMs, port_.isOpen() && peerPresent_ && !opt_.stall);
        now_ = monoNow();
        if (!port_.isOpen() && now_ >= returnAt_ && !openDevice("return")) returnAt_ = now_ + 1.0;
        if (port_.isOpen()) {
            watchPeer();
            if (peerPresent_) readPeer();
            watchLineSettings();
            scheduleOutput();
            if (peerPresent_) pump();
        }
        pollControl();
    }
    const std::string_view reason = stopReason();
    log_.write(log_.event("stop").text("reason", reason.empty() ? "quit" : reason));
    closeDevice();
    return 0;
}

}  // namespace kelt::sim
