#pragma once
// The terminal under test: the real keltterm.exe started in a working
// folder of its own, its port prompt answered, and its window driven from
// outside as a user drives it. The instrument on the far end of the line is
// the test's own Simulator.

#include <memory>
#include <string>

#include "kelt_version.h"
#include "platform/win/text.h"
#include "wine_harness.h"

namespace kelt::test {

// The terminal's caption before the port, and its port prompt's.
inline const std::wstring kTerminalCaption = platform::AnsiToWide(KELT_TERMINAL_TITLE);
inline const std::wstring kPortPromptCaption = L"Choose your active COM port";

// Types the answer into a port prompt's edit box and presses the button.
bool AnswerPortPrompt(HWND prompt, const std::wstring& answer, int button = IDOK);

class TerminalUnderTest {
public:
    // In a fresh folder of that name; the program starts with Launch or Open.
    explicit TerminalUnderTest(const std::wstring& folderName);
    TerminalUnderTest(const TerminalUnderTest&) = delete;
    TerminalUnderTest& operator=(const TerminalUnderTest&) = delete;

    const std::wstring folder;
    const std::wstring programPath;
    HWND window = nullptr;  // the terminal window, once Open has found it

    bool Launch();
    HWND WaitForPrompt(std::chrono::milliseconds timeout = 20s) const;
    // Waits for the prompt, answers it and presses the button.
    bool AnswerPrompt(const std::wstring& answer, int button = IDOK) const;
    // Launched (unless it runs), the prompt answered with the port, and the
    // window with that port in its caption shown.
    bool Open(int port);
    DWORD pid() const;
    DWORD WaitExit(std::chrono::milliseconds timeout = 15s);
    // The Quit button or the close box, then the exit code.
    DWORD Quit();
    DWORD Close();

    HWND Item(int id) const { return GetDlgItem(window, id); }
    HWND List() const;
    HWND Edit() const;
    HWND EchoOffCheck() const;
    LRESULT ListCount() const { return test::ListCount(List()); }
    std::wstring ListText(LRESULT index) const { return test::ListText(List(), index); }
    std::wstring LastListLine() const { return ListText(ListCount() - 1); }
    bool ListGrowsTo(LRESULT count, std::chrono::milliseconds timeout = 10s) const;
    // The text put into the edit box, with the focus there.
    void Type(const std::wstring& text) const;
    // Enter in the edit box, as a user sends the line.
    void Enter() const;
    void SendTyped(const std::wstring& text) const {
        Type(text);
        Enter();
    }
    // The echo box clicked; true once it shows the state asked for.
    bool SetEchoOff(bool off) const;
    bool Answers(std::chrono::milliseconds timeout = 15s) const { return test::Answers(window, timeout); }

    // CPU over a stretch of time (percent of one core) and resident memory
    // of this terminal, found by its whole path.
    double CpuPercentOver(std::chrono::milliseconds wall) const;
    double ResidentBytes() const;

private:
    std::unique_ptr<RunningProgram> program_;
};

}  // namespace kelt::test
