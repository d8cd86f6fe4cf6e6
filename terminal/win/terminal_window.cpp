#include "terminal/win/terminal_window.h"

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "platform/win/dialog_template.h"
#include "platform/win/text.h"
#include "platform/win/window.h"
#include "terminal/win/terminal_link.h"
#include "terminal/terminal_rules.h"

namespace kelt::term {
namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kTab = WS_GROUP | WS_TABSTOP;

// The window in dialog units of its 8-point font. Created hidden: it is shown
// once the receiver is running.
platform::DialogFrameSpec TerminalFrame(std::wstring_view caption) {
    return {WS_POPUP | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_CENTER |
                DS_SETFONT,
            0, 0, 0, 330, 203, caption, L"MS Sans Serif", 8};
}

// Creation order is tab order. The check box comes last although it sits at
// the top right, beside the header.
std::vector<platform::DialogItemSpec> TerminalControls() {
    return {
        {kChild, 0, 9, 5, 100, 10, -1, L"STATIC", L"<==out   DATA   in==>      "},
        {kChild | WS_BORDER | WS_VSCROLL | kTab | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
             LBS_WANTKEYBOARDINPUT | LBS_DISABLENOSCROLL,
         0, 9, 15, 313, 133, id::TrafficList, L"LISTBOX", L""},
        {kChild, 0, 9, 151, 100, 10, -1, L"STATIC", L"Te&xt to send"},
        {kChild | WS_BORDER | kTab | ES_AUTOHSCROLL | ES_NOHIDESEL, 0, 9, 161, 257, 12,
         id::SendTextEdit, L"EDIT", L""},
        {kChild | BS_DEFPUSHBUTTON | kTab, 0, 273, 160, 50, 14, id::SendTextButton, L"BUTTON",
         L"Send &Text"},
        {kChild | BS_PUSHBUTTON | kTab, 0, 273, 182, 50, 14, id::TermQuitButton, L"BUTTON",
         L"&Quit"},
        {kChild | BS_AUTOCHECKBOX | BS_LEFTTEXT | kTab, 0, 252, 5, 70, 10,
         id::LocalEchoOffCheck, L"BUTTON", L"Disable Local &Echo"},
    };
}

TerminalState* StateOf(HWND window) {
    return reinterpret_cast<TerminalState*>(GetWindowLongPtrW(window, DWLP_USER));
}

// Shared icons: the system owns them, so there is nothing to free.
void SetTerminalIcon(HINSTANCE instance, HWND window) {
    const auto load = [instance](int sizeMetric) {
        const int size = GetSystemMetrics(sizeMetric);
        return reinterpret_cast<LPARAM>(LoadImageW(instance, MAKEINTRESOURCEW(id::TerminalIcon),
                                                   IMAGE_ICON, size, size, LR_SHARED));
    };
    SendMessageW(window, WM_SETICON, ICON_BIG, load(SM_CXICON));
    SendMessageW(window, WM_SETICON, ICON_SMALL, load(SM_CXSMICON));
}

void SelectSendText(HWND window) {
    HWND edit = GetDlgItem(window, id::SendTextEdit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    // Through the dialog manager, so the default button stays "Send &Text".
    SendMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);
}

INT_PTR OnInitDialog(HWND window, LPARAM stateParam) {
    SetWindowLongPtrW(window, DWLP_USER, stateParam);
    HWND edit = GetDlgItem(window, id::SendTextEdit);
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    return FALSE;  // the focus stays where it was put
}

INT_PTR OnCommand(HWND window, int controlId, int notification) {
    if (notification != BN_CLICKED) return FALSE;
    if (controlId == id::SendTextButton) {
        if (TerminalState* state = StateOf(window)) OnSendText(*state, window);
        return TRUE;
    }
    if (controlId == id::TermQuitButton) {
        OnQuit(window);
        return TRUE;
    }
    return FALSE;  // Esc does not end the terminal: only "&Quit" and the close box do
}

// One turn of listing incoming lines may take this long; the lines left
// wait for the next turn, so that the window answers the user in between
// even while the line brings more than the list can take.
constexpr std::chrono::milliseconds kListingTurn{50};
constexpr std::size_t kLinesPerTake = 16;

Notify NoticeTo(HWND window) {
    return [window] { return PostMessageW(window, kIncomingLinesMessage, 0, 0) != FALSE; };
}

// Lists the lines the receiver has queued, in arrival order, for one turn at
// most. The list box would repaint and scroll for every line it is given
// and selected: it gets them without a redraw, then one selection of the
// last line and one repaint for the turn.
INT_PTR OnIncomingLines(HWND window) {
    TerminalState* state = StateOf(window);
    if (state == nullptr) return TRUE;
    Mailbox<std::string>& incoming = state->shared->incoming;
    HWND list = GetDlgItem(window, id::TrafficList);
    const auto turnEnds = std::chrono::steady_clock::now() + kListingTurn;
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    LRESULT last = LB_ERR;
    for (bool more = true; more && std::chrono::steady_clock::now() < turnEnds;) {
        for (const std::string& line : incoming.Take(kLinesPerTake, &more)) {
            const std::wstring wide = platform::AnsiToWide(line);
            const LRESULT index = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
            if (index >= 0) last = index;
        }
    }
    if (last >= 0) SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(last), 0);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    // Lines left for the next turn: the window is told again, after whatever
    // else waits in its queue.
    incoming.NotifyIfWaiting(NoticeTo(window));
    return TRUE;
}

}  // namespace

HWND BuildTerminalWindow(TerminalState& state, std::string_view caption) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const std::wstring wideCaption = platform::AnsiToWide(caption);
    const platform::DialogTemplate dialog(TerminalFrame(wideCaption), TerminalControls());
    HWND window = CreateDialogIndirectParamW(instance, dialog.get(), nullptr, TerminalDialogProc,
                                             reinterpret_cast<LPARAM>(&state));
    if (window == nullptr) return nullptr;
    SetTerminalIcon(instance, window);
    const std::wstring first = platform::AnsiToWide(kFirstListLine);
    SendDlgItemMessageW(window, id::TrafficList, LB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(first.c_str()));
    state.termWindow = window;
    return window;
}

void RunTerminalWindow(HWND window) {
    ShowWindow(window, SW_SHOW);
    MSG msg;
    while (IsWindow(window)) {
        if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
            DestroyWindow(window);  // asked to quit: the window ends like a Quit
            break;
        }
        // The dialog manager gives Tab, the mnemonics and Enter on "Send &Text".
        if (IsDialogMessageW(window, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

INT_PTR CALLBACK TerminalDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog(window, lParam);
        case WM_COMMAND:
            return OnCommand(window, LOWORD(wParam), HIWORD(wParam));
        case WM_CLOSE:  // the close box, the system menu's Close and Alt+F4
            OnQuit(window);
            return TRUE;
        case kIncomingLinesMessage:
            return OnIncomingLines(window);
        default:
            return FALSE;
    }
}

void ShowIncomingLine(ReceiverShared& shared, HWND window, std::string_view line) {
    // If the window is gone the lines have nowhere to go: drop them rather
    // than keep them for ever.
    if (!shared.incoming.Deliver(std::string(kIncomingPrefix).append(line), NoticeTo(window)) && !IsWindow(window))
        shared.incoming.Clear();
}

void AddListLine(HWND window, int id, std::string_view text) {
    const std::wstring wide = platform::AnsiToWide(text);
    const LRESULT index =
        SendDlgItemMessageW(window, id, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    if (index >= 0) SendDlgItemMessageW(window, id, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void OnSendText(TerminalState& state, HWND window) {
    const std::string text = SendableText(platform::GetItemTextAnsi(window, id::SendTextEdit));
    state.shared->termSending = true;
    if (SendLine(state, text) != 0) {
        // Shown whatever the echo box says: a lost line must never pass unseen.
        AddListLine(window, id::TrafficList, std::string(kOutgoingPrefix).append(kTransmissionError));
    } else if (SendDlgItemMessageW(window, id::LocalEchoOffCheck, BM_GETCHECK, 0, 0) == 0) {
        AddListLine(window, id::TrafficList, std::string(kOutgoingPrefix).append(text));
    }
    // The text stays, selected: typing replaces it, Enter sends it again.
    SelectSendText(window);
    state.shared->termSending = false;
}

void OnQuit(HWND window) { DestroyWindow(window); }

}  // namespace kelt::term
