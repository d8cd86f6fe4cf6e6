// The real panel reading the simulated instrument's measurement lines.

#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cwchar>

#include "panel/control_ids.h"
#include "panel_fixture.h"

namespace kelt {
namespace {

using namespace std::chrono_literals;
using test::PanelUnderTest;

TEST(PanelReader, MeasurementsFillTheBoxesAndTheBottomEchoOnlyForFiveLines) {
    PanelUnderTest panel(L"reader-boxes");
    ASSERT_TRUE(panel.Start());
    for (int n = 1; n <= 7; ++n) {
        const std::string depth = std::to_string(10 + n) + ".0";
        ASSERT_TRUE(panel.sim.Control("line 4" + std::to_string(n) + ".50,30" + std::to_string(n) +
                                      ",250.0,12.50,4" + std::to_string(n) + ",30" + std::to_string(n) +
                                      "," + depth + ",12.3456"));
        ASSERT_TRUE(panel.WaitForText(id::MeasFreqBox, L"4" + std::to_wstring(n) + L".50")) << n;
    }
    EXPECT_EQ(panel.Text(id::MeasWidthBox), L"307");
    EXPECT_EQ(panel.Text(id::MeasPeriodBox), L"250.0");
    EXPECT_EQ(panel.Text(id::MeasVoltsBox), L"12.50");
    EXPECT_EQ(panel.Text(id::FreqSetEdit), L"47") << "Auto frequency is ticked";
    EXPECT_EQ(panel.Text(id::WidthSetEdit), L"307");
    // The first five lines after the upload reach the bottom echo's boxes,
    // each counted once however the line's bytes were split over polls.
    EXPECT_EQ(panel.Text(id::BottomDepthEdit), L"15.0")
        << "the fifth line reaches the bottom echo, the sixth and seventh do not";
    EXPECT_EQ(panel.Text(id::BottomLevelEdit), L"12.34");

    // With Auto frequency off the setting box keeps what the user has.
    panel.Click(id::AutoFreqCheck);
    ASSERT_TRUE(test::WaitUntil([&] { return !test::IsChecked(panel.window, id::AutoFreqCheck); }, 5s));
    ASSERT_TRUE(panel.sim.Control("line 99.50,300,250.0,12.50,99,300,1.0,1.000"));
    ASSERT_TRUE(panel.WaitForText(id::MeasFreqBox, L"99.50"));
    EXPECT_EQ(panel.Text(id::FreqSetEdit), L"47");
    EXPECT_EQ(panel.Text(id::WidthSetEdit), L"300");
    EXPECT_EQ(panel.Quit(), 0u);
}

// A banner or a short line right after the upload carries no bottom echo:
// the stored settings must stay in their boxes and reach the file.
TEST(PanelReader, AShortLineAfterTheUploadKeepsTheStoredBottomEcho) {
    PanelUnderTest panel(L"reader-short-line");
    ASSERT_TRUE(panel.Start());
    ASSERT_TRUE(panel.sim.Control("line KELT9R,V1"));
    ASSERT_TRUE(panel.WaitForText(id::MeasFreqBox, L"KELT9R"));
    EXPECT_EQ(panel.Text(id::BottomDepthEdit), L"30");
    EXPECT_EQ(panel.Text(id::BottomLevelEdit), L"50.0");
    EXPECT_EQ(panel.Quit(), 0u);
    const std::string saved = panel.SavedSettings();
    EXPECT_NE(saved.find("\r\nBottom_Depth = 30\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\r\nBottom_Reply_Level = 50.0\r\n"), std::string::npos) << saved;
}

// A sounder pinging 20 times a second: each poll finds two lines or more
// waiting, and the newest of them shows, so the boxes are never more than a
// poll behind the instrument. Then the user quits while the lines stream.
TEST(PanelReader, LinesAt20ASecondShowLiveAndQuitWhileTheyStreamSaves) {
    PanelUnderTest panel(L"reader-quit", L"--rate 20 --numbered --log-tx");
    ASSERT_TRUE(panel.Start());
    ASSERT_TRUE(panel.sim.WaitForEvent("tx", 21));
    const auto shownLine = [&] { return std::wcstol(panel.Text(id::MeasPeriodBox).c_str(), nullptr, 10); };
    for (int look = 0; look < 5; ++look) {
        // A line takes 46 ms on the wire and a poll 100 ms: a second is ample.
        const auto begun = static_cast<long>(panel.sim.Count("tx"));
        EXPECT_TRUE(test::WaitUntil([&] { return shownLine() >= begun; }, 1s))
            << "line " << begun << " was sent, the box still shows " << shownLine();
    }
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(panel.Quit(), 0u);
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(took, 1800) << "the reader stops, the port drains for a second, then the end";
    EXPECT_TRUE(test::FileExists(panel.SettingsPath()));
}

TEST(PanelReader, InstrumentVanishesAndReturnsAfterThePortIsChosenAgain) {
    PanelUnderTest panel(L"reader-vanish", L"--rate 10");
    ASSERT_TRUE(panel.Start());
    ASSERT_TRUE(panel.WaitForText(id::MeasFreqBox, L"50.00"));
    ASSERT_TRUE(panel.sim.Control("vanish 3"));
    // Measured while the instrument is away (it is back after 3 s).
    const double cpu = panel.CpuPercentOver(2000ms);
    std::printf("panel CPU while the instrument is gone: %.1f %%\n", cpu);
    EXPECT_GE(cpu, 0.0) << "the panel's process was not found";
    EXPECT_LT(cpu, 10.0) << "no spinning while the instrument is gone";
    EXPECT_TRUE(panel.Answers(2s)) << "the panel keeps answering";
    ASSERT_TRUE(panel.sim.WaitForEvent("return"));

    SetWindowTextW(panel.Item(id::MeasFreqBox), L"stale");
    panel.Menu(id::MenuCommPort);
    HWND dialog = panel.WaitForDialog(test::kPortDialogCaption, 10s);
    ASSERT_NE(dialog, nullptr);
    test::Click(dialog, id::PortOkButton);  // COM15 is preselected
    EXPECT_TRUE(panel.WaitForText(id::MeasFreqBox, L"50.00", 10s)) << "lines flow again";
    EXPECT_EQ(panel.Quit(), 0u);
}

}  // namespace
}  // namespace kelt
