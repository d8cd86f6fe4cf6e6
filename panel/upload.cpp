#include "panel/upload.h"

#include <algorithm>
#include <string>

#include "panel/control_ids.h"
#include "panel/conversions.h"

namespace kelt {
namespace {

constexpr int kInstrumentReadyMs = 3000;
constexpr int kSplashStepMs = 250;
constexpr int kSplashLastPosition = 110;   // 12 steps of 10 over a bar of 0..90
constexpr int kSplashCloseAllowanceMs = 20;  // a few ms under Wine; more on a slow desktop
constexpr int kUnitPauseMs = 200;
constexpr int kValuePauseMs = 100;
constexpr int kAutoPauseMs = 200;

std::int32_t Steps(const std::string& text, double scale = 1.0) {
    return RoundHalfEven(scale * ParseNumber(text));
}

std::int32_t Limit(std::int32_t value, std::int32_t lo, std::int32_t hi) {
    return std::clamp(value, lo, hi);
}

void ApplyDepthUnit(PanelState& state, PanelView& view, Link& link) {
    if (state.depthUnitsCode != command::UnitFeet && state.depthUnitsCode != command::UnitFathoms &&
        state.depthUnitsCode != command::UnitMeters)
        state.depthUnitsCode = std::string(command::UnitFeet);
    const std::string label(DepthLabelFor(state.depthUnitsCode));
    view.SetText(id::BottomDepthLabel, label);
    view.SetText(id::FishDepthLabel, label);
    const int chosen = UnitOptionFor(state.depthUnitsCode);
    for (int option : {id::FeetOption, id::FathomsOption, id::MetersOption})
        view.SetCheck(option, option == chosen);
    SendCommand(link, state.depthUnitsCode);
    link.Pause(kUnitPauseMs);
}

// A reply level: its stored millivolt text stays in the box, the slider
// and the instrument get its level step.
void ApplyReplyLevel(const std::string& millivolts, int slider, int edit, std::string_view word,
                     PanelView& view, Link& link) {
    const std::int32_t level = MillivoltsToLevelStep(ParseNumber(millivolts));
    view.SetSliderPos(slider, level);
    view.SetText(edit, millivolts);
    SendCommand(link, word, level);
    link.Pause(kValuePauseMs);
}

void ApplyBottomEcho(PanelState& state, PanelView& view, Link& link) {
    state.bottomDepthSteps = Limit(Steps(state.bottomDepthText, 10.0), 5, 5000);
    view.SetSliderPos(id::BottomDepthSlider, state.bottomDepthSteps);
    // The stored texts stand in the boxes until the instrument reports its
    // own, so that a Quit before any report saves them, not placeholders.
    view.SetText(id::BottomDepthEdit, state.bottomDepthText);
    SendCommand(link, command::BottomDepth, state.bottomDepthSteps);
    link.Pause(kValuePauseMs);

    ApplyReplyLevel(state.bottomReplyLevelText, id::BottomLevelSlider, id::BottomLevelEdit,
                    command::BottomLevel, view, link);
}

void ApplyFishPulses(PanelState& state, PanelView& view, Link& link) {
    state.fishEchoChecked = Steps(state.fishEchoFlagText) != 0;
    const bool on = state.fishEchoChecked;
    for (int control : {id::OnPulsesEdit, id::OffPulsesEdit, id::OnPulsesSlider, id::OffPulsesSlider})
        view.Enable(control, on);
    view.SetCheck(id::FishEchoCheck, on);

    const std::int32_t onRounded = Steps(state.onPulsesText);
    state.onPulses = Limit(onRounded, 0, kPulsesMax);
    view.SetText(id::OnPulsesEdit, state.onPulsesText);
    view.SetSliderPos(id::OnPulsesSlider, onRounded);
    state.offPulses = Steps(state.offPulsesText);
    view.SetText(id::OffPulsesEdit, state.offPulsesText);
    view.SetSliderPos(id::OffPulsesSlider, state.offPulses);

    if (on) {
        SendCommand(link, command::OffPulses, state.offPulses);
        link.Pause(kValuePauseMs);
        SendCommand(link, command::OnPulses, state.onPulses);
    } else {
        SendCommand(link, command::OffPulses);  // alone: the fish echo off
    }
    link.Pause(kValuePauseMs);
}

void ApplyFishEcho(PanelState& state, PanelView& view, Link& link) {
    state.fishDepthSteps =
        std::min(Limit(Steps(state.fishDepthText, 10.0), 5, 5000), state.bottomDepthSteps);
    view.SetSliderPos(id::FishDepthSlider, state.fishDepthSteps);
    view.SetText(id::FishDepthEdit, state.fishDepthText);
    SendCommand(link, command::FishDepth, state.fishDepthSteps);
    link.Pause(kValuePauseMs);

    ApplyReplyLevel(state.fishReplyLevelText, id::FishLevelSlider, id::FishLevelEdit,
                    command::FishLevel, view, link);
}

void ApplyFrequency(PanelState& state, PanelView& view, Link& link) {
    state.autoFreqChecked = Steps(state.autoFreqFlagText) != 0;
    const bool automatic = state.autoFreqChecked;
    view.SetCheck(id::AutoFreqCheck, automatic);
    view.Enable(id::FreqSetEdit, !automatic);
    view.Enable(id::FreqSlider, !automatic);
    // Shown while Auto is ticked too: Quit saves this box, and the stored
    // manual frequency must survive a session in which the instrument never
    // spoke.
    view.SetText(id::FreqSetEdit, state.freqText);
    if (automatic) {
        SendCommand(link, command::AutoFrequency);
        link.Pause(kAutoPauseMs);
        return;
    }
    // The instrument gets whole kilohertz; the box says which, as it does
    // for a typed frequency, so that what it shows (and Quit saves) is
    // what the instrument has.
    const std::int32_t khz = Limit(Steps(state.freqText), 2, kFreqMaxKhz);
    view.SetText(id::FreqSetEdit, KilohertzText(khz));
    view.SetSliderPos(id::FreqSlider, 10 * khz);
    SendCommand(link, command::Frequency, 10 * khz);
    link.Pause(kValuePauseMs);
}

void ApplyWidth(PanelState& state, PanelView& view, Link& link) {
    state.autoWidthChecked = Steps(state.autoWidthFlagText) != 0;
    const bool automatic = state.autoWidthChecked;
    const std::int32_t width = Steps(state.widthText);
    view.SetCheck(id::AutoWidthCheck, automatic);
    view.Enable(id::WidthSetEdit, !automatic);
    view.Enable(id::WidthSlider, !automatic);
    view.SetText(id::WidthSetEdit, state.widthText);
    if (automatic) {
        SendCommand(link, command::AutoWidth);
        link.Pause(kAutoPauseMs);
        return;
    }
    view.SetSliderPos(id::WidthSlider, width);
    SendCommand(link, command::Width, width);
    link.Pause(kValuePauseMs);
}

}  // namespace

std::string_view DepthLabelFor(std::string_view unitCode) {
    if (unitCode == command::UnitFathoms) return "Depth Fath";
    if (unitCode == command::UnitMeters) return "Depth Mtrs";
    return "Depth Ft   ";
}

int UnitOptionFor(std::string_view unitCode) {
    if (unitCode == command::UnitFathoms) return id::FathomsOption;
    if (unitCode == command::UnitMeters) return id::MetersOption;
    return id::FeetOption;
}

void UpdatingDialog(PanelView& view, Link& link, Link::Clock::time_point start) {
    view.OpenUpdating();
    view.SetUpdatingProgress(0);
    auto deadline = start;
    for (int position = 0; position <= kSplashLastPosition; position += 10) {
        view.SetUpdatingProgress(position);
        deadline += std::chrono::milliseconds(kSplashStepMs);
        // The window comes down inside the last step, so that taking it down
        // is part of the instrument's 3 s, not on top of them.
        const bool last = position == kSplashLastPosition;
        link.SleepUntil(last ? deadline - std::chrono::milliseconds(kSplashCloseAllowanceMs) : deadline);
    }
    view.CloseUpdating();
}

void SendAllSettings(PanelState& state, PanelView& view, Link& link) {
    state.shared->linkBusy = true;
    SendCommand(link, command::OpenUpload);
    // The instrument's 3 s count from the "~~~": the splash paints within
    // them, never on top of them.
    const Link::Clock::time_point ready = link.Now();
    if (!state.portReselect) UpdatingDialog(view, link, ready);
    link.SleepUntil(ready + std::chrono::milliseconds(kInstrumentReadyMs));
    ApplyDepthUnit(state, view, link);
    state.shared->linkBusy = true;
    ApplyBottomEcho(state, view, link);
    ApplyFishPulses(state, view, link);
    state.shared->linkBusy = true;
    ApplyFishEcho(state, view, link);
    ApplyFrequency(state, view, link);
    ApplyWidth(state, view, link);
    SendCommand(link, command::CloseUpload);
    state.readerCountdown = 5;
    state.shared->linkBusy = false;
}

}  // namespace kelt
