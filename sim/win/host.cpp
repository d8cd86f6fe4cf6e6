// The Windows services around the port: the performance counter, the log
// and control files, and the console's Ctrl-C and close box.
#include <windows.h>

#include <atomic>
#include <chrono>

#include "platform/win/handles.h"
#include "platform/win/text.h"
#include "sim/port.h"
#include "win_errors.h"

namespace kelt::sim {
namespace {

std::atomic<const char*> gStopReason{nullptr};

BOOL WINAPI onConsoleEvent(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT: gStopReason = "ctrl-c"; break;
        case CTRL_BREAK_EVENT: gStopReason = "ctrl-break"; break;
        case CTRL_CLOSE_EVENT: gStopReason = "console-closed"; break;
        default: return FALSE;
    }
    // After a close the process ends as this returns: the loop has this
    // long to log its stop, release the port and end the process itself.
    if (event == CTRL_CLOSE_EVENT) Sleep(2000);
    return TRUE;
}

bool writeAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD n = 0;
        if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) || n == 0) return false;
        bytes.remove_prefix(n);
    }
    return true;
}

// Readers and writers alike may have the file open meanwhile, and the test
// that made it may delete it.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace

// steady_clock is the performance counter here.
double monoNow() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

long processId() { return static_cast<long>(GetCurrentProcessId()); }

struct LogFile::Handle {
    platform::UniqueHandle file;
};

LogFile::LogFile() = default;
LogFile::~LogFile() = default;

bool LogFile::open(const std::string& path, std::string& error) {
    // Append-only access: each write lands at the end in one piece.
    HANDLE raw = CreateFileW(platform::AnsiToWide(path).c_str(), FILE_APPEND_DATA, kShareAll, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw == INVALID_HANDLE_VALUE) {
        error = "cannot open log " + path + ": " + lastErrorText();
        return false;
    }
    handle_ = std::make_unique<Handle>(Handle{platform::UniqueHandle(raw)});
    return true;
}

void LogFile::write(std::string_view line) const {
    writeAll(handle_ ? handle_->file.get() : GetStdHandle(STD_ERROR_HANDLE), line);
}

std::optional<FileTail> readFileFrom(const std::string& path, std::size_t offset) {
    HANDLE raw = CreateFileW(platform::AnsiToWide(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw == INVALID_HANDLE_VALUE) return std::nullopt;
    platform::UniqueHandle file(raw);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(raw, &size)) return std::nullopt;
    FileTail tail;
    tail.size = static_cast<std::size_t>(size.QuadPart);
    if (tail.size < offset) return tail;
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(raw, at, nullptr, FILE_BEGIN)) return std::nullopt;
    char buf[4096];
    DWORD n = 0;
    while (ReadFile(raw, buf, sizeof buf, &n, nullptr) && n > 0) tail.bytes.append(buf, n);
    return tail;
}

void catchStopRequests() { SetConsoleCtrlHandler(onConsoleEvent, TRUE); }

std::string_view stopReason() {
    const char* reason = gStopReason;
    return reason != nullptr ? reason : std::string_view{};
}

}  // namespace kelt::sim
