#include "platform/win/debug.h"

namespace kelt::platform {

std::wstring ErrorText(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length > 0 ? std::wstring(buffer, length) : L"error " + std::to_wstring(error);
    if (buffer != nullptr) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    return text + L" (" + std::to_wstring(error) + L")";
}

void DebugLine(std::wstring_view text) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring_view program(path, length);
    if (const size_t slash = program.find_last_of(L"\\/"); slash != std::wstring_view::npos)
        program.remove_prefix(slash + 1);
    std::wstring line(program);
    line += L": ";
    line += text;
    line += L"\n";
    OutputDebugStringW(line.c_str());
}

}  // namespace kelt::platform
