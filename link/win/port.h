#pragma once
// The instrument's serial port, for both programs: opened with the line's
// settings (and, on failure, the reason kept), written by the window thread,
// polled by a reader thread, drained and closed at the end. Every use of the
// handle happens under one lock, so the port can be closed and reopened
// ("Comm Port") while a reader polls it, and never closes between a poll's
// question and its read.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "link/seams.h"
#include "platform/win/handles.h"

namespace kelt {

// How a program opens its port.
struct PortOptions {
    std::uint32_t outputQueue;  // bytes asked of the driver
    std::uint32_t inputQueue;
    bool inheritable;           // the handle as the panel has always opened it
};
inline constexpr PortOptions kPanelPortOptions{4096, 4096, true};
// The largest queues the driver will give.
inline constexpr PortOptions kTerminalPortOptions{0xFFFFFFFF, 0xFFFFFFFF, false};

// Opens the device as Port::Open does and closes it again, changing
// nothing on it: a probe that leaves another program's device (a GPS on
// COM1, another instrument) at its own line settings.
bool DeviceOpens(const std::string& deviceName, const PortOptions& options);

class Port : public LinePort {
public:
    // Opens the device read/write, unshared, existing only; anything but a
    // character device is closed again and counts as not opened. Then
    // 9600 8-N-1, the queue sizes and the write time-out; a setting the
    // driver refuses is skipped. Whatever was open before is closed first.
    // False when it does not open; why is kept in lastFailure() and written
    // to the debug channel. An empty name never opens.
    bool Open(const std::string& deviceName, const PortOptions& options);
    // Takes a handle opened elsewhere as the port (the tests hand in a pipe).
    void Adopt(platform::UniqueHandle handle);
    bool IsOpen();
    void Close();
    // One write of all the bytes; false when it failed or was short.
    bool Write(std::string_view bytes);
    std::string ReadWaiting(const std::atomic<bool>& busy) override;
    // Waits for the last bytes on their way, drops what is queued, closes.
    void DrainAndClose();
    std::wstring lastFailure();

private:
    std::mutex mutex_;
    platform::UniqueHandle port_;
    std::wstring lastFailure_;
};

}  // namespace kelt
