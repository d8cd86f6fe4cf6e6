// The terminal window built in this process: its layout, its keys, sending
// through a pipe that stands in for the serial line, and incoming lines
// handed over from another thread.

#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "terminal/win/terminal_link.h"
#include "terminal/terminal_rules.h"
#include "terminal/win/terminal_state.h"
#include "terminal/win/terminal_window.h"
#include "terminal_fixture.h"

namespace kelt::term {
namespace {

using namespace std::chrono_literals;
using test::ClassNameOf;
using test::Lower;
using test::WindowText;

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

class TerminalWindow : public ::testing::Test {
protected:
    void SetUp() override {
        // A pipe stands in for the port: what the window sends comes out of lineOut_.
        HANDLE readEnd = nullptr;
        HANDLE writeEnd = nullptr;
        ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 1 << 16));
        lineOut_.reset(readEnd);
        state_.termPort->Adopt(platform::UniqueHandle(writeEnd));
        window_ = BuildTerminalWindow(state_, WindowCaption("3"));
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override {
        if (IsWindow(window_)) DestroyWindow(window_);
        PumpMessages();
    }

    HWND Item(int id) const { return GetDlgItem(window_, id); }
    std::vector<std::wstring> ListLines() const { return test::ListLines(Item(id::TrafficList)); }
    LRESULT Selected() const { return SendMessageW(Item(id::TrafficList), LB_GETCURSEL, 0, 0); }
    // Everything written to the line so far.
    std::string LineBytes() const {
        std::string bytes;
        DWORD available = 0;
        while (PeekNamedPipe(lineOut_.get(), nullptr, 0, nullptr, &available, nullptr) &&
               available > 0) {
            std::string chunk(available, '\0');
            DWORD got = 0;
            if (!ReadFile(lineOut_.get(), chunk.data(), available, &got, nullptr)) break;
            bytes.append(chunk, 0, got);
        }
        return bytes;
    }
    void Type(const std::wstring& text) { SetWindowTextW(Item(id::SendTextEdit), text.c_str()); }
    void ClickSend() {
        SendMessageW(window_, WM_COMMAND, MAKEWPARAM(id::SendTextButton, BN_CLICKED),
                     reinterpret_cast<LPARAM>(Item(id::SendTextButton)));
    }
    // A key as the program's message loop would hand it to the dialog manager.
    bool DialogKey(UINT message, WPARAM key, LPARAM flags, HWND target) {
        MSG msg{target, message, key, flags, GetTickCount(), {}};
        return IsDialogMessageW(window_, &msg) != FALSE;
    }

    TerminalState state_;
    platform::UniqueHandle lineOut_;
    HWND window_ = nullptr;
};

TEST_F(TerminalWindow, FrameCaptionStylesFontAndSize) {
    EXPECT_EQ(WindowText(window_), test::kTerminalCaption + L"   COM3");
    EXPECT_EQ(state_.termWindow, window_);
    EXPECT_EQ(GetParent(window_), nullptr);
    EXPECT_EQ(GetWindow(window_, GW_OWNER), nullptr);
    EXPECT_FALSE(IsWindowVisible(window_)) << "created hidden, shown when run";
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE));
    // Windows clips every top-level window's siblings and gives every dialog
    // the 3-D look by itself.
    EXPECT_EQ(style & ~static_cast<DWORD>(WS_CLIPSIBLINGS | DS_3DLOOK),
              static_cast<DWORD>(WS_POPUP | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU |
                                 WS_MINIMIZEBOX | DS_CENTER | DS_SETFONT))
        << std::hex << style;
    // Windows itself adds the edge that goes with a caption; nothing else.
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE));
    EXPECT_EQ(exStyle & ~static_cast<DWORD>(WS_EX_WINDOWEDGE | WS_EX_CONTROLPARENT), 0u)
        << std::hex << exStyle;

    RECT client;
    GetClientRect(window_, &client);
    const RECT full = test::DialogUnits(window_, 0, 0, 330, 203);
    EXPECT_EQ(client.right, full.right);
    EXPECT_EQ(client.bottom, full.bottom);

    // Centred on the screen's work area.
    RECT outer, work;
    GetWindowRect(window_, &outer);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((outer.left + outer.right) / 2, (work.left + work.right) / 2, 2);
    EXPECT_NEAR((outer.top + outer.bottom) / 2, (work.top + work.bottom) / 2, 2);

    // Icon 102 of the program that builds the window, large and small.
    const auto icon = reinterpret_cast<LRESULT>(LoadImageW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(102), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
        GetSystemMetrics(SM_CYICON), LR_SHARED));
    ASSERT_NE(icon, 0) << "the test program carries icon 102";
    EXPECT_EQ(SendMessageW(window_, WM_GETICON, ICON_BIG, 0), icon);
    EXPECT_NE(SendMessageW(window_, WM_GETICON, ICON_SMALL, 0), 0);

    auto font = reinterpret_cast<HFONT>(SendMessageW(window_, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTW log{};
    GetObjectW(font, sizeof log, &log);
    EXPECT_STREQ(log.lfFaceName, L"MS Sans Serif");
    EXPECT_EQ(log.lfWeight, FW_NORMAL);
    EXPECT_FALSE(log.lfItalic);
    HDC dc = GetDC(window_);
    EXPECT_EQ(log.lfHeight, -MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72));
    ReleaseDC(window_, dc);
}

TEST_F(TerminalWindow, SevenControlsInTabOrderWithIdsTextsStylesAndPlaces) {
    struct Expected {
        int id;
        const wchar_t* className;
        const wchar_t* text;
        int x, y, w, h;
        DWORD style;
    };
    constexpr DWORD child = WS_CHILD | WS_VISIBLE;
    constexpr DWORD tab = WS_GROUP | WS_TABSTOP;
    const Expected expected[] = {
        {-1, L"Static", L"<==out   DATA   in==>      ", 9, 5, 100, 10, child},
        {101, L"ListBox", L"", 9, 15, 313, 133,
         child | WS_BORDER | WS_VSCROLL | tab | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
             LBS_WANTKEYBOARDINPUT | LBS_DISABLENOSCROLL},
        {-1, L"Static", L"Te&xt to send", 9, 151, 100, 10, child},
        {102, L"Edit", L"", 9, 161, 257, 12, child | WS_BORDER | tab | ES_AUTOHSCROLL | ES_NOHIDESEL},
        {103, L"Button", L"Send &Text", 273, 160, 50, 14, child | BS_DEFPUSHBUTTON | tab},
        {106, L"Button", L"&Quit", 273, 182, 50, 14, child | BS_PUSHBUTTON | tab},
        {107, L"Button", L"Disable Local &Echo", 252, 5, 70, 10,
         child | BS_AUTOCHECKBOX | BS_LEFTTEXT | tab},
    };
    const auto children = test::ChildrenInOrder(window_);
    ASSERT_EQ(children.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const Expected& want = expected[i];
        SCOPED_TRACE(testing::Message() << "control " << i << " id " << want.id);
        HWND control = children[i];
        EXPECT_EQ(GetDlgCtrlID(control), want.id);
        EXPECT_EQ(Lower(ClassNameOf(control)), Lower(want.className));
        if (want.id != id::TrafficList) {
            EXPECT_EQ(WindowText(control), want.text);
        }
        // A bordered control may carry its border as the sunken client edge.
        DWORD style = static_cast<DWORD>(GetWindowLongPtrW(control, GWL_STYLE));
        const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(control, GWL_EXSTYLE));
        if (exStyle & WS_EX_CLIENTEDGE) style |= WS_BORDER;
        EXPECT_EQ(style, want.style) << std::hex << style << " vs " << want.style;
        EXPECT_EQ(exStyle & ~static_cast<DWORD>(WS_EX_CLIENTEDGE | WS_EX_NOPARENTNOTIFY), 0u);
        // The dialog manager converts position and size each on its own.
        RECT place{want.x, want.y, want.w, want.h};
        MapDialogRect(window_, &place);
        const RECT actual = test::RectInParent(control);
        EXPECT_EQ(actual.left, place.left);
        EXPECT_EQ(actual.top, place.top);
        EXPECT_EQ(actual.right - actual.left, place.right);
        EXPECT_EQ(actual.bottom - actual.top, place.bottom);
        EXPECT_EQ(SendMessageW(control, WM_GETFONT, 0, 0), SendMessageW(window_, WM_GETFONT, 0, 0));
    }
    // Tab runs through the five controls in creation order and wraps round.
    const int order[] = {101, 102, 103, 106, 107};
    HWND at = Item(101);
    for (size_t step = 1; step <= std::size(order); ++step) {
        at = GetNextDlgTabItem(window_, at, FALSE);
        EXPECT_EQ(GetDlgCtrlID(at), order[step % std::size(order)]) << "after step " << step;
    }
}

TEST_F(TerminalWindow, StartsWithOneListLineAnEmptyFocusedEditAndEchoOn) {
    EXPECT_EQ(ListLines(), std::vector<std::wstring>{L"Data I/O window..."});
    EXPECT_EQ(WindowText(Item(id::SendTextEdit)), L"");
    EXPECT_EQ(SendMessageW(Item(id::LocalEchoOffCheck), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    PumpMessages();
    EXPECT_EQ(GetFocus(), Item(id::SendTextEdit));
    EXPECT_EQ(SendMessageW(window_, DM_GETDEFID, 0, 0), MAKELRESULT(id::SendTextButton, DC_HASDEFID));
}

TEST_F(TerminalWindow, SendWritesTextAndCrLfListsItSelectedAndKeepsItSelected) {
    ShowWindow(window_, SW_SHOW);
    Type(L"AB");
    ClickSend();
    EXPECT_EQ(LineBytes(), "AB\r\n");
    EXPECT_EQ(ListLines().back(), L"<== AB");
    EXPECT_EQ(Selected(), 1);
    EXPECT_EQ(WindowText(Item(id::SendTextEdit)), L"AB") << "the text stays for another send";
    DWORD from = 9, to = 9;
    SendMessageW(Item(id::SendTextEdit), EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                 reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 2u);
    EXPECT_EQ(GetFocus(), Item(id::SendTextEdit));
    EXPECT_FALSE(state_.shared->termSending);

    Type(L"");
    ClickSend();
    EXPECT_EQ(LineBytes(), "\r\n") << "an empty box sends the line end alone";
    EXPECT_EQ(ListLines().back(), L"<== ");
    EXPECT_EQ(Selected(), 2);

    Type(std::wstring(1100, L'x'));
    ClickSend();
    const std::string longLine = LineBytes();
    EXPECT_EQ(longLine.size(), 1025u);
    EXPECT_TRUE(longLine == std::string(1023, 'x') + "\r\n");
    EXPECT_TRUE(ListLines().back() == L"<== " + std::wstring(1023, L'x'));
    EXPECT_EQ(ListLines().size(), 4u);
}

TEST_F(TerminalWindow, EchoOffSendsWithoutListing) {
    SendMessageW(Item(id::LocalEchoOffCheck), BM_SETCHECK, BST_CHECKED, 0);
    Type(L"CD");
    ClickSend();
    EXPECT_EQ(LineBytes(), "CD\r\n");
    EXPECT_EQ(ListLines().size(), 1u);
    SendMessageW(Item(id::LocalEchoOffCheck), BM_SETCHECK, BST_UNCHECKED, 0);
    ClickSend();
    EXPECT_EQ(LineBytes(), "CD\r\n");
    EXPECT_EQ(ListLines().back(), L"<== CD");
}

TEST_F(TerminalWindow, FailedWriteIsListedAsTransmissionErrorEvenWithEchoOff) {
    lineOut_.reset();  // nobody reads the line any more: every write fails
    Type(L"AB");
    ClickSend();
    EXPECT_EQ(ListLines().back(), L"<== Transmission Error!");
    SendMessageW(Item(id::LocalEchoOffCheck), BM_SETCHECK, BST_CHECKED, 0);
    ClickSend();
    EXPECT_EQ(ListLines(), (std::vector<std::wstring>{L"Data I/O window...",
                                                       L"<== Transmission Error!",
                                                       L"<== Transmission Error!"}));
    EXPECT_EQ(Selected(), 2);
    EXPECT_EQ(WindowText(Item(id::SendTextEdit)), L"AB");
    EXPECT_FALSE(state_.shared->termSending);
}

TEST_F(TerminalWindow, EnterAndMnemonicsGoThroughTheDialogManager) {
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    HWND edit = Item(id::SendTextEdit);
    HWND check = Item(id::LocalEchoOffCheck);
    Type(L"EN");

    // Enter in the edit box presses the default button.
    EXPECT_TRUE(DialogKey(WM_KEYDOWN, VK_RETURN, 0, edit));
    PumpMessages();
    EXPECT_EQ(LineBytes(), "EN\r\n");

    // Alt+X moves to the edit box, Alt+E toggles the echo box, Alt+T sends.
    SetFocus(Item(id::TermQuitButton));
    EXPECT_TRUE(DialogKey(WM_SYSCHAR, 'x', 1 << 29, GetFocus()));
    EXPECT_EQ(GetFocus(), edit);
    EXPECT_TRUE(DialogKey(WM_SYSCHAR, 'e', 1 << 29, edit));
    PumpMessages();
    EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_CHECKED);
    SetFocus(edit);
    EXPECT_TRUE(DialogKey(WM_SYSCHAR, 't', 1 << 29, edit));
    PumpMessages();
    EXPECT_EQ(LineBytes(), "EN\r\n");
    EXPECT_EQ(ListLines().size(), 2u) << "echo off: only the first send is listed";

    // Esc is not a way out; Alt+Q is.
    EXPECT_TRUE(DialogKey(WM_KEYDOWN, VK_ESCAPE, 0, edit));
    PumpMessages();
    EXPECT_TRUE(IsWindow(window_));
    EXPECT_TRUE(DialogKey(WM_SYSCHAR, 'q', 1 << 29, GetFocus()));
    PumpMessages();
    EXPECT_FALSE(IsWindow(window_));
}

TEST_F(TerminalWindow, FocusComesBackWhereItWasWhenTheWindowIsActivatedAgain) {
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    HWND quit = Item(id::TermQuitButton);
    SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(quit), TRUE);
    PumpMessages();
    ASSERT_EQ(GetFocus(), quit);
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                 nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    SetActiveWindow(other);
    SetFocus(other);
    PumpMessages();
    ASSERT_EQ(GetFocus(), other);
    SetForegroundWindow(window_);
    SetActiveWindow(window_);
    PumpMessages();
    EXPECT_EQ(GetFocus(), quit);
    DestroyWindow(other);
}

// More lines than the list can take at once: they are listed in turns, and
// the window answers between the turns (a user's click, a sent message).
TEST_F(TerminalWindow, IncomingLinesFromAnotherThreadAreListedInArrivalOrder) {
    constexpr int kLines = 2000;
    ShowWindow(window_, SW_SHOW);  // a list on the screen is what takes time
    auto receiver = std::async(std::launch::async, [this] {
        for (int i = 0; i < kLines; ++i)
            ShowIncomingLine(*state_.shared, window_, i % 500 == 7 ? std::string() : std::to_string(i));
    });
    std::atomic<bool> listed{false};
    auto prober = std::async(std::launch::async, [this, &listed] {
        double slowest = 0;
        while (!listed) {
            const auto asked = std::chrono::steady_clock::now();
            DWORD_PTR result = 0;
            SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &result);
            slowest = std::max(slowest, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - asked).count());
            std::this_thread::sleep_for(10ms);
        }
        return slowest;
    });
    // Sends interleave with the stream; each is listed where the window thread handled it.
    for (int i = 0; i < 5; ++i) {
        Type(L"S" + std::to_wstring(i));
        ClickSend();
        PumpMessages();
    }
    const auto start = std::chrono::steady_clock::now();
    while (receiver.wait_for(5ms) != std::future_status::ready) PumpMessages();
    PumpMessages();  // every turn, until the queue is empty
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s) << "the hand-over is too slow";
    listed = true;
    while (prober.wait_for(5ms) != std::future_status::ready) PumpMessages();
    // A turn takes 50 ms; the rest is a busy machine's allowance.
    EXPECT_LT(prober.get(), 250.0) << "ms the window took to answer while the lines were listed";
    const auto lines = ListLines();
    ASSERT_EQ(lines.size(), 1u + kLines + 5u);
    int next = 0;
    int sends = 0;
    for (size_t i = 1; i < lines.size(); ++i) {
        if (lines[i].rfind(L"<== ", 0) == 0) {
            EXPECT_EQ(lines[i], L"<== S" + std::to_wstring(sends++));
            continue;
        }
        const std::wstring want = next % 500 == 7 ? L"" : std::to_wstring(next);
        EXPECT_EQ(lines[i], L"==> " + want) << "line " << i;
        ++next;
    }
    EXPECT_EQ(next, kLines);
    EXPECT_EQ(Selected(), static_cast<LRESULT>(lines.size() - 1));
}

// The receiver hands lines over without waiting for the window: a window
// thread that is busy, or closing and no longer reading its messages, can
// never hold the receiver (and with it the program's exit) up.
TEST_F(TerminalWindow, ReceiverNeverWaitsForTheWindowThread) {
    auto done = std::async(std::launch::async, [this] {
        for (int i = 0; i < 500; ++i) ShowIncomingLine(*state_.shared, window_, "busy");
    });
    const bool finished = done.wait_for(3s) == std::future_status::ready;
    EXPECT_TRUE(finished) << "the receiver waited for a window thread that was not pumping";
    while (done.wait_for(10ms) != std::future_status::ready) PumpMessages();
    PumpMessages();
    EXPECT_EQ(ListLines().size(), 501u);

    // Once the window is gone, lines are dropped and nothing piles up.
    DestroyWindow(window_);
    ShowIncomingLine(*state_.shared, window_, "late");
    EXPECT_TRUE(state_.shared->incoming.Empty());
}

TEST_F(TerminalWindow, ReceiverStopsPromptlyAndIsReleased) {
    ASSERT_TRUE(StartReceiver(state_));
    std::this_thread::sleep_for(150ms);  // on purpose: the receiver is well into its wait for bytes
    const auto start = std::chrono::steady_clock::now();
    StopReceiver(state_);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 500ms);
    EXPECT_TRUE(state_.shared->termStopReceiver);
    EXPECT_FALSE(state_.termReceiverThread.started()) << "joined, and not waited for again";
}

}  // namespace
}  // namespace kelt::term
