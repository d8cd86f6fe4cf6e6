// pty_pair: two pseudo-terminals joined like two COM ports on a null-modem
// cable, for running the Windows simulator and a Windows program against
// each other under Wine. Each slave is named through a symlink (a COM port
// in $WINEPREFIX/dosdevices); what one end writes, the other reads, byte
// for byte and at once. As on a real port, what arrives for an end that
// nobody holds open is lost, not kept for the next program to open it.
//
// Usage: pty_pair LINK_A LINK_B [--ready-file PATH] [--stop-file PATH]
//                [--max-seconds N]
// Makes the ready file once both links point at its ptys. Ends on SIGINT or
// SIGTERM, once the stop file exists, or after N seconds (default 900), and
// removes the links it made.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

volatile std::sig_atomic_t gStop = 0;
void onSignal(int) { gStop = 1; }

constexpr std::size_t kHeldBytes = 4096;  // what one direction holds for a slow reader

struct End {
    std::string link;
    std::string slave;
    int master = -1;
    bool present = false;
    std::string toWrite;  // on its way to this end
};

bool makePty(End& end) {
    end.master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    char name[PATH_MAX] = {};
    if (end.master < 0 || grantpt(end.master) != 0 || unlockpt(end.master) != 0 ||
        ptsname_r(end.master, name, sizeof name) != 0)
        return false;
    end.slave = name;
    // Raw on both sides (a pty's master holds the slave's settings), so that
    // no CR or LF is translated and nothing is echoed.
    termios tio{};
    if (tcgetattr(end.master, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(end.master, TCSANOW, &tio);
    }
    // Only a slave that has been closed once makes its master report a hang-up.
    const int probe = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (probe >= 0) ::close(probe);
    // Replaced in one step: a program looking the name up finds the old
    // target or the new one, never nothing.
    const std::string temp = end.link + ".pty_pair-" + std::to_string(getpid());
    ::unlink(temp.c_str());
    if (::symlink(name, temp.c_str()) != 0 || ::rename(temp.c_str(), end.link.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

void removeLink(const End& end) {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink(end.link.c_str(), buf, sizeof buf);
    if (n > 0 && std::string_view(buf, static_cast<std::size_t>(n)) == end.slave) ::unlink(end.link.c_str());
}

bool slaveOpen(const End& end) {
    pollfd p{end.master, 0, 0};
    ::poll(&p, 1, 0);
    return !(p.revents & POLLHUP);
}

void flushOut(End& to) {
    while (!to.toWrite.empty()) {
        const ssize_t n = ::write(to.master, to.toWrite.data(), to.toWrite.size());
        if (n <= 0) return;
        to.toWrite.erase(0, static_cast<std::size_t>(n));
    }
}

void carry(End& from, End& to) {
    char buf[4096];
    while (from.present && to.toWrite.size() < kHeldBytes) {
        const ssize_t n = ::read(from.master, buf, std::min(sizeof buf, kHeldBytes - to.toWrite.size()));
        if (n <= 0) return;
        if (to.present) to.toWrite.append(buf, static_cast<std::size_t>(n));
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::array<End, 2> ends;
    std::string stopFile, readyFile;
    double maxSeconds = 900;
    int links = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--stop-file" && i + 1 < argc) stopFile = argv[++i];
        else if (arg == "--ready-file" && i + 1 < argc) readyFile = argv[++i];
        else if (arg == "--max-seconds" && i + 1 < argc) maxSeconds = std::atof(argv[++i]);
        else if (links < 2 && !arg.starts_with("--")) ends[static_cast<std::size_t>(links++)].link = arg;
        else links = 3;
    }
    if (links != 2) {
        std::fprintf(stderr, "usage: pty_pair LINK_A LINK_B [--ready-file PATH] [--stop-file PATH] [--max-seconds N]\n");
        return 2;
    }
    for (End& end : ends) {
        if (!makePty(end)) {
            std::fprintf(stderr, "pty_pair: cannot make %s: %s\n", end.link.c_str(), std::strerror(errno));
            for (End& made : ends) removeLink(made);
            return 1;
        }
    }
    if (!readyFile.empty()) {
        const int ready = ::open(readyFile.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (ready >= 0) ::close(ready);
    }
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGPIPE, SIG_IGN);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(maxSeconds);
    int rounds = 0;
    while (!gStop && std::chrono::steady_clock::now() < deadline) {
        if (!stopFile.empty() && ++rounds % 25 == 0 && ::access(stopFile.c_str(), F_OK) == 0) break;
        for (End& end : ends) {
            const bool present = slaveOpen(end);
            // An end just closed: what waited for it, or in it, is lost.
            if (!present && end.present) {
                end.toWrite.clear();
                tcflush(end.master, TCIOFLUSH);
            }
            end.present = present;
        }
        carry(ends[0], ends[1]);
        carry(ends[1], ends[0]);
        for (End& end : ends)
            if (end.present) flushOut(end);

        // Wait for bytes on an end that is held open; a closed one would
        // report its hang-up at once, over and over.
        std::array<pollfd, 2> wanted{};
        nfds_t count = 0;
        for (std::size_t i = 0; i < ends.size(); ++i) {
            if (!ends[i].present) continue;
            short events = POLLIN;
            if (!ends[i].toWrite.empty()) events |= POLLOUT;
            wanted[count++] = {ends[i].master, events, 0};
        }
        ::poll(count > 0 ? wanted.data() : nullptr, count, 2);
    }
    for (End& end : ends) removeLink(end);
    return 0;
}
