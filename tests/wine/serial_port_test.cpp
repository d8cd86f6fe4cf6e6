// Opening the panel's port against the simulated instrument on a pty.

#include <windows.h>
#include <gtest/gtest.h>

#include <fstream>

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

    bool lineSettingsSeen = false;
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    while (!lineSettingsSeen && std::chrono::steady_clock::now() < deadline) {
        for (const auto& event : sim.Events())
            if (event.event == "termios" && event.raw.find("\"baud\":9600") != std::string::npos &&
                event.raw.find("\"data_bits\":8") != std::string::npos)
                lineSettingsSeen = true;
        Sleep(50);
    }
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

}  // namespace
}  // namespace kelt
