#include "platform/win/text.h"

#include <windows.h>

#include <climits>

namespace kelt::platform {

std::wstring AnsiToWide(std::string_view ansi) {
    if (ansi.empty() || ansi.size() > INT_MAX) return {};
    const int length = static_cast<int>(ansi.size());
    const int needed = MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0);
    std::wstring wide(static_cast<size_t>(needed > 0 ? needed : 0), L'\0');
    if (needed > 0) MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, wide.data(), needed);
    return wide;
}

std::string WideToAnsi(std::wstring_view wide) {
    if (wide.empty() || wide.size() > INT_MAX) return {};
    const int length = static_cast<int>(wide.size());
    const int needed =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(needed > 0 ? needed : 0), '\0');
    if (needed > 0)
        WideCharToMultiByte(CP_ACP, 0, wide.data(), length, ansi.data(), needed, nullptr, nullptr);
    return ansi;
}

}  // namespace kelt::platform
