// The real panel driven as a user drives it: keys on the sliders, Enter in
// the box that has the focus, clicks on options, check boxes and buttons.

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "panel/control_ids.h"
#include "panel_fixture.h"

namespace kelt {
namespace {

using namespace std::chrono_literals;
using test::Lines;
using test::PanelUnderTest;

TEST(PanelEvents, ArrowKeysOnALevelSliderSendOneCommandPerNotification) {
    PanelUnderTest panel(L"events-level-keys");
    ASSERT_TRUE(panel.Start());
    ASSERT_TRUE(panel.Focus(id::BottomLevelSlider));
    panel.Key(id::BottomLevelSlider, VK_UP, 5);  // the minimum is at the top
    const Lines sent = panel.NextLines(10);
    // Each key press brings a line move and, on key up, an end-of-scroll
    // notification; both react and send.
    ASSERT_GE(sent.size(), 5u);
    EXPECT_EQ(sent.back(), "l250");
    EXPECT_EQ(test::SliderPos(panel.window, id::BottomLevelSlider), 250);
    EXPECT_EQ(panel.Text(id::BottomLevelEdit), L"42.07");
    EXPECT_EQ(panel.Quit(), 0u);
}

// With the defaults the frequency, width and pulse boxes are disabled.
const std::vector<int> kEnabledBoxesInTabOrder{id::BottomDepthEdit, id::BottomLevelEdit,
                                               id::FishLevelEdit, id::FishDepthEdit};

bool IsUnitOption(HWND control) {
    const int id = GetDlgCtrlID(control);
    return id == id::FeetOption || id == id::FathomsOption || id == id::MetersOption;
}

TEST(PanelEvents, AfterTheUploadTheFocusIsInASettingBoxAndTabNeverLandsOnAnOption) {
    PanelUnderTest panel(L"events-focus");
    ASSERT_TRUE(panel.Start());
    ASSERT_TRUE(test::WaitUntil([&] { return test::FocusOf(panel.window) != nullptr; }, 5s));
    EXPECT_EQ(GetDlgCtrlID(test::FocusOf(panel.window)), id::BottomDepthEdit)
        << "the first enabled box, not the checked unit option";
    for (int option : {id::FeetOption, id::FathomsOption, id::MetersOption})
        EXPECT_FALSE(GetWindowLongPtrW(panel.Item(option), GWL_STYLE) & WS_TABSTOP);

    // A stray arrow key where the focus is changes no unit.
    for (WPARAM key : {VK_DOWN, VK_UP, VK_RIGHT}) test::PressKey(test::FocusOf(panel.window), key);
    std::vector<int> visited;
    for (size_t i = 0; i < kEnabledBoxesInTabOrder.size(); ++i) {
        HWND from = test::FocusOf(panel.window);
        test::PressKey(from, VK_TAB);
        ASSERT_TRUE(test::WaitUntil([&] { return test::FocusOf(panel.window) != from; }, 5s));
        visited.push_back(GetDlgCtrlID(test::FocusOf(panel.window)));
    }
    EXPECT_EQ(visited, (std::vector<int>{id::BottomLevelEdit, id::FishLevelEdit, id::FishDepthEdit,
                                         id::BottomDepthEdit}));

    // A click on an option checks it; Tab still goes to a box from there.
    panel.Click(id::FathomsOption);
    ASSERT_EQ(panel.NextLines(1), (Lines{"cF"}));
    HWND from = test::FocusOf(panel.window);
    test::PressKey(from, VK_TAB);
    ASSERT_TRUE(test::WaitUntil([&] { return test::FocusOf(panel.window) != from; }, 5s));
    EXPECT_FALSE(IsUnitOption(test::FocusOf(panel.window)));
    EXPECT_FALSE(GetWindowLongPtrW(panel.Item(id::FathomsOption), GWL_STYLE) & WS_TABSTOP);

    panel.Click(id::RefreshButton);
    EXPECT_EQ(panel.NextLines(2), (Lines{" ", " "})) << "no unit command from the keys";
    EXPECT_EQ(panel.Quit(), 0u);
}

// "5.45" is 54 steps (its double lies just below 5.45): the box, the
// instrument, the file and the next start all say 5.4.
TEST(PanelEvents, ATypedDepthShowsSendsSavesAndReloadsTheSameSteps) {
    PanelUnderTest panel(L"events-typed-depth");
    ASSERT_TRUE(panel.Start());
    ASSERT_TRUE(panel.TypeAndEnter(id::BottomDepthEdit, L"5.45"));
    EXPECT_EQ(panel.NextLines(2), (Lines{"D54", "d54"})) << "the fish at 15.0 moves up first";
    EXPECT_EQ(panel.Text(id::BottomDepthEdit), L"5.4");
    EXPECT_EQ(panel.Text(id::FishDepthEdit), L"5.4");
    ASSERT_EQ(panel.Quit(), 0u);
    const std::string saved = panel.SavedSettings();
    EXPECT_NE(saved.find("\r\nBottom_Depth = 5.4\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\r\nFish_Depth = 5.4\r\n"), std::string::npos) << saved;

    ASSERT_TRUE(panel.Start());
    EXPECT_EQ(panel.Upload(), (Lines{"~~~", "cf", "d54", "l255", "e", "D54", "L255", "A", "a", "S"}))
        << "the next start sends what the instrument had";
    EXPECT_EQ(panel.Close(), 0u);
}

TEST(PanelEvents, EnterCommitsOnlyTheFocusedBoxAndNeverClicksAButton) {
    PanelUnderTest panel(L"events-enter");
    ASSERT_TRUE(panel.Start());
    ASSERT_TRUE(panel.TypeAndEnter(id::BottomDepthEdit, L"10"));
    EXPECT_EQ(panel.NextLines(2), (Lines{"D100", "d100"}));
    EXPECT_EQ(panel.Text(id::FishDepthEdit), L"10.0");
    EXPECT_EQ(panel.Text(id::BottomDepthEdit), L"10.0");
    EXPECT_EQ(test::SliderPos(panel.window, id::BottomDepthSlider), 100);

    // The pulse boxes are disabled while the fish echo is off: they cannot
    // take the focus, and Enter commits the box that still has it.
    ASSERT_FALSE(test::IsEnabledItem(panel.window, id::OffPulsesEdit));
    PostMessageW(panel.window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(panel.Item(id::OffPulsesEdit)), TRUE);
    test::Ask(panel.Item(id::OffPulsesEdit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"7"));
    panel.Key(id::OffPulsesEdit, VK_RETURN);
    EXPECT_EQ(panel.NextLines(1), (Lines{"d100"}));
    EXPECT_EQ(test::FocusOf(panel.window), panel.Item(id::BottomDepthEdit));
    panel.Click(id::FishEchoCheck);  // takes the boxes' texts as they are
    EXPECT_EQ(panel.NextLines(2), (Lines{"e7", "E1"}));
    ASSERT_TRUE(panel.TypeAndEnter(id::OffPulsesEdit, L"4"));
    EXPECT_EQ(panel.NextLines(2), (Lines{"e4", "E1"}));

    // Typing without Enter sends nothing, and Enter on the Quit button
    // neither quits nor commits: the next line to go out is the unit that
    // the click after them chooses.
    test::Ask(panel.Item(id::FishLevelEdit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"1"));
    ASSERT_TRUE(panel.Focus(id::QuitButton));
    panel.Key(id::QuitButton, VK_RETURN);
    panel.Click(id::FathomsOption);
    EXPECT_EQ(panel.NextLines(1), (Lines{"cF"}));
    EXPECT_EQ(panel.sim.ReceivedLines().size(), test::kDefaultUpload.size() + 8);
    EXPECT_TRUE(IsWindow(panel.window)) << "Enter on the Quit button does not quit";
    EXPECT_EQ(panel.Quit(), 0u);
}

TEST(PanelEvents, OptionsCheckBoxesAndRefreshAsClicked) {
    PanelUnderTest panel(L"events-clicks");
    ASSERT_TRUE(panel.Start());
    panel.Click(id::FathomsOption);
    EXPECT_EQ(panel.NextLines(1), (Lines{"cF"}));
    EXPECT_EQ(panel.Text(id::BottomDepthLabel), L"Depth Fath");
    panel.Click(id::FeetOption);
    EXPECT_EQ(panel.NextLines(1), (Lines{"cf"}));
    EXPECT_EQ(panel.Text(id::FishDepthLabel), L"Depth Ft   ");

    panel.Click(id::FishEchoCheck);
    EXPECT_EQ(panel.NextLines(2), (Lines{"e0", "E1"}));
    EXPECT_TRUE(test::IsEnabledItem(panel.window, id::OnPulsesSlider));
    panel.Click(id::FishEchoCheck);
    EXPECT_EQ(panel.NextLines(1), (Lines{"e"}));
    EXPECT_FALSE(test::IsEnabledItem(panel.window, id::OnPulsesSlider));

    panel.Click(id::AutoWidthCheck);  // unticked: nothing sent
    panel.Click(id::AutoWidthCheck);  // ticked again
    EXPECT_EQ(panel.NextLines(2), (Lines{"a", ""}));

    // The instrument answers each blank with a measurement line, which soon
    // replaces the "Updating" the button shows.
    panel.Click(id::RefreshButton);
    EXPECT_EQ(panel.NextLines(2), (Lines{" ", " "}));
    const std::vector<double> times = panel.sim.ReceivedTimes();
    ASSERT_EQ(times.size(), test::kDefaultUpload.size() + 9);
    EXPECT_GE(times.back() - times[times.size() - 2], 0.100 - test::kLineTimeJitter)
        << "100 ms between the blanks, never less";
    EXPECT_LT(times.back() - times[times.size() - 2], 0.160);
    EXPECT_TRUE(panel.WaitForText(id::MeasFreqBox, L"50.00"));
    EXPECT_EQ(panel.Quit(), 0u);
}

TEST(PanelEvents, AFullSessionComesBackAfterARestart) {
    std::wstring folder;
    {
        PanelUnderTest panel(L"events-session");
        folder = panel.folder;
        ASSERT_TRUE(panel.Start());
        panel.Click(id::MetersOption);
        panel.Click(id::FishEchoCheck);
        ASSERT_TRUE(panel.TypeAndEnter(id::OnPulsesEdit, L"3"));
        ASSERT_TRUE(panel.Focus(id::OffPulsesSlider));
        panel.Key(id::OffPulsesSlider, VK_DOWN, 2);
        ASSERT_TRUE(panel.TypeAndEnter(id::BottomDepthEdit, L"42.5"));
        ASSERT_TRUE(panel.TypeAndEnter(id::FishDepthEdit, L"12.25"));
        ASSERT_TRUE(panel.TypeAndEnter(id::BottomLevelEdit, L"10"));
        ASSERT_TRUE(panel.Focus(id::FishLevelSlider));
        panel.Key(id::FishLevelSlider, VK_UP, 2);
        panel.Click(id::AutoFreqCheck);
        ASSERT_TRUE(panel.TypeAndEnter(id::FreqSetEdit, L"38.5"));
        panel.Click(id::AutoWidthCheck);
        ASSERT_TRUE(panel.TypeAndEnter(id::WidthSetEdit, L"250"));
        ASSERT_TRUE(test::WaitUntil([&] { return panel.sim.ReceivedLines().back() == "w250"; }, 10s));
        ASSERT_EQ(panel.Quit(), 0u);
        const std::string saved = panel.SavedSettings();
        EXPECT_NE(saved.find("Auto_freq =  0 , " + std::string(11, ' ') + "38.00\r\n"), std::string::npos) << saved;
        EXPECT_NE(saved.find("Fish_Echo =  1 , 3 ,  2\r\n"), std::string::npos) << saved;
        EXPECT_NE(saved.find("Depth_Units = cm\r\n"), std::string::npos);
    }
    // The same folder again: every setting is uploaded as the file keeps it.
    const Lines kept{"~~~", "cm", "d425", "l209", "e2", "E3", "D122", "L253", "f380", "w250", "S"};
    PanelUnderTest again(test::PanelSetup{.folder = folder});
    ASSERT_TRUE(again.Start(kept.size()));
    EXPECT_EQ(again.sim.ReceivedLines(), kept);
    EXPECT_TRUE(test::IsChecked(again.window, id::MetersOption));
    EXPECT_TRUE(test::IsChecked(again.window, id::FishEchoCheck));
    EXPECT_FALSE(test::IsChecked(again.window, id::AutoFreqCheck));
    EXPECT_EQ(again.Text(id::FreqSetEdit), L"38.00");
    EXPECT_EQ(again.Close(), 0u);
}

}  // namespace
}  // namespace kelt
