#include "terminal_fixture.h"

#include "terminal/win/terminal_window.h"

namespace kelt::test {

bool AnswerPortPrompt(HWND prompt, const std::wstring& answer, int button) {
    HWND edit = ChildOfClass(prompt, L"Edit");
    if (edit == nullptr || Ask(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(answer.c_str())) == -1)
        return false;
    Click(prompt, button);
    return true;
}

TerminalUnderTest::TerminalUnderTest(const std::wstring& folderName)
    : folder(FreshFolder(folderName)), programPath(BuildPath(L"terminal/keltterm.exe")) {}

bool TerminalUnderTest::Launch() {
    window = nullptr;
    program_ = std::make_unique<RunningProgram>(programPath, folder);
    return program_->started();
}

HWND TerminalUnderTest::WaitForPrompt(std::chrono::milliseconds timeout) const {
    return program_ ? WaitForWindow(pid(), kPortPromptCaption, timeout) : nullptr;
}

bool TerminalUnderTest::AnswerPrompt(const std::wstring& answer, int button) const {
    HWND prompt = WaitForPrompt();
    return prompt != nullptr && AnswerPortPrompt(prompt, answer, button);
}

bool TerminalUnderTest::Open(int port) {
    if (!program_ && !Launch()) return false;
    if (!AnswerPrompt(std::to_wstring(port))) return false;
    window = WaitForWindow(pid(), kTerminalCaption + L"   COM", 20s);
    return window != nullptr;
}

DWORD TerminalUnderTest::pid() const { return program_ ? program_->pid() : 0; }

DWORD TerminalUnderTest::WaitExit(std::chrono::milliseconds timeout) {
    return program_ ? program_->WaitExit(timeout) : STILL_ACTIVE;
}

DWORD TerminalUnderTest::Quit() {
    Click(window, term::id::TermQuitButton);
    return WaitExit();
}

DWORD TerminalUnderTest::Close() {
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    return WaitExit();
}

HWND TerminalUnderTest::List() const { return Item(term::id::TrafficList); }
HWND TerminalUnderTest::Edit() const { return Item(term::id::SendTextEdit); }
HWND TerminalUnderTest::EchoOffCheck() const { return Item(term::id::LocalEchoOffCheck); }

bool TerminalUnderTest::ListGrowsTo(LRESULT count, std::chrono::milliseconds timeout) const {
    return WaitUntil([&] { return ListCount() >= count; }, timeout);
}

void TerminalUnderTest::Type(const std::wstring& text) const {
    Ask(Edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    Ask(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Edit()), TRUE);
}

void TerminalUnderTest::Enter() const { PostMessageW(Edit(), WM_KEYDOWN, VK_RETURN, 0x001C0001); }

bool TerminalUnderTest::SetEchoOff(bool off) const {
    PostMessageW(EchoOffCheck(), BM_CLICK, 0, 0);
    return WaitUntil([&] { return Ask(EchoOffCheck(), BM_GETCHECK) == (off ? BST_CHECKED : BST_UNCHECKED); }, 5s);
}

double TerminalUnderTest::CpuPercentOver(std::chrono::milliseconds wall) const {
    return test::CpuPercentOver(std::string(programPath.begin(), programPath.end()), wall);
}

double TerminalUnderTest::ResidentBytes() const {
    return UnixResidentBytes(std::string(programPath.begin(), programPath.end()));
}

}  // namespace kelt::test
