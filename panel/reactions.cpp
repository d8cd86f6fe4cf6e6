#include "panel/reactions.h"

#include <algorithm>

#include "link/protocol.h"
#include "panel/upload.h"
#include "panel/control_ids.h"
#include "panel/conversions.h"
#include "settings/settings_file.h"

namespace kelt {
namespace {

constexpr std::string_view kDepthMask = "###.0";
constexpr std::string_view kLevelMask = "0.###";
constexpr int kRefreshPauseMs = 100;

// The reader leaves the port alone from before the first control change
// until after the last send of a reaction.
class LinkBusy {
public:
    explicit LinkBusy(PanelState& state) : state_(state) { state_.shared->linkBusy = true; }
    ~LinkBusy() { state_.shared->linkBusy = false; }
    LinkBusy(const LinkBusy&) = delete;
    LinkBusy& operator=(const LinkBusy&) = delete;

private:
    PanelState& state_;
};

// A depth box shows the steps the instrument gets, not the typed text's
// own rounding: "5.45" is 54 steps (the double below 5.45 rounds down), so
// the box must say "5.4", or a Quit would save "5.5" and the next start
// would move the echo by itself.
std::string DepthStepsText(std::int32_t steps) { return MaskedNumberText(StepsToDepth(steps), kDepthMask); }

// After an upload the instrument's next lines echo its bottom echo into the
// two boxes. Once the user sets the bottom echo those lines are older than
// the user's value (generated before the move reached the instrument), so
// they must leave the boxes alone: Quit saves the boxes.
void EndBottomEchoCountdown(PanelState& state) { state.readerCountdown = 0; }

// The fish echo is never deeper than the bottom echo; it moves up first.
void PullFishUpToBottom(PanelState& state, PanelView& view, Link& link) {
    if (state.fishDepthSteps <= state.bottomDepthSteps) return;
    state.fishDepthSteps = state.bottomDepthSteps;
    view.SetSliderPos(id::FishDepthSlider, state.fishDepthSteps);
    view.SetText(id::FishDepthEdit, DepthStepsText(state.fishDepthSteps));
    SendCommand(link, command::FishDepth, state.fishDepthSteps);
}

void BottomDepthSliderMoved(PanelState& state, PanelView& view, Link& link, int p) {
    LinkBusy busy(state);
    state.bottomDepthSteps = p;
    PullFishUpToBottom(state, view, link);
    view.SetText(id::BottomDepthEdit, DepthStepsText(p));
    SendCommand(link, command::BottomDepth, p);
}

void FishDepthSliderMoved(PanelState& state, PanelView& view, Link& link, int p) {
    LinkBusy busy(state);
    state.fishDepthSteps = p;
    if (state.bottomDepthSteps < state.fishDepthSteps) {
        state.fishDepthSteps = state.bottomDepthSteps;
        view.SetSliderPos(id::FishDepthSlider, state.fishDepthSteps);
    }
    view.SetText(id::FishDepthEdit, DepthStepsText(state.fishDepthSteps));
    SendCommand(link, command::FishDepth, state.fishDepthSteps);
}

void LevelSliderMoved(PanelState& state, PanelView& view, Link& link, int box, std::string_view command,
                      int p) {
    LinkBusy busy(state);
    view.SetText(box, MaskedNumberText(LevelStepToMillivolts(p), kLevelMask));
    SendCommand(link, command, p);
}

void PulsesSliderMoved(PanelState& state, PanelView& view, Link& link, bool off, int p) {
    LinkBusy busy(state);
    if (off) {
        state.offPulses = p;
        view.SetText(id::OffPulsesEdit, SignedNumberText(p));
        SendCommand(link, command::OffPulses, p);
        SendCommand(link, command::OnPulses, state.onPulses);
    } else {
        state.onPulses = p;
        view.SetText(id::OnPulsesEdit, SignedNumberText(p));
        SendCommand(link, command::OnPulses, p);
    }
}

void FreqSliderMoved(PanelState& state, PanelView& view, Link& link, int p) {
    if (state.autoFreqChecked) return;
    LinkBusy busy(state);
    view.SetText(id::FreqSetEdit, SignedNumberText(p / 10.0));
    SendCommand(link, command::Frequency, p);
}

void WidthSliderMoved(PanelState& state, PanelView& view, Link& link, int p) {
    if (state.autoWidthChecked) return;
    LinkBusy busy(state);
    view.SetText(id::WidthSetEdit, SignedNumberText(p));
    SendCommand(link, command::Width, p);
}

// --- Enter in a setting box ---------------------------------------------

void FishDepthEntered(PanelState& state, PanelView& view, Link& link, const std::string& t) {
    LinkBusy busy(state);
    state.fishDepthSteps = std::min(RoundHalfEven(10 * TypedDepth(t)), state.bottomDepthSteps);
    view.SetSliderPos(id::FishDepthSlider, state.fishDepthSteps);
    view.SetText(id::FishDepthEdit, DepthStepsText(state.fishDepthSteps));
    SendCommand(link, command::FishDepth, state.fishDepthSteps);
}

void LevelEntered(PanelState& state, PanelView& view, Link& link, const std::string& t,
                  int slider, int box, std::string_view command) {
    LinkBusy busy(state);
    const double millivolts = TypedMillivolts(t);
    const std::int32_t step = MillivoltsToLevelStep(millivolts);
    view.SetSliderPos(slider, step);
    view.SetText(box, MaskedNumberText(millivolts, kLevelMask));
    SendCommand(link, command, step);
}

void PulsesEntered(PanelState& state, PanelView& view, Link& link, const std::string& t, bool off) {
    LinkBusy busy(state);
    std::int32_t& pulses = off ? state.offPulses : state.onPulses;
    pulses = TypedPulses(t);
    view.SetSliderPos(off ? id::OffPulsesSlider : id::OnPulsesSlider, pulses);
    view.SetText(off ? id::OffPulsesEdit : id::OnPulsesEdit, NumberText(pulses));
    if (off) SendCommand(link, command::OffPulses, state.offPulses);
    SendCommand(link, command::OnPulses, state.onPulses);
}

void FreqEntered(PanelState& state, PanelView& view, Link& link, const std::string& t) {
    if (state.autoFreqChecked) return;
    LinkBusy busy(state);
    const std::int32_t enteredFreq = TypedFrequencyKhz(t);
    view.SetSliderPos(id::FreqSlider, 10 * enteredFreq);
    view.SetText(id::FreqSetEdit, KilohertzText(enteredFreq));
    SendCommand(link, command::Frequency, 10 * enteredFreq);
}

void WidthEntered(PanelState& state, PanelView& view, Link& link, const std::string& t) {
    if (state.autoWidthChecked) return;
    LinkBusy busy(state);
    const std::int32_t enteredWidth = TypedWidth(t);
    view.SetSliderPos(id::WidthSlider, enteredWidth);
    view.SetText(id::WidthSetEdit, NumberText(enteredWidth));
    SendCommand(link, command::Width, enteredWidth);
}

void BottomDepthEntered(PanelState& state, PanelView& view, Link& link, const std::string& t) {
    LinkBusy busy(state);
    state.bottomDepthSteps = RoundHalfEven(10 * TypedDepth(t));
    PullFishUpToBottom(state, view, link);
    view.SetSliderPos(id::BottomDepthSlider, state.bottomDepthSteps);
    view.SetText(id::BottomDepthEdit, DepthStepsText(state.bottomDepthSteps));
    SendCommand(link, command::BottomDepth, state.bottomDepthSteps);
}

void CommitFocusedBox(PanelState& state, PanelView& view, Link& link) {
    const int focused = view.FocusedId();
    switch (focused) {
        case id::FishDepthEdit: return FishDepthEntered(state, view, link, view.GetText(focused));
        case id::FishLevelEdit:
            return LevelEntered(state, view, link, view.GetText(focused), id::FishLevelSlider,
                                id::FishLevelEdit, command::FishLevel);
        case id::OnPulsesEdit: return PulsesEntered(state, view, link, view.GetText(focused), false);
        case id::OffPulsesEdit: return PulsesEntered(state, view, link, view.GetText(focused), true);
        case id::FreqSetEdit: return FreqEntered(state, view, link, view.GetText(focused));
        case id::WidthSetEdit: return WidthEntered(state, view, link, view.GetText(focused));
        case id::BottomDepthEdit:
            EndBottomEchoCountdown(state);
            return BottomDepthEntered(state, view, link, view.GetText(focused));
        case id::BottomLevelEdit:
            EndBottomEchoCountdown(state);
            return LevelEntered(state, view, link, view.GetText(focused), id::BottomLevelSlider,
                                id::BottomLevelEdit, command::BottomLevel);
        default: return;  // a button, a slider or nothing: Enter does nothing
    }
}

void EnablePulseControls(PanelView& view, bool on) {
    for (int control : {id::OnPulsesEdit, id::OffPulsesEdit, id::OnPulsesSlider, id::OffPulsesSlider})
        view.Enable(control, on);
}

}  // namespace

void OnSliderMoved(PanelState& state, PanelView& view, Link& link, int sliderId, int p) {
    switch (sliderId) {
        case id::FreqSlider: return FreqSliderMoved(state, view, link, p);
        case id::WidthSlider: return WidthSliderMoved(state, view, link, p);
        case id::BottomDepthSlider:
            EndBottomEchoCountdown(state);
            return BottomDepthSliderMoved(state, view, link, p);
        case id::BottomLevelSlider:
            EndBottomEchoCountdown(state);
            return LevelSliderMoved(state, view, link, id::BottomLevelEdit, command::BottomLevel, p);
        case id::FishDepthSlider: return FishDepthSliderMoved(state, view, link, p);
        case id::FishLevelSlider:
            return LevelSliderMoved(state, view, link, id::FishLevelEdit, command::FishLevel, p);
        case id::OnPulsesSlider: return PulsesSliderMoved(state, view, link, false, p);
        case id::OffPulsesSlider: return PulsesSliderMoved(state, view, link, true, p);
        default: return;
    }
}

void OnEnterKey(PanelState& state, PanelView& view, Link& link, int code) {
    if (code == 0x400) {
        view.SelectAllText(view.FocusedId());
        return;
    }
    if (code == 0 || (code == 1 && !state.shared->linkBusy)) CommitFocusedBox(state, view, link);
}

void OnUnitOption(PanelState& state, PanelView& view, Link& link, int optionId) {
    std::string_view code = command::UnitFeet;
    if (optionId == id::FathomsOption) code = command::UnitFathoms;
    if (optionId == id::MetersOption) code = command::UnitMeters;
    LinkBusy busy(state);
    const std::string label(DepthLabelFor(code));
    view.SetText(id::BottomDepthLabel, label);
    view.SetText(id::FishDepthLabel, label);
    state.depthUnitsCode = std::string(code);
    SendCommand(link, code);
}

void OnFishEchoClicked(PanelState& state, PanelView& view, Link& link) {
    state.fishEchoChecked = view.GetCheck(id::FishEchoCheck);
    LinkBusy busy(state);
    if (!state.fishEchoChecked) {
        EnablePulseControls(view, false);
        SendCommand(link, command::OffPulses);  // alone: the fish echo off
        return;
    }
    EnablePulseControls(view, true);
    state.onPulses = std::clamp(RoundHalfEven(ParseNumber(view.GetText(id::OnPulsesEdit))), 0, kPulsesMax);
    state.offPulses = RoundHalfEven(ParseNumber(view.GetText(id::OffPulsesEdit)));
    SendCommand(link, command::OffPulses, state.offPulses);
    SendCommand(link, command::OnPulses, state.onPulses);
}

void OnAutoFreqClicked(PanelState& state, PanelView& view, Link& link) {
    state.autoFreqChecked = view.GetCheck(id::AutoFreqCheck);
    LinkBusy busy(state);
    if (state.autoFreqChecked) {
        view.Enable(id::FreqSetEdit, false);
        view.Enable(id::FreqSlider, false);
        SendCommand(link, command::AutoFrequency);
        return;
    }
    // The manual frequency goes out with the next slider move or Enter.
    view.SetSliderPos(id::FreqSlider, RoundHalfEven(10 * ParseNumber(view.GetText(id::FreqSetEdit))));
    view.Enable(id::FreqSetEdit, true);
    view.Enable(id::FreqSlider, true);
}

void OnAutoWidthClicked(PanelState& state, PanelView& view, Link& link) {
    state.autoWidthChecked = view.GetCheck(id::AutoWidthCheck);
    LinkBusy busy(state);
    if (state.autoWidthChecked) {
        view.Enable(id::WidthSetEdit, false);
        view.Enable(id::WidthSlider, false);
        SendCommand(link, command::AutoWidth);
        SendCommand(link, command::BareLineEnd);  // the instrument expects a bare CR LF after "a"
        return;
    }
    view.SetSliderPos(id::WidthSlider, RoundHalfEven(ParseNumber(view.GetText(id::WidthSetEdit))));
    view.Enable(id::WidthSetEdit, true);
    view.Enable(id::WidthSlider, true);
}

void OnRefresh(PanelView& view, Link& link, PanelState& state) {
    for (int round = 0; round < 2; ++round) {
        link.Pause(kRefreshPauseMs);
        {
            LinkBusy busy(state);
            SendCommand(link, command::Measure);
        }
        view.SetText(id::MeasFreqBox, "Updating");
    }
}

void OnReset(PanelState& state, PanelView& view, Link& link) {
    SetDefaultSettings(state);
    SendAllSettings(state, view, link);
}

}  // namespace kelt
