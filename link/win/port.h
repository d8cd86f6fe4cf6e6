#pragma once
// The instrument's serial port, for both programs: opened with the line's
// settings (and, on failure, the reason kept), written by the window thread,
// polled by a reader thread, drained and closed at the end. Every use of the
// handle happens under one lock, so the port can be closed and reopened
// ("Comm Port") while a reader polls it, and never closes between a poll's
// question and its read. A read that hangs in a broken driver is cancelled,
// so that neither a write nor the end of the program waits for it for ever.

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
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

// What the port does with its device. The port's own device is a Windows
// handle; a test may hand in another, such as one whose read never returns.
class PortDevice {
public:
    virtual ~PortDevice() = default;
    // Bytes waiting in the input queue; 0 when the query fails or reports a
    // line error (which asking clears).
    virtual std::uint32_t BytesWaiting() = 0;
    // Reads `count` waiting bytes; what came, nothing when the read failed. A
    // broken driver may keep it from returning (see CancelRead).
    virtual std::string Read(std::uint32_t count) = 0;
    // One write of all the bytes; false when it failed or was short.
    virtual bool Write(std::string_view bytes) = 0;
    // Drops whatever waits in the input queue, line error or not.
    virtual void DiscardWaiting() = 0;
    // From another thread, while a Read hangs: makes it fail and return.
    virtual void CancelRead() = 0;
};

class Port : public LinePort {
public:
    // Opens the device read/write, unshared, existing only; anything but a
    // character device is closed again and counts as not opened. Then
    // 9600 8-N-1, the queue sizes and the write time-out; a setting the
    // driver refuses is skipped. Whatever was open before is closed first.
    // False when it does not open; why is kept in lastFailure() and written
    // to the debug channel. An empty name never opens.
    bool Open(const std::string& deviceName, const PortOptions& options);
    // Takes a handle opened elsewhere as the port (the tests hand in a pipe),
    // or another device altogether.
    void Adopt(platform::UniqueHandle handle);
    void Adopt(std::unique_ptr<PortDevice> device);
    bool IsOpen();
    void Close();
    // One write of all the bytes; false when it failed or was short.
    bool Write(std::string_view bytes);
    std::string ReadWaiting(const std::atomic<bool>& busy) override;
    // Waits for the last bytes on their way, drops what is queued, closes.
    void DrainAndClose();
    std::wstring lastFailure();

    // How long the window thread waits for a read to give the port back
    // before it cancels the read, and again before it gives up.
    static constexpr std::chrono::milliseconds kStuckReadBound{500};

private:
    using Lock = std::unique_lock<std::timed_mutex>;
    // The port for the window thread's use, within the bound: a read that
    // hangs in the driver is cancelled; if even that does not let the port
    // go, the lock is not owned and the caller gives up.
    Lock LockCancellingAStuckRead();
    void SetReading(PortDevice* device);

    std::timed_mutex mutex_;
    std::unique_ptr<PortDevice> device_;
    std::wstring lastFailure_;
    // The device while a read is on it, for the window thread to cancel.
    std::mutex readingMutex_;
    PortDevice* reading_ = nullptr;
};

}  // namespace kelt
