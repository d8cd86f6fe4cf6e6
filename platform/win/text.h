#pragma once
// The programs' text is 8-bit in the ANSI code page; Windows' wide API wants
// UTF-16. This is the one place where the two meet.

#include <string>
#include <string_view>

namespace kelt::platform {

std::wstring AnsiToWide(std::string_view ansi);
std::string WideToAnsi(std::wstring_view wide);

}  // namespace kelt::platform
