#pragma once
// The programs' text is 8-bit in the ANSI code page; Windows' wide API wants
// UTF-16. This is the one place where the two meet.

#include <string>
#include <string_view>

namespace kelt::platform {

std::wstring AnsiToWide(std::string_view ansi);
std::string WideToAnsi(std::wstring_view wide);
// The same, but a character the code page lacks becomes '?', never a
// look-alike: for a file name kept as text, which must not read as the name
// of another file.
std::string WideToAnsiExact(std::wstring_view wide);

// UTF-16 and UTF-8 both hold every name: for names the program only hands
// back to Windows, such as the safe write's temporary files.
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

}  // namespace kelt::platform
