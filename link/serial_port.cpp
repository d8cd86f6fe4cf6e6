#include "link/serial_port.h"

#include <deque>

#include "link/port_names.h"
#include "panel/conversions.h"
#include "platform/serial_line.h"
#include "platform/text.h"

namespace kelt {

namespace {
constexpr DWORD kQueueBytes = 4096;
}  // namespace

void PortChannel::Attach(platform::UniqueHandle port) {
    std::lock_guard lock(mutex_);
    port_ = std::move(port);
}

void PortChannel::Close() {
    std::lock_guard lock(mutex_);
    port_.reset();
}

bool PortChannel::IsOpen() {
    std::lock_guard lock(mutex_);
    return port_ != nullptr;
}

bool PortChannel::Write(std::string_view bytes) {
    std::lock_guard lock(mutex_);
    if (!port_) return false;
    DWORD written = 0;
    const auto size = static_cast<DWORD>(bytes.size());
    return WriteFile(port_.get(), bytes.data(), size, &written, nullptr) && written == size;
}

std::string PortChannel::ReadWaiting(DWORD errorMask) {
    const std::atomic<std::int32_t> idle{0};
    return ReadWaiting(errorMask, idle);
}

std::string PortChannel::ReadWaiting(DWORD errorMask, const std::atomic<std::int32_t>& busy) {
    // Query and read under one lock, so the port cannot close between them.
    std::lock_guard lock(mutex_);
    if (!port_) return {};
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(port_.get(), &errors, &status) || (errors & errorMask) != 0) return {};
    if (status.cbInQue == 0 || busy != 0) return {};
    std::string bytes(status.cbInQue, '\0');
    DWORD read = 0;
    if (!ReadFile(port_.get(), bytes.data(), status.cbInQue, &read, nullptr)) return {};
    bytes.resize(read);
    return bytes;
}

std::int32_t AllocatePortChannel() {
    static std::mutex mutex;
    static std::int32_t next = 0;
    std::lock_guard lock(mutex);
    PortChannelOf(++next);  // make sure it exists before anyone uses it
    return next;
}

PortChannel& PortChannelOf(std::int32_t fileNo) {
    // A deque never moves its elements, so references stay valid as
    // channels are added.
    static std::mutex mutex;
    static std::deque<PortChannel> channels;
    std::lock_guard lock(mutex);
    const auto index = static_cast<size_t>(fileNo < 1 ? 0 : fileNo - 1);
    while (channels.size() <= index) channels.emplace_back();
    return channels[index];
}

platform::UniqueHandle OpenCommDevice(const std::string& deviceName) {
    if (deviceName.empty()) return nullptr;  // a port text that names no device
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE raw = CreateFileW(platform::AnsiToWide(deviceName).c_str(),
                             GENERIC_READ | GENERIC_WRITE, 0, &inheritable, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw == INVALID_HANDLE_VALUE) return nullptr;
    platform::UniqueHandle port(raw);
    if (GetFileType(raw) != FILE_TYPE_CHAR) return nullptr;
    return port;
}

int OpenPort(PanelState& state) {
    platform::UniqueHandle port = OpenCommDevice(PortDeviceName(state.commPortText));
    if (!port) return 0;
    state.portOpen = RoundHalfEven(ParseNumber(state.commPortText));
    platform::SetLine9600_8N1(port.get());
    platform::SetQueueSizes(port.get(), kQueueBytes, kQueueBytes);
    // A byte takes 1.04 ms at 9600 baud; a second more for a busy driver.
    platform::LimitWriteTime(port.get(), 1000, 2);
    PortChannelOf(state.portFileNo).Attach(std::move(port));
    return 1;
}

void ClosePort(PanelState& state) {
    Sleep(1000);
    PortChannel& channel = PortChannelOf(state.portFileNo);
    channel.ReadWaiting(0);
    channel.Close();
}

}  // namespace kelt
