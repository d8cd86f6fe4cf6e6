// keltsim.exe, the Windows build of the simulated instrument, on a COM port
// joined to the program's by a pair of linked pseudo-terminals, as by a
// null-modem cable between two adapters: the panel and the terminal talk to
// it as to the instrument, and the test reads the line itself where the
// bytes and their timing are what counts.

#include <windows.h>
#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "panel/control_ids.h"
#include "link/win/line_setup.h"
#include "panel_fixture.h"
#include "terminal_fixture.h"
#include "wine_harness.h"

namespace kelt {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Lines = std::vector<std::string>;

using test::kDefaultUpload;
using test::kPanelCaption;
const std::wstring& kTerminalTitle = test::kTerminalCaption;
// The panel's stored default is COM15; the simulator takes the port above
// it, and \\.\COM16 is the device name Windows needs for it.
constexpr test::ComPair kPanelPair{16, 15};
// The terminal's pairs lie above the panel's COM1..COM15.
constexpr test::ComPair kTerminalPair{206, 205};
constexpr test::ComPair kLinePair{208, 207};

// The instrument's reply to a blank line in its power-on state.
const std::string kPowerOnLine = "50.00,400,250.0,12.50,50,400,30.0,50.000";

std::vector<test::SimEvent> EventsNamed(const test::Simulator& sim, const std::string& name) {
    std::vector<test::SimEvent> found;
    for (const test::SimEvent& event : sim.Events())
        if (event.event == name) found.push_back(event);
    return found;
}

bool WaitForEvent(const test::Simulator& sim, const std::string& name, size_t count = 1,
                  std::chrono::milliseconds timeout = 10s) {
    return test::WaitUntil([&] { return EventsNamed(sim, name).size() >= count; }, timeout);
}

// The program's end of the line, opened by the test as the panel opens its
// port: 9600 8-N-1, reads that return at once with what is there.
class LineEnd {
public:
    explicit LineEnd(int number) {
        const std::wstring device = L"\\\\.\\COM" + std::to_wstring(number);
        port_ = CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
        if (port_ == INVALID_HANDLE_VALUE) return;
        SetLine9600_8N1(port_);
        COMMTIMEOUTS timeouts{};
        timeouts.ReadIntervalTimeout = MAXDWORD;
        timeouts.WriteTotalTimeoutConstant = 1000;
        SetCommTimeouts(port_, &timeouts);
    }
    ~LineEnd() {
        if (port_ != INVALID_HANDLE_VALUE) CloseHandle(port_);
    }
    LineEnd(const LineEnd&) = delete;
    LineEnd& operator=(const LineEnd&) = delete;

    bool open() const { return port_ != INVALID_HANDLE_VALUE; }
    bool Send(const std::string& bytes) {
        DWORD written = 0;
        return WriteFile(port_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
               written == bytes.size();
    }
    // What is there now.
    std::string Take() {
        char buffer[4096];
        DWORD got = 0;
        if (!ReadFile(port_, buffer, sizeof buffer, &got, nullptr)) return {};
        return std::string(buffer, got);
    }
    // Reads until `done` holds for what came, or the time is up; everything read.
    template <typename Done>
    std::string ReadUntil(Done done, std::chrono::milliseconds timeout = 5s) {
        std::string got;
        const auto deadline = Clock::now() + timeout;
        while (!done(got) && Clock::now() < deadline) {
            const std::string more = Take();
            if (more.empty()) Sleep(1);
            got += more;
        }
        return got;
    }
    std::string ReadBytes(size_t count, std::chrono::milliseconds timeout = 5s) {
        return ReadUntil([&](const std::string& got) { return got.size() >= count; }, timeout);
    }
    std::string ReadLine(std::chrono::milliseconds timeout = 5s) {
        return ReadUntil([](const std::string& got) { return got.find("\n\r") != std::string::npos; }, timeout);
    }

private:
    HANDLE port_ = INVALID_HANDLE_VALUE;
};

void MoveLevelSlider(HWND panel, int position) {
    HWND slider = GetDlgItem(panel, id::BottomLevelSlider);
    SendMessageW(slider, TBM_SETPOS, TRUE, position);
    SendMessageW(panel, WM_VSCROLL, SB_THUMBPOSITION, reinterpret_cast<LPARAM>(slider));
}

TEST(WindowsSimulator, OpensItsComPortByTheDeviceNameAndLogsItsOwnLineSettings) {
    test::Simulator sim(kLinePair, L"--rate 0");
    ASSERT_TRUE(sim.ready());
    const auto start = EventsNamed(sim, "start");
    ASSERT_EQ(start.size(), 1u);
    EXPECT_NE(start[0].raw.find("\"port\":\"208\",\"device\":\"\\\\\\\\.\\\\COM208\""), std::string::npos)
        << start[0].raw;
    // Windows shows a port only its own settings, never the peer's: the
    // simulator logs its own, as it set them.
    ASSERT_TRUE(WaitForEvent(sim, "dcb"));
    EXPECT_NE(EventsNamed(sim, "dcb")[0].raw.find("\"baud\":9600,\"data_bits\":8,\"parity\":\"N\","
                                                  "\"stop_bits\":1,\"is_9600_8n1\":true"),
              std::string::npos)
        << EventsNamed(sim, "dcb")[0].raw;
    EXPECT_TRUE(EventsNamed(sim, "termios").empty());
}

TEST(WindowsSimulator, TheUploadArrivesWithItsPausesSlidersFollowAndLinesFillTheBoxes) {
    test::Simulator sim(kPanelPair, L"--rate 0 --sounder-freq 38.5 --sounder-width 120");
    ASSERT_TRUE(sim.ready());
    test::RunningProgram panel(test::BuildPath(L"keltpanel.exe"), test::FreshFolder(L"winsim-panel"));
    HWND window = test::WaitForWindow(panel.pid(), kPanelCaption, 30s);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(sim.WaitForReceived(kDefaultUpload.size(), 8s), kDefaultUpload);
    EXPECT_EQ(sim.ReceivedBytes(), test::CommandBytes(kDefaultUpload));

    // 3000 ms for the instrument after "~~~", 200 after the unit and the
    // two Auto commands, 100 after each value, as the simulator saw them. It
    // looks for bytes every 2 ms, and two more processes stand between it
    // and the panel than with the Linux build: on a busy machine a line is
    // now and then read a few tens of milliseconds late, which lengthens
    // its pause and shortens the next by as much. A pause left out, or
    // one of 100 ms where 200 are due, is still far outside.
    const std::vector<double>& expectedGaps = test::kDefaultUploadPauses;
    const std::vector<double> times = sim.ReceivedTimes();
    ASSERT_EQ(times.size(), kDefaultUpload.size());
    for (size_t i = 0; i < expectedGaps.size(); ++i) {
        const double error = times[i + 1] - times[i] - expectedGaps[i];
        EXPECT_GE(error, -0.030) << "pause after " << kDefaultUpload[i];
        EXPECT_LT(error, 0.080) << "pause after " << kDefaultUpload[i];
    }
    const double total = times.back() - times.front();
    EXPECT_GE(total, 4.07) << "the pauses add up to 4.1 s";
    EXPECT_LT(total, 4.25);

    MoveLevelSlider(window, 100);
    const Lines received = sim.WaitForReceived(kDefaultUpload.size() + 1, 5s);
    ASSERT_EQ(received.size(), kDefaultUpload.size() + 1);
    EXPECT_EQ(received.back(), "l100");

    // The instrument's own measurement lines, paced on its port.
    sim.Control("rate 4");
    EXPECT_TRUE(test::WaitUntil([&] { return test::ItemText(window, id::MeasFreqBox) == L"38.50"; }, 10s));
    EXPECT_EQ(test::ItemText(window, id::MeasWidthBox), L"120");
    EXPECT_EQ(test::ItemText(window, id::MeasPeriodBox), L"250.0");
    EXPECT_EQ(test::ItemText(window, id::MeasVoltsBox), L"12.50");

    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(panel.WaitExit(10s), 0u);
}

TEST(WindowsSimulator, VanishClosesThePortForItsSecondsLosesWhatCameMeanwhileAndReturns) {
    test::Simulator sim(kPanelPair, L"--rate 0");
    ASSERT_TRUE(sim.ready());
    test::RunningProgram panel(test::BuildPath(L"keltpanel.exe"), test::FreshFolder(L"winsim-vanish"));
    HWND window = test::WaitForWindow(panel.pid(), kPanelCaption, 30s);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(sim.WaitForReceived(kDefaultUpload.size(), 8s).size(), kDefaultUpload.size());
    sim.Control("line 41.50,300,250.0,12.50,41,300,30.0,50.000");
    ASSERT_TRUE(test::WaitUntil([&] { return test::ItemText(window, id::MeasFreqBox) == L"41.50"; }, 5s));

    sim.Control("vanish 2");
    ASSERT_TRUE(WaitForEvent(sim, "vanish"));
    // Sent while the port is closed: lost on the way, as to a closed port,
    // not kept for the instrument's return.
    MoveLevelSlider(window, 90);
    ASSERT_TRUE(WaitForEvent(sim, "return"));
    const double away = EventsNamed(sim, "return")[0].t - EventsNamed(sim, "vanish")[0].t;
    EXPECT_GE(away, 2.0);
    EXPECT_LT(away, 2.5);

    sim.Control("line 42.50,300,250.0,12.50,42,300,30.0,50.000");
    EXPECT_TRUE(test::WaitUntil([&] { return test::ItemText(window, id::MeasFreqBox) == L"42.50"; }, 5s));
    MoveLevelSlider(window, 120);
    Lines expected = kDefaultUpload;
    expected.push_back("l120");
    EXPECT_EQ(sim.WaitForReceived(expected.size(), 5s), expected);

    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(panel.WaitExit(10s), 0u);
}

// The misbehaviour a real port can show, as the bytes come off the line.
TEST(WindowsSimulator, MisbehaviourOnTheLineNoCrBurstFloodGarbageVerbatimAndStall) {
    test::Simulator sim(kLinePair, L"--rate 0");
    ASSERT_TRUE(sim.ready());
    LineEnd line(kLinePair.programPort);
    ASSERT_TRUE(line.open());

    ASSERT_TRUE(line.Send(" \r\n"));
    EXPECT_EQ(line.ReadLine(), kPowerOnLine + "\n\r");

    sim.Control("no-cr on");
    ASSERT_TRUE(WaitForEvent(sim, "control", 1));
    ASSERT_TRUE(line.Send(" \r\n"));
    std::string got = line.ReadBytes(kPowerOnLine.size() + 1);
    EXPECT_EQ(got, kPowerOnLine + "\n") << "LF alone ends the line";
    sim.Control("no-cr off");
    ASSERT_TRUE(WaitForEvent(sim, "control", 2));

    // Twenty lines in one write: far sooner than the 875 ms they take paced.
    const std::string twenty = [] {
        std::string lines;
        for (int i = 0; i < 20; ++i) lines += kPowerOnLine + "\n\r";
        return lines;
    }();
    sim.Control("burst 20");
    got = line.ReadBytes(1);
    const auto burstBegan = Clock::now();
    got += line.ReadBytes(twenty.size() - got.size());
    const auto burstTook = Clock::now() - burstBegan;
    EXPECT_EQ(got, twenty);
    EXPECT_LT(burstTook, 300ms);

    sim.Control("line KELT9R,verbatim");
    EXPECT_EQ(line.ReadLine(), "KELT9R,verbatim\n\r");

    // A flood comes as fast as the reader takes it, and never holds a CR.
    const auto floodAsked = Clock::now();
    sim.Control("flood 6000");
    got = line.ReadBytes(6000, 10s);
    const double floodSeconds = std::chrono::duration<double>(Clock::now() - floodAsked).count();
    EXPECT_EQ(got.size(), 6000u);
    EXPECT_EQ(got.find('\r'), std::string::npos);
    EXPECT_LT(floodSeconds, 3.0) << "6000 bytes paced would take 6.25 s";

    // Noise for half a second: paced, without CR, then nothing.
    sim.Control("garbage 0.5");
    got = line.ReadUntil([](const std::string&) { return false; }, 1500ms);
    EXPECT_EQ(got.find('\r'), std::string::npos);
    EXPECT_GT(got.size(), 300u);
    EXPECT_LT(got.size(), 700u) << "about 480 bytes fit half a second at 9600 8-N-1";

    // Stalled, the instrument reads nothing; what waits is read once it goes on.
    sim.Control("stall on");
    ASSERT_TRUE(test::WaitUntil(
        [&] {
            for (const auto& event : EventsNamed(sim, "control"))
                if (event.raw.find("\"cmd\":\"stall on\"") != std::string::npos) return true;
            return false;
        },
        5s));
    const size_t readsBefore = EventsNamed(sim, "read").size();
    ASSERT_TRUE(line.Send("d77\r\n"));
    Sleep(300);  // long enough for a read that should not happen
    EXPECT_EQ(EventsNamed(sim, "read").size(), readsBefore);
    sim.Control("stall off");
    const Lines received = sim.WaitForReceived(3, 5s);
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received.back(), "d77");
}

// The figure: the instrument's lines back to back for four seconds, as the
// program's end of the line receives them.
TEST(WindowsSimulator, BackToBackLinesComeAtTheByteRateOf9600_8N1) {
    test::Simulator sim(kLinePair, L"--rate max");
    ASSERT_TRUE(sim.ready());
    LineEnd line(kLinePair.programPort);
    ASSERT_TRUE(line.open());
    ASSERT_FALSE(line.ReadBytes(1).empty());
    const auto first = Clock::now();
    auto last = first;
    size_t bytes = 0;
    while (Clock::now() - first < 4s) {
        const std::string more = line.Take();
        if (more.empty()) {
            Sleep(1);
            continue;
        }
        bytes += more.size();
        last = Clock::now();
    }
    const double rate = bytes / std::chrono::duration<double>(last - first).count();
    std::printf("keltsim.exe, --rate max: %zu bytes in %.3f s, %.1f bytes/s\n", bytes,
                std::chrono::duration<double>(last - first).count(), rate);
    RecordProperty("bytes_per_second", std::to_string(rate));
    // 9600 baud, ten bits a byte: 960 bytes/s.
    EXPECT_GT(rate, 960 * 0.97);
    EXPECT_LT(rate, 960 * 1.03);
}

TEST(WindowsSimulator, TheTerminalTalksToIt) {
    test::Simulator sim(kTerminalPair, L"--rate 0");
    ASSERT_TRUE(sim.ready());
    test::RunningProgram terminal(test::BuildPath(L"terminal/keltterm.exe"), test::FreshFolder(L"winsim-term"));
    HWND prompt = test::WaitForWindow(terminal.pid(), L"Choose your active COM port", 20s);
    ASSERT_NE(prompt, nullptr);
    HWND answer = FindWindowExW(prompt, nullptr, L"Edit", nullptr);
    ASSERT_NE(answer, nullptr);
    const std::wstring port = std::to_wstring(kTerminalPair.programPort);
    SendMessageW(answer, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(port.c_str()));
    PostMessageW(GetDlgItem(prompt, IDOK), BM_CLICK, 0, 0);
    HWND window = test::WaitForWindow(terminal.pid(), kTerminalTitle + std::wstring(L"   COM"), 20s);
    ASSERT_NE(window, nullptr);
    HWND list = GetDlgItem(window, 101);
    HWND edit = GetDlgItem(window, 102);
    auto count = [&] { return SendMessageW(list, LB_GETCOUNT, 0, 0); };
    auto lastLine = [&] {
        const LRESULT index = count() - 1;
        std::wstring text(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, index, 0)) + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
        text.resize(text.size() - 1);
        return text;
    };
    auto type = [&](const wchar_t* text) {
        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
        SendMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);
        PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    };

    type(L"d123");
    Lines received = sim.WaitForReceived(1, 5s);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], "d123");

    // A blank asks for a measurement: out, then the answer in, paced.
    type(L" ");
    ASSERT_TRUE(test::WaitUntil([&] { return lastLine().rfind(L"==> ", 0) == 0; }, 10s));
    EXPECT_EQ(lastLine(), L"==> 50.00,400,250.0,12.50,50,400,12.3,50.000");
    sim.Control("line XY");
    EXPECT_TRUE(test::WaitUntil([&] { return lastLine() == L"==> XY"; }, 5s));

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(terminal.WaitExit(15s), 1u) << "the terminal's close box ends with status 1";
}

}  // namespace
}  // namespace kelt
