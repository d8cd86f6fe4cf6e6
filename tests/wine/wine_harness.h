#pragma once
// Helpers for tests that drive the real programs under Wine.

#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

namespace kelt::test {

std::wstring BuildPath(const wchar_t* relative);  // inside the build folder

// A program started for a test; killed at the end of the test if it still runs.
class RunningProgram {
public:
    RunningProgram(const std::wstring& exe, const std::wstring& workingDir);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool started() const { return info_.hProcess != nullptr; }
    DWORD pid() const { return info_.dwProcessId; }
    // The exit code, or STILL_ACTIVE when it has not ended within the time.
    DWORD WaitExit(std::chrono::milliseconds timeout);

private:
    PROCESS_INFORMATION info_{};
};

// The first visible top-level window of the process whose caption starts
// with the prefix, or nullptr after the time-out.
HWND WaitForWindow(DWORD pid, const std::wstring& captionPrefix,
                   std::chrono::milliseconds timeout);

std::wstring WindowText(HWND window);
std::wstring ClassNameOf(HWND window);
std::vector<HWND> ChildrenInOrder(HWND parent);

// A fresh empty folder under the build folder's test area.
std::wstring FreshFolder(const std::wstring& name);

}  // namespace kelt::test
