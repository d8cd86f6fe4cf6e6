#include "link/win/port.h"

#include <chrono>

#include "link/line_rules.h"
#include "link/win/line_setup.h"
#include "platform/win/debug.h"
#include "platform/win/sleep.h"
#include "platform/win/text.h"

namespace kelt {

namespace {

// The device opened read/write, unshared, existing only, and checked to be
// a character device; nothing about the line is changed. Null when it does
// not open, and then `reason` says why.
platform::UniqueHandle OpenDevice(const std::wstring& name, bool inheritable, std::wstring& reason) {
    if (name.empty()) {
        reason = L"the port text names no device";
        return {};
    }
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE raw = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, inheritable ? &inherit : nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw == INVALID_HANDLE_VALUE) {
        reason = platform::ErrorText(GetLastError());
        return {};
    }
    platform::UniqueHandle device(raw);
    // A name can lead past the device names to a file, which is no line.
    if (const DWORD type = GetFileType(raw); type != FILE_TYPE_CHAR) {
        reason = L"not a character device (file type " + std::to_wstring(type) + L")";
        return {};
    }
    return device;
}

}  // namespace

bool DeviceOpens(const std::string& deviceName, const PortOptions& options) {
    std::wstring reason;
    return OpenDevice(platform::AnsiToWide(deviceName), options.inheritable, reason) != nullptr;
}

bool Port::Open(const std::string& deviceName, const PortOptions& options) {
    const std::wstring name = platform::AnsiToWide(deviceName);
    std::lock_guard lock(mutex_);
    port_.reset();
    std::wstring reason;
    platform::UniqueHandle port = OpenDevice(name, options.inheritable, reason);
    if (!port) {
        lastFailure_ = L"\"" + name + L"\" did not open: " + reason;
        platform::DebugLine(lastFailure_);
        return false;
    }
    SetLine9600_8N1(port.get());
    SetQueueSizes(port.get(), options.outputQueue, options.inputQueue);
    LimitWriteTime(port.get(), kWriteTimeoutConstantMs, kWriteTimeoutPerByteMs);
    port_ = std::move(port);
    lastFailure_.clear();
    return true;
}

void Port::Adopt(platform::UniqueHandle handle) {
    std::lock_guard lock(mutex_);
    port_ = std::move(handle);
}

bool Port::IsOpen() {
    std::lock_guard lock(mutex_);
    return port_ != nullptr;
}

void Port::Close() {
    std::lock_guard lock(mutex_);
    port_.reset();
}

bool Port::Write(std::string_view bytes) {
    std::lock_guard lock(mutex_);
    if (!port_) return false;
    DWORD written = 0;
    const auto size = static_cast<DWORD>(bytes.size());
    return WriteFile(port_.get(), bytes.data(), size, &written, nullptr) && written == size;
}

std::string Port::ReadWaiting(const std::atomic<bool>& busy) {
    std::lock_guard lock(mutex_);
    if (!port_) return {};
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(port_.get(), &errors, &status)) return {};
    const DWORD queued = BytesToRead(errors, status.cbInQue);
    if (queued == 0 || busy) return {};
    std::string bytes(queued, '\0');
    DWORD read = 0;
    if (!ReadFile(port_.get(), bytes.data(), queued, &read, nullptr)) return {};
    bytes.resize(read);
    return bytes;
}

void Port::DrainAndClose() {
    platform::SleepUntil(std::chrono::steady_clock::now() + std::chrono::milliseconds(kCloseSettleMs));
    std::lock_guard lock(mutex_);
    if (!port_) return;
    // Whatever waits goes, line error or not.
    DWORD errors = 0;
    COMSTAT status{};
    if (ClearCommError(port_.get(), &errors, &status) && status.cbInQue > 0) {
        std::string discarded(status.cbInQue, '\0');
        DWORD read = 0;
        ReadFile(port_.get(), discarded.data(), status.cbInQue, &read, nullptr);
    }
    port_.reset();
}

std::wstring Port::lastFailure() {
    std::lock_guard lock(mutex_);
    return lastFailure_;
}

}  // namespace kelt
