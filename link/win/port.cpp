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

// The port's own device: the Windows handle, used synchronously.
class HandleDevice : public PortDevice {
public:
    explicit HandleDevice(platform::UniqueHandle handle) : handle_(std::move(handle)) {}

    std::uint32_t BytesWaiting() override {
        DWORD errors = 0;
        COMSTAT status{};
        if (!ClearCommError(handle_.get(), &errors, &status)) return 0;
        return BytesToRead(errors, status.cbInQue);
    }
    std::string Read(std::uint32_t count) override {
        std::string bytes(count, '\0');
        DWORD read = 0;
        if (!ReadFile(handle_.get(), bytes.data(), count, &read, nullptr)) return {};
        bytes.resize(read);
        return bytes;
    }
    bool Write(std::string_view bytes) override {
        DWORD written = 0;
        const auto size = static_cast<DWORD>(bytes.size());
        return WriteFile(handle_.get(), bytes.data(), size, &written, nullptr) && written == size;
    }
    void DiscardWaiting() override {
        DWORD errors = 0;
        COMSTAT status{};
        if (ClearCommError(handle_.get(), &errors, &status) && status.cbInQue > 0) Read(status.cbInQue);
    }
    // Cancels the I/O this process has on the handle, whichever thread waits in it.
    void CancelRead() override { CancelIoEx(handle_.get(), nullptr); }

private:
    platform::UniqueHandle handle_;
};

}  // namespace

bool DeviceOpens(const std::string& deviceName, const PortOptions& options) {
    std::wstring reason;
    return OpenDevice(platform::AnsiToWide(deviceName), options.inheritable, reason) != nullptr;
}

bool Port::Open(const std::string& deviceName, const PortOptions& options) {
    const std::wstring name = platform::AnsiToWide(deviceName);
    Lock lock = LockCancellingAStuckRead();
    const auto fail = [&](const std::wstring& reason) {
        lastFailure_ = L"\"" + name + L"\" did not open: " + reason;
        platform::DebugLine(lastFailure_);
        return false;
    };
    if (!lock.owns_lock()) return fail(L"the port in use is held by a read that does not return");
    device_.reset();
    std::wstring reason;
    platform::UniqueHandle port = OpenDevice(name, options.inheritable, reason);
    if (!port) return fail(reason);
    SetLine9600_8N1(port.get());
    SetQueueSizes(port.get(), options.outputQueue, options.inputQueue);
    LimitWriteTime(port.get(), kWriteTimeoutConstantMs, kWriteTimeoutPerByteMs);
    device_ = std::make_unique<HandleDevice>(std::move(port));
    lastFailure_.clear();
    return true;
}

void Port::Adopt(platform::UniqueHandle handle) { Adopt(std::make_unique<HandleDevice>(std::move(handle))); }

void Port::Adopt(std::unique_ptr<PortDevice> device) {
    Lock lock = LockCancellingAStuckRead();
    if (lock.owns_lock()) device_ = std::move(device);
}

bool Port::IsOpen() {
    Lock lock = LockCancellingAStuckRead();
    return !lock.owns_lock() || device_ != nullptr;  // held by a hung read: still open
}

void Port::Close() {
    Lock lock = LockCancellingAStuckRead();
    if (lock.owns_lock()) device_.reset();
}

bool Port::Write(std::string_view bytes) {
    Lock lock = LockCancellingAStuckRead();
    return lock.owns_lock() && device_ && device_->Write(bytes);
}

std::string Port::ReadWaiting(const std::atomic<bool>& busy) {
    std::lock_guard lock(mutex_);
    if (!device_) return {};
    const std::uint32_t waiting = device_->BytesWaiting();
    if (waiting == 0 || busy) return {};
    SetReading(device_.get());
    std::string bytes = device_->Read(waiting);
    SetReading(nullptr);
    return bytes;
}

void Port::DrainAndClose() {
    platform::SleepUntil(std::chrono::steady_clock::now() + std::chrono::milliseconds(kCloseSettleMs));
    Lock lock = LockCancellingAStuckRead();
    if (!lock.owns_lock() || !device_) return;
    device_->DiscardWaiting();
    device_.reset();
}

std::wstring Port::lastFailure() {
    Lock lock = LockCancellingAStuckRead();
    return lastFailure_;
}

Port::Lock Port::LockCancellingAStuckRead() {
    Lock lock(mutex_, std::defer_lock);
    if (lock.try_lock_for(kStuckReadBound)) return lock;
    {
        std::lock_guard guard(readingMutex_);
        if (reading_ != nullptr) reading_->CancelRead();
    }
    if (!lock.try_lock_for(kStuckReadBound))
        platform::DebugLine(L"the port is held by a read that does not return, even cancelled");
    return lock;
}

void Port::SetReading(PortDevice* device) {
    std::lock_guard guard(readingMutex_);
    reading_ = device;
}

}  // namespace kelt
