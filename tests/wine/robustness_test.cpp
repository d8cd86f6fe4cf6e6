// The panel fed bad files, locked files, repeated starts and a long stream
// with a user at the sliders. The long versions of the cycles and the soak
// are the same tests with KELT_CYCLES and KELT_SOAK_SECONDS set
// (scripts/soak.sh).

#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <random>

#include "panel/control_ids.h"
#include "panel_fixture.h"
#include "settings/win/settings_files.h"

namespace kelt {
namespace {

using namespace std::chrono_literals;
using test::EnvironmentNumber;
using test::kDefaultUpload;
using test::Lines;
using test::PanelUnderTest;
using test::WriteFileBytes;

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(BadSettingsFiles, HugeAndBinaryFilesNeverKeepThePanelFromStarting) {
    std::wstring folder;
    {
        PanelUnderTest panel(L"bad-files");
        folder = panel.folder;
        // 20 MB in one line, then one good key line.
        WriteFileBytes(panel.SettingsPath(), std::string(20 << 20, 'x') + "\r\nBottom_Depth = 42\r\n");
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(panel.Start());
        EXPECT_LT(SecondsSince(start), 15.0);
        const Lines lines = panel.Upload();
        ASSERT_EQ(lines.size(), kDefaultUpload.size());
        EXPECT_EQ(lines[2], "d420");
        EXPECT_EQ(panel.Close(), 0u);
    }
    // Random bytes: whatever passes its check is used, the rest stays default.
    PanelUnderTest panel(test::PanelSetup{.folder = folder});
    std::minstd_rand random(7);
    std::string noise(1 << 20, '\0');
    for (char& c : noise) c = static_cast<char>(random() & 0xFF);
    WriteFileBytes(panel.SettingsPath(), noise);
    ASSERT_TRUE(panel.Start());
    EXPECT_EQ(panel.Upload().size(), kDefaultUpload.size());
    EXPECT_EQ(panel.Quit(), 0u);
    EXPECT_EQ(panel.SavedSettings().rfind("'*****", 0), 0u) << "Quit writes a proper settings file over the noise";
}

// A file of `size` bytes that starts with `head`; the rest is a hole the
// file system stores no data for.
bool MakeSparseFile(const std::wstring& path, const std::string& head, long long size) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    LARGE_INTEGER end{};
    end.QuadPart = size;
    const bool made = WriteFile(file, head.data(), static_cast<DWORD>(head.size()), &written, nullptr) &&
                      SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    return made;
}

TEST(BadSettingsFiles, AMultiGigabyteFileIsReadOnlyUpToItsFirst64MiB) {
    PanelUnderTest panel(L"giant-file");
    const std::wstring path = panel.SettingsPath();
    struct Removal {
        const std::wstring& path;
        ~Removal() { DeleteFileW(path.c_str()); }
    } removal{path};
    ASSERT_TRUE(MakeSparseFile(path, "Bottom_Depth = 42\r\n", 3LL << 30));

    auto began = std::chrono::steady_clock::now();
    const std::optional<std::string> read = ReadSettingsData(path);
    const double readSeconds = SecondsSince(began);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->size(), size_t{64} << 20);
    EXPECT_EQ(read->rfind("Bottom_Depth = 42\r\n", 0), 0u);

    began = std::chrono::steady_clock::now();
    const bool started = panel.Start();
    const double startSeconds = SecondsSince(began);
    const Lines lines = panel.Upload();
    const double peak = panel.PeakResidentBytes();
    std::printf("3 GiB settings file: %zu MiB read in %.2f s; panel uploaded in %.1f s, "
                "peak resident %.0f MiB\n", read->size() >> 20, readSeconds, startSeconds,
                peak / (1 << 20));
    ASSERT_TRUE(started);
    ASSERT_EQ(lines.size(), kDefaultUpload.size());
    EXPECT_EQ(lines[2], "d420") << "the key line before the tail is used";
    EXPECT_GT(peak, 0);
    EXPECT_LT(peak, 400.0 * (1 << 20)) << "the tail never comes into memory";
    EXPECT_EQ(panel.Close(), 0u);
}

TEST(BadSettingsFiles, AFileLockedByAnotherProgramGivesDefaultsAndIsNotOverwritten) {
    PanelUnderTest panel(L"locked-file");
    const std::string stored = "Bottom_Depth = 42\r\nCommport = 15\r\n";
    WriteFileBytes(panel.SettingsPath(), stored);
    test::FileHold hold(panel.SettingsPath());
    ASSERT_TRUE(hold.held());
    ASSERT_TRUE(panel.Start());
    EXPECT_EQ(panel.Upload(), kDefaultUpload) << "nothing could be read";
    EXPECT_EQ(panel.Quit(), 0u);
    hold.Release();
    EXPECT_EQ(panel.SavedSettings(), stored);
}

TEST(Endurance, StartAndQuitAgainAndAgain) {
    const int cycles = EnvironmentNumber("KELT_CYCLES", 3);
    PanelUnderTest panel(L"start-quit-cycles", L"--rate 2");
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        SCOPED_TRACE("cycle " + std::to_string(cycle));
        ASSERT_TRUE(panel.Start());
        ASSERT_EQ(panel.Quit(), 0u);
        const std::string saved = panel.SavedSettings();
        ASSERT_EQ(std::count(saved.begin(), saved.end(), '\n'), 15);
        ASSERT_NE(saved.find("LastFileSaved  = KELT_9R.ini\r\n"), std::string::npos);
    }
}

TEST(Endurance, FullRateStreamWithTheSlidersMovedEverySecondLosesNoCommand) {
    const int seconds = EnvironmentNumber("KELT_SOAK_SECONDS", 30);
    PanelUnderTest panel(L"soak", L"--rate max");
    ASSERT_TRUE(panel.Start());
    ASSERT_EQ(panel.Upload().size(), kDefaultUpload.size());
    Sleep(2000);  // two seconds of the stream on purpose, before the usage it starts from
    const test::ProcessUsage start = test::UsageOf(panel.pid());
    Lines expected = kDefaultUpload;
    test::ProcessUsage peak = start;
    for (int second = 0; second < seconds; ++second) {
        const int position = 255 - second % 200;
        ASSERT_TRUE(panel.MoveSlider(id::BottomLevelSlider, position));
        expected.push_back("l" + std::to_string(position));
        Sleep(1000);  // the user's pace: one move a second
        const test::ProcessUsage now = test::UsageOf(panel.pid());
        peak.memoryBytes = std::max(peak.memoryBytes, now.memoryBytes);
        peak.handles = std::max(peak.handles, now.handles);
    }
    EXPECT_EQ(panel.sim.WaitForReceived(expected.size(), 10s), expected) << "every move reached the instrument";
    std::printf("soak %d s: memory %.0f -> peak %.0f bytes, handles %lu -> peak %lu\n", seconds,
                start.memoryBytes, peak.memoryBytes, start.handles, peak.handles);
    EXPECT_LT(peak.memoryBytes, start.memoryBytes + (4u << 20)) << "memory stays within 4 MiB of its start";
    EXPECT_LE(peak.handles, start.handles + 8u);
    EXPECT_EQ(panel.Quit(), 0u);
}

}  // namespace
}  // namespace kelt

namespace kelt {
namespace {

// A wrong baud rate: noise without CR, fed as fast as the panel reads it.
// 3,456,000 bytes are an hour of the 9600-baud line (KELT_FLOOD_BYTES).
TEST(Endurance, NoiseWithoutCrKeepsThePanelsMemoryBoundedAndGoodLinesComeBack) {
    const int bytes = EnvironmentNumber("KELT_FLOOD_BYTES", 3456000);
    PanelUnderTest panel(L"noise-flood", L"--rate 0 --log-tx");
    ASSERT_TRUE(panel.Start());
    ASSERT_EQ(panel.Upload().size(), kDefaultUpload.size());
    ASSERT_TRUE(test::WaitForPainting(panel.window)) << "the panel is at rest after its start";
    const test::ProcessUsage start = test::UsageOf(panel.pid());
    const std::string program(panel.programPath.begin(), panel.programPath.end());
    const double cpuBefore = test::UnixCpuSeconds(program);
    const auto began = std::chrono::steady_clock::now();
    ASSERT_TRUE(panel.sim.Control("flood " + std::to_string(bytes)));
    // Measurement lines queue behind the noise and show as soon as the
    // reader has taken the noise in front of them.
    ASSERT_TRUE(panel.sim.Control("rate 5"));
    test::ProcessUsage peak = start;
    const std::wstring lastGoodLine(L"50.00");
    const bool shown = test::WaitUntil(
        [&] {
            peak.memoryBytes = std::max(peak.memoryBytes, test::UsageOf(panel.pid()).memoryBytes);
            return panel.Text(id::MeasFreqBox) == lastGoodLine;
        },
        300s, 250ms);
    const double seconds = SecondsSince(began);
    const double cpu = 100 * (test::UnixCpuSeconds(program) - cpuBefore) / seconds;
    std::printf("noise flood of %d bytes: taken in %.0f s, memory %.0f -> peak %.0f bytes, "
                "resident %.1f MiB at the end, panel CPU %.1f %%\n",
                bytes, seconds, start.memoryBytes, peak.memoryBytes, panel.ResidentBytes() / (1 << 20), cpu);
    EXPECT_TRUE(shown) << "good lines after the noise are shown again";
    EXPECT_LT(peak.memoryBytes, start.memoryBytes + (2u << 20)) << "the receive buffer stays capped";
    EXPECT_EQ(panel.Quit(), 0u);
}

}  // namespace
}  // namespace kelt
