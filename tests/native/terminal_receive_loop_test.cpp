#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "terminal/receive_loop.h"

namespace kelt::term {
namespace {

// A line that hands out what the instrument wrote, chunk by chunk.
class FakePort : public LinePort {
public:
    void Arrive(std::string bytes) {
        std::lock_guard lock(mutex_);
        waiting_.push_back(std::move(bytes));
    }
    // As the real port: the queue is asked first, and a raised busy flag
    // then reads nothing.
    std::string ReadWaiting(const std::atomic<bool>& busy) override {
        std::lock_guard lock(mutex_);
        if (busy) {
            ++busyPolls_;
            return {};
        }
        ++reads_;
        if (waiting_.empty()) return {};
        std::string bytes = std::move(waiting_.front());
        waiting_.pop_front();
        return bytes;
    }
    int reads() {
        std::lock_guard lock(mutex_);
        return reads_;
    }
    int busyPolls() {
        std::lock_guard lock(mutex_);
        return busyPolls_;
    }

private:
    std::mutex mutex_;
    std::deque<std::string> waiting_;
    int reads_ = 0;
    int busyPolls_ = 0;
};

class CallingSleeper : public Sleeper {
public:
    explicit CallingSleeper(std::function<void(int)> call) : call_(std::move(call)) {}
    void Sleep(int milliseconds) override { call_(milliseconds); }

private:
    std::function<void(int)> call_;
};

class Lines : public LineSink {
public:
    void ShowLine(std::string line) override {
        std::lock_guard lock(mutex_);
        lines_.push_back(std::move(line));
    }
    std::vector<std::string> Taken() {
        std::lock_guard lock(mutex_);
        return lines_;
    }

private:
    std::mutex mutex_;
    std::vector<std::string> lines_;
};

TEST(TerminalReceiveLoop, LinesInOrderIdleSleepsAndNoReadWhileSending) {
    FakePort port;
    Lines lines;
    std::atomic<bool> stop{false}, sending{true};
    port.Arrive("AB\r\nC");
    port.Arrive("D\r");
    std::vector<int> sleeps;
    int pass = 0;
    CallingSleeper sleeper([&](int ms) {
        sleeps.push_back(ms);
        if (++pass == 2) sending = false;  // the send is over
        if (pass == 3) stop = true;
    });
    TerminalReceiveLoop(stop, sending, port, lines, sleeper);
    EXPECT_EQ(lines.Taken(), (std::vector<std::string>{"AB", "CD"}));
    EXPECT_EQ(sleeps, (std::vector<int>{100, 100, 100})) << "no sleep after a read";
    EXPECT_EQ(port.busyPolls(), 2) << "two passes while sending read nothing";
    EXPECT_EQ(port.reads(), 3);
}

// The receiver, the instrument and the window thread share only the two
// flags and the queues; ThreadSanitizer runs this one.
TEST(TerminalReceiveLoopThreads, ReceiverInstrumentAndWindowShareOnlyFlagsAndQueues) {
    FakePort port;
    Lines lines;
    std::atomic<bool> stop{false}, sending{false};
    CallingSleeper sleeper([](int) { std::this_thread::sleep_for(std::chrono::microseconds(200)); });
    std::thread receiver([&] { TerminalReceiveLoop(stop, sending, port, lines, sleeper); });
    std::thread instrument([&] {
        for (int i = 0; i < 500; ++i) port.Arrive("line " + std::to_string(i) + "\r\n");
    });
    for (int i = 0; i < 200; ++i) sending = i % 2 == 1;
    instrument.join();
    sending = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (lines.Taken().size() < 500 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    stop = true;
    receiver.join();
    const auto taken = lines.Taken();
    ASSERT_EQ(taken.size(), 500u);
    for (int i = 0; i < 500; ++i) EXPECT_EQ(taken[static_cast<size_t>(i)], "line " + std::to_string(i));
}

}  // namespace
}  // namespace kelt::term
