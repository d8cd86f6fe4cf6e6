// The Linux services around the port: the monotonic clock, the log file,
// the control file and the signals that end a run.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>

#include "sim/port.h"
#include "unique_fd.h"

namespace kelt::sim {
namespace {

volatile std::sig_atomic_t gSignal = 0;
void onSignal(int sig) { gSignal = sig; }

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

// steady_clock is CLOCK_MONOTONIC here.
double monoNow() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

long processId() { return static_cast<long>(getpid()); }

struct LogFile::Handle {
    UniqueFd fd;
};

LogFile::LogFile() = default;
LogFile::~LogFile() = default;

bool LogFile::open(const std::string& path, std::string& error) {
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
    if (!fd) {
        error = "cannot open log " + path + ": " + std::strerror(errno);
        return false;
    }
    handle_ = std::make_unique<Handle>(Handle{std::move(fd)});
    return true;
}

// One write per event (the file is opened O_APPEND).
void LogFile::write(std::string_view line) const { writeAll(handle_ ? handle_->fd.get() : 2, line); }

std::optional<FileTail> readFileFrom(const std::string& path, std::size_t offset) {
    UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st{};
    if (!file || fstat(file.get(), &st) != 0) return std::nullopt;
    FileTail tail;
    tail.size = static_cast<std::size_t>(st.st_size);
    if (tail.size < offset) return tail;
    char buf[4096];
    ssize_t n = 0;
    while ((n = ::pread(file.get(), buf, sizeof buf, static_cast<off_t>(offset + tail.bytes.size()))) > 0)
        tail.bytes.append(buf, static_cast<std::size_t>(n));
    return tail;
}

void catchStopRequests() {
    struct sigaction sa{};
    sa.sa_handler = onSignal;  // no SA_RESTART: the tick's poll returns at once
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

std::string_view stopReason() {
    if (!gSignal) return {};
    return gSignal == SIGINT ? "SIGINT" : "SIGTERM";
}

}  // namespace kelt::sim
