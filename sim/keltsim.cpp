// keltsim: plays the KELT-9R on a pseudo-terminal so the panel and terminal
// programs can be exercised (under Wine, through a COM-port symlink) without
// the instrument on the bench.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "control.h"
#include "instrument.h"
#include "log.h"
#include "measurement.h"

namespace kelt::sim {
namespace {

volatile std::sig_atomic_t gSignal = 0;
void onSignal(int sig) { gSignal = sig; }

// 9600 baud, 8-N-1: a start bit, eight data bits and a stop bit per byte.
constexpr double kByteSeconds = 10.0 / 9600.0;
constexpr int kTickMs = 2;
constexpr double kControlPollSeconds = 0.05;
constexpr double kTermiosPollSeconds = 0.2;
constexpr std::size_t kBacklogBytes = 128;  // beyond this a rate is more than the line carries

// steady_clock is CLOCK_MONOTONIC here, so other processes can line their
// own monotonic timestamps up with the log.
double monoNow() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::string errnoText(std::string_view what) { return std::string(what) + ": " + std::strerror(errno); }

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    void reset() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

struct Pty {
    UniqueFd master;
    std::string slavePath;
};

std::optional<Pty> openPty(std::string& error) {
    UniqueFd master(posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    char name[PATH_MAX] = {};
    if (!master || grantpt(master.get()) != 0 || unlockpt(master.get()) != 0 ||
        ptsname_r(master.get(), name, sizeof name) != 0) {
        error = errnoText("cannot create a pty");
        return std::nullopt;
    }
    // On a pty, the master's settings are the slave's: raw, so no byte of the
    // protocol (CR above all) is translated or echoed on the way.
    termios tio{};
    if (tcgetattr(master.get(), &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(master.get(), TCSANOW, &tio);
    }
    // Only a slave that has been closed makes the master report POLLHUP; open
    // and close it once so a peer that has not arrived yet reads as absent.
    UniqueFd probe(::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC));
    return Pty{std::move(master), name};
}

bool pointLink(const std::string& link, const std::string& target, std::string& error) {
    struct stat st{};
    if (lstat(link.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        error = link + " exists and is not a symlink; not replacing it";
        return false;
    }
    // The peer may be looking the name up at this very moment: it must find
    // either the old target or the new one, never nothing.
    const std::string temp = link + ".keltsim-" + std::to_string(getpid());
    ::unlink(temp.c_str());
    if (::symlink(target.c_str(), temp.c_str()) != 0 || ::rename(temp.c_str(), link.c_str()) != 0) {
        error = errnoText("cannot point " + link + " at " + target);
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

void removeLink(const std::string& link, const std::string& target) {
    // Leave the name alone if someone else has re-pointed it meanwhile.
    char buf[PATH_MAX];
    const ssize_t n = ::readlink(link.c_str(), buf, sizeof buf);
    if (n > 0 && std::string_view(buf, static_cast<std::size_t>(n)) == target) ::unlink(link.c_str());
}

class Logger {
public:
    Logger(UniqueFd file, double start) : file_(std::move(file)), fd_(file_ ? file_.get() : 2), start_(start) {}

    LogEvent event(std::string_view name) const {
        const double now = monoNow();
        return LogEvent(name, now - start_, now);
    }
    // One write per event (file opened O_APPEND): a reader tailing the log
    // never sees half an event.
    void write(const LogEvent& e) const { writeAll(fd_, e.line()); }

private:
    UniqueFd file_;
    int fd_;
    double start_;
};

struct Chunk {
    std::string bytes;
    bool paced = true;
    std::string what;  // how it shows in the tx log
    std::size_t sent = 0;
};

class Simulator {
public:
    Simulator(Options options, const Logger& log)
        : opt_(std::move(options)), log_(log), pulses_(opt_.sounder, opt_.jitter),
          pendingBurst_(opt_.burst), pendingGarbage_(opt_.garbageSeconds) {}

    int run();

private:
    bool openDevice(std::string_view event);
    void closeDevice();
    void waitTick() const;
    void watchPeer();
    void readPeer();
    void handleLine(const RxLine& rx);
    void watchTermios();
    void pollControl();
    void execute(const ControlCommand& c);
    void scheduleOutput();
    void queue(std::string bytes, std::string what, bool paced = true);
    std::string nextLine() {
        return measurementLine(pulses_.next(), state_) + std::string(opt_.noCr ? kLineEndNoCr : kLineEnd);
    }
    void startBurst(int lines);
    void pump();

    Options opt_;
    const Logger& log_;
    InstrumentState state_;
    PulseSource pulses_;
    std::minstd_rand noise_{4242};
    LineSplitter splitter_;
    std::optional<Pty> pty_;
    bool peerPresent_ = false;
    std::optional<SerialSettings> lastSettings_;
    std::deque<Chunk> tx_;
    std::size_t txBytes_ = 0;
    double now_ = monoNow();
    double nextByteAt_ = 0;
    double nextLineAt_ = 0;
    double nextControlAt_ = 0;
    double nextTermiosAt_ = 0;
    double garbageUntil_ = 0;
    double returnAt_ = 0;
    int pendingBurst_;
    double pendingGarbage_;
    std::size_t controlOffset_ = 0;
    std::string controlPartial_;
    bool quit_ = false;
};

bool Simulator::openDevice(std::string_view event) {
    std::string error;
    auto pty = openPty(error);
    if (pty && !opt_.linkPath.empty() && !pointLink(opt_.linkPath, pty->slavePath, error)) pty.reset();
    if (!pty) {
        log_.write(log_.event("error").text("message", error));
        if (event == "start") std::fprintf(stderr, "keltsim: %s\n", error.c_str());
        return false;
    }
    pty_ = std::move(pty);
    peerPresent_ = false;
    lastSettings_.reset();
    splitter_ = LineSplitter{};
    if (opt_.printPty) {
        std::printf("%s\n", pty_->slavePath.c_str());
        std::fflush(stdout);
    }
    log_.write(log_.event(event).text("pty", pty_->slavePath).text("link", opt_.linkPath)
                   .integer("pid", getpid()));
    return true;
}

void Simulator::closeDevice() {
    if (!pty_) return;
    if (!opt_.linkPath.empty()) removeLink(opt_.linkPath, pty_->slavePath);
    pty_.reset();
    peerPresent_ = false;
    tx_.clear();
    txBytes_ = 0;
}

void Simulator::waitTick() const {
    if (pty_ && peerPresent_ && !opt_.stall) {
        pollfd p{pty_->master.get(), POLLIN, 0};
        ::poll(&p, 1, kTickMs);
    } else {
        // No peer: the master would report POLLHUP at once, over and over.
        ::poll(nullptr, 0, kTickMs);
    }
}

void Simulator::watchPeer() {
    pollfd p{pty_->master.get(), 0, 0};
    ::poll(&p, 1, 0);
    const bool present = !(p.revents & POLLHUP);
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
    tcflush(pty_->master.get(), TCIOFLUSH);
}

void Simulator::readPeer() {
    if (opt_.stall) return;
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(pty_->master.get(), buf, sizeof buf);
        if (n <= 0) break;  // EAGAIN: drained; EIO: the peer has gone
        // Every byte as it came, so that a stray byte or a wrong line end
        // shows even where the line framing forgives it.
        log_.write(log_.event("read").text("hex", hexBytes(std::string_view(buf, static_cast<std::size_t>(n)))));
        for (const RxLine& rx : splitter_.feed(std::string_view(buf, static_cast<std::size_t>(n)))) handleLine(rx);
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

void Simulator::watchTermios() {
    if (now_ < nextTermiosAt_) return;
    nextTermiosAt_ = now_ + kTermiosPollSeconds;
    termios tio{};
    if (tcgetattr(pty_->master.get(), &tio) != 0) return;
    const SerialSettings s = serialSettings(tio);
    if (lastSettings_ == s) return;
    lastSettings_ = s;
    log_.write(log_.event("termios").integer("baud", s.baud).integer("data_bits", s.dataBits)
                   .text("parity", std::string(1, s.parity)).integer("stop_bits", s.stopBits)
                   .flag("is_9600_8n1", s.is9600_8N1()));
}

void Simulator::pollControl() {
    if (opt_.controlPath.empty() || now_ < nextControlAt_) return;
    nextControlAt_ = now_ + kControlPollSeconds;
    // Reopened every time so that a file replaced by an editor is followed too.
    UniqueFd file(::open(opt_.controlPath.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st{};
    if (!file || fstat(file.get(), &st) != 0) return;
    if (static_cast<std::size_t>(st.st_size) < controlOffset_) {  // truncated or replaced: start over
        controlOffset_ = 0;
        controlPartial_.clear();
    }
    char buf[4096];
    ssize_t n = 0;
    while ((n = ::pread(file.get(), buf, sizeof buf, static_cast<off_t>(controlOffset_))) > 0) {
        controlOffset_ += static_cast<std::size_t>(n);
        controlPartial_.append(buf, static_cast<std::size_t>(n));
    }
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
    if (!pty_ || !peerPresent_) return;  // nobody would read it until the next open
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
        const ssize_t n = ::write(pty_->master.get(), c.bytes.data() + c.sent, want);
        if (n <= 0) {
            // Buffer full (the peer is not reading) or the peer has gone.
            nextByteAt_ = std::max(nextByteAt_, now_);
            return;
        }
        c.sent += static_cast<std::size_t>(n);
        txBytes_ -= static_cast<std::size_t>(n);
        nextByteAt_ = c.paced ? nextByteAt_ + static_cast<double>(n) * kByteSeconds : std::max(nextByteAt_, now_);
        if (c.sent < c.bytes.size()) return;
        tx_.pop_front();
    }
}

int Simulator::run() {
    if (!openDevice("start")) return 1;
    while (!gSignal && !quit_) {
        waitTick();
        now_ = monoNow();
        if (!pty_ && now_ >= returnAt_ && !openDevice("return")) returnAt_ = now_ + 1.0;
        if (pty_) {
            watchPeer();
            if (peerPresent_) readPeer();
            watchTermios();
            scheduleOutput();
            if (peerPresent_) pump();
        }
        pollControl();
    }
    log_.write(log_.event("stop").text("reason", gSignal ? (gSignal == SIGINT ? "SIGINT" : "SIGTERM") : "quit"));
    closeDevice();
    return 0;
}

}  // namespace
}  // namespace kelt::sim

int main(int argc, char** argv) {
    using namespace kelt::sim;
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const ParsedOptions parsed = parseOptions(args);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "keltsim: %s\nTry 'keltsim --help'.\n", parsed.error.c_str());
        return 2;
    }
    if (parsed.options.help) {
        std::fputs(usage("keltsim").c_str(), stdout);
        return 0;
    }

    UniqueFd logFile;
    if (!parsed.options.logPath.empty()) {
        logFile = UniqueFd(::open(parsed.options.logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
        if (!logFile) {
            std::fprintf(stderr, "keltsim: %s\n", errnoText("cannot open log " + parsed.options.logPath).c_str());
            return 2;
        }
    }

    struct sigaction sa{};
    sa.sa_handler = onSignal;  // no SA_RESTART: the tick's poll returns at once
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    const Logger log(std::move(logFile), monoNow());
    Simulator sim(parsed.options, log);
    return sim.run();
}
