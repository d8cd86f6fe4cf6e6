// Runs the real keltsim binary and talks to it the way the panel does.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

bool waitFor(const std::function<bool()>& ready, std::chrono::milliseconds limit = 3000ms) {
    const auto end = Clock::now() + limit;
    while (!ready()) {
        if (Clock::now() > end) return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The hex of every "read" event of a log, joined: the bytes as they came.
std::string ReadHex(const std::string& events) {
    std::string hex;
    const std::string marker = "\"event\":\"read\"";
    for (size_t at = events.find(marker); at != std::string::npos; at = events.find(marker, at + 1)) {
        const size_t start = events.find("\"hex\":\"", at) + 7;
        hex += events.substr(start, events.find('"', start) - start);
    }
    return hex;
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Fd& operator=(Fd&&) = delete;
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }

private:
    int fd_;
};

// The simulator process; killed if a failed assertion leaves it running.
class Sim {
public:
    explicit Sim(const std::vector<std::string>& args) {
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) pid_ = -1;
    }
    Sim(const Sim&) = delete;
    Sim& operator=(const Sim&) = delete;
    ~Sim() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    bool started() const { return pid_ > 0; }
    // The exit status once the process has ended by itself.
    std::optional<int> exited() {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) != pid_) return std::nullopt;
        pid_ = -1;
        return status;
    }
    int terminate() {
        int status = -1;
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return status;
    }

private:
    pid_t pid_ = -1;
};

Fd openLikeThePanel(const std::string& path) {
    Fd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK));
    termios t{};
    if (fd.get() >= 0 && tcgetattr(fd.get(), &t) == 0) {
        cfmakeraw(&t);
        cfsetspeed(&t, B9600);
        tcsetattr(fd.get(), TCSANOW, &t);
    }
    return fd;
}

// Reads until the LF CR that ends a measurement line.
std::string readLine(int fd, std::chrono::milliseconds limit = 3000ms) {
    std::string got;
    const auto end = Clock::now() + limit;
    while (got.find("\n\r") == std::string::npos && Clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 20) > 0 && (p.revents & POLLIN)) {
            char buf[256];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0) got.append(buf, static_cast<std::size_t>(n));
        }
    }
    return got;
}

void send(int fd, std::string_view text) { ASSERT_EQ(::write(fd, text.data(), text.size()), ssize_t(text.size())); }

TEST(SimProcess, AnswersThePanelOnAPtyAndLogsWhatItHeard) {
    const char* binary = std::getenv("KELTSIM_PATH");
    if (!binary || !*binary) GTEST_SKIP() << "KELTSIM_PATH is not set";

    std::string dir = testing::TempDir() + "keltsimXXXXXX";
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    const std::string link = dir + "/com15", log = dir + "/events.jsonl", control = dir + "/control";
    std::ofstream(control).flush();

    Sim sim({binary, "--link", link, "--log", log, "--rate", "0", "--control", control});
    ASSERT_TRUE(sim.started());
    ASSERT_TRUE(waitFor([&] { return ::access(link.c_str(), F_OK) == 0; })) << slurp(log);

    {
        Fd port = openLikeThePanel(link);
        ASSERT_GE(port.get(), 0);
        const auto asked = Clock::now();
        send(port.get(), "d123\r\n");
        send(port.get(), " \r\n");
        const std::string line = readLine(port.get());
        const auto took = Clock::now() - asked;
        EXPECT_EQ(line, "50.00,400,250.0,12.50,50,400,12.3,50.000\n\r");
        // 42 bytes at 9600 8-N-1 cannot arrive in much less than 43 ms.
        EXPECT_GE(took, 38ms);

        EXPECT_TRUE(waitFor([&] { return slurp(log).find("\"is_9600_8n1\":true") != std::string::npos; }))
            << slurp(log);
        const std::string events = slurp(log);
        EXPECT_NE(events.find("\"event\":\"open\""), std::string::npos);
        EXPECT_NE(events.find("\"line\":\"d123\",\"hex\":\"643132330d0a\",\"cmd\":\"bottom-depth\",\"value\":123"),
                  std::string::npos) << events;
        EXPECT_NE(events.find("\"line\":\" \",\"hex\":\"200d0a\",\"cmd\":\"measure\""), std::string::npos) << events;
        EXPECT_NE(events.find("\"mono\":"), std::string::npos);
        EXPECT_EQ(ReadHex(events), "643132330d0a200d0a") << "every byte received, in order";
    }
    EXPECT_TRUE(waitFor([&] { return slurp(log).find("\"event\":\"close\"") != std::string::npos; }));

    // Unplugged and back: a new pty behind the same name keeps answering.
    std::ofstream(control, std::ios::app) << "vanish 0.3\n" << std::flush;
    EXPECT_TRUE(waitFor([&] { return slurp(log).find("\"event\":\"return\"") != std::string::npos; })) << slurp(log);
    ASSERT_TRUE(waitFor([&] { return ::access(link.c_str(), F_OK) == 0; }));
    {
        Fd port = openLikeThePanel(link);
        ASSERT_GE(port.get(), 0);
        send(port.get(), "d77\r\n \r\n");
        EXPECT_EQ(readLine(port.get()), "50.00,400,250.0,12.50,50,400,7.7,50.000\n\r");
    }
    EXPECT_NE(slurp(log).find("\"event\":\"control\",\"cmd\":\"vanish 0.3\""), std::string::npos);

    const int status = sim.terminate();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    struct stat st{};
    EXPECT_NE(::lstat(link.c_str(), &st), 0) << "the link goes with the simulator";
    std::filesystem::remove_all(dir);
}

TEST(SimProcess, BadArgumentsExitWithStatusTwo) {
    const char* binary = std::getenv("KELTSIM_PATH");
    if (!binary || !*binary) GTEST_SKIP() << "KELTSIM_PATH is not set";
    Sim sim({binary, "--rate", "fast", "--log", "/dev/null"});
    ASSERT_TRUE(sim.started());
    std::optional<int> status;
    ASSERT_TRUE(waitFor([&] { return (status = sim.exited()).has_value(); }));
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 2) << *status;
}

}  // namespace
