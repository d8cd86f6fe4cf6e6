// Measurements of the terminal under a continuous stream, not run with the
// ordinary tests (they take minutes). Run them with
//   wine_tests.exe --gtest_also_run_disabled_tests --gtest_filter='*TerminalStream*'
// KELT_STREAM_SECONDS sets the length of the stream (default 60).

#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "terminal/terminal_rules.h"
#include "terminal/win/terminal_state.h"
#include "terminal/win/terminal_window.h"
#include "terminal_fixture.h"

namespace kelt {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::Ask;

constexpr int kStreamPort = 205;

int StreamSeconds() {
    const int seconds = test::EnvironmentNumber("KELT_STREAM_SECONDS", 0);
    return seconds > 0 ? seconds : 60;
}

std::string ListText(HWND list, LRESULT index) {
    const std::wstring text = test::ListText(list, index);
    return std::string(text.begin(), text.end());
}

// The lines the terminal lists as come in since the first `from` lines.
std::vector<std::string> ShownSince(HWND list, LRESULT from) {
    std::vector<std::string> shown;
    const LRESULT listed = test::ListCount(list);
    for (LRESULT i = from; i < listed; ++i) {
        const std::string line = ListText(list, i);
        if (line.rfind("==> ", 0) == 0) shown.push_back(line.substr(4));
    }
    return shown;
}

// The lines the instrument has sent.
std::vector<std::string> SentLines(const test::Simulator& sim) {
    std::vector<std::string> sent;
    for (const auto& event : sim.Events()) {
        if (event.event != "tx") continue;
        std::string line = event.line;
        // The instrument ends its lines LF CR; the terminal drops the LF.
        line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
        sent.push_back(line);
    }
    return sent;
}

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(fraction * static_cast<double>(values.size() - 1))];
}

// The instrument sends measurement lines back to back at 9600 baud while a
// user types a line every two seconds. Every line the instrument sent must be
// listed, in order; the typed lines must go out promptly.
TEST(TerminalStream, DISABLED_ContinuousLinesAt9600Baud) {
    test::Simulator sim(kStreamPort, L"--rate 0 --jitter --log-tx");
    ASSERT_TRUE(sim.ready());
    test::TerminalUnderTest terminal(L"term-stream");
    ASSERT_TRUE(terminal.Open(kStreamPort));
    HWND list = terminal.List();
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, terminal.pid());
    ASSERT_NE(process, nullptr);

    const test::ProcessUsage before = test::UsageOf(process);
    const LRESULT listedBefore = terminal.ListCount();
    const auto start = Clock::now();
    ASSERT_TRUE(sim.Control("rate max"));
    std::vector<double> echoMs;  // Enter posted -> "<== " line in the list
    std::vector<double> wireMs;  // Enter posted -> the simulator has logged the line
    int typed = 0;
    while (Clock::now() - start < std::chrono::seconds(StreamSeconds())) {
        std::this_thread::sleep_for(2s);  // the user's pace: a line every two seconds
        const std::string text = "T" + std::to_string(++typed);
        terminal.Type(std::wstring(text.begin(), text.end()));
        const auto posted = Clock::now();
        terminal.Enter();
        bool echoed = false;
        bool onWire = false;
        const auto sinceEnter = [posted] {
            return std::chrono::duration<double, std::milli>(Clock::now() - posted).count();
        };
        // The echo is listed right after the write returns; a few incoming
        // lines may follow it before the list is looked at. Looked for
        // without a pause, for the time it took.
        test::WaitUntil(
            [&] {
                if (!echoed) {
                    const LRESULT count = terminal.ListCount();
                    for (LRESULT i = count - 1; i >= 0 && i >= count - 5 && !echoed; --i)
                        echoed = ListText(list, i) == "<== " + text;
                    if (echoed) echoMs.push_back(sinceEnter());
                }
                if (!onWire) {
                    const auto received = sim.ReceivedLines();
                    onWire = std::find(received.begin(), received.end(), text) != received.end();
                    if (onWire) wireMs.push_back(sinceEnter());
                }
                return echoed && onWire;
            },
            10s, 0ms);
        EXPECT_TRUE(echoed && onWire) << text;
    }
    ASSERT_TRUE(sim.Control("rate 0"));
    // The last line on its way, and its listing.
    std::vector<std::string> sent;
    std::vector<std::string> shown;
    test::WaitUntil(
        [&] {
            sent = SentLines(sim);
            shown = ShownSince(list, listedBefore);
            return shown.size() >= sent.size();
        },
        10s);
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const test::ProcessUsage after = test::UsageOf(process);
    CloseHandle(process);
    const LRESULT listed = terminal.ListCount();
    EXPECT_EQ(shown.size(), sent.size());
    EXPECT_TRUE(shown == sent) << "the lines shown are not the lines sent, in order";

    const double lines = static_cast<double>(listed - listedBefore);
    std::printf("stream: %.0f s, %zu lines sent, %zu shown (%.1f lines/s), %d typed\n", wall,
                sent.size(), shown.size(), static_cast<double>(sent.size()) / wall, typed);
    std::printf("typed line listed after: median %.1f ms, 95%% %.1f ms, max %.1f ms\n",
                Percentile(echoMs, 0.5), Percentile(echoMs, 0.95), Percentile(echoMs, 1.0));
    std::printf("typed line logged by the instrument after: median %.1f ms, 95%% %.1f ms, max %.1f ms\n",
                Percentile(wireMs, 0.5), Percentile(wireMs, 0.95), Percentile(wireMs, 1.0));
    std::printf("terminal CPU: %.2f s in %.0f s (%.2f %%)\n", after.cpuSeconds - before.cpuSeconds,
                wall, 100.0 * (after.cpuSeconds - before.cpuSeconds) / wall);
    std::printf("terminal private bytes: %.0f -> %.0f (%.0f bytes per 10,000 listed lines)\n",
                before.privateBytes, after.privateBytes,
                lines > 0 ? (after.privateBytes - before.privateBytes) * 10000.0 / lines : 0.0);
    EXPECT_EQ(terminal.Quit(), 1u);
}

// Short lines at the line's full rate (five characters and LF CR: 137 a
// second), more than the list could take one line at a time: how soon the
// window answers meanwhile, and every line listed, in order.
TEST(TerminalStream, DISABLED_AnswersWhileShortLinesArriveAtTheLinesFullRate) {
    const int count = test::EnvironmentNumber("KELT_BURST_LINES", 2000);
    test::Simulator sim(kStreamPort, L"--rate 0 --log-tx");
    ASSERT_TRUE(sim.ready());
    test::TerminalUnderTest terminal(L"term-burst");
    ASSERT_TRUE(terminal.Open(kStreamPort));
    HWND list = terminal.List();
    const LRESULT listedBefore = terminal.ListCount();
    std::vector<std::string> commands;
    for (int i = 0; i < count; ++i) commands.push_back("line L" + std::to_string(10000 + i).substr(1));
    const auto start = Clock::now();
    ASSERT_TRUE(sim.Control(commands));
    std::vector<double> answerMs;
    std::vector<std::string> shown;
    while (Clock::now() - start < 120s) {
        const auto asked = Clock::now();
        EXPECT_NE(Ask(terminal.window, WM_NULL, 0, 0, 30s), -1);
        answerMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - asked).count());
        if (test::ListCount(list) - listedBefore >= count) break;
        std::this_thread::sleep_for(20ms);
    }
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    shown = ShownSince(list, listedBefore);
    const std::vector<std::string> sent = SentLines(sim);
    EXPECT_EQ(shown.size(), static_cast<size_t>(count));
    EXPECT_TRUE(shown == sent) << "the lines shown are not the lines sent, in order";
    std::printf("burst: %d lines of 7 bytes listed in %.1f s (%.0f lines/s); window answered after "
                "median %.1f ms, 95%% %.1f ms, max %.1f ms (%zu asks)\n",
                count, wall, count / wall, Percentile(answerMs, 0.5), Percentile(answerMs, 0.95),
                Percentile(answerMs, 1.0), answerMs.size());
    EXPECT_EQ(terminal.Quit(), 1u);
}

// What the list costs: the real window in this process, a long session's
// worth of typical measurement lines added the way the receiver's lines are.
TEST(TerminalStream, DISABLED_MemoryPer10000ListedLines) {
    constexpr int kLines = 200'000;
    term::TerminalState state;
    HWND window = term::BuildTerminalWindow(state, term::WindowCaption("1"));
    ASSERT_NE(window, nullptr);
    const test::ProcessUsage before = test::UsageOf(GetCurrentProcess());
    const auto addLines = [window](int from, int to) {
        const auto start = Clock::now();
        for (int i = from; i < to; ++i)
            term::AddListLine(window, term::id::TrafficList,
                              "==> 50.0,400,250.0,12.5," + std::to_string(100000 + i) + ",0,F,0");
        return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / (to - from);
    };
    const double firstUs = addLines(0, 10'000);
    addLines(10'000, kLines - 10'000);
    const double lastUs = addLines(kLines - 10'000, kLines);
    const test::ProcessUsage after = test::UsageOf(GetCurrentProcess());
    EXPECT_EQ(SendDlgItemMessageW(window, term::id::TrafficList, LB_GETCOUNT, 0, 0), kLines + 1);
    std::printf("%d lines of %zu characters: %.0f bytes per 10,000 lines; %.1f us per line for "
                "the first 10,000, %.1f us for the last\n",
                kLines, std::string("==> 50.0,400,250.0,12.5,100000,0,F,0").size(),
                (after.privateBytes - before.privateBytes) * 10000.0 / kLines, firstUs, lastUs);
    DestroyWindow(window);
}

}  // namespace
}  // namespace kelt
