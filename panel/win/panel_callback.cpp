// The panel's one dialog procedure: the build and the start-up at its
// WM_INITDIALOG, then each message routed to the reaction that owns it. The
// reactions themselves are portable code over the two seams.

#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "panel/control_ids.h"
#include "panel/measurements.h"
#include "panel/reactions.h"
#include "panel/upload.h"
#include "panel/win/main_panel.h"
#include "panel/win/panel_context.h"
#include "panel/win/focus.h"
#include "panel/win/port_dialog.h"
#include "panel/win/script_commands.h"
#include "settings/settings_file.h"
#include "settings/win/settings_files.h"

namespace kelt {
namespace {

// Settings, the port (asking while none opens), the reader, the upload; all
// before the panel is first shown. False when the program must end: the
// first port choice was cancelled, or no port exists.
bool StartPanel(HWND panel, PanelContext& context) {
    PanelState& state = context.state;
    state.readerCountdown = 5;
    state.shared->linkBusy = false;
    state.portReselect = false;
    LoadSettingsAtStart(state, std::string(kSettingsFileName));
    if (!SelectAndOpenPort(panel, state, *context.port)) return false;
    state.portInUseText = state.commPortText;
    context.reader.Start(panel, state.shared, context.port);
    SendAllSettings(state, *context.view, context.link);
    return true;
}

void OnInitDialog(HWND panel, PanelContext& context) {
    BuildPanelContents(panel, context.resources);
    context.view = std::make_unique<Win32PanelView>(panel);
    if (context.startUp) context.endedAtStart = !StartPanel(panel, context);
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
        OnSliderMoved(context.state, *context.view, context.link, sliderId, position);
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
    Link& link = context.link;
    if (IsEditOrSlider(id)) return;  // typing takes effect only with Enter
    if (id == id::MenuCommPort) return ChangePort(panel, state, *context.port);
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
            // Only an upload moves the focus; a cancelled or unreadable
            // choice leaves it where the user had it.
            if (OpenScriptFile(panel, state, view, link)) FocusASettingBox(panel);
            return;
        case id::MenuSaveFile: return SaveScriptFile(panel, state, view);
        default: return;
    }
}

void OnMeasurements(PanelContext& context) {
    for (const MeasurementTexts& texts : context.reader.TakeAll())
        ApplyMeasurement(context.state, *context.view, texts);
}

}  // namespace

INT_PTR CALLBACK MainPanelCallback(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(panel, DWLP_USER, lParam);
        OnInitDialog(panel, *reinterpret_cast<PanelContext*>(lParam));
        return FALSE;
    }
    PanelContext* context = PanelContextOf(panel);
    if (context == nullptr) return FALSE;
    switch (message) {
        case WM_VSCROLL:
            OnVScroll(panel, *context, reinterpret_cast<HWND>(lParam));
            return FALSE;
        case WM_NCACTIVATE:
            KeepFocusAcrossActivation(wParam, context->panelSavedFocus);
            return FALSE;
        case WM_COMMAND:
            OnCommand(panel, *context, LOWORD(wParam), HIWORD(wParam));
            return FALSE;
        case kMeasurementMessage:
            OnMeasurements(*context);
            return FALSE;
        case WM_CLOSE:  // close box, system menu, Alt+F4: end without saving
            EndPanel(panel);
            return TRUE;
        case WM_DESTROY:
            PostQuitMessage(0);
            return FALSE;
        case WM_NCDESTROY:
            SetWindowLongPtrW(panel, DWLP_USER, 0);
            // A panel built only to be looked at owns its context.
            if (!context->startUp) std::unique_ptr<PanelContext>{context};
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace kelt
