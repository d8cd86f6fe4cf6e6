// The instrument on its serial line: reads and answers command lines, sends
// measurement lines paced at 9600 8-N-1, follows the control file and plays
// the misbehaviour it is asked for. The same on every system; only the Port
// underneath differs.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <random>
#include <string>
#include <string_view>

#include "control.h"
#include "instrument.h"
#include "log.h"
#include "measurement.h"
#include "port.h"

namespace kelt::sim {

class Logger {
public:
    Logger(const LogFile& file, double start) : file_(file), start_(start) {}

    LogEvent event(std::string_view name) const {
        const double now = monoNow();
        return LogEvent(name, now - start_, now);
    }
    void write(const LogEvent& e) const { file_.write(e.line()); }

private:
    const LogFile& file_;
    double start_;
};

class Simulator {
public:
    Simulator(Options options, Port& port, const Logger& log);

    // Until the control file says quit or a stop request comes; 0, or 1 when
    // the device could not be opened at the start.
    int run();

private:
    struct Chunk {
        std::string bytes;
        bool paced = true;
        std::string what;  // how it shows in the tx log
        std::size_t sent = 0;
    };

    bool openDevice(std::string_view event);
    void closeDevice();
    void watchPeer();
    void readPeer();
    void handleLine(const RxLine& rx);
    void watchLineSettings();
    void pollControl();
    void execute(const ControlCommand& c);
    void scheduleOutput();
    void queue(std::string bytes, std::string what, bool paced = true);
    std::string nextLine();
    void startBurst(int lines);
    void pump();

    Options opt_;
    Port& port_;
    const Logger& log_;
    InstrumentState state_;
    PulseSource pulses_;
    std::minstd_rand noise_{4242};
    LineSplitter splitter_;
    bool peerPresent_ = false;
    std::optional<SerialSettings> lastSettings_;
    std::deque<Chunk> tx_;
    std::size_t txBytes_ = 0;
    double now_ = monoNow();
    double nextByteAt_ = 0;
    double nextLineAt_ = 0;
    long linesMade_ = 0;
    double nextControlAt_ = 0;
    double nextSettingsAt_ = 0;
    double garbageUntil_ = 0;
    double returnAt_ = 0;
    int pendingBurst_;
    double pendingGarbage_;
    std::size_t controlOffset_ = 0;
    std::string controlPartial_;
    bool quit_ = false;
};

}  // namespace kelt::sim
