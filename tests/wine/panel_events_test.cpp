// The real panel driven as a user drives it: keys on the sliders, Enter in
// the box that has the focus, clicks on options, check boxes and buttons.

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "panel/control_ids.h"
#include "wine_harness.h"

namespace kelt {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

const wchar_t kPanelCaption[] = L"Quillion Maritime Corp.        KELT-9R Control Panel";

struct DrivenPanel {
    DrivenPanel(const std::wstring& folderName, bool fresh = true)
        : sim(15, L"--rate 0"),
          folder(fresh ? test::FreshFolder(folderName) : test::BuildPath(L"test-area\\") + folderName) {}
    bool Start(size_t uploadLines = 10) {
        program = std::make_unique<test::RunningProgram>(test::BuildPath(L"keltpanel.exe"), folder);
        window = test::WaitForWindow(program->pid(), kPanelCaption, 30s);
        return window != nullptr && sim.WaitForReceived(uploadLines, 8s).size() >= uploadLines;
    }
    // Lines the instrument received after the first `skip` ones.
    Lines After(size_t skip, size_t count) {
        Lines all = sim.WaitForReceived(skip + count, 5s);
        return all.size() > skip ? Lines(all.begin() + static_cast<long>(skip), all.end()) : Lines{};
    }
    void Focus(int id) {
        PostMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(window, id)), TRUE);
        Sleep(100);
    }
    void Key(int id, WPARAM key, int times = 1) {
        HWND control = GetDlgItem(window, id);
        for (int i = 0; i < times; ++i) {
            PostMessageW(control, WM_KEYDOWN, key, 1);
            PostMessageW(control, WM_KEYUP, key, 0xC0000001);
        }
    }
    void TypeAndEnter(int id, const wchar_t* text) {
        Focus(id);
        SendMessageW(GetDlgItem(window, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
        Key(id, VK_RETURN);
    }
    test::Simulator sim;
    std::wstring folder;
    std::unique_ptr<test::RunningProgram> program;
    HWND window = nullptr;
};

TEST(PanelEvents, ArrowKeysOnALevelSliderSendOneCommandPerNotification) {
    DrivenPanel panel(L"events-level-keys");
    ASSERT_TRUE(panel.Start());
    panel.Focus(id::BottomLevelSlider);
    panel.Key(id::BottomLevelSlider, VK_UP, 5);  // the minimum is at the top
    const Lines sent = panel.After(10, 10);
    // Each key press brings a line move and, on key up, an end-of-scroll
    // notification; both react and send.
    ASSERT_GE(sent.size(), 5u);
    EXPECT_EQ(sent.back(), "l250");
    EXPECT_EQ(test::SliderPos(panel.window, id::BottomLevelSlider), 250);
    EXPECT_EQ(test::ItemText(panel.window, id::BottomLevelEdit), L"42.07");
    test::Click(panel.window, id::QuitButton);
    EXPECT_EQ(panel.program->WaitExit(10s), 0u);
}

// With the defaults the frequency, width and pulse boxes are disabled.
const std::vector<int> kEnabledBoxesInTabOrder{id::BottomDepthEdit, id::BottomLevelEdit,
                                               id::FishLevelEdit, id::FishDepthEdit};

bool IsUnitOption(HWND control) {
    const int id = GetDlgCtrlID(control);
    return id == id::FeetOption || id == id::FathomsOption || id == id::MetersOption;
}

TEST(PanelEvents, AfterTheUploadTheFocusIsInASettingBoxAndTabNeverLandsOnAnOption) {
    DrivenPanel panel(L"events-focus");
    ASSERT_TRUE(panel.Start());
    ASSERT_TRUE(test::WaitUntil([&] { return test::FocusOf(panel.window) != nullptr; }, 5s));
    EXPECT_EQ(GetDlgCtrlID(test::FocusOf(panel.window)), id::BottomDepthEdit)
        << "the first enabled box, not the checked unit option";
    for (int option : {id::FeetOption, id::FathomsOption, id::MetersOption})
        EXPECT_FALSE(GetWindowLongPtrW(GetDlgItem(panel.window, option), GWL_STYLE) & WS_TABSTOP);

    // A stray arrow key where the focus is changes no unit.
    for (WPARAM key : {VK_DOWN, VK_UP, VK_RIGHT}) {
        PostMessageW(test::FocusOf(panel.window), WM_KEYDOWN, key, 1);
        PostMessageW(test::FocusOf(panel.window), WM_KEYUP, key, 0xC0000001);
    }
    std::vector<int> visited;
    for (size_t i = 0; i < kEnabledBoxesInTabOrder.size(); ++i) {
        HWND from = test::FocusOf(panel.window);
        PostMessageW(from, WM_KEYDOWN, VK_TAB, 1);
        PostMessageW(from, WM_KEYUP, VK_TAB, 0xC0000001);
        ASSERT_TRUE(test::WaitUntil([&] { return test::FocusOf(panel.window) != from; }, 5s));
        visited.push_back(GetDlgCtrlID(test::FocusOf(panel.window)));
    }
    EXPECT_EQ(visited, (std::vector<int>{id::BottomLevelEdit, id::FishLevelEdit, id::FishDepthEdit,
                                         id::BottomDepthEdit}));

    // A click on an option checks it; Tab still goes to a box from there.
    test::Click(panel.window, id::FathomsOption);
    ASSERT_EQ(panel.After(10, 1), (Lines{"cF"}));
    HWND from = test::FocusOf(panel.window);
    PostMessageW(from, WM_KEYDOWN, VK_TAB, 1);
    PostMessageW(from, WM_KEYUP, VK_TAB, 0xC0000001);
    ASSERT_TRUE(test::WaitUntil([&] { return test::FocusOf(panel.window) != from; }, 5s));
    EXPECT_FALSE(IsUnitOption(test::FocusOf(panel.window)));
    EXPECT_FALSE(GetWindowLongPtrW(GetDlgItem(panel.window, id::FathomsOption), GWL_STYLE) & WS_TABSTOP);

    test::Click(panel.window, id::RefreshButton);
    EXPECT_EQ(panel.After(10, 3), (Lines{"cF", " ", " "})) << "no unit command from the keys";
    test::Click(panel.window, id::QuitButton);
    EXPECT_EQ(panel.program->WaitExit(10s), 0u);
}

// "5.45" is 54 steps (its double lies just below 5.45): the box, the
// instrument, the file and the next start all say 5.4.
TEST(PanelEvents, ATypedDepthShowsSendsSavesAndReloadsTheSameSteps) {
    DrivenPanel panel(L"events-typed-depth");
    ASSERT_TRUE(panel.Start());
    panel.TypeAndEnter(id::BottomDepthEdit, L"5.45");
    EXPECT_EQ(panel.After(10, 2), (Lines{"D54", "d54"})) << "the fish at 15.0 moves up first";
    EXPECT_EQ(test::ItemText(panel.window, id::BottomDepthEdit), L"5.4");
    EXPECT_EQ(test::ItemText(panel.window, id::FishDepthEdit), L"5.4");
    test::Click(panel.window, id::QuitButton);
    ASSERT_EQ(panel.program->WaitExit(10s), 0u);
    const std::string saved = test::ReadFileBytes(panel.folder + L"\\KELT_9R.ini");
    EXPECT_NE(saved.find("\r\nBottom_Depth = 5.4\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\r\nFish_Depth = 5.4\r\n"), std::string::npos) << saved;

    ASSERT_TRUE(panel.Start(22));
    EXPECT_EQ(panel.After(12, 10), (Lines{"~~~", "cf", "d54", "l255", "e", "D54", "L255", "A", "a", "S"}))
        << "the next start sends what the instrument had";
    PostMessageW(panel.window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(panel.program->WaitExit(10s), 0u);
}

TEST(PanelEvents, EnterCommitsOnlyTheFocusedBoxAndNeverClicksAButton) {
    DrivenPanel panel(L"events-enter");
    ASSERT_TRUE(panel.Start());
    panel.TypeAndEnter(id::BottomDepthEdit, L"10");
    EXPECT_EQ(panel.After(10, 2), (Lines{"D100", "d100"}));
    EXPECT_EQ(test::ItemText(panel.window, id::FishDepthEdit), L"10.0");
    EXPECT_EQ(test::ItemText(panel.window, id::BottomDepthEdit), L"10.0");
    EXPECT_EQ(test::SliderPos(panel.window, id::BottomDepthSlider), 100);

    // The pulse boxes are disabled while the fish echo is off: they cannot
    // take the focus, and Enter commits the box that still has it.
    panel.TypeAndEnter(id::OffPulsesEdit, L"7");
    EXPECT_EQ(panel.After(12, 1), (Lines{"d100"}));
    test::Click(panel.window, id::FishEchoCheck);  // takes the boxes' texts as they are
    EXPECT_EQ(panel.After(13, 2), (Lines{"e7", "E1"}));
    panel.TypeAndEnter(id::OffPulsesEdit, L"4");
    EXPECT_EQ(panel.After(15, 2), (Lines{"e4", "E1"}));

    // Typing without Enter sends nothing.
    SendMessageW(GetDlgItem(panel.window, id::FishLevelEdit), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(L"1"));
    panel.Focus(id::QuitButton);
    panel.Key(id::QuitButton, VK_RETURN);
    Sleep(500);
    EXPECT_EQ(panel.sim.ReceivedLines().size(), 17u);
    EXPECT_TRUE(IsWindow(panel.window)) << "Enter on the Quit button does not quit";
    test::Click(panel.window, id::QuitButton);
    EXPECT_EQ(panel.program->WaitExit(10s), 0u);
}

TEST(PanelEvents, OptionsCheckBoxesAndRefreshAsClicked) {
    DrivenPanel panel(L"events-clicks");
    ASSERT_TRUE(panel.Start());
    test::Click(panel.window, id::FathomsOption);
    EXPECT_EQ(panel.After(10, 1), (Lines{"cF"}));
    EXPECT_EQ(test::ItemText(panel.window, id::BottomDepthLabel), L"Depth Fath");
    test::Click(panel.window, id::FeetOption);
    EXPECT_EQ(panel.After(11, 1), (Lines{"cf"}));
    EXPECT_EQ(test::ItemText(panel.window, id::FishDepthLabel), L"Depth Ft   ");

    test::Click(panel.window, id::FishEchoCheck);
    EXPECT_EQ(panel.After(12, 2), (Lines{"e0", "E1"}));
    EXPECT_TRUE(test::IsEnabledItem(panel.window, id::OnPulsesSlider));
    test::Click(panel.window, id::FishEchoCheck);
    EXPECT_EQ(panel.After(14, 1), (Lines{"e"}));
    EXPECT_FALSE(test::IsEnabledItem(panel.window, id::OnPulsesSlider));

    test::Click(panel.window, id::AutoWidthCheck);  // unticked: nothing sent
    test::Click(panel.window, id::AutoWidthCheck);  // ticked again
    EXPECT_EQ(panel.After(15, 2), (Lines{"a", ""}));

    // The instrument answers each blank with a measurement line, which soon
    // replaces the "Updating" the button shows.
    test::Click(panel.window, id::RefreshButton);
    EXPECT_EQ(panel.After(17, 2), (Lines{" ", " "}));
    const std::vector<double> times = panel.sim.ReceivedTimes();
    ASSERT_EQ(times.size(), 19u);
    EXPECT_GE(times[18] - times[17], 0.090) << "100 ms between the blanks (the simulator's clock, busy or not)";
    EXPECT_LT(times[18] - times[17], 0.160);
    EXPECT_TRUE(test::WaitUntil(
        [&] { return test::ItemText(panel.window, id::MeasFreqBox) == L"50.00"; }, 5s));
    test::Click(panel.window, id::QuitButton);
    EXPECT_EQ(panel.program->WaitExit(10s), 0u);
}

TEST(PanelEvents, AFullSessionComesBackAfterARestart) {
    {
        DrivenPanel panel(L"events-session");
        ASSERT_TRUE(panel.Start());
        test::Click(panel.window, id::MetersOption);
        test::Click(panel.window, id::FishEchoCheck);
        panel.TypeAndEnter(id::OnPulsesEdit, L"3");
        panel.Focus(id::OffPulsesSlider);
        panel.Key(id::OffPulsesSlider, VK_DOWN, 2);
        panel.TypeAndEnter(id::BottomDepthEdit, L"42.5");
        panel.TypeAndEnter(id::FishDepthEdit, L"12.25");
        panel.TypeAndEnter(id::BottomLevelEdit, L"10");
        panel.Focus(id::FishLevelSlider);
        panel.Key(id::FishLevelSlider, VK_UP, 2);
        test::Click(panel.window, id::AutoFreqCheck);
        panel.TypeAndEnter(id::FreqSetEdit, L"38.5");
        test::Click(panel.window, id::AutoWidthCheck);
        panel.TypeAndEnter(id::WidthSetEdit, L"250");
        ASSERT_TRUE(test::WaitUntil([&] { return panel.sim.ReceivedLines().back() == "w250"; }, 10s));
        test::Click(panel.window, id::QuitButton);
        ASSERT_EQ(panel.program->WaitExit(10s), 0u);
        const std::string saved = test::ReadFileBytes(panel.folder + L"\\KELT_9R.ini");
        EXPECT_NE(saved.find("Auto_freq =  0 , " + std::string(11, ' ') + "38.00\r\n"), std::string::npos) << saved;
        EXPECT_NE(saved.find("Fish_Echo =  1 , 3 ,  2\r\n"), std::string::npos) << saved;
        EXPECT_NE(saved.find("Depth_Units = cm\r\n"), std::string::npos);
    }
    // The same folder again: every setting is uploaded as the file keeps it.
    DrivenPanel again(L"events-session", false);
    ASSERT_TRUE(again.Start(11));
    EXPECT_EQ(again.sim.ReceivedLines(),
              (Lines{"~~~", "cm", "d425", "l209", "e2", "E3", "D122", "L253", "f380", "w250", "S"}));
    EXPECT_TRUE(test::IsChecked(again.window, id::MetersOption));
    EXPECT_TRUE(test::IsChecked(again.window, id::FishEchoCheck));
    EXPECT_FALSE(test::IsChecked(again.window, id::AutoFreqCheck));
    EXPECT_EQ(test::ItemText(again.window, id::FreqSetEdit), L"38.00");
    PostMessageW(again.window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(again.program->WaitExit(10s), 0u);
}

}  // namespace
}  // namespace kelt
