#include "panel_fixture.h"

#include <commctrl.h>

#include "panel/control_ids.h"

namespace kelt::test {

bool FocusControl(HWND panel, int id, std::chrono::milliseconds timeout) {
    HWND control = GetDlgItem(panel, id);
    PostMessageW(panel, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    return WaitUntil([&] { return FocusOf(panel) == control; }, timeout);
}

bool TypeAndEnter(HWND panel, int id, const std::wstring& text) {
    if (!FocusControl(panel, id)) return false;
    HWND box = GetDlgItem(panel, id);
    if (Ask(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())) == -1) return false;
    PressKey(box, VK_RETURN);
    return true;
}

PanelUnderTest::PanelUnderTest(const std::wstring& folderName, const std::wstring& simArguments)
    : PanelUnderTest(PanelSetup{.folder = FreshFolder(folderName), .simArguments = simArguments}) {}

namespace {

// Built in place: a simulator is neither copied nor moved.
Simulator InstrumentFor(const PanelSetup& setup) {
    if (!setup.windowsSimulator.empty())
        return Simulator(ComPair{16, setup.port}, setup.simArguments, setup.windowsSimulator);
    return Simulator(setup.port, setup.simArguments);
}

}  // namespace

PanelUnderTest::PanelUnderTest(PanelSetup setup)
    : sim(InstrumentFor(setup)),
      folder(setup.folder),
      programPath(setup.program.empty() ? BuildPath(L"keltpanel.exe") : setup.program) {}

bool PanelUnderTest::Launch() {
    window = nullptr;
    program_.reset();
    launchedAt_ = taken_ = sim.ReceivedLines().size();
    program_ = std::make_unique<RunningProgram>(programPath, folder);
    return program_->started();
}

bool PanelUnderTest::WaitForWindow(std::chrono::milliseconds timeout) {
    window = program_ ? test::WaitForWindow(pid(), kPanelCaption, timeout) : nullptr;
    return window != nullptr;
}

bool PanelUnderTest::WaitForUpload(size_t lines, std::chrono::milliseconds timeout) {
    taken_ = launchedAt_ + lines;
    return sim.WaitForReceived(taken_, timeout).size() >= taken_;
}

bool PanelUnderTest::Start(size_t uploadLines) {
    return Launch() && WaitForWindow() && WaitForUpload(uploadLines);
}

DWORD PanelUnderTest::pid() const { return program_ ? program_->pid() : 0; }

DWORD PanelUnderTest::WaitExit(std::chrono::milliseconds timeout) {
    return program_ ? program_->WaitExit(timeout) : STILL_ACTIVE;
}

DWORD PanelUnderTest::Quit(std::chrono::milliseconds timeout) {
    Click(id::QuitButton);
    return WaitExit(timeout);
}

DWORD PanelUnderTest::Close(std::chrono::milliseconds timeout) {
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    return WaitExit(timeout);
}

Lines PanelUnderTest::Upload() const {
    const Lines all = sim.ReceivedLines();
    return all.size() > launchedAt_ ? Lines(all.begin() + static_cast<long>(launchedAt_), all.end()) : Lines{};
}

Lines PanelUnderTest::NextLines(size_t count, std::chrono::milliseconds timeout) {
    const Lines all = sim.WaitForReceived(taken_ + count, timeout);
    if (all.size() <= taken_) return {};
    const Lines next(all.begin() + static_cast<long>(taken_), all.end());
    taken_ = all.size();
    return next;
}

bool PanelUnderTest::WaitForText(int id, const std::wstring& text, std::chrono::milliseconds timeout) const {
    return WaitUntil([&] { return Text(id) == text; }, timeout);
}

bool PanelUnderTest::MoveSlider(int id, int position) const {
    HWND slider = Item(id);
    return Ask(slider, TBM_SETPOS, TRUE, position, 15s) != -1 &&
           Ask(window, WM_VSCROLL, SB_THUMBPOSITION, reinterpret_cast<LPARAM>(slider), 15s) != -1;
}

HWND PanelUnderTest::WaitForDialog(const std::wstring& caption, std::chrono::milliseconds timeout) const {
    return test::WaitForWindow(pid(), caption, timeout);
}

bool PanelUnderTest::ChooseFile(const std::wstring& title, const std::wstring& name) const {
    HWND dialog = WaitForDialog(title);
    if (dialog == nullptr) return false;
    HWND nameBox = GetDlgItem(dialog, 1148);  // the file name combo box
    HWND edit = FindWindowExW(nameBox, nullptr, L"Edit", nullptr);
    Ask(edit != nullptr ? edit : nameBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    // Windows confirms the creation of a new file in a box the dialog owns;
    // Wine's dialog saves at once. Either way the dialog goes.
    HWND question = nullptr;
    if (!WaitUntil(
            [&] {
                question = OtherWindowOf(pid(), {window, dialog});
                if (question != nullptr && GetWindow(question, GW_OWNER) != dialog) question = nullptr;
                return question != nullptr || !IsWindow(dialog);
            },
            20s))
        return false;
    if (question != nullptr) PostMessageW(question, WM_COMMAND, IDYES, 0);
    return WaitUntil([&] { return !IsWindow(dialog); }, 20s);
}

bool PanelUnderTest::AnswerPortDialog(const wchar_t* typed, int button) const {
    HWND dialog = WaitForDialog(kPortDialogCaption, 10s);
    if (dialog == nullptr) return false;
    if (typed != nullptr) SetWindowTextW(GetDlgItem(dialog, id::PortListCombo), typed);
    test::Click(dialog, button);
    return WaitUntil([&] { return !IsWindow(dialog); }, 10s) && Answers(5s);
}

double PanelUnderTest::CpuPercentOver(std::chrono::milliseconds wall) const {
    return test::CpuPercentOver(std::string(programPath.begin(), programPath.end()), wall);
}

double PanelUnderTest::PeakResidentBytes() const {
    return UnixPeakResidentBytes(std::string(programPath.begin(), programPath.end()));
}

double PanelUnderTest::ResidentBytes() const {
    return UnixResidentBytes(std::string(programPath.begin(), programPath.end()));
}

}  // namespace kelt::test
