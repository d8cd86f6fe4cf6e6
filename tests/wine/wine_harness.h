#pragma once
// Helpers for tests that drive the real programs under Wine: programs,
// windows, files, the simulated instrument, and waiting for what they do.
// The fixtures for each program are in panel_fixture.h and
// terminal_fixture.h.

#include <windows.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kelt::test {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

std::wstring BuildPath(const wchar_t* relative);  // inside the build folder

// A time-out of the tests, stretched by KELT_TIMEOUT_FACTOR (the build sets
// it where the programs run under emulation, many times slower to start):
// the one place where the waits of the harness and the tests get longer.
// What the tests measure on the wire (bytes, order, pauses) never does.
std::chrono::milliseconds Stretched(std::chrono::milliseconds timeout);

// Waits until the condition holds, looking again every `interval`; false
// when the (stretched) time ran out first. Every wait of the tests goes
// through here.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout,
               std::chrono::milliseconds interval = 20ms);

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

// The first visible top-level window of the process (of any process for
// pid 0) whose caption starts with the prefix, or nullptr after the time-out
// or once the process has ended.
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
// The first child of the class (compared without case), or nullptr.
HWND ChildOfClass(HWND parent, const std::wstring& className);
bool HasChildWithText(HWND parent, const std::wstring& text);

// A message to another program's window that gives up after a while: a
// window whose thread hangs must fail the test, not hang it. -1 when the
// time ran out.
LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0,
            std::chrono::milliseconds timeout = 10s);
// True once the window's thread has taken a message sent to it: it is back
// in its message loop, done with whatever it was doing when asked. A sent
// message is taken before the ones posted earlier, so this says nothing of
// those; wait for what they do instead.
bool Answers(HWND window, std::chrono::milliseconds timeout = 15s);
// Waits until neither the window nor any of its children has anything left
// to paint: what it shows is on the screen.
bool WaitForPainting(HWND window, std::chrono::milliseconds timeout = 10s);

// CPU seconds (user and system) of the Linux process that runs the named
// Windows program, read from /proc: Wine does not report other processes'
// times. Negative when no such process is found. Name a program by its
// whole path: another checkout's copy may be running too.
double UnixCpuSeconds(const std::string& programName);
// The CPU the program used over a stretch of wall time, in percent of one
// core; negative when it is not found.
double CpuPercentOver(const std::string& programName, std::chrono::milliseconds wall);
// Resident memory of that Linux process in bytes (VmRSS), or 0.
double UnixResidentBytes(const std::string& programName);
// The most it has been resident since it started (VmHWM), or 0.
double UnixPeakResidentBytes(const std::string& programName);

// Memory and handles of a process, as Windows reports them.
struct ProcessUsage {
    double memoryBytes = 0;   // the larger of commit charge and working set
    double privateBytes = 0;  // the commit charge; Wine leaves PrivateUsage 0
    DWORD handles = 0;
    double cpuSeconds = 0;    // user and kernel time
};
ProcessUsage UsageOf(HANDLE process);
ProcessUsage UsageOf(DWORD pid);

// The whole screen as a 24-bit BMP file.
void SaveScreen(const std::wstring& path);

// A fresh empty folder under the build folder's test area.
std::wstring FreshFolder(const std::wstring& name);

bool FileExists(const std::wstring& path);
std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);

// A file held open and unshared, as a sync client or an indexer may hold
// it, until released or destroyed.
class FileHold {
public:
    explicit FileHold(const std::wstring& path);
    ~FileHold() { Release(); }
    FileHold(const FileHold&) = delete;
    FileHold& operator=(const FileHold&) = delete;
    bool held() const { return handle_ != INVALID_HANDLE_VALUE; }
    void Release();

private:
    HANDLE handle_;
};

int EnvironmentNumber(const char* name, int fallback);

}  // namespace kelt::test

namespace kelt::test {

// One event of the simulator's log.
struct SimEvent {
    std::string event;  // "rx", "tx", "read", "open", "close", "control", "return", ...
    std::string line;   // received or sent line, for rx and tx
    double t = 0;       // seconds since the simulator started
    std::string raw;    // the whole JSON object
};

// The bytes of command lines as the panel must write them: each line, CR LF.
std::string CommandBytes(const Lines& lines);

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
    // Hands the simulator a control command; true once it has taken it.
    bool Control(const std::string& command);
    // Several commands in one write, as fast as the simulator takes them;
    // true once it has taken the last.
    bool Control(const std::vector<std::string>& commands);
    std::vector<SimEvent> Events() const;
    // How many events of the kind the log holds so far.
    size_t Count(const std::string& event) const;
    // Waits until the log holds at least `count` events of the kind.
    bool WaitForEvent(const std::string& event, size_t count = 1,
                      std::chrono::milliseconds timeout = 10s) const;
    // Waits until an event in the log matches.
    bool WaitForEventWhere(const std::function<bool(const SimEvent&)>& match,
                           std::chrono::milliseconds timeout = 10s) const;
    // The command lines received: the bytes split at each CR LF, so that a
    // wrong line end or a stray byte shows as a line that differs.
    Lines ReceivedLines() const;
    // Every byte the instrument received, in order, as it came off the line.
    std::string ReceivedBytes() const;
    // When each command line was complete at the instrument, in seconds.
    std::vector<double> ReceivedTimes() const;
    // Waits until at least count lines were received; returns them.
    Lines WaitForReceived(size_t count, std::chrono::milliseconds timeout) const;
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
// A key pressed and let go on the control, as often as asked; posted like
// the keyboard's own messages, so they are handled in order with clicks.
void PressKey(HWND control, WPARAM key, int times = 1);

// List box lines, read across processes.
LRESULT ListCount(HWND list);
std::wstring ListText(HWND list, LRESULT index);
std::vector<std::wstring> ListLines(HWND list);

// Layout: a child's rectangle in its parent's client area, and a rectangle
// in dialog units as the window converts it.
RECT RectInParent(HWND child);
RECT DialogUnits(HWND dialog, int x, int y, int w, int h);
std::wstring Lower(std::wstring text);

}  // namespace kelt::test
