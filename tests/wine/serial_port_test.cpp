// Opening the panel's port against the simulated instrument on a pty.

#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <memory>

#include "link/win/reader_thread.h"
#include "panel/win/panel_port.h"
#include "wine_harness.h"

namespace kelt {
namespace {

using namespace std::chrono_literals;

TEST(OpenPort, OpensComFifteenThroughTheDeviceNamespaceAtNineSixHundredEightNOne) {
    test::Simulator sim(15);
    ASSERT_TRUE(sim.ready());
    PanelState state;
    Port port;
    state.commPortText = "15";
    ASSERT_EQ(OpenPort(state, port), 1);
    EXPECT_EQ(state.portOpen, 15);
    EXPECT_TRUE(port.Write("d300\r\n"));
    EXPECT_EQ(sim.WaitForReceived(1, 5s), (std::vector<std::string>{"d300"}));

    const bool lineSettingsSeen = sim.WaitForEventWhere(
        [](const test::SimEvent& event) {
            return event.event == "termios" && event.raw.find("\"baud\":9600") != std::string::npos &&
                   event.raw.find("\"data_bits\":8") != std::string::npos;
        },
        3s);
    EXPECT_TRUE(lineSettingsSeen) << "the simulator never saw 9600 8-N-1";
    port.Close();
}

TEST(OpenPort, AbsentPortOrAFileNameNeverCountsAsOpen) {
    PanelState state;
    Port port;
    state.portOpen = 0;
    state.commPortText = "2";  // mapped to nothing in the test prefix
    EXPECT_EQ(OpenPort(state, port), 0);
    EXPECT_EQ(state.portOpen, 0);

    const std::wstring folder = test::FreshFolder(L"port-file-name");
    SetCurrentDirectoryW(folder.c_str());
    { std::ofstream(L"x", std::ios::binary) << "notes"; }
    state.commPortText = "1\\..\\x";
    EXPECT_EQ(OpenPort(state, port), 0);
    EXPECT_FALSE(port.IsOpen());
    std::ifstream file(L"x", std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(file)), {});
    EXPECT_EQ(content, "notes");

    // Other devices are character devices too: a separator must never lead
    // the port's name to one of them.
    for (const char* text : {"1\\..\\NUL", "1/../NUL", "1\\..\\CONOUT$"}) {
        state.commPortText = text;
        EXPECT_EQ(OpenPort(state, port), 0) << text;
        EXPECT_FALSE(port.IsOpen()) << text;
    }
}

// Why a port did not open is kept for the support engineer (and goes to
// the debug channel); the user still sees only what the program shows.
TEST(OpenPort, AFailureKeepsItsReason) {
    Port port;
    EXPECT_FALSE(port.Open("\\\\.\\COM2", kPanelPortOptions));  // mapped to nothing here
    const std::wstring absent = port.lastFailure();
    EXPECT_NE(absent.find(L"\\\\.\\COM2"), std::wstring::npos) << std::string(absent.begin(), absent.end());
    EXPECT_NE(absent.find(L"did not open: "), std::wstring::npos) << std::string(absent.begin(), absent.end());
    EXPECT_EQ(absent.back(), L')') << "the system's error code ends it";

    const std::wstring folder = test::FreshFolder(L"port-reason");
    const std::wstring file = folder + L"\\notes.txt";
    { std::ofstream(file.c_str(), std::ios::binary) << "notes"; }
    EXPECT_FALSE(port.Open(std::string(file.begin(), file.end()), kPanelPortOptions));
    EXPECT_NE(port.lastFailure().find(L"not a character device"), std::wstring::npos);
    EXPECT_FALSE(port.Open("", kPanelPortOptions));
    EXPECT_NE(port.lastFailure().find(L"names no device"), std::wstring::npos);
}

// A driver whose read hangs: bytes are said to wait, and the read returns
// only when cancelled (or, if it ignores cancelling, when the test lets it).
struct HangingDevice : PortDevice {
    explicit HangingDevice(bool ignores) : ignoresCancel(ignores) {}
    const bool ignoresCancel;
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<int> reads{0}, writes{0}, cancels{0};
    ~HangingDevice() override { CloseHandle(release); }

    std::uint32_t BytesWaiting() override { return 10; }
    std::string Read(std::uint32_t) override {
        ++reads;
        WaitForSingleObject(release, INFINITE);
        return {};
    }
    bool Write(std::string_view) override { return ++writes, true; }
    void DiscardWaiting() override {}
    void CancelRead() override {
        ++cancels;
        if (!ignoresCancel) SetEvent(release);
    }
};

// The window thread never waits without bound on a read stuck in the
// driver: the read is cancelled, and where even that does not free the
// port, writes fail and the close gives up within the bound.
TEST(PortWithAHungRead, WritesAndTheCloseCancelItOrGiveUpWithinTheBound) {
    for (const bool ignoresCancel : {false, true}) {
        auto port = std::make_shared<Port>();
        auto owned = std::make_unique<HangingDevice>(ignoresCancel);
        HangingDevice& device = *owned;
        port->Adopt(std::move(owned));
        std::atomic<bool> stop{false}, busy{false};
        ReaderThread reader;
        ASSERT_TRUE(reader.Start([port, &stop, &busy] {
            while (!stop) port->ReadWaiting(busy);
        }));
        ASSERT_TRUE(test::WaitUntil([&] { return device.reads > 0; }, 5s));
        const auto bound = 2 * Port::kStuckReadBound + 1s;  // the bound twice, and a busy machine

        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(port->Write("d300\r\n"), !ignoresCancel) << ignoresCancel;
        EXPECT_LT(std::chrono::steady_clock::now() - start, bound) << ignoresCancel;
        EXPECT_EQ(device.cancels, 1) << ignoresCancel;
        EXPECT_EQ(device.writes, ignoresCancel ? 0 : 1);

        stop = true;
        start = std::chrono::steady_clock::now();
        port->DrainAndClose();  // at the end of the program
        EXPECT_LT(std::chrono::steady_clock::now() - start, bound + 1s) << "a second to settle, then the bound";
        SetEvent(device.release);
        EXPECT_TRUE(reader.Join(5000ms)) << ignoresCancel;
        EXPECT_EQ(port->IsOpen(), ignoresCancel) << "a close that gave up leaves the device to the process's end";
    }
}

// A reader that does not end in time is let go, still holding what its loop
// uses; one that ends is joined.
TEST(ReaderThreadLifetime, JoinedWhenItEndsLetGoWhenItDoesNot) {
    auto stop = std::make_shared<std::atomic<bool>>(false);
    auto passes = std::make_shared<std::atomic<int>>(0);
    {
        ReaderThread prompt;
        ASSERT_TRUE(prompt.Start([stop, passes] {
            while (!*stop) {
                ++*passes;
                Sleep(5);
            }
        }));
        test::WaitUntil([&] { return *passes > 0; }, 5s);
        *stop = true;
        EXPECT_TRUE(prompt.Join(2000ms));
        EXPECT_FALSE(prompt.started());
    }
    auto hung = std::make_shared<std::atomic<bool>>(true);
    auto after = std::make_shared<std::atomic<int>>(0);
    {
        ReaderThread stuck;
        ASSERT_TRUE(stuck.Start([hung, after] {
            while (*hung) Sleep(5);  // a driver that never lets a read return
            *after = 42;             // what it holds is still there once it does
        }));
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(stuck.Join(100ms));
        EXPECT_LT(std::chrono::steady_clock::now() - start, 1500ms) << "the bound holds";
    }
    *hung = false;
    EXPECT_TRUE(test::WaitUntil([&] { return *after == 42; }, 5s));
}

}  // namespace
}  // namespace kelt
