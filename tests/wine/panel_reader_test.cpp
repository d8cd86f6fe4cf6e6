// The real panel reading the simulated instrument's measurement lines.

#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>

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
    // Five shown lines after the upload reach the bottom echo's boxes. A line
    // that arrives over two polls shows the previous one once more, and that
    // counts too, so the last depth shown is one of the first five lines'.
    const std::wstring depth = panel.Text(id::BottomDepthEdit);
    EXPECT_TRUE(depth == L"11.0" || depth == L"12.0" || depth == L"13.0" || depth == L"14.0" ||
                depth == L"15.0")
        << "the sixth and seventh lines must not reach the bottom echo";
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

TEST(PanelReader, QuitWhileLinesStreamEndsQuicklyAndSaves) {
    // At the line's full rate most polls find about 96 bytes waiting, more
    // than the reader frames at once, so the boxes change only now and then;
    // what matters here is that bytes keep coming while the user quits.
    PanelUnderTest panel(L"reader-quit", L"--rate max --log-tx");
    ASSERT_TRUE(panel.Start());
    ASSERT_TRUE(panel.sim.WaitForEvent("tx", 21));
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
