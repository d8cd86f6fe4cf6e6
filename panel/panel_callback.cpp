// The panel's dialog procedure: routes each message to the reaction that
// owns it. The reactions themselves are portable code over the two seams.

#include <windows.h>
#include <commctrl.h>

#include "link/commands.h"
#include "link/measurement_reader.h"
#include "link/port_dialog.h"
#include "link/serial_port.h"
#include "panel/control_ids.h"
#include "panel/main_panel.h"
#include "panel/panel_context.h"
#include "panel/reactions.h"
#include "settings/script_files.h"
#include "settings/settings_file.h"

namespace kelt {
namespace {

void InitialisePanel(HWND panel, PanelContext& context) {
    PanelState& state = context.state;
    state.portFileNo = AllocatePortChannel();
    state.readerCountdown = 5;
    state.linkBusy = 0;
    state.portReselect = 0;
    LoadSettingsAtStart(state, std::string(kSettingsFileName));
    SelectAndOpenPort(panel, state);
    state.portInUseText = state.commPortText;
    StartMeasurementReader(panel, state);
    SendAllSettings(state, *context.view, *context.link);
}

void OnNcActivate(WPARAM active, PanelState& state) {
    if (!active) {
        state.panelSavedFocus = GetFocus();
    } else if (state.panelSavedFocus != nullptr) {
        SetFocus(static_cast<HWND>(state.panelSavedFocus));
        state.panelSavedFocus = nullptr;
    }
}

bool Clicked(int code) { return code == 0 || code == 1; }

constexpr int kSliders[] = {id::FreqSlider,        id::WidthSlider,     id::BottomDepthSlider,
                            id::BottomLevelSlider, id::FishDepthSlider, id::FishLevelSlider,
                            id::OnPulsesSlider,    id::OffPulsesSlider};

// Every notification of a slider reacts and sends, whatever its scroll code.
void OnVScroll(HWND panel, PanelContext& context, HWND slider) {
    for (int sliderId : kSliders) {
        if (slider != GetDlgItem(panel, sliderId)) continue;
        const auto position = static_cast<int>(SendMessageW(slider, TBM_GETPOS, 0, 0));
        OnSliderMoved(context.state, *context.view, *context.link, sliderId, position);
    }
}

bool IsEditOrSlider(int id) {
    constexpr int ids[] = {1006, 1014, 1015, 1016, 1017, 1019, 1020, 1021, 1023, 1024,
                           1025, 1026, 1056, 1057, 1058, 1074, 1075, 1081, 1082, 1094};
    for (int editOrSlider : ids)
        if (id == editOrSlider) return true;
    return false;
}

void OnCommand(HWND panel, PanelContext& context, int id, int code) {
    PanelState& state = context.state;
    PanelView& view = *context.view;
    Link& link = *context.link;
    if (IsEditOrSlider(id)) return;  // typing takes effect only with Enter
    if (id == id::MenuCommPort) return ChangePort(panel, state);
    if (id == id::EnterKey) return OnEnterKey(state, view, link, code);
    if (!Clicked(code)) return;
    switch (id) {
        case id::FeetOption:
        case id::FathomsOption:
        case id::MetersOption:
            ClearOptionTabStops(panel);  // the click checked it, and made it a tab stop
            return OnUnitOption(state, view, link, id);
        case id::FishEchoCheck: return OnFishEchoClicked(state, view, link);
        case id::AutoFreqCheck: return OnAutoFreqClicked(state, view, link);
        case id::AutoWidthCheck: return OnAutoWidthClicked(state, view, link);
        case id::RefreshButton: return OnRefresh(view, link, state);
        case id::QuitButton:
            WriteSettingsFile(state, view, std::string(kSettingsFileName));
            return EndPanel(panel);
        case id::ResetButton:
            OnReset(state, view, link);
            return FocusASettingBox(panel);
        case id::MenuOpenFile:
            OpenScriptFile(panel, state, view, link);
            return FocusASettingBox(panel);
        case id::MenuSaveFile: return SaveScriptFile(panel, state, view);
        default: return;
    }
}

}  // namespace

INT_PTR MainPanelCallback(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
    Sleep(0);  // lets the measurement reader run between the panel's messages
    PanelContext* context = PanelContextOf(panel);
    if (context == nullptr) return 0;
    switch (message) {
        case WM_INITDIALOG:
            InitialisePanel(panel, *context);
            break;
        case WM_VSCROLL:
            OnVScroll(panel, *context, reinterpret_cast<HWND>(lParam));
            break;
        case WM_NCACTIVATE:
            OnNcActivate(wParam, context->state);
            break;
        case WM_COMMAND:
            OnCommand(panel, *context, LOWORD(wParam), HIWORD(wParam));
            break;
        case kMeasurementMessage:
            TakeMeasurements(context->state, *context->view);
            break;
        default:
            break;
    }
    return 0;
}

}  // namespace kelt
