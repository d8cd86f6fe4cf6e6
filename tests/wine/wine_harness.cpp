#include "wine_harness.h"

#include <filesystem>
#include <thread>

namespace kelt::test {

std::wstring BuildPath(const wchar_t* relative) {
    std::filesystem::path path(KELT_BUILD_DIR);
    return (path / relative).wstring();
}

RunningProgram::RunningProgram(const std::wstring& exe, const std::wstring& workingDir) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingDir.empty() ? nullptr : workingDir.c_str(), &startup, &info_))
        info_ = {};
}

RunningProgram::~RunningProgram() {
    if (info_.hProcess == nullptr) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

DWORD RunningProgram::WaitExit(std::chrono::milliseconds timeout) {
    if (info_.hProcess == nullptr) return STILL_ACTIVE;
    if (WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
        return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

namespace {
struct WindowSearch {
    DWORD pid;
    const std::wstring* prefix;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->pid || !IsWindowVisible(window)) return TRUE;
    if (WindowText(window).rfind(*search->prefix, 0) != 0) return TRUE;
    search->found = window;
    return FALSE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM lParam) {
    auto* list = reinterpret_cast<std::pair<HWND, std::vector<HWND>*>*>(lParam);
    if (GetParent(window) == list->first) list->second->push_back(window);
    return TRUE;
}
}  // namespace

HWND WaitForWindow(DWORD pid, const std::wstring& captionPrefix,
                   std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    do {
        WindowSearch search{pid, &captionPrefix, nullptr};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) return search.found;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < deadline);
    return nullptr;
}

std::wstring WindowText(HWND window) {
    wchar_t buffer[1024] = {};
    // WM_GETTEXT works across processes, unlike GetWindowText on a child.
    SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

std::wstring ClassNameOf(HWND window) {
    wchar_t buffer[256] = {};
    GetClassNameW(window, buffer, 256);
    return buffer;
}

std::vector<HWND> ChildrenInOrder(HWND parent) {
    std::vector<HWND> children;
    std::pair<HWND, std::vector<HWND>*> list{parent, &children};
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&list));
    return children;
}

std::wstring FreshFolder(const std::wstring& name) {
    std::filesystem::path path = std::filesystem::path(KELT_BUILD_DIR) / L"test-area" / name;
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
    std::filesystem::create_directories(path);
    return path.wstring();
}

}  // namespace kelt::test
