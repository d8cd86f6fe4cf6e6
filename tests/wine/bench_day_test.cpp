// End-to-end scenarios of a working day, driven only as a user would: clicks,
// keys, the menu and the file and port dialogs.

#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "panel/control_ids.h"
#include "wine_harness.h"

namespace kelt {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

const wchar_t kPanelCaption[] = L"Quillion Maritime Corp.        KELT-9R Control Panel";

class User {
public:
    User(DWORD pid, HWND panel) : pid_(pid), panel_(panel) {}
    void Click(int id) { test::Click(panel_, id); Sleep(300); }
    void TypeAndEnter(int id, const wchar_t* text) {
        HWND box = GetDlgItem(panel_, id);
        PostMessageW(panel_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(box), TRUE);
        Sleep(150);
        SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
        PostMessageW(box, WM_KEYDOWN, VK_RETURN, 1);
        PostMessageW(box, WM_KEYUP, VK_RETURN, 0xC0000001);
        Sleep(300);
    }
    void Menu(int id) { PostMessageW(panel_, WM_COMMAND, id, 0); }
    bool FileDialog(const wchar_t* title, const std::wstring& name) {
        HWND dialog = test::WaitForWindow(pid_, title, 20s);
        if (dialog == nullptr) return false;
        HWND nameBox = GetDlgItem(dialog, 1148);
        HWND edit = FindWindowExW(nameBox, nullptr, L"Edit", nullptr);
        SendMessageW(edit != nullptr ? edit : nameBox, WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(name.c_str()));
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        if (!test::WaitUntil([&] { return !IsWindow(dialog); }, 20s)) return false;
        // Windows asks before creating a new file; answer yes if it does.
        if (HWND question = test::OtherWindowOf(pid_, {panel_})) PostMessageW(question, WM_COMMAND, IDYES, 0);
        return true;
    }

private:
    DWORD pid_;
    HWND panel_;
};

size_t Count(const Lines& lines, const std::string& line) {
    return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
}

TEST(BenchDay, PatternUnitsScriptResetOpenQuitAndRestart) {
    const std::wstring folder = test::FreshFolder(L"bench-day");
    const std::wstring script = folder + L"\\shallow-school.scp";
    {
        test::Simulator sim(15, L"--rate 2");
        test::RunningProgram panel(test::BuildPath(L"keltpanel.exe"), folder);
        HWND window = test::WaitForWindow(panel.pid(), kPanelCaption, 30s);
        ASSERT_NE(window, nullptr);
        ASSERT_EQ(sim.WaitForReceived(10, 8s).size(), 10u);
        User user(panel.pid(), window);

        user.Click(id::FishEchoCheck);
        user.TypeAndEnter(id::OnPulsesEdit, L"4");
        user.TypeAndEnter(id::OffPulsesEdit, L"6");
        user.TypeAndEnter(id::FishDepthEdit, L"8.5");
        user.TypeAndEnter(id::FishLevelEdit, L"5");
        user.Click(id::FathomsOption);
        user.Menu(id::MenuSaveFile);
        ASSERT_TRUE(user.FileDialog(L"Save File", script));
        ASSERT_TRUE(test::WaitUntil([&] { return test::FileExists(script); }, 10s));

        user.Click(id::ResetButton);
        ASSERT_TRUE(test::WaitUntil([&] { return Count(sim.ReceivedLines(), "S") == 2; }, 10s));
        EXPECT_TRUE(test::IsChecked(window, id::FeetOption));
        EXPECT_FALSE(test::IsChecked(window, id::FishEchoCheck));

        user.Menu(id::MenuOpenFile);
        ASSERT_TRUE(user.FileDialog(L"Open File", script));
        ASSERT_TRUE(test::WaitUntil([&] { return Count(sim.ReceivedLines(), "S") == 3; }, 10s));
        const Lines lines = sim.ReceivedLines();
        const Lines reopened(lines.end() - 11, lines.end());
        EXPECT_EQ(reopened, (Lines{"~~~", "cF", "d300", "l255", "e6", "E4", "D85", "L189", "A", "a", "S"}));
        EXPECT_TRUE(test::IsChecked(window, id::FathomsOption));
        EXPECT_TRUE(test::IsChecked(window, id::FishEchoCheck));
        EXPECT_EQ(test::ItemText(window, id::OnPulsesEdit), L"4");

        user.Click(id::QuitButton);
        ASSERT_EQ(panel.WaitExit(10s), 0u);
    }
    // Next morning: the same folder, everything restored and sent again.
    test::Simulator sim(15, L"--rate 2");
    test::RunningProgram panel(test::BuildPath(L"keltpanel.exe"), folder);
    HWND window = test::WaitForWindow(panel.pid(), kPanelCaption, 30s);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(sim.WaitForReceived(11, 8s),
              (Lines{"~~~", "cF", "d300", "l255", "e6", "E4", "D85", "L189", "A", "a", "S"}));
    EXPECT_EQ(test::ItemText(window, id::BottomDepthLabel), L"Depth Fath");
    const std::string settings = test::ReadFileBytes(folder + L"\\KELT_9R.ini");
    EXPECT_NE(settings.find("Fish_Echo =  1 , 4 , 6\r\n"), std::string::npos) << settings;
    // The script's own (empty) "LastFileLoaded" line replaced its name.
    EXPECT_NE(settings.find("LastFileLoaded  = \r\n"), std::string::npos);
    test::Click(window, id::QuitButton);
    EXPECT_EQ(panel.WaitExit(10s), 0u);
}

TEST(BenchDay, PortChangeThroughTheMenuWhileLinesStream) {
    test::Simulator first(15, L"--rate 5"), second(2, L"--rate 5 --sounder-freq 38");
    ASSERT_TRUE(first.ready() && second.ready());
    test::RunningProgram panel(test::BuildPath(L"keltpanel.exe"), test::FreshFolder(L"bench-port-change"));
    HWND window = test::WaitForWindow(panel.pid(), kPanelCaption, 30s);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(test::WaitUntil([&] { return test::ItemText(window, id::MeasFreqBox) == L"50.00"; }, 10s));

    PostMessageW(window, WM_COMMAND, id::MenuCommPort, 0);
    HWND dialog = test::WaitForWindow(panel.pid(), L"KELT -9R COMM. PORT SELECT", 10s);
    ASSERT_NE(dialog, nullptr);
    SetWindowTextW(GetDlgItem(dialog, id::PortListCombo), L"COM2");
    test::Click(dialog, id::PortOkButton);
    EXPECT_TRUE(test::WaitUntil([&] { return test::ItemText(window, id::MeasFreqBox) == L"38.00"; }, 10s))
        << "the reader follows the new port without a restart";
    test::Click(window, id::QuitButton);
    EXPECT_EQ(panel.WaitExit(10s), 0u);
    EXPECT_NE(test::ReadFileBytes(test::BuildPath(L"test-area\\bench-port-change\\KELT_9R.ini"))
                  .find("Commport = 2\r\n"),
              std::string::npos);
}

}  // namespace
}  // namespace kelt
