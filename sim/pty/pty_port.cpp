// The Linux port: a pseudo-terminal made afresh at each open, its slave
// named through a symlink (under Wine, $WINEPREFIX/dosdevices/comN).
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "sim/port.h"
#include "unique_fd.h"

namespace kelt::sim {
namespace {

std::string errnoText(std::string_view what) { return std::string(what) + ": " + std::strerror(errno); }

struct Pty {
    UniqueFd master;
    std::string slavePath;
};

std::optional<Pty> openPty(std::string& error) {
    UniqueFd master(posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    char name[PATH_MAX] = {};
    if (!master || grantpt(master.get()) != 0 || unlockpt(master.get()) != 0 ||
        ptsname_r(master.get(), name, sizeof name) != 0) {
        error = errnoText("cannot create a pty");
        return std::nullopt;
    }
    // On a pty, the master's settings are the slave's: raw, so no byte of the
    // protocol (CR above all) is translated or echoed on the way.
    termios tio{};
    if (tcgetattr(master.get(), &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(master.get(), TCSANOW, &tio);
    }
    // Only a slave that has been closed makes the master report POLLHUP; open
    // and close it once so a peer that has not arrived yet reads as absent.
    UniqueFd probe(::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC));
    return Pty{std::move(master), name};
}

bool pointLink(const std::string& link, const std::string& target, std::string& error) {
    struct stat st{};
    if (lstat(link.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        error = link + " exists and is not a symlink; not replacing it";
        return false;
    }
    // The peer may be looking the name up at this very moment: it must find
    // either the old target or the new one, never nothing.
    const std::string temp = link + ".keltsim-" + std::to_string(getpid());
    ::unlink(temp.c_str());
    if (::symlink(target.c_str(), temp.c_str()) != 0 || ::rename(temp.c_str(), link.c_str()) != 0) {
        error = errnoText("cannot point " + link + " at " + target);
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

void removeLink(const std::string& link, const std::string& target) {
    // Leave the name alone if someone else has re-pointed it meanwhile.
    char buf[PATH_MAX];
    const ssize_t n = ::readlink(link.c_str(), buf, sizeof buf);
    if (n > 0 && std::string_view(buf, static_cast<std::size_t>(n)) == target) ::unlink(link.c_str());
}

class PtyPort final : public Port {
public:
    PtyPort(std::string linkPath, bool printPty) : linkPath_(std::move(linkPath)), printPty_(printPty) {}

    bool open(std::string& error) override {
        auto pty = openPty(error);
        if (pty && !linkPath_.empty() && !pointLink(linkPath_, pty->slavePath, error)) pty.reset();
        if (!pty) return false;
        pty_ = std::move(pty);
        if (printPty_) {
            std::printf("%s\n", pty_->slavePath.c_str());
            std::fflush(stdout);
        }
        return true;
    }

    void describe(LogEvent& event) const override {
        event.text("pty", pty_ ? pty_->slavePath : "").text("link", linkPath_);
    }

    void close() override {
        if (!pty_) return;
        if (!linkPath_.empty()) removeLink(linkPath_, pty_->slavePath);
        pty_.reset();
    }

    bool isOpen() const override { return pty_.has_value(); }

    bool peerPresent() override {
        pollfd p{pty_->master.get(), 0, 0};
        ::poll(&p, 1, 0);
        return !(p.revents & POLLHUP);
    }

    void wait(int ms, bool listen) override {
        if (pty_ && listen) {
            pollfd p{pty_->master.get(), POLLIN, 0};
            ::poll(&p, 1, ms);
        } else {
            // No peer: the master would report POLLHUP at once, over and over.
            ::poll(nullptr, 0, ms);
        }
    }

    std::size_t read(char* buffer, std::size_t size) override {
        const ssize_t n = ::read(pty_->master.get(), buffer, size);
        return n > 0 ? static_cast<std::size_t>(n) : 0;  // EAGAIN: drained; EIO: the peer has gone
    }

    std::size_t write(std::string_view bytes) override {
        const ssize_t n = ::write(pty_->master.get(), bytes.data(), bytes.size());
        return n > 0 ? static_cast<std::size_t>(n) : 0;
    }

    void discardQueued() override { tcflush(pty_->master.get(), TCIOFLUSH); }

    std::optional<SerialSettings> lineSettings() override {
        termios tio{};
        if (tcgetattr(pty_->master.get(), &tio) != 0) return std::nullopt;
        return serialSettings(tio);
    }

    std::string_view lineSettingsEvent() const override { return "termios"; }

private:
    std::string linkPath_;
    bool printPty_;
    std::optional<Pty> pty_;
};

}  // namespace

std::unique_ptr<Port> makePort(const Options& options) {
    return std::make_unique<PtyPort>(options.linkPath, options.printPty);
}

PortKind portKind() { return PortKind::Pty; }

}  // namespace kelt::sim
