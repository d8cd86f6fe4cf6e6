#include "platform/win/text.h"

#include <windows.h>

#include <climits>

namespace kelt::platform {

namespace {

std::wstring ToWide(UINT codePage, std::string_view bytes) {
    if (bytes.empty() || bytes.size() > INT_MAX) return {};
    const int length = static_cast<int>(bytes.size());
    const int needed = MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
    std::wstring wide(static_cast<size_t>(needed > 0 ? needed : 0), L'\0');
    if (needed > 0) MultiByteToWideChar(codePage, 0, bytes.data(), length, wide.data(), needed);
    return wide;
}

std::string FromWide(UINT codePage, DWORD flags, std::wstring_view wide) {
    if (wide.empty() || wide.size() > INT_MAX) return {};
    const int length = static_cast<int>(wide.size());
    const int needed = WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(needed > 0 ? needed : 0), '\0');
    if (needed > 0) WideCharToMultiByte(codePage, flags, wide.data(), length, bytes.data(), needed, nullptr, nullptr);
    return bytes;
}

}  // namespace

std::wstring AnsiToWide(std::string_view ansi) { return ToWide(CP_ACP, ansi); }
std::string WideToAnsi(std::wstring_view wide) { return FromWide(CP_ACP, 0, wide); }
std::string WideToAnsiExact(std::wstring_view wide) { return FromWide(CP_ACP, WC_NO_BEST_FIT_CHARS, wide); }
std::wstring Utf8ToWide(std::string_view utf8) { return ToWide(CP_UTF8, utf8); }
std::string WideToUtf8(std::wstring_view wide) { return FromWide(CP_UTF8, 0, wide); }

}  // namespace kelt::platform
