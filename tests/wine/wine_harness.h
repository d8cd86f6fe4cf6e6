#pragma once
// Helpers for tests that drive the real programs under Wine.

#include <windows.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kelt::test {

std::wstring BuildPath(const wchar_t* relative);  // inside the build folder

// A program started for a test; killed at the end of the test if it still runs.
class RunningProgram {
public:
    RunningProgram(const std::wstring& exe, const std::wstring& workingDir,
                   const std::wstring& arguments = L"");
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

// A top-level window of the process whose caption starts with the prefix,
// shown or not yet shown (a modal dialog is shown only once its loop idles).
HWND ExistingWindow(DWORD pid, const std::wstring& captionPrefix);

std::wstring WindowText(HWND window);
// A visible top-level window of the process that is none of the known ones.
HWND OtherWindowOf(DWORD pid, const std::vector<HWND>& known);
std::wstring ClassNameOf(HWND window);
std::vector<HWND> ChildrenInOrder(HWND parent);

// CPU seconds (user and system) of the Linux process that runs the named
// Windows program, read from /proc: Wine does not report other processes'
// times. Negative when no such process is found.
double UnixCpuSeconds(const std::string& programName);
// Resident memory of that Linux process in bytes (VmRSS), or 0.
double UnixResidentBytes(const std::string& programName);
// The most it has been resident since it started (VmHWM), or 0.
double UnixPeakResidentBytes(const std::string& programName);

// The whole screen as a 24-bit BMP file.
void SaveScreen(const std::wstring& path);

// A fresh empty folder under the build folder's test area.
std::wstring FreshFolder(const std::wstring& name);

}  // namespace kelt::test

namespace kelt::test {

// One event of the simulator's log.
struct SimEvent {
    std::string event;  // "rx", "tx", "open", "close", "termios", "start", ...
    std::string line;   // received or sent line, for rx and tx
    double t = 0;       // seconds since the simulator started
    std::string raw;    // the whole JSON object
};

// The bytes of command lines as the panel must write them: each line, CR LF.
std::string CommandBytes(const std::vector<std::string>& lines);

// Two COM ports of this Wine prefix joined as by a null-modem cable (a pair
// of linked pseudo-terminals, tests/tools/pty_pair): the Windows simulator
// opens the first, the program under test the second.
struct ComPair {
    int simulatorPort;
    int programPort;
};

// The instrument simulator, told to quit through its control file when the
// test ends. By default the Linux build, started through Wine, on a pty
// mapped as COMn; with a ComPair the Windows build, keltsim.exe of this
// build, on its own end of the pair.
class Simulator {
public:
    explicit Simulator(int comNumber, const std::wstring& extraArguments = L"");
    // `program`: another keltsim.exe than this build's, such as a package's.
    explicit Simulator(ComPair pair, const std::wstring& extraArguments = L"",
                       const std::wstring& program = L"");
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    bool ready() const { return ready_; }
    void Control(const std::string& command);
    std::vector<SimEvent> Events() const;
    // The command lines received: the bytes split at each CR LF, so that a
    // wrong line end or a stray byte shows as a line that differs.
    std::vector<std::string> ReceivedLines() const;
    // Every byte the instrument received, in order, as it came off the line.
    std::string ReceivedBytes() const;
    // When each command line was complete at the instrument, in seconds.
    std::vector<double> ReceivedTimes() const;
    // Waits until at least count lines were received; returns them.
    std::vector<std::string> WaitForReceived(size_t count, std::chrono::milliseconds timeout) const;
    std::wstring logPath() const { return log_; }

private:
    std::wstring Prepare();
    void WaitForStart();

    std::wstring log_;
    std::wstring control_;
    std::wstring pairStop_;  // made when the test ends, to end the pty pair
    std::unique_ptr<RunningProgram> windowsBuild_;
    bool ready_ = false;
};

}  // namespace kelt::test

namespace kelt::test {

// Cross-process views of another program's controls.
std::wstring ItemText(HWND dialog, int id);
int SliderPos(HWND dialog, int id);
bool IsChecked(HWND dialog, int id);
bool IsEnabledItem(HWND dialog, int id);
// The control with the keyboard focus in the thread that owns the window.
HWND FocusOf(HWND window);
std::vector<std::wstring> ComboItems(HWND combo);
// Clicks a button as the user's mouse would, without waiting for the click
// to be handled (it may open a modal dialog).
void Click(HWND dialog, int id);
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);
// Answers the program's open or save dialog (found by its title) with a file
// name; true once the dialog is gone.
bool ChooseFile(DWORD pid, const wchar_t* title, const std::wstring& name);
bool FileExists(const std::wstring& path);
std::string ReadFileBytes(const std::wstring& path);

}  // namespace kelt::test
