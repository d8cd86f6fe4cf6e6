// The real panel against the simulated instrument: the start-up upload and
// the choice of port.

#include <windows.h>
#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <cmath>

#include "panel/control_ids.h"
#include "wine_harness.h"

namespace kelt {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

const wchar_t kPanelCaption[] = L"Quillion Maritime Corp.        KELT-9R Control Panel";
const wchar_t kPortDialogCaption[] = L"KELT -9R COMM. PORT SELECT";
const Lines kDefaultUpload{"~~~", "cf", "d300", "l255", "e", "D150", "L255", "A", "a", "S"};

size_t Opens(const test::Simulator& sim) {
    size_t opens = 0;
    for (const auto& event : sim.Events())
        if (event.event == "open") ++opens;
    return opens;
}

TEST(PanelUpload, DefaultSettingsGoOutPacedAndTheControlsFollow) {
    test::Simulator sim(15, L"--rate 0");
    ASSERT_TRUE(sim.ready());
    const std::wstring folder = test::FreshFolder(L"upload-defaults");
    test::RunningProgram panel(test::BuildPath(L"keltpanel.exe"), folder);
    HWND window = test::WaitForWindow(panel.pid(), kPanelCaption, 30s);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(sim.WaitForReceived(kDefaultUpload.size(), 5s), kDefaultUpload);

    // Pauses after each line: 3000 ms for the instrument, 200 after the
    // unit and the two Auto commands, 100 after each value. Each is a
    // deadline from its start, the splash's painting included, so none is
    // short and none grows with the painting. The simulator's clock reads a
    // line when the simulator gets to run, a fraction of a millisecond after
    // it came on an idle machine, up to some milliseconds on a busy one: the
    // bounds leave room for that (the exact deadlines are tested natively).
    const std::vector<double> expectedGaps{3.0, 0.2, 0.1, 0.1, 0.1, 0.1, 0.1, 0.2, 0.2};
    const std::vector<double> times = sim.ReceivedTimes();
    ASSERT_EQ(times.size(), kDefaultUpload.size());
    for (size_t i = 0; i < expectedGaps.size(); ++i) {
        const double error = times[i + 1] - times[i] - expectedGaps[i];
        EXPECT_GE(error, -0.010) << "pause after " << kDefaultUpload[i];
        EXPECT_LT(error, 0.060) << "pause after " << kDefaultUpload[i];
    }
    const double total = times.back() - times.front();
    EXPECT_GE(total, 4.09);
    EXPECT_LT(total, 4.3);
    EXPECT_EQ(sim.ReceivedBytes(), test::CommandBytes(kDefaultUpload))
        << "each line CR LF, nothing between";

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
    EXPECT_EQ(test::ItemText(window, id::BottomDepthLabel), L"Depth Ft   ");
    EXPECT_EQ(test::ItemText(window, id::FishDepthLabel), L"Depth Ft   ");
    EXPECT_EQ(test::ItemText(window, id::FishDepthEdit), L"15.0");
    EXPECT_EQ(test::ItemText(window, id::FishLevelEdit), L"50.0");
    EXPECT_EQ(test::ItemText(window, id::OnPulsesEdit), L"1");
    EXPECT_EQ(test::ItemText(window, id::OffPulsesEdit), L"0");
    EXPECT_EQ(test::ItemText(window, id::BottomDepthEdit), L"30");
    EXPECT_EQ(test::ItemText(window, id::BottomLevelEdit), L"50.0");
    EXPECT_EQ(test::ItemText(window, id::MeasFreqBox), L"TB9") << "no instrument line yet";

    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(panel.WaitExit(10s), 0u);
    EXPECT_FALSE(test::FileExists(folder + L"/KELT_9R.ini")) << "the close box saves nothing";
}

TEST(PortSelection, StartUpListsOnlyOpenablePortsAsTextAndOpensTheChoice) {
    test::Simulator com1(1, L"--rate 0"), com3(3, L"--rate 0"), com12(12, L"--rate 0");
    ASSERT_TRUE(com1.ready() && com3.ready() && com12.ready());
    test::RunningProgram panel(test::BuildPath(L"keltpanel.exe"), test::FreshFolder(L"port-startup"));
    HWND dialog = test::WaitForWindow(panel.pid(), kPortDialogCaption, 30s);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(test::WaitForWindow(panel.pid(), kPanelCaption, 0ms), nullptr)
        << "the panel stays hidden while the first port is chosen";
    HWND combo = GetDlgItem(dialog, id::PortListCombo);
    EXPECT_EQ(test::ComboItems(combo), (std::vector<std::wstring>{L"COM1", L"COM12", L"COM3"}));
    EXPECT_EQ(test::WindowText(combo), L"COM1");

    SetWindowTextW(combo, L"COM12");  // typed into the combo box's edit field
    test::Click(dialog, id::PortOkButton);
    HWND window = test::WaitForWindow(panel.pid(), kPanelCaption, 30s);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(com12.WaitForReceived(kDefaultUpload.size(), 5s), kDefaultUpload);
    EXPECT_TRUE(com1.ReceivedLines().empty());
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(panel.WaitExit(10s), 0u);
}

TEST(PortSelection, CancelAtStartUpEndsWithExitCodeZeroAndSavesNothing) {
    test::Simulator com1(1, L"--rate 0");
    ASSERT_TRUE(com1.ready());
    const std::wstring folder = test::FreshFolder(L"port-cancel");
    test::RunningProgram panel(test::BuildPath(L"keltpanel.exe"), folder);
    HWND dialog = test::WaitForWindow(panel.pid(), kPortDialogCaption, 30s);
    ASSERT_NE(dialog, nullptr);
    test::Click(dialog, id::PortCancelButton);
    EXPECT_EQ(panel.WaitExit(10s), 0u);
    EXPECT_FALSE(test::FileExists(folder + L"/KELT_9R.ini"));
    EXPECT_TRUE(com1.ReceivedLines().empty());
}

TEST(PortSelection, NoPortAtAllShowsTheFailureAndEndsWithExitCodeZero) {
    test::RunningProgram panel(test::BuildPath(L"keltpanel.exe"), test::FreshFolder(L"port-none"));
    HWND box = test::WaitForWindow(panel.pid(), L"Failure to find Comm. Port", 30s);
    ASSERT_NE(box, nullptr);
    bool textFound = false;
    for (HWND child : test::ChildrenInOrder(box))
        if (test::WindowText(child) == L"Press OK to close") textFound = true;
    EXPECT_TRUE(textFound);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(panel.WaitExit(10s), 0u);
}

TEST(PortSelection, CommPortMenuAlwaysAsksAndCancelRestoresThePort) {
    test::Simulator com15(15, L"--rate 0"), com2(2, L"--rate 0");
    ASSERT_TRUE(com15.ready() && com2.ready());
    test::RunningProgram panel(test::BuildPath(L"keltpanel.exe"), test::FreshFolder(L"port-menu"));
    HWND window = test::WaitForWindow(panel.pid(), kPanelCaption, 30s);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(com15.WaitForReceived(kDefaultUpload.size(), 5s).size(), kDefaultUpload.size());

    PostMessageW(window, WM_COMMAND, id::MenuCommPort, 0);
    HWND dialog = test::WaitForWindow(panel.pid(), kPortDialogCaption, 10s);
    ASSERT_NE(dialog, nullptr) << "the dialog comes even though COM15 works";
    HWND combo = GetDlgItem(dialog, id::PortListCombo);
    EXPECT_EQ(test::ComboItems(combo).size(), 15u);
    EXPECT_EQ(test::WindowText(combo), L"COM15");
    test::Click(dialog, id::PortCancelButton);
    ASSERT_TRUE(test::WaitUntil([&] { return !IsWindow(dialog); }, 10s));
    EXPECT_TRUE(test::WaitUntil([&] { return Opens(com15) == 2; }, 5s))
        << "closed for the dialog, then reopened once";

    // A working choice opens that port; nothing is uploaded to it.
    PostMessageW(window, WM_COMMAND, id::MenuCommPort, 0);
    dialog = test::WaitForWindow(panel.pid(), kPortDialogCaption, 10s);
    ASSERT_NE(dialog, nullptr);
    SetWindowTextW(GetDlgItem(dialog, id::PortListCombo), L"COM2");
    test::Click(dialog, id::PortOkButton);
    ASSERT_TRUE(test::WaitUntil([&] { return !IsWindow(dialog); }, 10s));
    EXPECT_TRUE(test::WaitUntil([&] { return Opens(com2) == 1; }, 5s));
    Sleep(500);
    EXPECT_EQ(com15.ReceivedLines().size(), kDefaultUpload.size());
    EXPECT_TRUE(com2.ReceivedLines().empty()) << "a port change uploads nothing";
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(panel.WaitExit(10s), 0u);
}

// The port dialog through the menu: the combo's text set (when given) and
// one of the buttons clicked; returns once that dialog is gone.
bool AnswerPortDialog(DWORD pid, HWND panel, const wchar_t* typed, int button) {
    HWND dialog = test::WaitForWindow(pid, kPortDialogCaption, 10s);
    if (dialog == nullptr) return false;
    if (typed != nullptr) SetWindowTextW(GetDlgItem(dialog, id::PortListCombo), typed);
    test::Click(dialog, button);
    if (!test::WaitUntil([&] { return !IsWindow(dialog); }, 10s)) return false;
    // Once the panel has answered this, a dialog that the selection shows
    // again already exists (created before anything else is handled, shown
    // a little later).
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(panel, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer) != 0;
}

void MoveLevelSlider(HWND panel, int position) {
    HWND slider = GetDlgItem(panel, id::BottomLevelSlider);
    SendMessageW(slider, TBM_SETPOS, TRUE, position);
    SendMessageW(panel, WM_VSCROLL, SB_THUMBPOSITION, reinterpret_cast<LPARAM>(slider));
}

// "7" (not "COM7") gives an empty port text, which never opens; the dialog
// comes back holding it as the port in use. CANCEL must end the selection
// all the same, with the instrument there or gone.
void CancelAfterABadChoice(bool instrumentGone) {
    test::Simulator com15(15, L"--rate 0");
    ASSERT_TRUE(com15.ready());
    test::RunningProgram panel(test::BuildPath(L"keltpanel.exe"),
                               test::FreshFolder(instrumentGone ? L"port-trap-gone" : L"port-trap"));
    HWND window = test::WaitForWindow(panel.pid(), kPanelCaption, 30s);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(com15.WaitForReceived(kDefaultUpload.size(), 8s), kDefaultUpload);
    if (instrumentGone) com15.Control("vanish 600");

    PostMessageW(window, WM_COMMAND, id::MenuCommPort, 0);
    ASSERT_TRUE(AnswerPortDialog(panel.pid(), window, L"7", id::PortOkButton));
    ASSERT_NE(test::ExistingWindow(panel.pid(), kPortDialogCaption), nullptr)
        << "a port that does not open brings the dialog back";
    ASSERT_TRUE(AnswerPortDialog(panel.pid(), window, nullptr, id::PortCancelButton));
    EXPECT_EQ(test::ExistingWindow(panel.pid(), kPortDialogCaption), nullptr)
        << "CANCEL ends the selection";

    MoveLevelSlider(window, 100);  // no port: the write fails silently
    if (instrumentGone) {
        com15.Control("vanish 0");
        ASSERT_TRUE(test::WaitUntil([&] {
            for (const auto& event : com15.Events())
                if (event.event == "return") return true;
            return false;
        }, 10s));
    }
    PostMessageW(window, WM_COMMAND, id::MenuCommPort, 0);
    ASSERT_TRUE(AnswerPortDialog(panel.pid(), window, L"COM15", id::PortOkButton));
    EXPECT_EQ(test::ExistingWindow(panel.pid(), kPortDialogCaption), nullptr);
    MoveLevelSlider(window, 200);
    Lines expected = kDefaultUpload;
    expected.push_back("l200");
    EXPECT_EQ(com15.WaitForReceived(expected.size(), 5s), expected)
        << "nothing went out without a port; the chosen port works again";
    test::Click(window, id::QuitButton);
    EXPECT_EQ(panel.WaitExit(10s), 0u);
}

TEST(PortSelection, CancelAfterABadChoiceEndsTheSelectionAndThePanelGoesOn) {
    CancelAfterABadChoice(false);
}

TEST(PortSelection, CancelAfterABadChoiceEndsTheSelectionWithTheInstrumentGone) {
    CancelAfterABadChoice(true);
}

}  // namespace
}  // namespace kelt

namespace kelt {
namespace {

TEST(PanelLink, AWriteOnAStalledLineFailsWithinItsTimeOutAndThePanelGoesOn) {
    test::Simulator sim(15, L"--rate 0");
    ASSERT_TRUE(sim.ready());
    test::RunningProgram panel(test::BuildPath(L"keltpanel.exe"), test::FreshFolder(L"stalled-line"));
    HWND window = test::WaitForWindow(panel.pid(), kPanelCaption, 30s);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(sim.WaitForReceived(kDefaultUpload.size(), 8s).size(), kDefaultUpload.size());
    sim.Control("stall on");
    Sleep(300);
    // Fill the line's buffers until writes stop going through; each slider
    // notification then waits for its write to fail, never for ever.
    HWND slider = GetDlgItem(window, id::BottomLevelSlider);
    double slowest = 0;
    int slow = 0;
    for (int i = 0; i < 6000 && slow < 3; ++i) {
        const auto start = std::chrono::steady_clock::now();
        DWORD_PTR result = 0;
        ASSERT_NE(SendMessageTimeoutW(window, WM_VSCROLL, TB_THUMBTRACK, reinterpret_cast<LPARAM>(slider),
                                      SMTO_NORMAL, 10000, &result), 0)
            << "the panel hung on a stalled line";
        const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        slowest = std::max(slowest, took);
        if (took > 0.5) ++slow;
    }
    EXPECT_EQ(slow, 3) << "the line never stalled";
    EXPECT_LT(slowest, 2.5) << "a write waits about a second plus its own time, then fails";
    sim.Control("stall off");
    Sleep(1000);
    test::Click(window, id::QuitButton);
    EXPECT_EQ(panel.WaitExit(10s), 0u);
}

}  // namespace
}  // namespace kelt
