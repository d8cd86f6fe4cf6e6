#pragma once
// The panel's serial port: opening it with the instrument's line settings,
// the one port channel both threads use, and the drain and close at the end.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "panel/panel_state.h"
#include "platform/handles.h"

namespace kelt {

// The channel behind portFileNo. It exists for the whole run; the port in it
// may be closed and reopened ("Comm Port") while the reader polls it, so every
// use of the handle happens under the channel's lock and never blocks for
// long: reads take only the bytes already waiting, writes have a time-out.
class PortChannel {
public:
    void Attach(platform::UniqueHandle port);
    void Close();
    bool IsOpen();
    // One write of all the bytes; false when it failed or was short.
    bool Write(std::string_view bytes);
    // The bytes waiting in the input queue, read without waiting. A closed
    // port, a failed query or a line error among errorMask gives nothing;
    // so does a raised busy flag (the window thread is writing commands).
    std::string ReadWaiting(DWORD errorMask, const std::atomic<std::int32_t>& busy);
    std::string ReadWaiting(DWORD errorMask);

private:
    std::mutex mutex_;
    platform::UniqueHandle port_;
};

std::int32_t AllocatePortChannel();          // the next free channel number
PortChannel& PortChannelOf(std::int32_t fileNo);

// Opens a device read/write, unshared, with an inheritable handle. Anything
// that is not a character device is closed and counts as not opened.
platform::UniqueHandle OpenCommDevice(const std::string& deviceName);

// Opens the port named by commPortText at 9600 8-N-1 with 4096-byte queues;
// 1 when open, 0 when not. A write that cannot finish (flow control held
// off, a wedged adapter) fails after about a second plus its own time on
// the line instead of freezing the panel.
int OpenPort(PanelState& state);
// Waits 1000 ms, discards what is waiting and closes the port.
void ClosePort(PanelState& state);

}  // namespace kelt
