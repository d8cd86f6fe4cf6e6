// The real panel against the simulated instrument: the start-up upload and
// the choice of port.

#include <windows.h>
#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "panel/control_ids.h"
#include "panel_fixture.h"

namespace kelt {
namespace {

using namespace std::chrono_literals;
using test::kDefaultUpload;
using test::kPanelCaption;
using test::kPortDialogCaption;
using test::Lines;
using test::PanelSetup;
using test::PanelUnderTest;

TEST(PanelUpload, DefaultSettingsGoOutPacedAndTheControlsFollow) {
    PanelUnderTest panel(L"upload-defaults");
    ASSERT_TRUE(panel.sim.ready());
    ASSERT_TRUE(panel.Launch());
    ASSERT_TRUE(panel.WaitForWindow());
    EXPECT_EQ(panel.sim.WaitForReceived(kDefaultUpload.size(), 5s), kDefaultUpload);

    // Pauses after each line: 3000 ms for the instrument, 200 after the
    // unit and the two Auto commands, 100 after each value. Each is a
    // deadline from its start, the splash's painting included: never short
    // (but for the simulator reading a line a little late on a busy
    // machine), and late only by what a busy machine adds to one sleep.
    const std::vector<double>& expectedGaps = test::kDefaultUploadPauses;
    const std::vector<double> times = panel.sim.ReceivedTimes();
    ASSERT_EQ(times.size(), kDefaultUpload.size());
    for (size_t i = 0; i < expectedGaps.size(); ++i) {
        const double error = times[i + 1] - times[i] - expectedGaps[i];
        EXPECT_GE(error, -test::kLineTimeJitter) << "pause after " << kDefaultUpload[i];
        EXPECT_LT(error, 0.060) << "pause after " << kDefaultUpload[i];  // one sleep late on a busy machine
    }
    const double total = times.back() - times.front();
    EXPECT_GE(total, 4.100 - test::kLineTimeJitter);
    EXPECT_LT(total, 4.2);
    EXPECT_EQ(panel.sim.ReceivedBytes(), test::CommandBytes(kDefaultUpload))
        << "each line CR LF, nothing between";

    HWND window = panel.window;
    EXPECT_EQ(test::SliderPos(window, id::BottomDepthSlider), 300);
    EXPECT_EQ(test::SliderPos(window, id::BottomLevelSlider), 255);
    EXPECT_EQ(test::SliderPos(window, id::FishDepthSlider), 150);
    EXPECT_EQ(test::SliderPos(window, id::FishLevelSlider), 255);
    EXPECT_EQ(test::SliderPos(window, id::OnPulsesSlider), 1);
    EXPECT_TRUE(test::IsChecked(window, id::FeetOption));
    EXPECT_TRUE(test::IsChecked(window, id::AutoFreqCheck));
    EXPECT_TRUE(test::IsChecked(window, id::AutoWidthCheck));
    EXPECT_FALSE(test::IsChecked(window, id::FishEchoCheck));
    EXPECT_FALSE(test::IsEnabledItem(window, id::FreqSlider));
    EXPECT_FALSE(test::IsEnabledItem(window, id::WidthSetEdit));
    EXPECT_FALSE(test::IsEnabledItem(window, id::OnPulsesSlider));
    EXPECT_TRUE(test::IsEnabledItem(window, id::BottomDepthSlider));
    EXPECT_EQ(panel.Text(id::BottomDepthLabel), L"Depth Ft   ");
    EXPECT_EQ(panel.Text(id::FishDepthLabel), L"Depth Ft   ");
    EXPECT_EQ(panel.Text(id::FishDepthEdit), L"15.0");
    EXPECT_EQ(panel.Text(id::FishLevelEdit), L"50.0");
    EXPECT_EQ(panel.Text(id::OnPulsesEdit), L"1");
    EXPECT_EQ(panel.Text(id::OffPulsesEdit), L"0");
    EXPECT_EQ(panel.Text(id::BottomDepthEdit), L"30");
    EXPECT_EQ(panel.Text(id::BottomLevelEdit), L"50.0");
    EXPECT_EQ(panel.Text(id::MeasFreqBox), L"TB9") << "no instrument line yet";

    EXPECT_EQ(panel.Close(), 0u);
    EXPECT_FALSE(test::FileExists(panel.SettingsPath())) << "the close box saves nothing";
}

// Another program's device at its own speed, as a GPS on COM1 would be.
bool SetSpeed(const wchar_t* device, DWORD baud) {
    HANDLE port = CreateFileW(device, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (port == INVALID_HANDLE_VALUE) return false;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    const bool set = GetCommState(port, &dcb) && (dcb.BaudRate = baud, SetCommState(port, &dcb));
    CloseHandle(port);
    return set;
}

bool AtSpeed(const test::SimEvent& event, int baud) {
    return event.event == "termios" && event.raw.find("\"baud\":" + std::to_string(baud) + ",") != std::string::npos;
}

TEST(PortSelection, StartUpListsOnlyOpenablePortsAsTextAndOpensTheChoice) {
    test::Simulator com1(1, L"--rate 0"), com3(3, L"--rate 0");
    PanelUnderTest panel(test::PanelSetup{.folder = test::FreshFolder(L"port-startup"), .port = 12});
    ASSERT_TRUE(com1.ready() && com3.ready() && panel.sim.ready());
    ASSERT_TRUE(SetSpeed(L"\\\\.\\COM1", 4800));
    ASSERT_TRUE(com1.WaitForEventWhere([](const test::SimEvent& e) { return AtSpeed(e, 4800); }, 5s));
    ASSERT_TRUE(panel.Launch());
    HWND dialog = panel.WaitForDialog(kPortDialogCaption, 30s);
    ASSERT_NE(dialog, nullptr);
    // The probe only opened COM1 and closed it: the device looks at its line
    // settings every 0.2 s and would have seen 9600.
    EXPECT_FALSE(com1.WaitForEventWhere([](const test::SimEvent& e) { return AtSpeed(e, 9600); }, 1s))
        << "listing COM1 changed its speed";
    EXPECT_EQ(test::WaitForWindow(panel.pid(), kPanelCaption, 0ms), nullptr)
        << "the panel stays hidden while the first port is chosen";
    HWND combo = GetDlgItem(dialog, id::PortListCombo);
    EXPECT_EQ(test::ComboItems(combo), (std::vector<std::wstring>{L"COM1", L"COM12", L"COM3"}));
    EXPECT_EQ(test::WindowText(combo), L"COM1");

    SetWindowTextW(combo, L"COM12");  // typed into the combo box's edit field
    test::Click(dialog, id::PortOkButton);
    ASSERT_TRUE(panel.WaitForWindow());
    EXPECT_EQ(panel.sim.WaitForReceived(kDefaultUpload.size(), 5s), kDefaultUpload);
    EXPECT_TRUE(com1.ReceivedLines().empty());
    EXPECT_EQ(panel.Close(), 0u);
}

TEST(PortSelection, CancelAtStartUpEndsWithExitCodeZeroAndSavesNothing) {
    PanelUnderTest panel(test::PanelSetup{.folder = test::FreshFolder(L"port-cancel"), .port = 1});
    ASSERT_TRUE(panel.sim.ready());
    ASSERT_TRUE(panel.Launch());
    HWND dialog = panel.WaitForDialog(kPortDialogCaption, 30s);
    ASSERT_NE(dialog, nullptr);
    test::Click(dialog, id::PortCancelButton);
    EXPECT_EQ(panel.WaitExit(), 0u);
    EXPECT_FALSE(test::FileExists(panel.SettingsPath()));
    EXPECT_TRUE(panel.sim.ReceivedLines().empty());
}

TEST(PortSelection, NoPortAtAllShowsTheFailureAndEndsWithExitCodeZero) {
    test::RunningProgram panel(test::BuildPath(L"keltpanel.exe"), test::FreshFolder(L"port-none"));
    HWND box = test::WaitForWindow(panel.pid(), L"Failure to find Comm. Port", 30s);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(test::HasChildWithText(box, L"Press OK to close"));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(panel.WaitExit(10s), 0u);
}

TEST(PortSelection, CommPortMenuAlwaysAsksAndCancelRestoresThePort) {
    test::Simulator com2(2, L"--rate 0");
    PanelUnderTest panel(L"port-menu");
    ASSERT_TRUE(panel.sim.ready() && com2.ready());
    ASSERT_TRUE(panel.Start());

    panel.Menu(id::MenuCommPort);
    HWND dialog = panel.WaitForDialog(kPortDialogCaption, 10s);
    ASSERT_NE(dialog, nullptr) << "the dialog comes even though COM15 works";
    HWND combo = GetDlgItem(dialog, id::PortListCombo);
    EXPECT_EQ(test::ComboItems(combo).size(), 15u);
    EXPECT_EQ(test::WindowText(combo), L"COM15");
    test::Click(dialog, id::PortCancelButton);
    ASSERT_TRUE(test::WaitUntil([&] { return !IsWindow(dialog); }, 10s));
    EXPECT_TRUE(panel.sim.WaitForEvent("open", 2, 5s)) << "closed for the dialog, then reopened once";
    EXPECT_EQ(panel.sim.Count("open"), 2u);

    // A working choice opens that port; nothing is uploaded to it: the
    // first line it gets is the slider's that follows.
    panel.Menu(id::MenuCommPort);
    ASSERT_TRUE(panel.AnswerPortDialog(L"COM2", id::PortOkButton));
    EXPECT_TRUE(com2.WaitForEvent("open", 1, 5s));
    EXPECT_EQ(com2.Count("open"), 1u);
    ASSERT_TRUE(panel.MoveSlider(id::BottomLevelSlider, 200));
    EXPECT_EQ(com2.WaitForReceived(1, 5s), (Lines{"l200"})) << "a port change uploads nothing";
    EXPECT_EQ(panel.sim.ReceivedLines().size(), kDefaultUpload.size());
    EXPECT_EQ(panel.Close(), 0u);
}

// "7" (not "COM7") gives an empty port text, which never opens, and the
// dialog comes back. CANCEL ends the selection and reopens the port that was
// in use before the menu command (if the instrument is there), and Quit
// saves that port, not the failed choice.
void CancelAfterABadChoice(bool instrumentGone) {
    PanelUnderTest panel(instrumentGone ? L"port-trap-gone" : L"port-trap");
    ASSERT_TRUE(panel.Start());
    ASSERT_EQ(panel.Upload(), kDefaultUpload);
    if (instrumentGone) {
        ASSERT_TRUE(panel.sim.Control("vanish 600"));
    }

    panel.Menu(id::MenuCommPort);
    ASSERT_TRUE(panel.AnswerPortDialog(L"7", id::PortOkButton));
    ASSERT_NE(test::ExistingWindow(panel.pid(), kPortDialogCaption), nullptr)
        << "a port that does not open brings the dialog back";
    ASSERT_TRUE(panel.AnswerPortDialog(nullptr, id::PortCancelButton));
    EXPECT_EQ(test::ExistingWindow(panel.pid(), kPortDialogCaption), nullptr)
        << "CANCEL ends the selection";

    ASSERT_TRUE(panel.MoveSlider(id::BottomLevelSlider, 100));
    Lines expected = kDefaultUpload;
    if (instrumentGone) {
        // COM15 could not be reopened: that write failed silently. Once the
        // instrument is back, the dialog offers COM15 as the port in use.
        ASSERT_TRUE(panel.sim.Control("vanish 0"));
        ASSERT_TRUE(panel.sim.WaitForEvent("return"));
        panel.Menu(id::MenuCommPort);
        HWND dialog = panel.WaitForDialog(kPortDialogCaption, 10s);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(test::WindowText(GetDlgItem(dialog, id::PortListCombo)), L"COM15");
        ASSERT_TRUE(panel.AnswerPortDialog(nullptr, id::PortOkButton));
        ASSERT_TRUE(panel.MoveSlider(id::BottomLevelSlider, 200));
        expected.push_back("l200");
    } else {
        expected.push_back("l100");
    }
    EXPECT_EQ(panel.sim.WaitForReceived(expected.size(), 5s), expected)
        << "CANCEL reopened COM15, the port in use before the menu command";
    EXPECT_EQ(panel.Quit(), 0u);
    EXPECT_NE(panel.SavedSettings().find("\r\nCommport = 15\r\n"), std::string::npos) << panel.SavedSettings();
}

TEST(PortSelection, CancelAfterABadChoiceKeepsThePortInUse) {
    CancelAfterABadChoice(false);
}

TEST(PortSelection, CancelAfterABadChoiceKeepsThePortInUseWithTheInstrumentGone) {
    CancelAfterABadChoice(true);
}

}  // namespace
}  // namespace kelt

namespace kelt {
namespace {

TEST(PanelLink, AWriteOnAStalledLineFailsWithinItsTimeOutAndThePanelGoesOn) {
    test::PanelUnderTest panel(L"stalled-line");
    ASSERT_TRUE(panel.Start());
    ASSERT_TRUE(panel.sim.Control("stall on"));
    // Fill the line's buffers until writes stop going through; each slider
    // notification then waits for its write to fail, never for ever.
    HWND slider = panel.Item(id::BottomLevelSlider);
    double slowest = 0;
    int slow = 0;
    for (int i = 0; i < 6000 && slow < 3; ++i) {
        const auto start = std::chrono::steady_clock::now();
        ASSERT_NE(test::Ask(panel.window, WM_VSCROLL, TB_THUMBTRACK, reinterpret_cast<LPARAM>(slider), 10s), -1)
            << "the panel hung on a stalled line";
        const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        slowest = std::max(slowest, took);
        if (took > 0.5) ++slow;
    }
    EXPECT_EQ(slow, 3) << "the line never stalled";
    EXPECT_LT(slowest, 2.5) << "a write waits about a second plus its own time, then fails";
    // The instrument reads again, and what waited on the line comes off it.
    const size_t reads = panel.sim.Count("read");
    ASSERT_TRUE(panel.sim.Control("stall off"));
    EXPECT_TRUE(panel.sim.WaitForEvent("read", reads + 1));
    EXPECT_EQ(panel.Quit(), 0u);
}

}  // namespace
}  // namespace kelt
