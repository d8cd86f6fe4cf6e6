#pragma once
// The debug channel: what a support engineer sees with a debug-output
// viewer. The programs show the user only what they always showed; why a
// port did not open goes here.

#include <windows.h>

#include <string>
#include <string_view>

namespace kelt::platform {

// The system's text for an error code, without its line end.
std::wstring ErrorText(DWORD error);

// One line on the debug channel, with the program's name in front.
void DebugLine(std::wstring_view text);

}  // namespace kelt::platform
