// The delivered terminal program, started and driven from outside as a user
// would: the port prompt, the failure message, the window, the traffic with
// the instrument simulator on the far end of the line, and the ways out.

#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "terminal_fixture.h"

namespace kelt {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::Ask;
using test::kPortPromptCaption;
using test::kTerminalCaption;
using test::TerminalUnderTest;
using test::WindowText;

// Port numbers above the control panel's COM1..COM15, so the two programs'
// tests never meet on a port.
constexpr int kWindowPort = 201;
constexpr int kTrafficPort = 202;
constexpr int kStallPort = 203;
constexpr int kQuitPort = 204;
constexpr int kVanishPort = 206;
constexpr int kNoisePort = 207;

// The failure message: its caption, its text, and OK pressed.
void ExpectFailureBoxThenExitZero(TerminalUnderTest& terminal) {
    HWND box = test::WaitForWindow(terminal.pid(), kTerminalCaption, 20s);
    ASSERT_NE(box, nullptr) << "no failure message";
    EXPECT_EQ(WindowText(box), kTerminalCaption);
    EXPECT_TRUE(test::HasChildWithText(box, L"Failure to start communications!"));
    HWND ok = GetDlgItem(box, IDOK);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr) << "one OK button only";
    test::Click(box, IDOK);
    EXPECT_EQ(terminal.WaitExit(15s), 0u);
}

TEST(TerminalProgram, PromptIsCentredAndAsksForUpTo255CharactersWithTheFocusOnItsEdit) {
    TerminalUnderTest terminal(L"term-prompt");
    ASSERT_TRUE(terminal.Launch());
    HWND prompt = terminal.WaitForPrompt();
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(WindowText(prompt), kPortPromptCaption);
    EXPECT_TRUE(test::HasChildWithText(prompt, L"Input COM port, 1 to 255"));
    HWND edit = test::ChildOfClass(prompt, L"Edit");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(WindowText(edit), L"");
    EXPECT_EQ(Ask(edit, EM_GETLIMITTEXT), 255);
    EXPECT_EQ(test::FocusOf(prompt), edit);
    HWND ok = GetDlgItem(prompt, IDOK);
    HWND cancel = GetDlgItem(prompt, IDCANCEL);
    EXPECT_EQ(WindowText(ok), L"OK");
    EXPECT_EQ(WindowText(cancel), L"Cancel");
    EXPECT_EQ(GetWindowLongPtrW(ok, GWL_STYLE) & 0xF, BS_DEFPUSHBUTTON);
    RECT outer;
    GetWindowRect(prompt, &outer);
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((outer.left + outer.right) / 2, (work.left + work.right) / 2, 2);
    EXPECT_NEAR((outer.top + outer.bottom) / 2, (work.top + work.bottom) / 2, 2);

    // Cancel answers nothing, which names no port.
    test::Click(prompt, IDCANCEL);
    ExpectFailureBoxThenExitZero(terminal);
}

TEST(TerminalProgram, AnswersThatNameNoPortGiveTheFailureMessageAndExitStatusZero) {
    for (const std::wstring answer : {L"0", L"256", L"A", L""}) {
        SCOPED_TRACE(testing::Message() << "answer \"" << std::string(answer.begin(), answer.end())
                                        << "\"");
        TerminalUnderTest terminal(L"term-bad-port");
        ASSERT_TRUE(terminal.Launch());
        ASSERT_TRUE(terminal.AnswerPrompt(answer)) << "no port prompt";
        ExpectFailureBoxThenExitZero(terminal);
    }
}

// The answer is appended to \\.\COM unchecked, so "1\..\" followed by a path
// leaves the device names and reaches a file. A file is no serial line.
TEST(TerminalProgram, AFileReachedThroughTheAnswerIsNotOpenedAsAPort) {
    TerminalUnderTest terminal(L"term-file");
    std::filesystem::path notes = std::filesystem::path(terminal.folder) / L"notes.txt";
    std::ofstream(notes, std::ios::binary) << "bench notes\r\n";
    std::wstring path = notes.wstring();
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    ASSERT_EQ(GetFileAttributesW((L"\\\\.\\COM1\\..\\" + path).c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              0u)
        << "the path does reach the file";

    ASSERT_TRUE(terminal.Launch());
    ASSERT_TRUE(terminal.AnswerPrompt(L"1\\..\\" + path)) << "no port prompt";
    ExpectFailureBoxThenExitZero(terminal);
    std::ifstream in(notes, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    EXPECT_EQ(content.str(), "bench notes\r\n");
}

// A character device of another kind passes the device-type check, so the
// separator itself is refused.
TEST(TerminalProgram, AnotherDeviceReachedThroughTheAnswerIsNotOpened) {
    TerminalUnderTest terminal(L"term-nul");
    ASSERT_TRUE(terminal.Launch());
    ASSERT_TRUE(terminal.AnswerPrompt(L"1\\..\\NUL")) << "no port prompt";
    ExpectFailureBoxThenExitZero(terminal);
}

TEST(TerminalProgram, OpensThePortAt9600_8N1AndShowsTheWindowWithTheTypedPortInItsCaption) {
    test::Simulator sim(kWindowPort, L"--rate 0");
    ASSERT_TRUE(sim.ready());
    TerminalUnderTest terminal(L"term-window");
    ASSERT_TRUE(terminal.Open(kWindowPort)) << "the window never became visible";
    EXPECT_EQ(WindowText(terminal.window), kTerminalCaption + L"   COM" + std::to_wstring(kWindowPort));
    EXPECT_EQ(terminal.ListCount(), 1);
    EXPECT_EQ(terminal.ListText(0), L"Data I/O window...");
    EXPECT_EQ(test::FocusOf(terminal.window), terminal.Edit());
    const bool lineSet = test::WaitUntil(
        [&] {
            const auto events = sim.Events();
            return !events.empty() && events.back().raw.find("\"termios\"") != std::string::npos &&
                   events.back().raw.find("\"is_9600_8n1\":true") != std::string::npos;
        },
        5s);
    EXPECT_TRUE(lineSet) << "the line was not left at 9600 8-N-1";
}

TEST(TerminalProgram, LinesGoOutWithCrLfAndBothDirectionsAreListedInOrder) {
    test::Simulator sim(kTrafficPort, L"--rate 0");
    ASSERT_TRUE(sim.ready());
    TerminalUnderTest terminal(L"term-traffic");
    ASSERT_TRUE(terminal.Open(kTrafficPort));
    HWND list = terminal.List();

    terminal.SendTyped(L"AB");
    ASSERT_TRUE(terminal.ListGrowsTo(2));
    EXPECT_EQ(terminal.LastListLine(), L"<== AB");
    EXPECT_EQ(Ask(list, LB_GETCURSEL), 1);
    EXPECT_EQ(WindowText(terminal.Edit()), L"AB");
    EXPECT_EQ(Ask(terminal.Edit(), EM_GETSEL), MAKELRESULT(0, 2));
    auto received = sim.WaitForReceived(1, 5s);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], "AB");
    const bool exactBytes = sim.WaitForEventWhere(
        [](const test::SimEvent& event) {
            return event.event == "rx" && event.raw.find("\"hex\":\"41420d0a\"") != std::string::npos;
        },
        0ms);
    EXPECT_TRUE(exactBytes) << "A B CR LF and nothing else";

    ASSERT_TRUE(sim.Control("line XY"));
    ASSERT_TRUE(terminal.ListGrowsTo(3));
    EXPECT_EQ(terminal.LastListLine(), L"==> XY");
    EXPECT_EQ(Ask(list, LB_GETCURSEL), 2);
    ASSERT_TRUE(sim.Control("line "));
    ASSERT_TRUE(terminal.ListGrowsTo(4));
    EXPECT_EQ(terminal.LastListLine(), L"==> ");

    // An empty box sends the line end alone; a blank asks the instrument for
    // a measurement: out, then its answer in.
    terminal.SendTyped(L"");
    ASSERT_TRUE(terminal.ListGrowsTo(5));
    EXPECT_EQ(terminal.ListText(4), L"<== ");
    terminal.SendTyped(L" ");
    ASSERT_TRUE(terminal.ListGrowsTo(7));
    EXPECT_EQ(terminal.ListText(5), L"<==  ");
    EXPECT_EQ(terminal.ListText(6).rfind(L"==> ", 0), 0u);
    EXPECT_GT(terminal.ListText(6).size(), 4u);
    EXPECT_EQ(Ask(list, LB_GETCURSEL), 6);
    received = sim.WaitForReceived(3, 5s);
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[1], "");
    EXPECT_EQ(received[2], " ");

    // Echo off: the line still goes out, the list stays as it is. The send
    // is over (listed or not) once the window answers after the line came.
    ASSERT_TRUE(terminal.SetEchoOff(true));
    terminal.SendTyped(L"CD");
    received = sim.WaitForReceived(4, 5s);
    ASSERT_EQ(received.size(), 4u);
    EXPECT_EQ(received[3], "CD");
    ASSERT_TRUE(terminal.Answers());
    EXPECT_EQ(terminal.ListCount(), 7);

    // A long line is cut to 1023 characters, on the line and in the list.
    ASSERT_TRUE(terminal.SetEchoOff(false));
    terminal.SendTyped(std::wstring(1100, L'L'));
    ASSERT_TRUE(terminal.ListGrowsTo(8));
    EXPECT_EQ(terminal.LastListLine(), L"<== " + std::wstring(1023, L'L'));
    received = sim.WaitForReceived(5, 10s);
    ASSERT_EQ(received.size(), 5u);
    EXPECT_EQ(received[4], std::string(1023, 'L'));
}

// An instrument that stops reading fills the line's buffers; from then on a
// send must fail within its write time-out and say so, and the window must
// stay alive for the next try.
TEST(TerminalProgram, AStalledLineFailsTheSendWithinItsTimeOutAndTheWindowCarriesOn) {
    test::Simulator sim(kStallPort, L"--rate 0");
    ASSERT_TRUE(sim.ready());
    TerminalUnderTest terminal(L"term-stall");
    ASSERT_TRUE(terminal.Open(kStallPort));
    ASSERT_TRUE(sim.Control("stall on"));

    const std::wstring line(1023, L'S');
    std::chrono::duration<double> failedAfter{};
    bool failed = false;
    for (LRESULT count = 2; count < 400 && !failed; ++count) {
        const auto start = Clock::now();
        terminal.SendTyped(line);
        ASSERT_TRUE(terminal.ListGrowsTo(count, 20s)) << "a send hung on the stalled line";
        failedAfter = Clock::now() - start;
        failed = terminal.LastListLine() == L"<== Transmission Error!";
    }
    ASSERT_TRUE(failed) << "the line never filled up";
    // A 1023-byte write may take 1 s plus 2 ms a byte, and CR LF another second.
    EXPECT_LT(failedAfter.count(), 6.0);
    EXPECT_GT(failedAfter.count(), 0.9) << "failed without waiting for the line";
    std::printf("a send on the stalled line failed after %.2f s\n", failedAfter.count());

    // Once the instrument reads again, the same window sends again.
    ASSERT_TRUE(sim.Control("stall off"));
    const auto drained = sim.WaitForReceived(1, 10s);
    ASSERT_FALSE(drained.empty());
    const LRESULT before = terminal.ListCount();
    terminal.SendTyped(L"again");
    ASSERT_TRUE(terminal.ListGrowsTo(before + 1, 20s));
    EXPECT_EQ(terminal.LastListLine(), L"<== again");
}

TEST(TerminalProgram, QuitButtonAltQAndCloseBoxEndWithStatusOneAfterTheDrain) {
    test::Simulator sim(kQuitPort, L"--rate 0");
    ASSERT_TRUE(sim.ready());
    enum class Way { QuitButton, AltQ, CloseBox };
    for (Way way : {Way::QuitButton, Way::AltQ, Way::CloseBox}) {
        SCOPED_TRACE(testing::Message() << "way " << static_cast<int>(way));
        TerminalUnderTest terminal(L"term-quit");
        ASSERT_TRUE(terminal.Open(kQuitPort));
        const auto start = Clock::now();
        DWORD status = STILL_ACTIVE;
        switch (way) {
            case Way::QuitButton: status = terminal.Quit(); break;
            case Way::AltQ:
                PostMessageW(terminal.Edit(), WM_SYSCHAR, 'q', 1 << 29);
                status = terminal.WaitExit();
                break;
            case Way::CloseBox: status = terminal.Close(); break;
        }
        EXPECT_EQ(status, 1u);
        const std::chrono::duration<double> took = Clock::now() - start;
        EXPECT_GE(took.count(), 1.0) << "the port was closed without its drain";
    }
}

TEST(TerminalProgram, AnInstrumentThatVanishesLeavesTheWindowRunningWithoutSpinning) {
    test::Simulator sim(kVanishPort, L"--rate 5");
    ASSERT_TRUE(sim.ready());
    TerminalUnderTest terminal(L"term-vanish");
    ASSERT_TRUE(terminal.Open(kVanishPort));
    ASSERT_TRUE(terminal.ListGrowsTo(3)) << "lines arrive before the instrument goes";
    ASSERT_TRUE(sim.Control("vanish 3"));
    // Measured while the instrument is away (it is back after 3 s).
    const double cpu = terminal.CpuPercentOver(2000ms);
    ASSERT_GE(cpu, 0.0) << "the terminal's process was not found";
    std::printf("terminal CPU while the instrument is gone: %.1f %%\n", cpu);
    EXPECT_LT(cpu, 10.0);
    EXPECT_TRUE(terminal.Answers(2s));
    // The instrument is back, on a new line the terminal does not hold.
    ASSERT_TRUE(sim.WaitForEvent("return"));
    const LRESULT count = terminal.ListCount();
    terminal.SendTyped(L"still here");
    EXPECT_TRUE(terminal.ListGrowsTo(count + 1, 10s)) << "the window still takes a line to send";
    EXPECT_EQ(terminal.Close(), 1u);
}

// The terminal keeps incoming text without CR until a CR comes, as it
// should: an hour of noise at 9600 baud is 3,456,000 bytes of it.
TEST(TerminalProgram, AnHourOfNoiseWithoutCrIsKeptAndTheWindowGoesOn) {
    test::Simulator sim(kNoisePort, L"--rate 0");
    ASSERT_TRUE(sim.ready());
    TerminalUnderTest terminal(L"term-noise");
    ASSERT_TRUE(terminal.Open(kNoisePort));
    ASSERT_TRUE(test::WaitForPainting(terminal.window)) << "the window is at rest after its start";
    const double before = terminal.ResidentBytes();
    const LRESULT lines = terminal.ListCount();
    ASSERT_TRUE(sim.Control("flood 3456000"));
    ASSERT_TRUE(sim.Control("line END"));
    double peak = before;
    const bool ended = test::WaitUntil(
        [&] {
            peak = std::max(peak, terminal.ResidentBytes());
            return terminal.ListCount() > lines;
        },
        120s, 250ms);
    EXPECT_TRUE(ended) << "the CR after the noise ends its line";
    const double after = terminal.ResidentBytes();
    std::printf("terminal resident memory: %.1f MiB before, peak %.1f MiB during an hour of noise, "
                "%.1f MiB once its CR came\n",
                before / (1 << 20), peak / (1 << 20), after / (1 << 20));
    EXPECT_GT(before, 0.0);
    EXPECT_TRUE(terminal.Answers(2s));
    EXPECT_EQ(terminal.Close(), 1u);
}

}  // namespace
}  // namespace kelt
