#include "wine_harness.h"

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdlib>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace kelt::test {

std::wstring BuildPath(const wchar_t* relative) {
    std::filesystem::path path(KELT_BUILD_DIR);
    return (path / relative).wstring();
}

std::chrono::milliseconds Stretched(std::chrono::milliseconds timeout) {
    static const int factor = std::max(1, EnvironmentNumber("KELT_TIMEOUT_FACTOR", 1));
    return timeout * factor;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout,
               std::chrono::milliseconds interval) {
    const auto deadline = std::chrono::steady_clock::now() + Stretched(timeout);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(interval);
    }
    return true;
}

RunningProgram::RunningProgram(const std::wstring& exe, const std::wstring& workingDir,
                               const std::wstring& arguments) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
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
    if (WaitForSingleObject(info_.hProcess, static_cast<DWORD>(Stretched(timeout).count())) != WAIT_OBJECT_0)
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
    bool hiddenToo = false;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (search->pid != 0 && pid != search->pid) return TRUE;
    if (!search->hiddenToo && !IsWindowVisible(window)) return TRUE;
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

HWND ExistingWindow(DWORD pid, const std::wstring& captionPrefix) {
    WindowSearch search{pid, &captionPrefix, nullptr, true};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForWindow(DWORD pid, const std::wstring& captionPrefix,
                   std::chrono::milliseconds timeout) {
    WindowSearch search{pid, &captionPrefix, nullptr};
    // A program that has ended shows no window any more: no use waiting on.
    HANDLE process = pid != 0 ? OpenProcess(SYNCHRONIZE, FALSE, pid) : nullptr;
    WaitUntil(
        [&] {
            EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr ||
                   (process != nullptr && WaitForSingleObject(process, 0) == WAIT_OBJECT_0);
        },
        timeout, 50ms);
    if (process != nullptr) CloseHandle(process);
    return search.found;
}

namespace {
struct OtherWindowSearch {
    DWORD pid;
    const std::vector<HWND>* known;
    HWND found;
};

BOOL CALLBACK MatchOtherWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<OtherWindowSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->pid || !IsWindowVisible(window)) return TRUE;
    for (HWND known : *search->known)
        if (known == window) return TRUE;
    search->found = window;
    return FALSE;
}
}  // namespace

HWND OtherWindowOf(DWORD pid, const std::vector<HWND>& known) {
    OtherWindowSearch search{pid, &known, nullptr};
    EnumWindows(MatchOtherWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
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

HWND ChildOfClass(HWND parent, const std::wstring& className) {
    for (HWND child : ChildrenInOrder(parent))
        if (_wcsicmp(ClassNameOf(child).c_str(), className.c_str()) == 0) return child;
    return nullptr;
}

bool HasChildWithText(HWND parent, const std::wstring& text) {
    const std::vector<HWND> children = ChildrenInOrder(parent);
    return std::any_of(children.begin(), children.end(),
                       [&](HWND child) { return WindowText(child) == text; });
}

LRESULT Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
            std::chrono::milliseconds timeout) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL,
                             static_cast<UINT>(Stretched(timeout).count()), &result))
        return -1;
    return static_cast<LRESULT>(result);
}

bool Answers(HWND window, std::chrono::milliseconds timeout) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL,
                               static_cast<UINT>(Stretched(timeout).count()), &ignored) != 0;
}

bool WaitForPainting(HWND window, std::chrono::milliseconds timeout) {
    return WaitUntil(
        [&] {
            if (!IsWindow(window) || GetUpdateRect(window, nullptr, FALSE)) return false;
            for (HWND child : ChildrenInOrder(window))
                if (IsWindowVisible(child) && GetUpdateRect(child, nullptr, FALSE)) return false;
            return true;
        },
        timeout);
}

namespace {

// The /proc folder of the Linux process that runs the named Windows program.
std::filesystem::path UnixProcessOf(const std::string& programName) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(L"Z:\\proc", error)) {
        const std::wstring pid = entry.path().filename().wstring();
        if (pid.empty() || pid.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
        std::ifstream cmdline((entry.path() / L"cmdline").wstring().c_str(), std::ios::binary);
        const std::string command((std::istreambuf_iterator<char>(cmdline)), {});
        if (command.find(programName) != std::string::npos &&
            command.find("wine_tests") == std::string::npos)
            return entry.path();
    }
    return {};
}

}  // namespace

double UnixCpuSeconds(const std::string& programName) {
    const std::filesystem::path process = UnixProcessOf(programName);
    if (process.empty()) return -1;
    std::ifstream statFile((process / L"stat").wstring().c_str());
    const std::string stat((std::istreambuf_iterator<char>(statFile)), {});
    const size_t afterName = stat.rfind(')');
    if (afterName == std::string::npos) return -1;
    std::istringstream fields(stat.substr(afterName + 2));
    std::string field;
    double ticks = 0;
    for (int index = 3; fields >> field; ++index) {
        if (index == 14 || index == 15) ticks += std::atof(field.c_str());
        if (index == 15) break;
    }
    return ticks / 100.0;  // the kernel's clock ticks
}

double CpuPercentOver(const std::string& programName, std::chrono::milliseconds wall) {
    const double before = UnixCpuSeconds(programName);
    std::this_thread::sleep_for(wall);  // the stretch measured: time passes on purpose
    const double after = UnixCpuSeconds(programName);
    if (before < 0 || after < 0) return -1;
    return 100.0 * (after - before) / std::chrono::duration<double>(wall).count();
}

namespace {

// A "Vm...:" figure of /proc/PID/status, given there in kB.
double UnixMemoryFigure(const std::string& programName, const std::string& field) {
    const std::filesystem::path process = UnixProcessOf(programName);
    if (process.empty()) return 0;
    std::ifstream status((process / L"status").wstring().c_str());
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return 1024.0 * std::atof(line.c_str() + field.size());
    return 0;
}

}  // namespace

double UnixResidentBytes(const std::string& programName) {
    return UnixMemoryFigure(programName, "VmRSS:");
}

double UnixPeakResidentBytes(const std::string& programName) {
    return UnixMemoryFigure(programName, "VmHWM:");
}

namespace {
double FileTimeSeconds(const FILETIME& time) {
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    return static_cast<double>(value.QuadPart) / 1e7;
}
}  // namespace

ProcessUsage UsageOf(HANDLE process) {
    ProcessUsage usage;
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(process, &counters, sizeof counters)) {
        usage.privateBytes = static_cast<double>(counters.PagefileUsage);
        usage.memoryBytes = static_cast<double>(std::max(counters.PagefileUsage, counters.WorkingSetSize));
    }
    GetProcessHandleCount(process, &usage.handles);
    FILETIME created, ended, kernel, user;
    if (GetProcessTimes(process, &created, &ended, &kernel, &user))
        usage.cpuSeconds = FileTimeSeconds(kernel) + FileTimeSeconds(user);
    return usage;
}

ProcessUsage UsageOf(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (process == nullptr) return {};
    const ProcessUsage usage = UsageOf(process);
    CloseHandle(process);
    return usage;
}

void SaveScreen(const std::wstring& path) {
    HDC screen = GetDC(nullptr);
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER info{sizeof info, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const DWORD rowBytes = ((static_cast<DWORD>(width) * 3 + 3) & ~3u);
    std::string pixels(rowBytes * static_cast<DWORD>(height), '\0');
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
              reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    const DWORD headers = sizeof(BITMAPFILEHEADER) + sizeof info;
    BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(headers + pixels.size()), 0, 0, headers};
    std::ofstream out(path.c_str(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

std::wstring FreshFolder(const std::wstring& name) {
    // A user without write access to the build folder names its own area.
    const char* area = std::getenv("KELT_TEST_AREA");
    std::filesystem::path path = area != nullptr
                                     ? std::filesystem::path(std::string("Z:") + area) / name
                                     : std::filesystem::path(KELT_BUILD_DIR) / L"test-area" / name;
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
    std::filesystem::create_directories(path);
    std::wstring windowsPath = path.wstring();
    for (wchar_t& c : windowsPath)
        if (c == L'/') c = L'\\';
    return windowsPath;
}

}  // namespace kelt::test

namespace kelt::test {
namespace {

// The Linux path of a Z: path, for the simulator's arguments.
std::string UnixPath(const std::wstring& windowsPath) {
    std::wstring path = windowsPath;
    if (path.size() > 2 && (path[0] == L'Z' || path[0] == L'z') && path[1] == L':') path.erase(0, 2);
    for (wchar_t& c : path)
        if (c == L'\\') c = L'/';
    return std::string(path.begin(), path.end());
}

std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// The string value of a key in one JSON object of the simulator's log.
std::string JsonText(const std::string& object, const std::string& key) {
    const std::string marker = "\"" + key + "\":\"";
    size_t at = object.find(marker);
    if (at == std::string::npos) return {};
    std::string value;
    for (at += marker.size(); at < object.size() && object[at] != '"'; ++at) {
        if (object[at] != '\\' || at + 1 >= object.size()) {
            value += object[at];
            continue;
        }
        const char escaped = object[++at];
        switch (escaped) {
            case 'n': value += '\n'; break;
            case 'r': value += '\r'; break;
            case 't': value += '\t'; break;
            case 'u':
                value += static_cast<char>(std::stoi(object.substr(at + 1, 4), nullptr, 16));
                at += 4;
                break;
            default: value += escaped;
        }
    }
    return value;
}

double JsonNumber(const std::string& object, const std::string& key) {
    const std::string marker = "\"" + key + "\":";
    const size_t at = object.find(marker);
    return at == std::string::npos ? 0.0 : std::atof(object.c_str() + at + marker.size());
}

}  // namespace

namespace {

// A Linux program started from a Windows one: Wine runs it as it is.
bool StartUnixProgram(const std::string& unixPath, const std::wstring& arguments) {
    std::wstring program = L"Z:" + Widen(unixPath);
    for (wchar_t& c : program)
        if (c == L'/') c = L'\\';
    std::wstring command = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return false;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return true;
}

std::string DosDevice(int comNumber) {
    return EnvironmentValue("WINEPREFIX") + "/dosdevices/com" + std::to_string(comNumber);
}

}  // namespace

std::wstring Simulator::Prepare() {
    static int serial = 0;
    const std::wstring folder = FreshFolder(L"sim-" + std::to_wstring(GetCurrentProcessId()) +
                                            L"-" + std::to_wstring(++serial));
    log_ = folder + L"/sim.log";
    control_ = folder + L"/sim.control";
    std::ofstream(control_.c_str()).close();
    return folder;
}

void Simulator::WaitForStart() { ready_ = WaitForEvent("start", 1, 10s); }

Simulator::Simulator(ComPair pair, const std::wstring& extraArguments, const std::wstring& program) {
    const std::wstring folder = Prepare();
    std::string ptyPair = EnvironmentValue("KELT_PTY_PAIR");
    if (ptyPair.empty()) ptyPair = UnixPath(Widen(KELT_SOURCE_DIR)) + "/build/native/pty_pair";
    pairStop_ = folder + L"/pair.stop";
    const std::wstring pairReady = folder + L"/pair.ready";
    if (!StartUnixProgram(ptyPair, Widen(DosDevice(pair.simulatorPort)) + L" " +
                                       Widen(DosDevice(pair.programPort)) + L" --stop-file " +
                                       Widen(UnixPath(pairStop_)) + L" --ready-file " +
                                       Widen(UnixPath(pairReady)) +
                                       // No test takes longer; a crashed one leaves no pair behind.
                                       L" --max-seconds 300") ||
        !WaitUntil([&] { return FileExists(pairReady); }, 10s))
        return;
    windowsBuild_ = std::make_unique<RunningProgram>(
        program.empty() ? BuildPath(L"sim/keltsim.exe") : program, folder,
        L"--port " + std::to_wstring(pair.simulatorPort) + L" --log \"" + log_ + L"\" --control \"" +
            control_ + L"\" " + extraArguments);
    if (windowsBuild_->started()) WaitForStart();
}

Simulator::Simulator(int comNumber, const std::wstring& extraArguments) {
    Prepare();
    std::string keltsim = EnvironmentValue("KELTSIM");
    if (keltsim.empty()) keltsim = UnixPath(Widen(KELT_SOURCE_DIR)) + "/build/native/sim/keltsim";
    if (!StartUnixProgram(keltsim, L"--link " + Widen(DosDevice(comNumber)) + L" --log " +
                                       Widen(UnixPath(log_)) + L" --control " +
                                       Widen(UnixPath(control_)) + L" " + extraArguments))
        return;
    WaitForStart();
}

Simulator::~Simulator() {
    if (Control("quit")) WaitForEvent("stop", 1, 3s);
    if (windowsBuild_) windowsBuild_->WaitExit(3s);
    if (!pairStop_.empty()) std::ofstream(pairStop_.c_str()).close();
}

bool Simulator::Control(const std::string& command) { return Control(std::vector<std::string>{command}); }

bool Simulator::Control(const std::vector<std::string>& commands) {
    if (commands.empty()) return true;
    // The simulator logs each command it takes, once it has carried it out.
    const auto taken = [&] {
        size_t count = 0;
        for (const SimEvent& event : Events())
            if (event.event == "control" && JsonText(event.raw, "cmd") == commands.back()) ++count;
        return count;
    };
    const size_t before = taken();
    {
        std::ofstream control(control_.c_str(), std::ios::app | std::ios::binary);
        for (const std::string& command : commands) control << command << '\n';
    }
    return WaitUntil([&] { return taken() > before; }, 5s);
}

size_t Simulator::Count(const std::string& event) const {
    const std::vector<SimEvent> events = Events();
    return static_cast<size_t>(std::count_if(events.begin(), events.end(),
                                             [&](const SimEvent& e) { return e.event == event; }));
}

bool Simulator::WaitForEvent(const std::string& event, size_t count,
                             std::chrono::milliseconds timeout) const {
    return WaitUntil([&] { return Count(event) >= count; }, timeout);
}

bool Simulator::WaitForEventWhere(const std::function<bool(const SimEvent&)>& match,
                                  std::chrono::milliseconds timeout) const {
    return WaitUntil(
        [&] {
            const std::vector<SimEvent> events = Events();
            return std::any_of(events.begin(), events.end(), match);
        },
        timeout);
}

std::vector<SimEvent> Simulator::Events() const {
    std::vector<SimEvent> events;
    std::ifstream log(log_.c_str(), std::ios::binary);
    std::string object;
    while (std::getline(log, object)) {
        if (object.empty() || object.back() != '}') continue;  // a line still being written
        SimEvent event;
        event.event = JsonText(object, "event");
        event.line = JsonText(object, "line");
        event.t = JsonNumber(object, "t");
        event.raw = object;
        events.push_back(std::move(event));
    }
    return events;
}

Lines Simulator::ReceivedLines() const {
    // Framed strictly at CR LF, unlike the instrument: a lone CR or LF, or a
    // stray byte between commands, stays in a line and fails the comparison.
    const std::string bytes = ReceivedBytes();
    Lines lines;
    size_t start = 0;
    for (size_t end = bytes.find("\r\n"); end != std::string::npos; end = bytes.find("\r\n", start)) {
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::string Simulator::ReceivedBytes() const {
    std::string bytes;
    for (const SimEvent& event : Events()) {
        if (event.event != "read") continue;
        const std::string hex = JsonText(event.raw, "hex");
        for (size_t i = 0; i + 1 < hex.size(); i += 2)
            bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

std::vector<double> Simulator::ReceivedTimes() const {
    std::vector<double> times;
    for (const SimEvent& event : Events())
        if (event.event == "rx") times.push_back(event.t);
    return times;
}

std::string CommandBytes(const Lines& lines) {
    std::string bytes;
    for (const std::string& line : lines) bytes += line + "\r\n";
    return bytes;
}

Lines Simulator::WaitForReceived(size_t count, std::chrono::milliseconds timeout) const {
    Lines lines;
    WaitUntil(
        [&] {
            lines = ReceivedLines();
            return lines.size() >= count;
        },
        timeout, 50ms);
    return lines;
}

}  // namespace kelt::test

namespace kelt::test {

std::wstring ItemText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

int SliderPos(HWND dialog, int id) {
    return static_cast<int>(SendDlgItemMessageW(dialog, id, TBM_GETPOS, 0, 0));
}

bool IsChecked(HWND dialog, int id) {
    return SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool IsEnabledItem(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

std::vector<std::wstring> ComboItems(HWND combo) {
    std::vector<std::wstring> items;
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        items.emplace_back(text);
    }
    return items;
}

void Click(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void PressKey(HWND control, WPARAM key, int times) {
    for (int i = 0; i < times; ++i) {
        PostMessageW(control, WM_KEYDOWN, key, 1);
        PostMessageW(control, WM_KEYUP, key, 0xC0000001);
    }
}

LRESULT ListCount(HWND list) { return Ask(list, LB_GETCOUNT); }

std::wstring ListText(HWND list, LRESULT index) {
    const LRESULT length = Ask(list, LB_GETTEXTLEN, static_cast<WPARAM>(index));
    if (length < 0) return L"<none>";
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    Ask(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

std::vector<std::wstring> ListLines(HWND list) {
    std::vector<std::wstring> lines;
    const LRESULT count = ListCount(list);
    for (LRESULT i = 0; i < count; ++i) lines.push_back(ListText(list, i));
    return lines;
}

RECT RectInParent(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

RECT DialogUnits(HWND dialog, int x, int y, int w, int h) {
    RECT r{x, y, x + w, y + h};
    MapDialogRect(dialog, &r);
    return r;
}

std::wstring Lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
    return text;
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFileBytes(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream(path.c_str(), std::ios::binary) << bytes;
}

FileHold::FileHold(const std::wstring& path)
    : handle_(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                          nullptr)) {}

void FileHold::Release() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

int EnvironmentNumber(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::atoi(value) : fallback;
}

}  // namespace kelt::test

