// The real panel reading the simulated instrument's measurement lines.

#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "panel/control_ids.h"
#include "wine_harness.h"

namespace kelt {
namespace {

using namespace std::chrono_literals;

const wchar_t kPanelCaption[] = L"Quillion Maritime Corp.        KELT-9R Control Panel";
const wchar_t kPortDialogCaption[] = L"KELT -9R COMM. PORT SELECT";

struct StreamingPanel {
    StreamingPanel(const std::wstring& folderName, const std::wstring& simArguments)
        : sim(15, simArguments), folder(test::FreshFolder(folderName)) {}
    bool Start() {
        program = std::make_unique<test::RunningProgram>(test::BuildPath(L"keltpanel.exe"), folder);
        window = test::WaitForWindow(program->pid(), kPanelCaption, 30s);
        return window != nullptr && sim.WaitForReceived(10, 8s).size() >= 10;
    }
    bool WaitForText(int id, const std::wstring& text, std::chrono::milliseconds timeout = 5s) {
        return test::WaitUntil([&] { return test::ItemText(window, id) == text; }, timeout);
    }
    // CPU time the panel used over a stretch of wall time, in percent.
    static double CpuPercentOver(std::chrono::milliseconds wall) {
        const double before = test::UnixCpuSeconds("keltpanel.exe");
        Sleep(static_cast<DWORD>(wall.count()));
        const double after = test::UnixCpuSeconds("keltpanel.exe");
        return before < 0 || after < 0 ? 100.0 : 100.0 * (after - before) / (wall.count() / 1000.0);
    }
    test::Simulator sim;
    std::wstring folder;
    std::unique_ptr<test::RunningProgram> program;
    HWND window = nullptr;
};

TEST(PanelReader, MeasurementsFillTheBoxesAndTheBottomEchoOnlyForFiveLines) {
    StreamingPanel panel(L"reader-boxes", L"--rate 0");
    ASSERT_TRUE(panel.Start());
    for (int n = 1; n <= 7; ++n) {
        const std::string depth = std::to_string(10 + n) + ".0";
        panel.sim.Control("line 4" + std::to_string(n) + ".50,30" + std::to_string(n) +
                          ",250.0,12.50,4" + std::to_string(n) + ",30" + std::to_string(n) + "," +
                          depth + ",12.3456");
        ASSERT_TRUE(panel.WaitForText(id::MeasFreqBox, L"4" + std::to_wstring(n) + L".50")) << n;
    }
    EXPECT_EQ(test::ItemText(panel.window, id::MeasWidthBox), L"307");
    EXPECT_EQ(test::ItemText(panel.window, id::MeasPeriodBox), L"250.0");
    EXPECT_EQ(test::ItemText(panel.window, id::MeasVoltsBox), L"12.50");
    EXPECT_EQ(test::ItemText(panel.window, id::FreqSetEdit), L"47") << "Auto frequency is ticked";
    EXPECT_EQ(test::ItemText(panel.window, id::WidthSetEdit), L"307");
    // Five shown lines after the upload reach the bottom echo's boxes. A line
    // that arrives over two polls shows the previous one once more, and that
    // counts too, so the last depth shown is one of the first five lines'.
    const std::wstring depth = test::ItemText(panel.window, id::BottomDepthEdit);
    EXPECT_TRUE(depth == L"11.0" || depth == L"12.0" || depth == L"13.0" || depth == L"14.0" ||
                depth == L"15.0")
        << "the sixth and seventh lines must not reach the bottom echo";
    EXPECT_EQ(test::ItemText(panel.window, id::BottomLevelEdit), L"12.34");

    // With Auto frequency off the setting box keeps what the user has.
    test::Click(panel.window, id::AutoFreqCheck);
    ASSERT_TRUE(test::WaitUntil([&] { return !test::IsChecked(panel.window, id::AutoFreqCheck); }, 5s));
    panel.sim.Control("line 99.50,300,250.0,12.50,99,300,1.0,1.000");
    ASSERT_TRUE(panel.WaitForText(id::MeasFreqBox, L"99.50"));
    EXPECT_EQ(test::ItemText(panel.window, id::FreqSetEdit), L"47");
    EXPECT_EQ(test::ItemText(panel.window, id::WidthSetEdit), L"300");
    test::Click(panel.window, id::QuitButton);
    EXPECT_EQ(panel.program->WaitExit(10s), 0u);
}

// A banner or a short line right after the upload carries no bottom echo:
// the stored settings must stay in their boxes and reach the file.
TEST(PanelReader, AShortLineAfterTheUploadKeepsTheStoredBottomEcho) {
    StreamingPanel panel(L"reader-short-line", L"--rate 0");
    ASSERT_TRUE(panel.Start());
    panel.sim.Control("line KELT9R,V1");
    ASSERT_TRUE(panel.WaitForText(id::MeasFreqBox, L"KELT9R"));
    EXPECT_EQ(test::ItemText(panel.window, id::BottomDepthEdit), L"30");
    EXPECT_EQ(test::ItemText(panel.window, id::BottomLevelEdit), L"50.0");
    test::Click(panel.window, id::QuitButton);
    EXPECT_EQ(panel.program->WaitExit(10s), 0u);
    const std::string saved = test::ReadFileBytes(panel.folder + L"\\KELT_9R.ini");
    EXPECT_NE(saved.find("\r\nBottom_Depth = 30\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\r\nBottom_Reply_Level = 50.0\r\n"), std::string::npos) << saved;
}

TEST(PanelReader, QuitWhileLinesStreamEndsQuicklyAndSaves) {
    // At the line's full rate most polls find about 96 bytes waiting, more
    // than the reader frames at once, so the boxes change only now and then;
    // what matters here is that bytes keep coming while the user quits.
    StreamingPanel panel(L"reader-quit", L"--rate max --log-tx");
    ASSERT_TRUE(panel.Start());
    ASSERT_TRUE(test::WaitUntil([&] {
        size_t sent = 0;
        for (const auto& event : panel.sim.Events())
            if (event.event == "tx") ++sent;
        return sent > 20;
    }, 10s));
    const auto start = std::chrono::steady_clock::now();
    test::Click(panel.window, id::QuitButton);
    EXPECT_EQ(panel.program->WaitExit(10s), 0u);
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(took, 1800) << "the reader stops, the port drains for a second, then the end";
    EXPECT_TRUE(test::FileExists(panel.folder + L"\\KELT_9R.ini"));
}

TEST(PanelReader, InstrumentVanishesAndReturnsAfterThePortIsChosenAgain) {
    StreamingPanel panel(L"reader-vanish", L"--rate 10");
    ASSERT_TRUE(panel.Start());
    ASSERT_TRUE(panel.WaitForText(id::MeasFreqBox, L"50.00"));
    panel.sim.Control("vanish 3");
    Sleep(500);
    const double cpu = panel.CpuPercentOver(2000ms);
    std::printf("panel CPU while the instrument is gone: %.1f %%\n", cpu);
    EXPECT_LT(cpu, 10.0) << "no spinning while the instrument is gone";
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutW(panel.window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer), 0)
        << "the panel keeps answering";
    ASSERT_TRUE(test::WaitUntil([&] {
        for (const auto& event : panel.sim.Events())
            if (event.event == "return") return true;
        return false;
    }, 10s));

    SetWindowTextW(GetDlgItem(panel.window, id::MeasFreqBox), L"stale");
    PostMessageW(panel.window, WM_COMMAND, id::MenuCommPort, 0);
    HWND dialog = test::WaitForWindow(panel.program->pid(), kPortDialogCaption, 10s);
    ASSERT_NE(dialog, nullptr);
    test::Click(dialog, id::PortOkButton);  // COM15 is preselected
    EXPECT_TRUE(panel.WaitForText(id::MeasFreqBox, L"50.00", 10s)) << "lines flow again";
    test::Click(panel.window, id::QuitButton);
    EXPECT_EQ(panel.program->WaitExit(10s), 0u);
}

}  // namespace
}  // namespace kelt
