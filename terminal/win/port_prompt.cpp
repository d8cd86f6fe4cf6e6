#include "terminal/win/port_prompt.h"

#include <vector>

#include "platform/win/dialog_template.h"
#include "platform/win/text.h"
#include "platform/win/window.h"
#include "terminal/terminal_rules.h"

namespace kelt::term {
namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

std::string* AnswerOf(HWND prompt) {
    return reinterpret_cast<std::string*>(GetWindowLongPtrW(prompt, DWLP_USER));
}

INT_PTR OnPromptInit(HWND prompt, LPARAM answer) {
    SetWindowLongPtrW(prompt, DWLP_USER, answer);
    HWND edit = GetDlgItem(prompt, kPortPromptEdit);
    SendMessageW(edit, EM_LIMITTEXT, kMaxPortTextChars, 0);
    SetFocus(edit);
    return FALSE;
}

INT_PTR OnPromptCommand(HWND prompt, int controlId) {
    std::string* answer = AnswerOf(prompt);
    if (controlId == IDOK) {
        if (answer != nullptr)
            *answer = platform::GetItemTextAnsi(prompt, kPortPromptEdit).substr(0, kMaxPortTextChars);
        EndDialog(prompt, IDOK);
        return TRUE;
    }
    if (controlId == IDCANCEL) {  // also the close box and Esc
        if (answer != nullptr) answer->clear();
        EndDialog(prompt, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

INT_PTR CALLBACK PortPromptProc(HWND prompt, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: return OnPromptInit(prompt, lParam);
        case WM_COMMAND: return OnPromptCommand(prompt, LOWORD(wParam));
        default: return FALSE;
    }
}

std::string AskForPort() {
    const std::wstring title = platform::AnsiToWide(kPromptTitle);
    const std::wstring text = platform::AnsiToWide(kPromptText);
    const platform::DialogTemplate dialog(
        {WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT, 0, 0, 0,
         160, 62, title, L"MS Sans Serif", 8},
        {
            {kChild, 0, 7, 7, 146, 9, -1, L"STATIC", text},
            {kChild | WS_BORDER | WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL, 0, 7, 19, 146, 12,
             kPortPromptEdit, L"EDIT", L""},
            {kChild | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 0, 48, 40, 50, 14, IDOK,
             L"BUTTON", L"OK"},
            {kChild | BS_PUSHBUTTON | WS_TABSTOP, 0, 103, 40, 50, 14, IDCANCEL, L"BUTTON",
             L"Cancel"},
        });
    std::string answer;
    DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.get(), nullptr, PortPromptProc,
                            reinterpret_cast<LPARAM>(&answer));
    return answer;
}

}  // namespace kelt::term
