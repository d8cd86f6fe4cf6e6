// Figures of the real panel under Wine against the simulated instrument:
//   - the start-up upload: total time and the error of each pause;
//   - the CPU time of one slider reaction on the real window and port;
//   - the command rate during a drag of 500 slider notifications;
//   - how live the measurement boxes stay at 4 to 22 lines a second.
// Run: wine panel_bench.exe (from scripts/bench.sh, which prepares Wine).

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <string>
#include <vector>

#include "panel/win/panel_port.h"
#include "panel/control_ids.h"
#include "panel/win/main_panel.h"
#include "link/win/port_link.h"
#include "panel/win/panel_view.h"
#include "panel/reactions.h"
#include "tests/wine/panel_fixture.h"

#include <cstdlib>

using namespace std::chrono_literals;
using kelt::test::kDefaultUpload;
using kelt::test::PanelUnderTest;
using kelt::test::SimEvent;

namespace {

const size_t kUploadLines = kDefaultUpload.size();

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void UploadFigures(int runs) {
    const std::vector<double>& pauses = kelt::test::kDefaultUploadPauses;
    std::vector<double> totals, errors;
    for (int run = 0; run < runs; ++run) {
        PanelUnderTest panel(L"bench-upload");
        const bool started = panel.Start();
        const std::vector<double> t = panel.sim.ReceivedTimes();
        if (!started || t.size() != kUploadLines) {
            std::printf("upload run %d: incomplete (%zu lines)\n", run, t.size());
            continue;
        }
        totals.push_back(t.back() - t.front());
        for (size_t i = 0; i < pauses.size(); ++i) errors.push_back((t[i + 1] - t[i]) - pauses[i]);
        panel.Close();
    }
    std::printf("| upload: first to last line (its pauses add up to 4.100 s) | median %.3f s, min %.3f s, max %.3f s over %zu runs |\n",
                Median(totals), *std::min_element(totals.begin(), totals.end()),
                *std::max_element(totals.begin(), totals.end()), totals.size());
    std::printf("| upload: pause error, all pauses | median %+.1f ms, shortest %+.1f ms, longest %+.1f ms over %zu pauses |\n",
                1000 * Median(errors), 1000 * *std::min_element(errors.begin(), errors.end()),
                1000 * *std::max_element(errors.begin(), errors.end()), errors.size());
    const char* names[] = {"~~~", "unit", "d", "l", "e", "D", "L", "A", "a"};  // the pauses' lines
    for (size_t p = 0; p < pauses.size(); ++p) {
        std::vector<double> these;
        for (size_t i = p; i < errors.size(); i += pauses.size()) these.push_back(errors[i]);
        std::printf("| upload: pause after \"%s\" (%.0f ms) | median %+.1f ms, shortest %+.1f ms, longest %+.1f ms |\n",
                    names[p], 1000 * pauses[p], 1000 * Median(these),
                    1000 * *std::min_element(these.begin(), these.end()),
                    1000 * *std::max_element(these.begin(), these.end()));
    }
}

// CPU time of one reaction on the real window and the real port.
void ReactionFigures(int calls) {
    kelt::test::Simulator sim(15, L"--rate 0");
    INITCOMMONCONTROLSEX controls{sizeof controls, 0x9FF};
    InitCommonControlsEx(&controls);
    static kelt::PanelState state;
    kelt::PanelResources resources;
    HWND panel = kelt::CreateMainPanel(GetModuleHandleW(nullptr), nullptr, state, resources);
    auto port = std::make_shared<kelt::Port>();
    state.commPortText = "15";
    kelt::OpenPort(state, *port);
    state.bottomDepthSteps = 5000;
    kelt::Win32PanelView view(panel);
    kelt::PortLink link(port);
    std::vector<double> micros;
    micros.reserve(static_cast<size_t>(calls));
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    for (int i = 0; i < calls; ++i) {
        QueryPerformanceCounter(&start);
        kelt::OnSliderMoved(state, view, link, kelt::id::BottomLevelSlider, i % 256);
        QueryPerformanceCounter(&end);
        micros.push_back(1e6 * static_cast<double>(end.QuadPart - start.QuadPart) /
                         static_cast<double>(frequency.QuadPart));
        if (i % 64 == 0) Sleep(0);  // a yield now and then, between the timed calls
    }
    std::printf("| slider reaction on the real window and port (Wine) | median %.1f us over %d calls |\n",
                Median(micros), calls);
    port->Close();
    DestroyWindow(panel);
}

// A drag: 500 slider notifications sent to the running panel.
void DragFigures(int notifications) {
    PanelUnderTest panel(L"bench-drag");
    panel.Start();
    HWND window = panel.window;
    HWND slider = panel.Item(kelt::id::BottomLevelSlider);
    const auto began = std::chrono::steady_clock::now();
    for (int i = 0; i < notifications; ++i) {
        SendMessageW(slider, TBM_SETPOS, TRUE, 255 - i % 256);
        SendMessageW(window, WM_VSCROLL, TB_THUMBTRACK, reinterpret_cast<LPARAM>(slider));
    }
    const double sending = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    const std::vector<std::string> lines = panel.NextLines(static_cast<size_t>(notifications), 30s);
    const std::vector<double> t = panel.sim.ReceivedTimes();
    const double span = t.size() > kUploadLines + 1 ? t.back() - t[kUploadLines] : 0;
    std::printf("| drag of %d notifications: lines received | %zu |\n", notifications, lines.size());
    std::printf("| drag: panel's command rate | %.0f lines/s (sent in %.3f s; %.3f s between first and last at the simulator) |\n",
                notifications / sending, sending, span);
    std::printf("| the 9600-baud line's own limit for 6-byte lines | 160 lines/s |\n");
    panel.Close();
}

double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<size_t>(fraction * values.size()))];
}

double MemoryMiB(DWORD pid) { return kelt::test::UsageOf(pid).memoryBytes / (1 << 20); }

double MonoOf(const SimEvent& event) { return std::atof(event.raw.c_str() + event.raw.find("\"mono\":") + 7); }

// The simulator's clock against this one: a command's write returns when
// its bytes are on the pty, and the simulator logs their arrival.
double SimClockOffset(PanelUnderTest& panel) {
    HWND slider = GetDlgItem(panel.window, kelt::id::FishLevelSlider);
    std::vector<double> offsets;
    for (int i = 0; i < 9; ++i) {
        const size_t count = panel.sim.ReceivedLines().size();
        SendMessageW(slider, TBM_SETPOS, TRUE, 200 + i);
        const double before = Now();
        SendMessageW(panel.window, WM_VSCROLL, SB_THUMBPOSITION, reinterpret_cast<LPARAM>(slider));
        const double after = Now();
        panel.sim.WaitForReceived(count + 1, 5s);
        double received = 0;
        for (const SimEvent& event : panel.sim.Events())
            if (event.event == "rx") received = MonoOf(event);
        offsets.push_back(received - (before + after) / 2);
    }
    return Median(offsets);
}

// How live the measurement boxes are at a line rate: numbered lines stream
// for `seconds` while the period box is looked at every millisecond. Shown:
// the share of the lines completed in that time that ever reached the box;
// stale: how long a newer complete line had been on the wire while the box
// still showed an older one.
void DisplayFigures(const std::wstring& program, const wchar_t* rate, double seconds) {
    kelt::test::PanelSetup setup;
    setup.folder = kelt::test::FreshFolder(L"bench-display");
    setup.simArguments = std::wstring(L"--rate ") + rate + L" --numbered --log-tx";
    setup.program = program;
    PanelUnderTest panel(setup);
    if (!panel.Start()) {
        std::printf("| display at %ls lines/s | the panel did not start |\n", rate);
        return;
    }
    const double offset = SimClockOffset(panel);
    std::vector<std::pair<double, long>> samples;  // this clock, line number shown
    const double from = Now() + 1, until = from + seconds;
    while (Now() < until) {
        const double at = Now();
        const long shown = std::wcstol(kelt::test::ItemText(panel.window, kelt::id::MeasPeriodBox).c_str(), nullptr, 10);
        if (at >= from) samples.emplace_back(at + offset, shown);
        Sleep(1);
    }
    // When each numbered line was complete at the panel's end of the line:
    // its first byte went out at the logged time, each byte takes 10/9600 s.
    std::vector<double> complete(1, 0.0);  // by line number
    for (const SimEvent& event : panel.sim.Events()) {
        if (event.event != "tx") continue;
        const size_t period = event.line.find(',', event.line.find(',') + 1) + 1;
        const auto number = static_cast<size_t>(std::atol(event.line.c_str() + period));
        if (number == 0) continue;
        complete.resize(std::max(complete.size(), number + 1), 0.0);
        complete[number] = MonoOf(event) + static_cast<double>(event.line.size() + 2) * 10.0 / 9600;
    }
    panel.Close();
    if (samples.empty() || complete.size() < 2) return;
    std::vector<bool> seen(complete.size(), false);
    double worst = 0;
    std::vector<double> stale;
    for (const auto& [at, shown] : samples) {
        if (shown > 0 && static_cast<size_t>(shown) < seen.size()) seen[static_cast<size_t>(shown)] = true;
        const size_t next = static_cast<size_t>(std::max(shown, 0L)) + 1;
        const double age = next < complete.size() && complete[next] > 0 && complete[next] < at ? at - complete[next] : 0;
        worst = std::max(worst, age);
        stale.push_back(age);
    }
    size_t made = 0, shownCount = 0;
    const double first = samples.front().first, last = samples.back().first;
    for (size_t n = 1; n < complete.size(); ++n) {
        if (complete[n] == 0 || complete[n] < first || complete[n] > last - 0.2) continue;
        ++made;
        if (seen[n]) ++shownCount;
    }
    std::printf("| display at %ls lines/s over %.0f s | %zu of %zu lines shown (%.0f %%); stale median %.0f ms, worst %.0f ms |\n",
                rate, seconds, shownCount, made, made ? 100.0 * static_cast<double>(shownCount) / static_cast<double>(made) : 0.0,
                1000 * Median(stale), 1000 * worst);
}

// From the simulator writing a line to its frequency appearing in the box.
void LatencyFigures(int lines) {
    PanelUnderTest panel(L"bench-latency", L"--rate 5 --jitter --log-tx");
    kelt::test::Simulator& sim = panel.sim;
    const double started = Now();
    panel.Launch();
    panel.WaitForWindow();
    HWND window = panel.window;
    const double visible = Now();
    panel.WaitForUpload();
    std::printf("| start-up to visible panel (includes the 4.1 s upload) | %.2f s |\n", visible - started);

    const double offset = SimClockOffset(panel);

    std::vector<std::pair<std::wstring, double>> changes;
    std::wstring shown = kelt::test::ItemText(window, kelt::id::MeasFreqBox);
    const double until = Now() + lines / 5.0 + 2;
    while (Now() < until) {
        const std::wstring text = kelt::test::ItemText(window, kelt::id::MeasFreqBox);
        if (text != shown) changes.emplace_back(shown = text, Now() + offset);
        Sleep(1);  // the box looked at every millisecond, for the whole stretch
    }
    std::vector<std::pair<std::string, double>> sent;
    for (const SimEvent& event : sim.Events())
        if (event.event == "tx")
            sent.emplace_back(event.line.substr(0, event.line.find(',')), MonoOf(event));
    std::vector<double> latencies;
    for (const auto& [text, at] : changes) {
        const std::string field(text.begin(), text.end());
        for (auto it = sent.rbegin(); it != sent.rend(); ++it)
            if (it->first == field && it->second <= at) {
                latencies.push_back(1000 * (at - it->second));
                break;
            }
    }
    std::printf("| line to MeasFreqBox latency (%zu lines, 5 lines/s) | median %.0f ms, 99th percentile %.0f ms |\n",
                latencies.size(), Median(latencies), Percentile(latencies, 0.99));
    panel.Close();
}

// CPU while idle and while lines stream at the line's full rate; memory
// after one minute of streaming and at the end.
void LoadFigures(int streamMinutes) {
    {
        PanelUnderTest panel(L"bench-idle");
        panel.Start();
        std::printf("| panel CPU while idle | %.2f %% of one core over 10 s |\n", panel.CpuPercentOver(10s));
        panel.Close();
    }
    PanelUnderTest panel(L"bench-stream", L"--rate max");
    panel.Start();
    std::printf("| panel CPU while lines stream at 9600 baud | %.2f %% of one core over 10 s |\n",
                panel.CpuPercentOver(10s));
    Sleep(50 * 1000);  // streaming on, to the first minute
    const double afterOne = MemoryMiB(panel.pid());
    Sleep(static_cast<DWORD>((streamMinutes - 1) * 60 * 1000));  // and on, to the last
    std::printf("| panel memory while streaming | %.1f MiB after 1 min, %.1f MiB after %d min |\n", afterOne,
                MemoryMiB(panel.pid()), streamMinutes);
    panel.Close();
}

}  // namespace

void DisplayFiguresAtEveryRate(const std::wstring& program) {
    for (const wchar_t* rate : {L"4", L"10", L"15", L"20", L"max"}) DisplayFigures(program, rate, 10);
}

// "upload" alone gives only the upload's figures; "display [keltpanel.exe]"
// only the display's, of this build's panel or of the one named.
int main(int argc, char** argv) {
    std::printf("| figure | value |\n|---|---|\n");
    if (argc > 1 && std::string(argv[1]) == "display") {
        const std::string program = argc > 2 ? argv[2] : "";
        DisplayFiguresAtEveryRate(std::wstring(program.begin(), program.end()));
        return 0;
    }
    UploadFigures(10);
    if (argc > 1 && std::string(argv[1]) == "upload") return 0;
    ReactionFigures(10000);
    DragFigures(500);
    LatencyFigures(200);
    DisplayFiguresAtEveryRate(L"");
    const char* minutes = std::getenv("KELT_BENCH_STREAM_MINUTES");
    LoadFigures(minutes != nullptr ? std::max(2, std::atoi(minutes)) : 2);
    return 0;
}
