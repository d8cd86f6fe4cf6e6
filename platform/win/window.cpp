#include "platform/win/window.h"

#include "platform/win/text.h"

namespace kelt::platform {

std::string GetWindowTextAnsi(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, wide.data(), length + 1);
    wide.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return WideToAnsi(wide);
}

std::string GetItemTextAnsi(HWND dialog, int id) {
    return GetWindowTextAnsi(GetDlgItem(dialog, id));
}

void SetWindowTextAnsi(HWND window, std::string_view text) {
    SetWindowTextW(window, AnsiToWide(text).c_str());
}

void SetItemTextAnsi(HWND dialog, int id, std::string_view text) {
    SetWindowTextAnsi(GetDlgItem(dialog, id), text);
}

RECT DialogUnitsToPixels(HWND dialog, int x, int y, int w, int h) {
    RECT rect{x, y, x + w, y + h};
    MapDialogRect(dialog, &rect);
    return rect;
}

}  // namespace kelt::platform
