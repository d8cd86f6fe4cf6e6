#pragma once
// The control panel under test: the real keltpanel.exe started in a
// working folder of its own against the simulated instrument, and driven
// from outside as a user drives it.

#include <memory>
#include <string>
#include <vector>

#include "wine_harness.h"

namespace kelt::test {

// The panel's caption up to its version, and its port dialog's caption.
inline const std::wstring kPanelCaption = L"Quillion Maritime Corp.        KELT-9R Control Panel";
inline const std::wstring kPortDialogCaption = L"KELT -9R COMM. PORT SELECT";
// What a panel without a settings file sends as it starts, and the pause
// after each of those lines but the last, in seconds.
inline const Lines kDefaultUpload{"~~~", "cf", "d300", "l255", "e", "D150", "L255", "A", "a", "S"};
inline const std::vector<double> kDefaultUploadPauses{3.0, 0.2, 0.1, 0.1, 0.1, 0.1, 0.1, 0.2, 0.2};
// How much later than its bytes came the simulator may log a line when the
// machine is busy, in seconds: a pause it sees between two lines looks that
// much shorter when it read the first of them late (4.8 ms has been seen on
// a busy two-core machine).
inline constexpr double kLineTimeJitter = 0.010;

// A panel window's controls driven as a user drives them, for any panel
// window: the fixture's, or one that a script started.
// Moves the focus as a click into the control would; true once it is there
// (a disabled control never takes it). Being posted, the move also comes
// after every click and key posted before it.
bool FocusControl(HWND panel, int id, std::chrono::milliseconds timeout = 10s);
// The focus moved to the box, the text put in and Enter pressed there. The
// text goes in as soon as the box has the focus: in a box that has it
// already, wait for what an Enter before did first.
bool TypeAndEnter(HWND panel, int id, const std::wstring& text);

// How the panel under test is set up; the defaults suit most tests.
struct PanelSetup {
    std::wstring folder = {};                 // the working folder (FreshFolder makes one)
    std::wstring simArguments = L"--rate 0";  // the instrument's
    int port = 15;                            // the instrument's COM port
    std::wstring program = {};                // default: this build's keltpanel.exe
    // A keltsim.exe (such as a package's) to be the instrument on COM16,
    // joined to the panel's port as by a null-modem cable; default: the
    // Linux simulator on a pty as the panel's port.
    std::wstring windowsSimulator = {};
};

class PanelUnderTest {
public:
    // In a fresh folder of that name, the instrument on COM15.
    explicit PanelUnderTest(const std::wstring& folderName, const std::wstring& simArguments = L"--rate 0");
    explicit PanelUnderTest(PanelSetup setup);
    PanelUnderTest(const PanelUnderTest&) = delete;
    PanelUnderTest& operator=(const PanelUnderTest&) = delete;

    Simulator sim;
    const std::wstring folder;
    const std::wstring programPath;
    HWND window = nullptr;  // the panel, once WaitForWindow has found it

    // Starts the program (again, after it ended); true once it runs.
    bool Launch();
    bool WaitForWindow(std::chrono::milliseconds timeout = 60s);
    // Waits for the start-up upload of that many lines since the launch.
    bool WaitForUpload(size_t lines = kDefaultUpload.size(), std::chrono::milliseconds timeout = 10s);
    // Launch, window and upload.
    bool Start(size_t uploadLines = kDefaultUpload.size());
    DWORD pid() const;
    // The exit code, or STILL_ACTIVE while it still runs after the time.
    DWORD WaitExit(std::chrono::milliseconds timeout = 10s);
    // Quit button or close box, then the exit code.
    DWORD Quit(std::chrono::milliseconds timeout = 10s);
    DWORD Close(std::chrono::milliseconds timeout = 10s);

    // The lines the instrument received since the launch.
    Lines Upload() const;
    // Waits until `count` lines have come after the upload and the lines
    // taken before; returns all that came since and takes them.
    Lines NextLines(size_t count, std::chrono::milliseconds timeout = 5s);

    HWND Item(int id) const { return GetDlgItem(window, id); }
    std::wstring Text(int id) const { return ItemText(window, id); }
    bool WaitForText(int id, const std::wstring& text, std::chrono::milliseconds timeout = 10s) const;
    void Click(int id) const { test::Click(window, id); }
    void Menu(int id) const { PostMessageW(window, WM_COMMAND, id, 0); }
    bool Focus(int id) const { return FocusControl(window, id); }
    void Key(int id, WPARAM key, int times = 1) const { PressKey(Item(id), key, times); }
    bool TypeAndEnter(int id, const std::wstring& text) const { return test::TypeAndEnter(window, id, text); }
    // A slider moved as a drag ending there; true once the panel has taken it.
    bool MoveSlider(int id, int position) const;
    bool Answers(std::chrono::milliseconds timeout = 15s) const { return test::Answers(window, timeout); }

    HWND WaitForDialog(const std::wstring& caption, std::chrono::milliseconds timeout = 20s) const;
    // Answers the open or save dialog of that title with a file name (and
    // yes to a question about creating it); true once the dialog is gone.
    bool ChooseFile(const std::wstring& title, const std::wstring& name) const;
    // Answers the port dialog: the text typed into its port box (unless
    // null) and a button clicked. True once that dialog is gone and the
    // panel has got past it; a dialog that the selection shows again exists
    // by then (created before anything else is handled, shown a little later).
    bool AnswerPortDialog(const wchar_t* typed, int button) const;

    // The settings file in the working folder.
    std::wstring SettingsPath() const { return folder + L"\\KELT_9R.ini"; }
    std::string SavedSettings() const { return ReadFileBytes(SettingsPath()); }

    // CPU of this panel over a stretch of time (percent of one core), and
    // its peak resident memory: found by its whole path.
    double CpuPercentOver(std::chrono::milliseconds wall) const;
    double PeakResidentBytes() const;
    double ResidentBytes() const;

private:
    std::unique_ptr<RunningProgram> program_;
    size_t launchedAt_ = 0;  // lines the instrument had when the program was started
    size_t taken_ = 0;       // lines handed out by Upload's wait and NextLines
};

}  // namespace kelt::test
