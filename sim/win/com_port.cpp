// The Windows port: a COM port that is there (an adapter, a virtual pair,
// or under Wine whatever dosdevices/comN points at), opened with the
// panel's device-name rule and set to 9600 8-N-1 by the simulator itself.
#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>

#include "platform/win/handles.h"
#include "link/win/line_setup.h"
#include "platform/win/text.h"
#include "link/port_names.h"
#include "sim/com_peer.h"
#include "sim/port.h"
#include "win_errors.h"

namespace kelt::sim {
namespace {

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
constexpr DWORD CREATE_WAITABLE_TIMER_HIGH_RESOLUTION = 0x00000002;
#endif

constexpr DWORD kQueueBytes = 4096;
// A write is handed only the bytes due, a few at a time; on a line held up
// by flow control it gives up soon and the pacing tries again.
constexpr DWORD kWriteConstantMs = 50;
constexpr DWORD kWritePerByteMs = 2;

class ComPort final : public Port {
public:
    explicit ComPort(std::string portText)
        : portText_(std::move(portText)), device_(kelt::PortDeviceName(portText_)),
          // Plain Sleep and timers tick in steps of up to 15.6 ms; the
          // high-resolution timer exists from Windows 10, version 1803.
          timer_(CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                        TIMER_ALL_ACCESS)) {}

    bool open(std::string& error) override {
        if (device_.empty()) {
            error = "the port text " + portText_ + " names no COM port";
            return false;
        }
        HANDLE raw = CreateFileW(platform::AnsiToWide(device_).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (raw == INVALID_HANDLE_VALUE) {
            error = "cannot open " + device_ + ": " + lastErrorText();
            return false;
        }
        platform::UniqueHandle port(raw);
        if (GetFileType(raw) != FILE_TYPE_CHAR) {
            error = device_ + " is not a serial port";
            return false;
        }
        SetLine9600_8N1(raw);
        SetQueueSizes(raw, kQueueBytes, kQueueBytes);
        COMMTIMEOUTS timeouts{};
        timeouts.ReadIntervalTimeout = MAXDWORD;  // a read returns at once with what is there
        timeouts.WriteTotalTimeoutMultiplier = kWritePerByteMs;
        timeouts.WriteTotalTimeoutConstant = kWriteConstantMs;
        SetCommTimeouts(raw, &timeouts);
        // Tell a peer on a full null-modem cable that the instrument is on;
        // a port with hardware handshake or without the lines refuses, which
        // changes nothing.
        EscapeCommFunction(raw, SETDTR);
        EscapeCommFunction(raw, SETRTS);
        // Nothing of what came before the instrument was switched on.
        PurgeComm(raw, PURGE_RXCLEAR | PURGE_TXCLEAR);
        port_ = std::move(port);
        peer_.reset();
        return true;
    }

    void describe(LogEvent& event) const override { event.text("port", portText_).text("device", device_); }

    void close() override { port_.reset(); }

    bool isOpen() const override { return port_ != nullptr; }

    bool peerPresent() override {
        DWORD lines = 0;
        std::optional<bool> dsr;
        if (GetCommModemStatus(port_.get(), &lines)) dsr = (lines & MS_DSR_ON) != 0;
        return peer_.present(dsr);
    }

    // Bytes are looked for at each tick: the time a command line is logged
    // with is at most one tick after it came.
    void wait(int ms, bool) override {
        LARGE_INTEGER due{};
        due.QuadPart = -10'000LL * ms;  // relative, in 100 ns
        if (timer_ && SetWaitableTimer(timer_.get(), &due, 0, nullptr, nullptr, FALSE) &&
            WaitForSingleObject(timer_.get(), INFINITE) == WAIT_OBJECT_0)
            return;
        Sleep(static_cast<DWORD>(ms));
    }

    std::size_t read(char* buffer, std::size_t size) override {
        // ClearCommError also clears a framing or overrun error, which
        // would otherwise stop every further read on some drivers.
        DWORD errors = 0;
        COMSTAT status{};
        if (!ClearCommError(port_.get(), &errors, &status) || status.cbInQue == 0) return 0;
        const auto want = static_cast<DWORD>(std::min<std::size_t>(size, status.cbInQue));
        DWORD got = 0;
        if (!ReadFile(port_.get(), buffer, want, &got, nullptr)) return 0;
        return got;
    }

    std::size_t write(std::string_view bytes) override {
        // A time-out is no failure: the count says how much went.
        DWORD written = 0;
        WriteFile(port_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        return written;
    }

    void discardQueued() override {
        PurgeComm(port_.get(), PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR);
    }

    std::optional<SerialSettings> lineSettings() override {
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (!GetCommState(port_.get(), &dcb)) return std::nullopt;
        return serialSettingsFromDcb(dcb.BaudRate, dcb.ByteSize, dcb.Parity, dcb.StopBits);
    }

    std::string_view lineSettingsEvent() const override { return "dcb"; }

private:
    std::string portText_;
    std::string device_;
    platform::UniqueHandle timer_;
    platform::UniqueHandle port_;
    ComPeer peer_;
};

}  // namespace

std::unique_ptr<Port> makePort(const Options& options) { return std::make_unique<ComPort>(options.portText); }

PortKind portKind() { return PortKind::Com; }

}  // namespace kelt::sim
