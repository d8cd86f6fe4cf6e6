#pragma once
// Thin helpers over dialog controls, in the programs' 8-bit text.

#include <windows.h>

#include <string>
#include <string_view>

namespace kelt::platform {

std::string GetWindowTextAnsi(HWND window);
std::string GetItemTextAnsi(HWND dialog, int id);
void SetWindowTextAnsi(HWND window, std::string_view text);
void SetItemTextAnsi(HWND dialog, int id, std::string_view text);
// A rectangle in dialog units, converted to pixels of this dialog.
RECT DialogUnitsToPixels(HWND dialog, int x, int y, int w, int h);

}  // namespace kelt::platform
