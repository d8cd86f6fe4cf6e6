// End-to-end scenarios of a working day, driven only as a user would: clicks,
// keys, the menu and the file and port dialogs.

#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "panel/control_ids.h"
#include "panel_fixture.h"

namespace kelt {
namespace {

using namespace std::chrono_literals;
using test::Lines;
using test::PanelUnderTest;

// What the script saved in the day uploads, and the next start too.
const Lines kShallowSchoolUpload{"~~~", "cF", "d300", "l255", "e6", "E4", "D85", "L189", "A", "a", "S"};

size_t Count(const Lines& lines, const std::string& line) {
    return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
}

TEST(BenchDay, PatternUnitsScriptResetOpenQuitAndRestart) {
    std::wstring folder;
    {
        PanelUnderTest panel(L"bench-day", L"--rate 2");
        folder = panel.folder;
        const std::wstring script = folder + L"\\shallow-school.scp";
        ASSERT_TRUE(panel.Start());
        ASSERT_EQ(panel.Upload().size(), test::kDefaultUpload.size());

        // Each step's focus comes after the clicks and keys before it.
        panel.Click(id::FishEchoCheck);
        ASSERT_TRUE(panel.TypeAndEnter(id::OnPulsesEdit, L"4"));
        ASSERT_TRUE(panel.TypeAndEnter(id::OffPulsesEdit, L"6"));
        ASSERT_TRUE(panel.TypeAndEnter(id::FishDepthEdit, L"8.5"));
        ASSERT_TRUE(panel.TypeAndEnter(id::FishLevelEdit, L"5"));
        panel.Click(id::FathomsOption);
        panel.Menu(id::MenuSaveFile);
        ASSERT_TRUE(panel.ChooseFile(L"Save File", script));
        ASSERT_TRUE(test::WaitUntil([&] { return test::FileExists(script); }, 10s));

        panel.Click(id::ResetButton);
        ASSERT_TRUE(test::WaitUntil([&] { return Count(panel.sim.ReceivedLines(), "S") == 2; }, 10s));
        EXPECT_TRUE(test::IsChecked(panel.window, id::FeetOption));
        EXPECT_FALSE(test::IsChecked(panel.window, id::FishEchoCheck));

        panel.Menu(id::MenuOpenFile);
        ASSERT_TRUE(panel.ChooseFile(L"Open File", script));
        ASSERT_TRUE(test::WaitUntil([&] { return Count(panel.sim.ReceivedLines(), "S") == 3; }, 10s));
        const Lines lines = panel.sim.ReceivedLines();
        const Lines reopened(lines.end() - static_cast<long>(kShallowSchoolUpload.size()), lines.end());
        EXPECT_EQ(reopened, kShallowSchoolUpload);
        EXPECT_TRUE(test::IsChecked(panel.window, id::FathomsOption));
        EXPECT_TRUE(test::IsChecked(panel.window, id::FishEchoCheck));
        EXPECT_EQ(panel.Text(id::OnPulsesEdit), L"4");

        ASSERT_EQ(panel.Quit(), 0u);
    }
    // Next morning: the same folder, everything restored and sent again.
    PanelUnderTest panel(test::PanelSetup{.folder = folder, .simArguments = L"--rate 2"});
    ASSERT_TRUE(panel.Launch());
    ASSERT_TRUE(panel.WaitForWindow());
    EXPECT_EQ(panel.sim.WaitForReceived(kShallowSchoolUpload.size(), 8s), kShallowSchoolUpload);
    EXPECT_EQ(panel.Text(id::BottomDepthLabel), L"Depth Fath");
    const std::string settings = panel.SavedSettings();
    EXPECT_NE(settings.find("Fish_Echo =  1 , 4 , 6\r\n"), std::string::npos) << settings;
    // The script's own (empty) "LastFileLoaded" line replaced its name.
    EXPECT_NE(settings.find("LastFileLoaded  = \r\n"), std::string::npos);
    EXPECT_EQ(panel.Quit(), 0u);
}

TEST(BenchDay, PortChangeThroughTheMenuWhileLinesStream) {
    PanelUnderTest panel(L"bench-port-change", L"--rate 5");
    test::Simulator second(2, L"--rate 5 --sounder-freq 38");
    ASSERT_TRUE(panel.sim.ready() && second.ready());
    ASSERT_TRUE(panel.Launch());
    ASSERT_TRUE(panel.WaitForWindow());
    ASSERT_TRUE(panel.WaitForText(id::MeasFreqBox, L"50.00"));

    panel.Menu(id::MenuCommPort);
    ASSERT_TRUE(panel.AnswerPortDialog(L"COM2", id::PortOkButton));
    EXPECT_TRUE(panel.WaitForText(id::MeasFreqBox, L"38.00"))
        << "the reader follows the new port without a restart";
    EXPECT_EQ(panel.Quit(), 0u);
    EXPECT_NE(panel.SavedSettings().find("Commport = 2\r\n"), std::string::npos);
}

}  // namespace
}  // namespace kelt
