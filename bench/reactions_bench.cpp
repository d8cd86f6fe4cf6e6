// CPU time of the panel's reactions and of an upload's sequence, in the
// portable core (the controls and the line are stand-ins that do nothing).

#include <benchmark/benchmark.h>

#include "panel/upload.h"
#include "panel/control_ids.h"
#include "panel/reactions.h"
#include "settings/settings_file.h"

namespace {

class NullView : public kelt::PanelView {
public:
    void SetText(int, const std::string& text) override { benchmark::DoNotOptimize(text.data()); }
    std::string GetText(int) override { return "12.5"; }
    void SetSliderPos(int, int) override {}
    void SetCheck(int, bool) override {}
    bool GetCheck(int) override { return true; }
    void Enable(int, bool) override {}
    int FocusedId() override { return kelt::id::BottomDepthEdit; }
    void SelectAllText(int) override {}
    void OpenUpdating() override {}
    void SetUpdatingProgress(int) override {}
    void CloseUpdating() override {}
};

class NullLink : public kelt::Link {
public:
    void Send(const std::string& line) override { benchmark::DoNotOptimize(line.data()); }
    Clock::time_point Now() override { return {}; }
    void SleepUntil(Clock::time_point) override {}
};

void LevelSliderReaction(benchmark::State& run) {
    kelt::PanelState state;
    NullView view;
    NullLink link;
    int position = 0;
    for (auto _ : run) kelt::OnSliderMoved(state, view, link, kelt::id::BottomLevelSlider, position++ & 255);
}
BENCHMARK(LevelSliderReaction);

void BottomDepthSliderWithFishCoupling(benchmark::State& run) {
    kelt::PanelState state;
    NullView view;
    NullLink link;
    int position = 5;
    for (auto _ : run) {
        state.fishDepthSteps = 5000;
        kelt::OnSliderMoved(state, view, link, kelt::id::BottomDepthSlider, position);
        position = position % 5000 + 1;
    }
}
BENCHMARK(BottomDepthSliderWithFishCoupling);

void EnterInDepthBox(benchmark::State& run) {
    kelt::PanelState state;
    NullView view;
    NullLink link;
    for (auto _ : run) kelt::OnEnterKey(state, view, link, 0);
}
BENCHMARK(EnterInDepthBox);

void UploadSequenceWithoutPauses(benchmark::State& run) {
    kelt::PanelState state;
    NullView view;
    NullLink link;
    for (auto _ : run) {
        kelt::SetDefaultSettings(state);
        kelt::SendAllSettings(state, view, link);
    }
}
BENCHMARK(UploadSequenceWithoutPauses);

}  // namespace

BENCHMARK_MAIN();
