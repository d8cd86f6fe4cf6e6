#pragma once
// The start-up question: which COM port the instrument is on.

#include <windows.h>

#include <string>

namespace kelt::term {

inline constexpr int kPortPromptEdit = 100;

// Shows the modal prompt centred on the screen. Returns the text as typed
// (at most 255 characters) after "OK", or an empty text after "Cancel" or
// the close box.
std::string AskForPort();

INT_PTR CALLBACK PortPromptProc(HWND prompt, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace kelt::term
