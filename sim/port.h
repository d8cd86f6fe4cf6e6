// The one place where the Linux and the Windows simulator differ: the device
// the instrument talks on, and the few services of the system around it
// (the clock, the event log's file, the control file, the stop request).
// Everything the instrument does is in simulator.cpp, shared by both.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "control.h"
#include "line_settings.h"
#include "log.h"

namespace kelt::sim {

// The simulator's end of the serial line: a pseudo-terminal it makes
// (Linux), or a COM port it opens (Windows). Only wait() waits on purpose;
// the pacing at 9600 8-N-1 is the simulator's, which hands write() only the
// bytes that are due, so that a real line takes them about as fast as they
// come (on a COM port a write may return only once its bytes are sent).
class Port {
public:
    virtual ~Port() = default;

    // Makes or opens the device; false with the reason when it cannot.
    virtual bool open(std::string& error) = 0;
    // Adds what names the open device to the "start" and "return" events.
    virtual void describe(LogEvent& event) const = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Whether a program holds the other end, as far as this kind of port can
    // tell. Only called while the port is open.
    virtual bool peerPresent() = 0;
    // Returns after `ms` milliseconds, sooner once bytes arrive if `listen`.
    // Also called while the port is closed: then it only waits.
    virtual void wait(int ms, bool listen) = 0;
    // What the peer sent and is there now, at most `size` bytes, without
    // waiting; 0 when nothing is (or the peer has gone).
    virtual std::size_t read(char* buffer, std::size_t size) = 0;
    // Writes without waiting for the line; how many bytes were taken, 0 when
    // the line takes none now (the peer does not read, or has gone).
    virtual std::size_t write(std::string_view bytes) = 0;
    // The peer went: whatever still waits in either direction is dropped, so
    // the next program to open its end finds no stale lines.
    virtual void discardQueued() = 0;

    // The line settings as this port can read them, and the event that logs
    // them: "termios" for the settings the peer chose on a pty, "dcb" for the
    // COM port's own, which is all Windows shows of a line.
    virtual std::optional<SerialSettings> lineSettings() = 0;
    virtual std::string_view lineSettingsEvent() const = 0;
};

// This build's port, set up from the options (--link or --port).
std::unique_ptr<Port> makePort(const Options& options);
PortKind portKind();

// Seconds on a monotonic clock: CLOCK_MONOTONIC on Linux, the performance
// counter on Windows, so that other programs on the same system can line
// their own steady-clock times up with the log.
double monoNow();
long processId();

// The event log's file: every event goes out in one write, so a reader that
// follows the file never sees half of one. Without a path: standard error.
class LogFile {
public:
    LogFile();
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;
    bool open(const std::string& path, std::string& error);
    void write(std::string_view line) const;

private:
    struct Handle;
    std::unique_ptr<Handle> handle_;
};

// The bytes of a file from `offset` on, read afresh each time so that a file
// an editor replaced is followed too; nullopt when it cannot be read now.
// `size` is the file's whole size, so a file that shrank can be started over.
struct FileTail {
    std::size_t size = 0;
    std::string bytes;
};
std::optional<FileTail> readFileFrom(const std::string& path, std::size_t offset);

// Ctrl-C and the like end the run cleanly; stopReason() names the request
// once one came ("SIGINT", "SIGTERM", "ctrl-c", ...), else it is empty.
void catchStopRequests();
std::string_view stopReason();

}  // namespace kelt::sim
