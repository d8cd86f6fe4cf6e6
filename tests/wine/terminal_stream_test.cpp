// Measurements of the terminal under a continuous stream, not run with the
// ordinary tests (they take minutes). Run them with
//   wine_tests.exe --gtest_also_run_disabled_tests --gtest_filter='*TerminalStream*'
// KELT_STREAM_SECONDS sets the length of the stream (default 60).

#include <windows.h>
#include <psapi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "kelt_version.h"
#include "platform/win/text.h"
#include "terminal/terminal_rules.h"
#include "terminal/win/terminal_state.h"
#include "terminal/win/terminal_window.h"
#include "wine_harness.h"

namespace kelt {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kStreamPort = 205;
const std::wstring kTitle = platform::AnsiToWide(KELT_TERMINAL_TITLE);

int StreamSeconds() {
    const char* text = std::getenv("KELT_STREAM_SECONDS");
    const int seconds = text != nullptr ? std::atoi(text) : 0;
    return seconds > 0 ? seconds : 60;
}

LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 10000, &result))
        return -1;
    return static_cast<LRESULT>(result);
}

std::string ListText(HWND list, LRESULT index) {
    const auto length = Ask(list, LB_GETTEXTLEN, static_cast<WPARAM>(index));
    if (length < 0) return "<none>";
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    Ask(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return std::string(text.begin(), text.end());
}

double Seconds(const FILETIME& time) {
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    return static_cast<double>(value.QuadPart) / 1e7;
}

struct ProcessUse {
    double cpuSeconds = 0;
    double privateBytes = 0;
};

ProcessUse UseOf(HANDLE process) {
    ProcessUse use;
    FILETIME created, ended, kernel, user;
    if (GetProcessTimes(process, &created, &ended, &kernel, &user))
        use.cpuSeconds = Seconds(kernel) + Seconds(user);
    // The private commit charge; Wine reports it here and leaves PrivateUsage 0.
    PROCESS_MEMORY_COUNTERS memory{};
    if (GetProcessMemoryInfo(process, &memory, sizeof memory))
        use.privateBytes = static_cast<double>(memory.PagefileUsage);
    return use;
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
    test::RunningProgram program(test::BuildPath(L"terminal/keltterm.exe"),
                                 test::FreshFolder(L"term-stream"));
    HWND prompt = test::WaitForWindow(program.pid(), L"Choose your active COM port", 20s);
    ASSERT_NE(prompt, nullptr);
    const std::wstring port = std::to_wstring(kStreamPort);
    Ask(GetDlgItem(prompt, 100), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(port.c_str()));
    PostMessageW(GetDlgItem(prompt, IDOK), BM_CLICK, 0, 0);
    HWND window = test::WaitForWindow(program.pid(), kTitle, 20s);
    ASSERT_NE(window, nullptr);
    HWND list = GetDlgItem(window, 101);
    HWND edit = GetDlgItem(window, 102);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, program.pid());
    ASSERT_NE(process, nullptr);

    const ProcessUse before = UseOf(process);
    const LRESULT listedBefore = Ask(list, LB_GETCOUNT);
    const auto start = Clock::now();
    sim.Control("rate max");
    std::vector<double> echoMs;  // Enter posted -> "<== " line in the list
    std::vector<double> wireMs;  // Enter posted -> the simulator has logged the line
    int typed = 0;
    while (Clock::now() - start < std::chrono::seconds(StreamSeconds())) {
        std::this_thread::sleep_for(2s);
        const std::string text = "T" + std::to_string(++typed);
        const std::wstring wide(text.begin(), text.end());
        Ask(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
        Ask(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);
        const auto posted = Clock::now();
        PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 0x001C0001);
        bool echoed = false;
        bool onWire = false;
        const auto sinceEnter = [posted] {
            return std::chrono::duration<double, std::milli>(Clock::now() - posted).count();
        };
        // The echo is listed right after the write returns; a few incoming
        // lines may follow it before the list is looked at.
        while (!(echoed && onWire) && Clock::now() - posted < 10s) {
            if (!echoed) {
                const LRESULT count = Ask(list, LB_GETCOUNT);
                for (LRESULT i = count - 1; i >= 0 && i >= count - 5 && !echoed; --i)
                    echoed = ListText(list, i) == "<== " + text;
                if (echoed) echoMs.push_back(sinceEnter());
            }
            if (!onWire) {
                const auto received = sim.ReceivedLines();
                onWire = std::find(received.begin(), received.end(), text) != received.end();
                if (onWire) wireMs.push_back(sinceEnter());
            }
        }
        EXPECT_TRUE(echoed && onWire) << text;
    }
    sim.Control("rate 0");
    std::this_thread::sleep_for(2s);  // the last line on its way, and its listing
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const ProcessUse after = UseOf(process);
    CloseHandle(process);

    std::vector<std::string> sent;
    for (const auto& event : sim.Events()) {
        if (event.event != "tx") continue;
        std::string line = event.line;
        // The instrument ends its lines LF CR; the terminal drops the LF.
        line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
        sent.push_back(line);
    }
    std::vector<std::string> shown;
    const LRESULT listed = Ask(list, LB_GETCOUNT);
    for (LRESULT i = listedBefore; i < listed; ++i) {
        const std::string line = ListText(list, i);
        if (line.rfind("==> ", 0) == 0) shown.push_back(line.substr(4));
    }
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
    PostMessageW(GetDlgItem(window, 106), BM_CLICK, 0, 0);
    EXPECT_EQ(program.WaitExit(15s), 1u);
}

// What the list costs: the real window in this process, a long session's
// worth of typical measurement lines added the way the receiver's lines are.
TEST(TerminalStream, DISABLED_MemoryPer10000ListedLines) {
    constexpr int kLines = 200'000;
    term::TerminalState state;
    HWND window = term::BuildTerminalWindow(state, term::WindowCaption("1"));
    ASSERT_NE(window, nullptr);
    const ProcessUse before = UseOf(GetCurrentProcess());
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
    const ProcessUse after = UseOf(GetCurrentProcess());
    EXPECT_EQ(SendDlgItemMessageW(window, term::id::TrafficList, LB_GETCOUNT, 0, 0), kLines + 1);
    std::printf("%d lines of %zu characters: %.0f bytes per 10,000 lines; %.1f us per line for "
                "the first 10,000, %.1f us for the last\n",
                kLines, std::string("==> 50.0,400,250.0,12.5,100000,0,F,0").size(),
                (after.privateBytes - before.privateBytes) * 10000.0 / kLines, firstUs, lastUs);
    DestroyWindow(window);
}

}  // namespace
}  // namespace kelt
