#include "panel/win/port_dialog.h"

#include <commctrl.h>

#include "link/port_names.h"
#include "link/numbers.h"
#include "panel/control_ids.h"
#include "panel/win/focus.h"
#include "panel/win/panel_port.h"
#include "platform/win/dialog_template.h"
#include "platform/win/text.h"
#include "platform/win/window.h"

namespace kelt {
namespace {

constexpr int kFirstPort = 1;
constexpr int kLastPort = 15;

// One run of the dialog: what it works on, and its own focus slot.
struct PortDialogRun {
    PanelState& state;
    Port& port;
    HWND portDlgSavedFocus = nullptr;
};

PortDialogRun& RunOf(HWND dialog) {
    return *reinterpret_cast<PortDialogRun*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

void AddPort(HWND combo, int number) {
    SendMessageW(combo, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(platform::AnsiToWide(PortListName(number)).c_str()));
}

// At start-up only the ports that open now are offered; false when none do.
bool ListOpenablePorts(HWND combo) {
    int found = 0;
    for (int number = kFirstPort; number <= kLastPort; ++number) {
        if (!PortOpens(number)) continue;
        AddPort(combo, number);
        ++found;
    }
    if (found == 0) return false;
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
    return true;
}

// After the menu command every port is offered, the one the settings name
// selected. The port in use is closed while the dialog is up; its text stays
// as it was when the menu command came, so that CANCEL can go back to it
// even after a choice that did not open.
void ListAllPorts(HWND combo, PanelState& state, Port& port) {
    port.Close();
    for (int number = kFirstPort; number <= kLastPort; ++number) AddPort(combo, number);
    const std::wstring current = platform::AnsiToWide("COM" + state.commPortText);
    const LRESULT index =
        SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(current.c_str()));
    if (index != CB_ERR) SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void OnInitDialog(HWND dialog, PortDialogRun& run) {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(dialog, GWLP_HINSTANCE));
    SendMessageW(dialog, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(LoadImageW(instance, MAKEINTRESOURCEW(id::PanelIcon), IMAGE_ICON,
                                                     GetSystemMetrics(SM_CXICON),
                                                     GetSystemMetrics(SM_CYICON), LR_SHARED)));
    SendMessageW(dialog, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(LoadImageW(instance, MAKEINTRESOURCEW(id::PanelIcon), IMAGE_ICON,
                                                     GetSystemMetrics(SM_CXSMICON),
                                                     GetSystemMetrics(SM_CYSMICON), LR_SHARED)));
    HWND combo = GetDlgItem(dialog, id::PortListCombo);
    if (run.state.portReselect) return ListAllPorts(combo, run.state, run.port);
    if (ListOpenablePorts(combo)) return;
    // No port at all: the program ends, and saves nothing.
    MessageBoxW(nullptr, L"Press OK to close", L"Failure to find Comm. Port",
                MB_OK | MB_TASKMODAL | MB_SETFOREGROUND);
    EndDialog(dialog, static_cast<INT_PTR>(PortChoice::Quit));
}

void OnOk(HWND dialog, PanelState& state) {
    state.commPortText = PortTextFromChoice(platform::GetItemTextAnsi(dialog, id::PortListCombo));
    EndDialog(dialog, static_cast<INT_PTR>(PortChoice::Chosen));
}

void OnCancel(HWND dialog, PanelState& state) {
    // At start-up: no port, no panel, and nothing is saved.
    if (!state.portReselect) return static_cast<void>(EndDialog(dialog, static_cast<INT_PTR>(PortChoice::Quit)));
    state.commPortText = state.portInUseText;
    state.portOpen = RoundHalfEven(ParseNumber(state.commPortText));
    EndDialog(dialog, static_cast<INT_PTR>(PortChoice::Cancelled));
}

}  // namespace

INT_PTR CALLBACK PortSelectCallback(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        OnInitDialog(dialog, RunOf(dialog));
        return TRUE;
    }
    if (GetWindowLongPtrW(dialog, DWLP_USER) == 0) return FALSE;
    PortDialogRun& run = RunOf(dialog);
    switch (message) {
        case WM_NCACTIVATE:
            KeepFocusAcrossActivation(wParam, run.portDlgSavedFocus);
            return FALSE;
        case WM_COMMAND: {
            const int code = HIWORD(wParam);
            if (code != 0 && code != 1) return FALSE;
            if (LOWORD(wParam) == id::PortOkButton) OnOk(dialog, run.state);
            if (LOWORD(wParam) == id::PortCancelButton) OnCancel(dialog, run.state);
            return FALSE;
        }
        default:
            return FALSE;
    }
}

PortChoice PortSelectDialog(HWND owner, PanelState& state, Port& port) {
    PortDialogRun run{state, port};
    constexpr DWORD child = WS_CHILD | WS_VISIBLE;
    const platform::DialogTemplate dialogTemplate(
        {WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT | DS_NOFAILCREATE | DS_3DLOOK, 0, 355,
         79, 201, 121, L"KELT -9R COMM. PORT SELECT", L"MS Sans Serif", 8},
        {{child | WS_TABSTOP | CBS_DROPDOWN | CBS_SORT, 0, 15, 15, 70, 85, id::PortListCombo,
          L"COMBOBOX", L""},
         {child | WS_TABSTOP, 0, 115, 15, 50, 15, id::PortOkButton, L"BUTTON", L"OK"},
         {child | WS_TABSTOP, 0, 115, 35, 50, 15, id::PortCancelButton, L"BUTTON", L"CANCEL"},
         // Wider than the combo box below it: at 70 du "Ports" wrapped out
         // of sight at 96 DPI and at 144 DPI.
         {child, 0, 15, 5, 95, 10, id::PortListLabel, L"STATIC", L"Available Comm. Ports"}});
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialogTemplate.get(),
                                                   owner, PortSelectCallback,
                                                   reinterpret_cast<LPARAM>(&run));
    if (result == static_cast<INT_PTR>(PortChoice::Quit)) return PortChoice::Quit;
    if (result == static_cast<INT_PTR>(PortChoice::Cancelled)) return PortChoice::Cancelled;
    return PortChoice::Chosen;
}

bool SelectAndOpenPort(HWND owner, PanelState& state, Port& port) {
    OpenPort(state, port);
    while (state.portOpen == 0) {
        if (PortSelectDialog(owner, state, port) == PortChoice::Quit) return false;
        OpenPort(state, port);
    }
    return true;
}

void ChangePort(HWND owner, PanelState& state, Port& port) {
    state.portReselect = true;
    state.portOpen = 0;
    while (state.portOpen == 0) {
        const PortChoice choice = PortSelectDialog(owner, state, port);
        OpenPort(state, port);
        // A failed choice may have left a port text that never opens ("7"
        // gives ""); CANCEL must still let the user out of the dialog.
        if (choice == PortChoice::Cancelled) break;
    }
    state.portInUseText = state.commPortText;
}

}  // namespace kelt
