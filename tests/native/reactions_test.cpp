#include <gtest/gtest.h>

#include "fakes.h"
#include "panel/control_ids.h"
#include "panel/upload.h"
#include "panel/conversions.h"
#include "panel/reactions.h"
#include "panel/settings_save.h"
#include "settings/settings_file.h"

#include <cstdio>

namespace kelt {
namespace {

using Lines = std::vector<std::string>;

// A panel just after the default upload: feet, fish at 15.0, bottom at 30.0.
struct Panel {
    PanelState state;
    test::RecordingView view;
    test::RecordingLink link;
    Panel() {
        state.bottomDepthSteps = 300;
        state.fishDepthSteps = 150;
        state.onPulses = 1;
        state.autoFreqChecked = true;
        state.autoWidthChecked = true;
    }
    void Slide(int slider, int position) { OnSliderMoved(state, view, link, slider, position); }
    void Type(int box, const std::string& text, int code = 0) {
        view.texts[box] = text;
        view.focused = box;
        OnEnterKey(state, view, link, code);
    }
    Lines Sent() const { return link.Lines(); }
};

TEST(LevelSliders, EveryNotificationSendsTheStepAndShowsItsMillivolts) {
    Panel p;
    for (int position = 255; position >= 250; --position) p.Slide(id::BottomLevelSlider, position);
    EXPECT_EQ(p.Sent(), (Lines{"l255", "l254", "l253", "l252", "l251", "l250"}));
    EXPECT_EQ(p.view.texts[id::BottomLevelEdit], "42.07");
    p.Slide(id::BottomLevelSlider, 250);  // the same position still sends
    EXPECT_EQ(p.Sent().size(), 7u);
    p.Slide(id::FishLevelSlider, 0);
    p.Slide(id::FishLevelSlider, 143);
    EXPECT_EQ(p.view.texts[id::FishLevelEdit], "1.045");
    EXPECT_EQ(p.Sent().back(), "L143");
    EXPECT_FALSE(p.state.shared->linkBusy);
}

TEST(FrequencyAndWidthSliders, ActOnlyWhileAutoIsOff) {
    Panel p;
    p.Slide(id::FreqSlider, 385);
    p.Slide(id::WidthSlider, 400);
    EXPECT_TRUE(p.Sent().empty());
    EXPECT_TRUE(p.view.texts.empty());

    p.state.autoFreqChecked = false;
    p.state.autoWidthChecked = false;
    p.Slide(id::FreqSlider, 385);
    p.Slide(id::FreqSlider, 2);
    p.Slide(id::WidthSlider, 400);
    EXPECT_EQ(p.Sent(), (Lines{"f385", "f2", "w400"}));
    EXPECT_EQ(p.view.texts[id::FreqSetEdit], " .2");
    EXPECT_EQ(p.view.texts[id::WidthSetEdit], " 400");
}

TEST(DepthSliders, FishNeverDeeperThanBottomAndMovesUpFirst) {
    Panel p;
    p.Slide(id::FishDepthSlider, 450);  // deeper than the bottom at 30.0
    EXPECT_EQ(p.Sent(), (Lines{"D300"}));
    EXPECT_EQ(p.view.sliders[id::FishDepthSlider], 300) << "snapped back";
    EXPECT_EQ(p.view.texts[id::FishDepthEdit], "30.0");

    p.Slide(id::BottomDepthSlider, 123);  // shallower than the fish
    EXPECT_EQ(p.Sent(), (Lines{"D300", "D123", "d123"}));
    EXPECT_EQ(p.view.sliders[id::FishDepthSlider], 123);
    EXPECT_EQ(p.view.texts[id::FishDepthEdit], "12.3");
    EXPECT_EQ(p.view.texts[id::BottomDepthEdit], "12.3");
    EXPECT_EQ(p.state.fishDepthSteps, 123);

    p.Slide(id::BottomDepthSlider, 5);
    EXPECT_EQ(p.view.texts[id::BottomDepthEdit], ".5");
    p.Slide(id::BottomDepthSlider, 5000);  // deeper: the fish stays
    EXPECT_EQ(p.Sent().back(), "d5000");
    EXPECT_EQ(p.state.fishDepthSteps, 5);
}

TEST(PulseSliders, OffPulsesAlwaysFollowedByOnPulses) {
    Panel p;
    p.Slide(id::OnPulsesSlider, 7);
    p.Slide(id::OffPulsesSlider, 3);
    EXPECT_EQ(p.Sent(), (Lines{"E7", "e3", "E7"}));
    EXPECT_EQ(p.view.texts[id::OnPulsesEdit], " 7");
    EXPECT_EQ(p.view.texts[id::OffPulsesEdit], " 3");
}

TEST(EnterInDepthBoxes, LimitsRoundingAndTheCoupling) {
    Panel p;
    p.state.fishDepthSteps = 4000;
    p.state.bottomDepthSteps = 4500;
    p.Type(id::BottomDepthEdit, "600");
    EXPECT_EQ(p.Sent(), (Lines{"d5000"})) << "the fish at 400.0 stays";
    EXPECT_EQ(p.view.texts[id::BottomDepthEdit], "500.0");

    Panel q;  // fish at 15.0
    q.Type(id::BottomDepthEdit, "10");
    EXPECT_EQ(q.Sent(), (Lines{"D100", "d100"}));
    EXPECT_EQ(q.view.texts[id::FishDepthEdit], "10.0");
    EXPECT_EQ(q.view.texts[id::BottomDepthEdit], "10.0");

    Panel r;
    r.Type(id::FishDepthEdit, "0.3");
    r.Type(id::FishDepthEdit, "12.25");
    r.Type(id::FishDepthEdit, "&H10");
    r.Type(id::FishDepthEdit, "45");
    EXPECT_EQ(r.Sent(), (Lines{"D5", "D122", "D160", "D300"}));
    EXPECT_EQ(r.view.texts[id::FishDepthEdit], "30.0") << "shows the depth after the coupling";
    r.Type(id::BottomDepthEdit, "0.3");
    EXPECT_EQ(r.view.texts[id::BottomDepthEdit], ".5");
}

// Every two-decimal depth a technician may type: the box, the slider, the
// command and the saved text say the same, and a restart sends it again.
TEST(EnterInDepthBoxes, EveryTwoDecimalDepthShowsSendsAndSavesTheSameSteps) {
    int mismatches = 0;
    for (int hundredths = 50; hundredths <= 50000; ++hundredths) {
        char typed[16];
        std::snprintf(typed, sizeof typed, "%d.%02d", hundredths / 100, hundredths % 100);
        Panel p;
        p.state.fishDepthSteps = 5000;  // deeper than any bottom: pulled up each time
        p.state.bottomDepthSteps = 5000;
        p.Type(id::BottomDepthEdit, typed);
        const int steps = p.view.sliders[id::BottomDepthSlider];
        const std::string shown = p.view.texts[id::BottomDepthEdit];
        const std::string command = "d" + std::to_string(steps);
        const bool pulledUp = steps < 5000;
        const bool agree = p.Sent().back() == command && p.state.bottomDepthSteps == steps &&
                           RoundHalfEven(10 * ParseNumber(shown)) == steps &&
                           (!pulledUp || (p.view.texts[id::FishDepthEdit] == shown &&
                                          p.Sent().front() == "D" + std::to_string(steps)));

        const std::string saved = SettingsFileToSave(p.state, p.view, "KELT_9R.ini");
        PanelState restarted;
        SetDefaultSettings(restarted);
        ReadSettingsText(restarted, saved);
        test::RecordingView view;
        test::RecordingLink link;
        SendAllSettings(restarted, view, link);
        const bool restored = restarted.bottomDepthText == shown && link.Lines().at(2) == command;
        if (!(agree && restored) && ++mismatches <= 5)
            ADD_FAILURE() << typed << ": box '" << shown << "', slider " << steps << ", sent "
                          << p.Sent().back() << ", after a restart " << link.Lines().at(2);
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(EnterInDepthBoxes, TheWorkedExamplesKeepTheirTexts) {
    const std::pair<const char*, const char*> cases[] = {
        {"10", "10.0"}, {"600", "500.0"}, {"0.3", ".5"}, {"12.25", "12.2"}, {"5.45", "5.4"}, {"8.05", "8.0"}};
    for (const auto& [typed, shown] : cases) {
        Panel p;
        p.Type(id::BottomDepthEdit, typed);
        EXPECT_EQ(p.view.texts[id::BottomDepthEdit], shown) << typed;
    }
}

TEST(EnterInLevelBoxes, TypedMillivoltsShownAsTypedAndSentAsStep) {
    Panel p;
    p.Type(id::BottomLevelEdit, "1");
    EXPECT_EQ(p.view.texts[id::BottomLevelEdit], "1.");
    EXPECT_EQ(p.view.sliders[id::BottomLevelSlider], 143);
    p.Type(id::BottomLevelEdit, "abc");
    EXPECT_EQ(p.view.texts[id::BottomLevelEdit], "0.007");
    p.Type(id::FishLevelEdit, "60");
    EXPECT_EQ(p.view.texts[id::FishLevelEdit], "50.1");
    EXPECT_EQ(p.Sent(), (Lines{"l143", "l0", "L255"}));
}

TEST(EnterInFrequencyAndWidthBoxes, WholeKilohertzLimitsAndTheAutoGuard) {
    Panel p;
    p.Type(id::FreqSetEdit, "38.5");
    EXPECT_TRUE(p.Sent().empty()) << "Auto is on";
    EXPECT_FALSE(p.state.shared->linkBusy);
    p.state.autoFreqChecked = false;
    p.state.autoWidthChecked = false;
    p.Type(id::FreqSetEdit, "38.5");
    EXPECT_EQ(p.view.texts[id::FreqSetEdit], "38.00");
    p.Type(id::FreqSetEdit, "abc");
    EXPECT_EQ(p.view.texts[id::FreqSetEdit], "0.00");
    p.Type(id::FreqSetEdit, "1234");
    EXPECT_EQ(p.view.texts[id::FreqSetEdit], "1000.00");
    p.Type(id::WidthSetEdit, "5");
    p.Type(id::WidthSetEdit, "20000");
    p.Type(id::WidthSetEdit, "1e10");
    p.Type(id::WidthSetEdit, "-1e10");
    EXPECT_EQ(p.Sent(), (Lines{"f380", "f0", "f10000", "w10", "w10000", "w10000", "w10"}));
    EXPECT_EQ(p.view.sliders[id::FreqSlider], 10000);
}

TEST(EnterInPulseBoxes, RoundedLimitedAndOffFollowedByOn) {
    Panel p;
    p.Type(id::OnPulsesEdit, "2.5");
    p.Type(id::OnPulsesEdit, "3.5");
    p.Type(id::OffPulsesEdit, "7");
    p.Type(id::OffPulsesEdit, "-4");
    p.Type(id::OffPulsesEdit, "51");
    EXPECT_EQ(p.Sent(), (Lines{"E2", "E4", "e7", "E4", "e0", "E4", "e50", "E4"}));
    EXPECT_EQ(p.view.texts[id::OffPulsesEdit], "50");
}

TEST(EnterKey, CodesAndFocus) {
    Panel p;
    p.view.texts[id::BottomDepthEdit] = "10";
    p.view.focused = id::BottomDepthEdit;
    OnEnterKey(p.state, p.view, p.link, 0x400);
    EXPECT_EQ(p.view.selectedAll, id::BottomDepthEdit);
    EXPECT_TRUE(p.Sent().empty());
    p.state.shared->linkBusy = true;
    OnEnterKey(p.state, p.view, p.link, 1);
    EXPECT_TRUE(p.Sent().empty()) << "code 1 waits while the link is busy";
    OnEnterKey(p.state, p.view, p.link, 7);
    EXPECT_TRUE(p.Sent().empty());
    OnEnterKey(p.state, p.view, p.link, 0);
    EXPECT_EQ(p.Sent().size(), 2u) << "code 0 always commits";
    p.view.focused = id::QuitButton;
    OnEnterKey(p.state, p.view, p.link, 0);
    p.view.focused = 0;
    OnEnterKey(p.state, p.view, p.link, 0);
    EXPECT_EQ(p.Sent().size(), 2u) << "Enter on a button or nothing does nothing";
}

TEST(UnitOptions, LabelsCodeAndCommandWithoutTouchingValues) {
    Panel p;
    OnUnitOption(p.state, p.view, p.link, id::FathomsOption);
    EXPECT_EQ(p.view.texts[id::BottomDepthLabel], "Depth Fath");
    OnUnitOption(p.state, p.view, p.link, id::MetersOption);
    EXPECT_EQ(p.view.texts[id::FishDepthLabel], "Depth Mtrs");
    EXPECT_EQ(p.state.depthUnitsCode, "cm");
    OnUnitOption(p.state, p.view, p.link, id::FeetOption);
    EXPECT_EQ(p.view.texts[id::FishDepthLabel], "Depth Ft   ");
    EXPECT_EQ(p.Sent(), (Lines{"cF", "cm", "cf"}));
    EXPECT_EQ(p.state.bottomDepthSteps, 300);
    EXPECT_TRUE(p.view.sliders.empty());
}

TEST(CheckBoxes, FishEchoAndAutoBoxes) {
    Panel p;
    p.view.checks[id::FishEchoCheck] = true;
    p.view.texts[id::OnPulsesEdit] = "75";
    p.view.texts[id::OffPulsesEdit] = "75";
    OnFishEchoClicked(p.state, p.view, p.link);
    EXPECT_TRUE(p.view.enabled[id::OffPulsesSlider]);
    p.view.checks[id::FishEchoCheck] = false;
    OnFishEchoClicked(p.state, p.view, p.link);
    EXPECT_FALSE(p.view.enabled[id::OnPulsesEdit]);
    EXPECT_EQ(p.Sent(), (Lines{"e75", "E50", "e"}));

    Panel q;
    q.view.checks[id::AutoWidthCheck] = true;
    OnAutoWidthClicked(q.state, q.view, q.link);
    EXPECT_EQ(q.Sent(), (Lines{"a", ""})) << "a bare CR LF follows";
    EXPECT_FALSE(q.view.enabled[id::WidthSlider]);

    q.view.checks[id::AutoFreqCheck] = false;
    q.view.texts[id::FreqSetEdit] = "38.5";
    OnAutoFreqClicked(q.state, q.view, q.link);
    EXPECT_EQ(q.view.sliders[id::FreqSlider], 385);
    EXPECT_TRUE(q.view.enabled[id::FreqSetEdit]);
    EXPECT_EQ(q.Sent().size(), 2u) << "unticking sends nothing";
    EXPECT_EQ(q.state.autoFreqChecked, 0);
    q.view.checks[id::AutoFreqCheck] = true;
    OnAutoFreqClicked(q.state, q.view, q.link);
    EXPECT_EQ(q.Sent().back(), "A");
}

TEST(RefreshButton, TwoBlankCommandsAHundredMillisecondsApart) {
    Panel p;
    OnRefresh(p.view, p.link, p.state);
    EXPECT_EQ(p.Sent(), (Lines{" ", " "}));
    EXPECT_EQ(p.link.sent[0].atMs, 100);
    EXPECT_EQ(p.link.sent[1].atMs, 200);
    EXPECT_EQ(p.view.texts[id::MeasFreqBox], "Updating");
    EXPECT_FALSE(p.state.shared->linkBusy);
}

// The reader must see the link busy during every send of a reaction.
class BusyCheckingLink : public test::RecordingLink {
public:
    explicit BusyCheckingLink(const PanelState& state) : state_(state) {}
    void Send(const std::string& line) override {
        EXPECT_TRUE(state_.shared->linkBusy) << line;
        RecordingLink::Send(line);
    }

private:
    const PanelState& state_;
};

TEST(LinkBusy, RaisedAroundEverySendAndLoweredAfter) {
    Panel p;
    BusyCheckingLink link(p.state);
    p.state.autoFreqChecked = false;
    OnSliderMoved(p.state, p.view, link, id::BottomDepthSlider, 100);
    OnSliderMoved(p.state, p.view, link, id::FreqSlider, 100);
    p.view.focused = id::OffPulsesEdit;
    OnEnterKey(p.state, p.view, link, 0);
    OnUnitOption(p.state, p.view, link, id::MetersOption);
    OnRefresh(p.view, link, p.state);
    EXPECT_EQ(link.sent.size(), 8u);
    EXPECT_FALSE(p.state.shared->linkBusy);
}

}  // namespace
}  // namespace kelt
