// Opening the panel's port against the simulated instrument on a pty.

#include <windows.h>
#include <gtest/gtest.h>

#include <fstream>

#include "link/serial_port.h"
#include "wine_harness.h"

namespace kelt {
namespace {

using namespace std::chrono_literals;

TEST(OpenPort, OpensComFifteenThroughTheDeviceNamespaceAtNineSixHundredEightNOne) {
    test::Simulator sim(15);
    ASSERT_TRUE(sim.ready());
    PanelState state;
    state.portFileNo = AllocatePortChannel();
    state.commPortText = "15";
    ASSERT_EQ(OpenPort(state), 1);
    EXPECT_EQ(state.portOpen, 15);
    EXPECT_TRUE(PortChannelOf(state.portFileNo).Write("d300\r\n"));
    EXPECT_EQ(sim.WaitForReceived(1, 5s), (std::vector<std::string>{"d300"}));

    const bool lineSettingsSeen = sim.WaitForEventWhere(
        [](const test::SimEvent& event) {
            return event.event == "termios" && event.raw.find("\"baud\":9600") != std::string::npos &&
                   event.raw.find("\"data_bits\":8") != std::string::npos;
        },
        3s);
    EXPECT_TRUE(lineSettingsSeen) << "the simulator never saw 9600 8-N-1";
    PortChannelOf(state.portFileNo).Close();
}

TEST(OpenPort, AbsentPortOrAFileNameNeverCountsAsOpen) {
    PanelState state;
    state.portFileNo = AllocatePortChannel();
    state.portOpen = 0;
    state.commPortText = "2";  // mapped to nothing in the test prefix
    EXPECT_EQ(OpenPort(state), 0);
    EXPECT_EQ(state.portOpen, 0);

    const std::wstring folder = test::FreshFolder(L"port-file-name");
    SetCurrentDirectoryW(folder.c_str());
    { std::ofstream(L"x", std::ios::binary) << "notes"; }
    state.commPortText = "1\\..\\x";
    EXPECT_EQ(OpenPort(state), 0);
    EXPECT_FALSE(PortChannelOf(state.portFileNo).IsOpen());
    std::ifstream file(L"x", std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(file)), {});
    EXPECT_EQ(content, "notes");

    // Other devices are character devices too: a separator must never lead
    // the port's name to one of them.
    for (const char* text : {"1\\..\\NUL", "1/../NUL", "1\\..\\CONOUT$"}) {
        state.commPortText = text;
        EXPECT_EQ(OpenPort(state), 0) << text;
        EXPECT_FALSE(PortChannelOf(state.portFileNo).IsOpen()) << text;
    }
}

}  // namespace
}  // namespace kelt
