// The delivered terminal program, started and driven from outside as a user
// would: the port prompt, the failure message, the window, the traffic with
// the instrument simulator on the far end of the line, and the ways out.

#include <windows.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "kelt_version.h"
#include "platform/win/text.h"
#include "wine_harness.h"

namespace kelt {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::WindowText;

const std::wstring kTitle = platform::AnsiToWide(KELT_TERMINAL_TITLE);
const std::wstring kPromptTitle = L"Choose your active COM port";
// Port numbers above the control panel's COM1..COM15, so the two programs'
// tests never meet on a port.
constexpr int kWindowPort = 201;
constexpr int kTrafficPort = 202;
constexpr int kStallPort = 203;
constexpr int kQuitPort = 204;

std::wstring TerminalExe() { return test::BuildPath(L"terminal/keltterm.exe"); }

HWND ChildOfClass(HWND parent, const std::wstring& className) {
    for (HWND child : test::ChildrenInOrder(parent))
        if (_wcsicmp(test::ClassNameOf(child).c_str(), className.c_str()) == 0) return child;
    return nullptr;
}

// A message to the program that gives up after a while: a window whose
// thread hangs must fail the test, not hang it. -1 when it timed out.
LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 5000, &result))
        return -1;
    return static_cast<LRESULT>(result);
}

// Waits until the check holds, or the time is up; returns the last answer.
template <typename Check>
bool WaitUntil(Check check, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!check()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// Types the answer into the prompt through its own edit box and presses a button.
void AnswerPrompt(const test::RunningProgram& program, const std::wstring& answer,
                  int button = IDOK) {
    HWND prompt = test::WaitForWindow(program.pid(), kPromptTitle, 20s);
    ASSERT_NE(prompt, nullptr) << "no port prompt";
    HWND edit = ChildOfClass(prompt, L"Edit");
    ASSERT_NE(edit, nullptr);
    Ask(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(answer.c_str()));
    PostMessageW(GetDlgItem(prompt, button), BM_CLICK, 0, 0);
}

// The failure message: its caption, its text, and OK pressed.
void ExpectFailureBoxThenExitZero(test::RunningProgram& program) {
    HWND box = test::WaitForWindow(program.pid(), kTitle, 20s);
    ASSERT_NE(box, nullptr) << "no failure message";
    EXPECT_EQ(WindowText(box), kTitle);
    bool textFound = false;
    for (HWND child : test::ChildrenInOrder(box))
        textFound = textFound || WindowText(child) == L"Failure to start communications!";
    EXPECT_TRUE(textFound);
    HWND ok = GetDlgItem(box, IDOK);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr) << "one OK button only";
    PostMessageW(ok, BM_CLICK, 0, 0);
    EXPECT_EQ(program.WaitExit(15s), 0u);
}

std::wstring ListText(HWND list, LRESULT index) {
    const auto length = Ask(list, LB_GETTEXTLEN, static_cast<WPARAM>(index));
    if (length < 0) return L"<none>";
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    Ask(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

LRESULT ListCount(HWND list) { return Ask(list, LB_GETCOUNT); }
std::wstring LastListLine(HWND list) { return ListText(list, ListCount(list) - 1); }

// The running terminal with its window found, on a simulator's port.
class RunningTerminal {
public:
    RunningTerminal(const std::wstring& folderName, int port)
        : program_(TerminalExe(), test::FreshFolder(folderName)) {
        if (!program_.started()) return;
        AnswerPrompt(program_, std::to_wstring(port));
        window_ = test::WaitForWindow(program_.pid(), kTitle + L"   COM", 20s);
    }
    test::RunningProgram& program() { return program_; }
    HWND window() const { return window_; }
    HWND item(int id) const { return GetDlgItem(window_, id); }
    HWND list() const { return item(101); }
    HWND edit() const { return item(102); }

    // Enter in the edit box, as a user sends a line.
    void SendTyped(const std::wstring& text) {
        Ask(edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        Ask(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit()), TRUE);
        PostMessageW(edit(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
    }
    bool ListGrowsTo(LRESULT count, std::chrono::milliseconds timeout = 10s) {
        return WaitUntil([&] { return ListCount(list()) >= count; }, timeout);
    }

private:
    test::RunningProgram program_;
    HWND window_ = nullptr;
};

TEST(TerminalProgram, PromptIsCentredAndAsksForUpTo255CharactersWithTheFocusOnItsEdit) {
    test::RunningProgram program(TerminalExe(), test::FreshFolder(L"term-prompt"));
    ASSERT_TRUE(program.started());
    HWND prompt = test::WaitForWindow(program.pid(), kPromptTitle, 20s);
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(WindowText(prompt), kPromptTitle);
    bool promptText = false;
    for (HWND child : test::ChildrenInOrder(prompt))
        promptText = promptText || WindowText(child) == L"Input COM port, 1 to 255";
    EXPECT_TRUE(promptText);
    HWND edit = ChildOfClass(prompt, L"Edit");
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
    PostMessageW(cancel, BM_CLICK, 0, 0);
    ExpectFailureBoxThenExitZero(program);
}

TEST(TerminalProgram, AnswersThatNameNoPortGiveTheFailureMessageAndExitStatusZero) {
    for (const std::wstring answer : {L"0", L"256", L"A", L""}) {
        SCOPED_TRACE(testing::Message() << "answer \"" << std::string(answer.begin(), answer.end())
                                        << "\"");
        test::RunningProgram program(TerminalExe(), test::FreshFolder(L"term-bad-port"));
        ASSERT_TRUE(program.started());
        AnswerPrompt(program, answer);
        ExpectFailureBoxThenExitZero(program);
    }
}

// The answer is appended to \\.\COM unchecked, so "1\..\" followed by a path
// leaves the device names and reaches a file. A file is no serial line.
TEST(TerminalProgram, AFileReachedThroughTheAnswerIsNotOpenedAsAPort) {
    const std::wstring folder = test::FreshFolder(L"term-file");
    std::filesystem::path notes = std::filesystem::path(folder) / L"notes.txt";
    std::ofstream(notes, std::ios::binary) << "bench notes\r\n";
    std::wstring path = notes.wstring();
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    ASSERT_EQ(GetFileAttributesW((L"\\\\.\\COM1\\..\\" + path).c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              0u)
        << "the path does reach the file";

    test::RunningProgram program(TerminalExe(), folder);
    ASSERT_TRUE(program.started());
    AnswerPrompt(program, L"1\\..\\" + path);
    ExpectFailureBoxThenExitZero(program);
    std::ifstream in(notes, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    EXPECT_EQ(content.str(), "bench notes\r\n");
}

// A character device of another kind passes the device-type check, so the
// separator itself is refused.
TEST(TerminalProgram, AnotherDeviceReachedThroughTheAnswerIsNotOpened) {
    test::RunningProgram program(TerminalExe(), test::FreshFolder(L"term-nul"));
    ASSERT_TRUE(program.started());
    AnswerPrompt(program, L"1\\..\\NUL");
    ExpectFailureBoxThenExitZero(program);
}

TEST(TerminalProgram, OpensThePortAt9600_8N1AndShowsTheWindowWithTheTypedPortInItsCaption) {
    test::Simulator sim(kWindowPort, L"--rate 0");
    ASSERT_TRUE(sim.ready());
    RunningTerminal terminal(L"term-window", kWindowPort);
    ASSERT_NE(terminal.window(), nullptr) << "the window never became visible";
    EXPECT_EQ(WindowText(terminal.window()), kTitle + L"   COM" + std::to_wstring(kWindowPort));
    EXPECT_EQ(ListCount(terminal.list()), 1);
    EXPECT_EQ(ListText(terminal.list(), 0), L"Data I/O window...");
    EXPECT_EQ(test::FocusOf(terminal.window()), terminal.edit());
    const bool lineSet = WaitUntil(
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
    RunningTerminal terminal(L"term-traffic", kTrafficPort);
    ASSERT_NE(terminal.window(), nullptr);
    HWND list = terminal.list();

    terminal.SendTyped(L"AB");
    ASSERT_TRUE(terminal.ListGrowsTo(2));
    EXPECT_EQ(LastListLine(list), L"<== AB");
    EXPECT_EQ(Ask(list, LB_GETCURSEL), 1);
    EXPECT_EQ(WindowText(terminal.edit()), L"AB");
    EXPECT_EQ(Ask(terminal.edit(), EM_GETSEL), MAKELRESULT(0, 2));
    auto received = sim.WaitForReceived(1, 5s);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], "AB");
    bool exactBytes = false;
    for (const auto& event : sim.Events())
        exactBytes = exactBytes || (event.event == "rx" &&
                                    event.raw.find("\"hex\":\"41420d0a\"") != std::string::npos);
    EXPECT_TRUE(exactBytes) << "A B CR LF and nothing else";

    sim.Control("line XY");
    ASSERT_TRUE(terminal.ListGrowsTo(3));
    EXPECT_EQ(LastListLine(list), L"==> XY");
    EXPECT_EQ(Ask(list, LB_GETCURSEL), 2);
    sim.Control("line ");
    ASSERT_TRUE(terminal.ListGrowsTo(4));
    EXPECT_EQ(LastListLine(list), L"==> ");

    // An empty box sends the line end alone; a blank asks the instrument for
    // a measurement: out, then its answer in.
    terminal.SendTyped(L"");
    ASSERT_TRUE(terminal.ListGrowsTo(5));
    EXPECT_EQ(ListText(list, 4), L"<== ");
    terminal.SendTyped(L" ");
    ASSERT_TRUE(terminal.ListGrowsTo(7));
    EXPECT_EQ(ListText(list, 5), L"<==  ");
    EXPECT_EQ(ListText(list, 6).rfind(L"==> ", 0), 0u);
    EXPECT_GT(ListText(list, 6).size(), 4u);
    EXPECT_EQ(Ask(list, LB_GETCURSEL), 6);
    received = sim.WaitForReceived(3, 5s);
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[1], "");
    EXPECT_EQ(received[2], " ");

    // Echo off: the line still goes out, the list stays as it is.
    PostMessageW(terminal.item(107), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return Ask(terminal.item(107), BM_GETCHECK) == 1; }, 5s));
    terminal.SendTyped(L"CD");
    received = sim.WaitForReceived(4, 5s);
    ASSERT_EQ(received.size(), 4u);
    EXPECT_EQ(received[3], "CD");
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(ListCount(list), 7);

    // A long line is cut to 1023 characters, on the line and in the list.
    PostMessageW(terminal.item(107), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return Ask(terminal.item(107), BM_GETCHECK) == 0; }, 5s));
    terminal.SendTyped(std::wstring(1100, L'L'));
    ASSERT_TRUE(terminal.ListGrowsTo(8));
    EXPECT_EQ(LastListLine(list), L"<== " + std::wstring(1023, L'L'));
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
    RunningTerminal terminal(L"term-stall", kStallPort);
    ASSERT_NE(terminal.window(), nullptr);
    sim.Control("stall on");
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (const auto& event : sim.Events())
                if (event.event == "control" && event.raw.find("stall on") != std::string::npos)
                    return true;
            return false;
        },
        5s));

    const std::wstring line(1023, L'S');
    std::chrono::duration<double> failedAfter{};
    bool failed = false;
    for (LRESULT count = 2; count < 400 && !failed; ++count) {
        const auto start = Clock::now();
        terminal.SendTyped(line);
        ASSERT_TRUE(terminal.ListGrowsTo(count, 20s)) << "a send hung on the stalled line";
        failedAfter = Clock::now() - start;
        failed = LastListLine(terminal.list()) == L"<== Transmission Error!";
    }
    ASSERT_TRUE(failed) << "the line never filled up";
    // A 1023-byte write may take 1 s plus 2 ms a byte, and CR LF another second.
    EXPECT_LT(failedAfter.count(), 6.0);
    EXPECT_GT(failedAfter.count(), 0.9) << "failed without waiting for the line";
    std::printf("a send on the stalled line failed after %.2f s\n", failedAfter.count());

    // Once the instrument reads again, the same window sends again.
    sim.Control("stall off");
    const auto drained = sim.WaitForReceived(1, 10s);
    ASSERT_FALSE(drained.empty());
    const LRESULT before = ListCount(terminal.list());
    terminal.SendTyped(L"again");
    ASSERT_TRUE(terminal.ListGrowsTo(before + 1, 20s));
    EXPECT_EQ(LastListLine(terminal.list()), L"<== again");
}

TEST(TerminalProgram, QuitButtonAltQAndCloseBoxEndWithStatusOneAfterTheDrain) {
    test::Simulator sim(kQuitPort, L"--rate 0");
    ASSERT_TRUE(sim.ready());
    enum class Way { QuitButton, AltQ, CloseBox };
    for (Way way : {Way::QuitButton, Way::AltQ, Way::CloseBox}) {
        SCOPED_TRACE(testing::Message() << "way " << static_cast<int>(way));
        RunningTerminal terminal(L"term-quit", kQuitPort);
        ASSERT_NE(terminal.window(), nullptr);
        const auto start = Clock::now();
        switch (way) {
            case Way::QuitButton: PostMessageW(terminal.item(106), BM_CLICK, 0, 0); break;
            case Way::AltQ: PostMessageW(terminal.edit(), WM_SYSCHAR, 'q', 1 << 29); break;
            case Way::CloseBox:
                PostMessageW(terminal.window(), WM_SYSCOMMAND, SC_CLOSE, 0);
                break;
        }
        EXPECT_EQ(terminal.program().WaitExit(15s), 1u);
        const std::chrono::duration<double> took = Clock::now() - start;
        EXPECT_GE(took.count(), 1.0) << "the port was closed without its drain";
    }
}

}  // namespace
}  // namespace kelt

namespace kelt {
namespace {

TEST(TerminalProgram, AnInstrumentThatVanishesLeavesTheWindowRunningWithoutSpinning) {
    constexpr int kVanishPort = 206;
    test::Simulator sim(kVanishPort, L"--rate 5");
    ASSERT_TRUE(sim.ready());
    RunningTerminal terminal(L"term-vanish", kVanishPort);
    ASSERT_NE(terminal.window(), nullptr);
    ASSERT_TRUE(terminal.ListGrowsTo(3)) << "lines arrive before the instrument goes";
    sim.Control("vanish 3");
    Sleep(500);
    const double before = test::UnixCpuSeconds("keltterm.exe");
    Sleep(2000);
    const double after = test::UnixCpuSeconds("keltterm.exe");
    ASSERT_GE(before, 0.0);
    std::printf("terminal CPU while the instrument is gone: %.1f %%\n", 100 * (after - before) / 2);
    EXPECT_LT(100 * (after - before) / 2, 10.0);
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutW(terminal.window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer), 0);
    Sleep(3000);  // the instrument is back on a new line the terminal does not hold
    const LRESULT count = ListCount(terminal.list());
    terminal.SendTyped(L"still here");
    EXPECT_TRUE(terminal.ListGrowsTo(count + 1, 10s)) << "the window still takes a line to send";
    PostMessageW(terminal.window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(terminal.program().WaitExit(10s), 1u);
}

}  // namespace
}  // namespace kelt


namespace kelt {
namespace {

// The terminal keeps incoming text without CR until a CR comes, as it
// should: an hour of noise at 9600 baud is 3,456,000 bytes of it.
TEST(TerminalProgram, AnHourOfNoiseWithoutCrIsKeptAndTheWindowGoesOn) {
    constexpr int kNoisePort = 207;
    test::Simulator sim(kNoisePort, L"--rate 0");
    ASSERT_TRUE(sim.ready());
    RunningTerminal terminal(L"term-noise", kNoisePort);
    ASSERT_NE(terminal.window(), nullptr);
    auto memory = [] { return test::UnixResidentBytes("keltterm.exe"); };
    Sleep(500);
    const double before = memory();
    sim.Control("flood 3456000");
    sim.Control("line END");
    const LRESULT lines = ListCount(terminal.list());
    double peak = before;
    const auto deadline = Clock::now() + 120s;
    while (ListCount(terminal.list()) <= lines && Clock::now() < deadline) {
        peak = std::max(peak, memory());
        Sleep(250);
    }
    EXPECT_GT(ListCount(terminal.list()), lines) << "the CR after the noise ends its line";
    const double after = memory();
    std::printf("terminal resident memory: %.1f MiB before, peak %.1f MiB during an hour of noise, "
                "%.1f MiB once its CR came\n",
                before / (1 << 20), peak / (1 << 20), after / (1 << 20));
    EXPECT_GT(before, 0.0);
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutW(terminal.window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer), 0);
    PostMessageW(terminal.window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(terminal.program().WaitExit(15s), 1u);
}

}  // namespace
}  // namespace kelt
