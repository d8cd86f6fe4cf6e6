#include "panel/settings_save.h"

#include "panel/control_ids.h"
#include "settings/settings_file.h"

namespace kelt {

void RefreshSettingsFromPanel(PanelState& state, PanelView& view) {
    state.autoFreqChecked = view.GetCheck(id::AutoFreqCheck);
    state.autoWidthChecked = view.GetCheck(id::AutoWidthCheck);
    state.fishEchoChecked = view.GetCheck(id::FishEchoCheck);
    state.freqText = view.GetText(id::FreqSetEdit);
    state.widthText = view.GetText(id::WidthSetEdit);
    state.onPulsesText = view.GetText(id::OnPulsesEdit);
    state.offPulsesText = view.GetText(id::OffPulsesEdit);
    state.fishDepthText = view.GetText(id::FishDepthEdit);
    state.fishReplyLevelText = view.GetText(id::FishLevelEdit);
    state.bottomDepthText = view.GetText(id::BottomDepthEdit);
    state.bottomReplyLevelText = view.GetText(id::BottomLevelEdit);
}

std::string SettingsFileToSave(PanelState& state, PanelView& view, std::string_view fileName) {
    state.lastFileSaved = fileName;
    RefreshSettingsFromPanel(state, view);
    return SettingsFileText(state);
}

}  // namespace kelt
