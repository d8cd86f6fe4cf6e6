// The panel fed bad files, locked files, repeated starts and a long stream
// with a user at the sliders. The long versions of the cycles and the soak
// are the same tests with KELT_CYCLES and KELT_SOAK_SECONDS set
// (scripts/soak.sh).

#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <random>

#include "panel/control_ids.h"
#include "settings/win/settings_files.h"
#include "wine_harness.h"

namespace kelt {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

const wchar_t kPanelCaption[] = L"Quillion Maritime Corp.        KELT-9R Control Panel";
const Lines kDefaultUpload{"~~~", "cf", "d300", "l255", "e", "D150", "L255", "A", "a", "S"};

int EnvironmentNumber(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::atoi(value) : fallback;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream(path.c_str(), std::ios::binary) << bytes;
}

// Starts the panel in the folder and returns the lines of its first upload.
Lines StartUpload(test::Simulator& sim, test::RunningProgram& panel, HWND& window, size_t lines) {
    window = test::WaitForWindow(panel.pid(), kPanelCaption, 60s);
    return window != nullptr ? sim.WaitForReceived(lines, 10s) : Lines{};
}

TEST(BadSettingsFiles, HugeAndBinaryFilesNeverKeepThePanelFromStarting) {
    const std::wstring folder = test::FreshFolder(L"bad-files");
    // 20 MB in one line, then one good key line.
    WriteBytes(folder + L"\\KELT_9R.ini", std::string(20 << 20, 'x') + "\r\nBottom_Depth = 42\r\n");
    {
        test::Simulator sim(15, L"--rate 0");
        test::RunningProgram panel(test::BuildPath(L"keltpanel.exe"), folder);
        HWND window = nullptr;
        const auto start = std::chrono::steady_clock::now();
        const Lines lines = StartUpload(sim, panel, window, 10);
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 15.0);
        ASSERT_EQ(lines.size(), 10u);
        EXPECT_EQ(lines[2], "d420");
        PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_EQ(panel.WaitExit(10s), 0u);
    }
    // Random bytes: whatever passes its check is used, the rest stays default.
    std::minstd_rand random(7);
    std::string noise(1 << 20, '\0');
    for (char& c : noise) c = static_cast<char>(random() & 0xFF);
    WriteBytes(folder + L"\\KELT_9R.ini", noise);
    test::Simulator sim(15, L"--rate 0");
    test::RunningProgram panel(test::BuildPath(L"keltpanel.exe"), folder);
    HWND window = nullptr;
    const Lines lines = StartUpload(sim, panel, window, 10);
    EXPECT_EQ(lines.size(), 10u);
    test::Click(window, id::QuitButton);
    EXPECT_EQ(panel.WaitExit(10s), 0u);
    const std::string saved = test::ReadFileBytes(folder + L"\\KELT_9R.ini");
    EXPECT_EQ(saved.rfind("'*****", 0), 0u) << "Quit writes a proper settings file over the noise";
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
    const std::wstring folder = test::FreshFolder(L"giant-file");
    const std::wstring path = folder + L"\\KELT_9R.ini";
    struct Removal {
        const std::wstring& path;
        ~Removal() { DeleteFileW(path.c_str()); }
    } removal{path};
    ASSERT_TRUE(MakeSparseFile(path, "Bottom_Depth = 42\r\n", 3LL << 30));

    auto began = std::chrono::steady_clock::now();
    const std::optional<std::string> read = ReadSettingsData(std::string(path.begin(), path.end()));
    const double readSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->size(), size_t{64} << 20);
    EXPECT_EQ(read->rfind("Bottom_Depth = 42\r\n", 0), 0u);

    test::Simulator sim(15, L"--rate 0");
    began = std::chrono::steady_clock::now();
    test::RunningProgram panel(test::BuildPath(L"keltpanel.exe"), folder);
    HWND window = nullptr;
    const Lines lines = StartUpload(sim, panel, window, 10);
    const double startSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    // By its whole path: another checkout's panel may be running too.
    const std::wstring exe = test::BuildPath(L"keltpanel.exe");
    const double peak = test::UnixPeakResidentBytes(std::string(exe.begin(), exe.end()));
    std::printf("3 GiB settings file: %zu MiB read in %.2f s; panel uploaded in %.1f s, "
                "peak resident %.0f MiB\n", read->size() >> 20, readSeconds, startSeconds,
                peak / (1 << 20));
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[2], "d420") << "the key line before the tail is used";
    EXPECT_GT(peak, 0);
    EXPECT_LT(peak, 400.0 * (1 << 20)) << "the tail never comes into memory";
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(panel.WaitExit(10s), 0u);
}

TEST(BadSettingsFiles, AFileLockedByAnotherProgramGivesDefaultsAndIsNotOverwritten) {
    const std::wstring folder = test::FreshFolder(L"locked-file");
    const std::string stored = "Bottom_Depth = 42\r\nCommport = 15\r\n";
    WriteBytes(folder + L"\\KELT_9R.ini", stored);
    HANDLE holder = CreateFileW((folder + L"\\KELT_9R.ini").c_str(), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    test::Simulator sim(15, L"--rate 0");
    test::RunningProgram panel(test::BuildPath(L"keltpanel.exe"), folder);
    HWND window = nullptr;
    EXPECT_EQ(StartUpload(sim, panel, window, 10), kDefaultUpload) << "nothing could be read";
    test::Click(window, id::QuitButton);
    EXPECT_EQ(panel.WaitExit(10s), 0u);
    CloseHandle(holder);
    EXPECT_EQ(test::ReadFileBytes(folder + L"\\KELT_9R.ini"), stored);
}

TEST(Endurance, StartAndQuitAgainAndAgain) {
    const int cycles = EnvironmentNumber("KELT_CYCLES", 3);
    const std::wstring folder = test::FreshFolder(L"start-quit-cycles");
    test::Simulator sim(15, L"--rate 2");
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        SCOPED_TRACE("cycle " + std::to_string(cycle));
        const size_t before = sim.ReceivedLines().size();
        test::RunningProgram panel(test::BuildPath(L"keltpanel.exe"), folder);
        HWND window = test::WaitForWindow(panel.pid(), kPanelCaption, 60s);
        ASSERT_NE(window, nullptr);
        ASSERT_GE(sim.WaitForReceived(before + 10, 10s).size(), before + 10);
        test::Click(window, id::QuitButton);
        ASSERT_EQ(panel.WaitExit(10s), 0u);
        const std::string saved = test::ReadFileBytes(folder + L"\\KELT_9R.ini");
        ASSERT_EQ(std::count(saved.begin(), saved.end(), '\n'), 15);
        ASSERT_NE(saved.find("LastFileSaved  = KELT_9R.ini\r\n"), std::string::npos);
    }
}

struct Usage {
    SIZE_T memory = 0;
    DWORD handles = 0;
};

Usage UsageOf(DWORD pid) {
    Usage usage;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(process, &counters, sizeof counters))
        usage.memory = std::max(counters.PagefileUsage, counters.WorkingSetSize);
    GetProcessHandleCount(process, &usage.handles);
    CloseHandle(process);
    return usage;
}

TEST(Endurance, FullRateStreamWithTheSlidersMovedEverySecondLosesNoCommand) {
    const int seconds = EnvironmentNumber("KELT_SOAK_SECONDS", 30);
    test::Simulator sim(15, L"--rate max");
    test::RunningProgram panel(test::BuildPath(L"keltpanel.exe"), test::FreshFolder(L"soak"));
    HWND window = test::WaitForWindow(panel.pid(), kPanelCaption, 60s);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(sim.WaitForReceived(10, 10s).size(), 10u);
    Sleep(2000);
    const Usage start = UsageOf(panel.pid());
    Lines expected = kDefaultUpload;
    HWND slider = GetDlgItem(window, id::BottomLevelSlider);
    Usage peak = start;
    for (int second = 0; second < seconds; ++second) {
        const int position = 255 - second % 200;
        SendMessageW(slider, TBM_SETPOS, TRUE, position);
        SendMessageW(window, WM_VSCROLL, SB_THUMBPOSITION, reinterpret_cast<LPARAM>(slider));
        expected.push_back("l" + std::to_string(position));
        Sleep(1000);
        const Usage now = UsageOf(panel.pid());
        peak.memory = std::max(peak.memory, now.memory);
        peak.handles = std::max(peak.handles, now.handles);
    }
    EXPECT_EQ(sim.WaitForReceived(expected.size(), 10s), expected) << "every move reached the instrument";
    std::printf("soak %d s: memory %zu -> peak %zu bytes, handles %lu -> peak %lu\n", seconds,
                static_cast<size_t>(start.memory), static_cast<size_t>(peak.memory), start.handles,
                peak.handles);
    EXPECT_LT(peak.memory, start.memory + (4u << 20)) << "memory stays within 4 MiB of its start";
    EXPECT_LE(peak.handles, start.handles + 8u);
    test::Click(window, id::QuitButton);
    EXPECT_EQ(panel.WaitExit(10s), 0u);
}

}  // namespace
}  // namespace kelt

namespace kelt {
namespace {

// A wrong baud rate: noise without CR, fed as fast as the panel reads it.
// 3,456,000 bytes are an hour of the 9600-baud line (KELT_FLOOD_BYTES).
TEST(Endurance, NoiseWithoutCrKeepsThePanelsMemoryBoundedAndGoodLinesComeBack) {
    const int bytes = EnvironmentNumber("KELT_FLOOD_BYTES", 3456000);
    test::Simulator sim(15, L"--rate 0 --log-tx");
    test::RunningProgram panel(test::BuildPath(L"keltpanel.exe"), test::FreshFolder(L"noise-flood"));
    HWND window = test::WaitForWindow(panel.pid(), kPanelCaption, 60s);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(sim.WaitForReceived(10, 10s).size(), 10u);
    Sleep(1000);
    const Usage start = UsageOf(panel.pid());
    const double cpuBefore = test::UnixCpuSeconds("keltpanel.exe");
    const auto began = std::chrono::steady_clock::now();
    sim.Control("flood " + std::to_string(bytes));
    // Measurement lines queue behind the noise. A read of more than 64
    // bytes frames nothing, so lines show again once reads are small.
    sim.Control("rate 5");
    Usage peak = start;
    const std::wstring lastGoodLine(L"50.00");
    bool shown = false;
    while (!shown && std::chrono::steady_clock::now() - began < 300s) {
        Sleep(1000);
        peak.memory = std::max(peak.memory, UsageOf(panel.pid()).memory);
        shown = test::ItemText(window, id::MeasFreqBox) == lastGoodLine;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    const double cpu = 100 * (test::UnixCpuSeconds("keltpanel.exe") - cpuBefore) / seconds;
    std::printf("noise flood of %d bytes: taken in %.0f s, memory %zu -> peak %zu bytes, "
                "resident %.1f MiB at the end, panel CPU %.1f %%\n",
                bytes, seconds, static_cast<size_t>(start.memory), static_cast<size_t>(peak.memory),
                test::UnixResidentBytes("keltpanel.exe") / (1 << 20), cpu);
    EXPECT_TRUE(shown) << "good lines after the noise are shown again";
    EXPECT_LT(peak.memory, start.memory + (2u << 20)) << "the receive buffer stays capped";
    test::Click(window, id::QuitButton);
    EXPECT_EQ(panel.WaitExit(10s), 0u);
}

}  // namespace
}  // namespace kelt
