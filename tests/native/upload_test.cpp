#include <gtest/gtest.h>

#include "fakes.h"
#include "panel/upload.h"
#include "settings/settings_file.h"
#include "panel/control_ids.h"

namespace kelt {
namespace {

using Lines = std::vector<std::string>;

void Defaults(PanelState& s) { SetDefaultSettings(s); }

struct Upload {
    test::RecordingView view;
    test::RecordingLink link;
    Lines Run(PanelState& state) {
        SendAllSettings(state, view, link);
        return link.Lines();
    }
};

TEST(SendCommand, WordAloneOrWordWithNumberTextValue) {
    test::RecordingLink link;
    SendCommand(link, "d", 300);
    SendCommand(link, "d", 5);
    SendCommand(link, "e");
    SendCommand(link, "");
    SendCommand(link, "w", -4);
    EXPECT_EQ(link.Lines(), (Lines{"d300", "d5", "e", "", "w-4"}));
}

TEST(SendAllSettings, DefaultsUploadTenLinesWithTheirPauses) {
    PanelState state;
    Defaults(state);
    Upload upload;
    EXPECT_EQ(upload.Run(state), (Lines{"~~~", "cf", "d300", "l255", "e", "D150", "L255", "A", "a", "S"}));
    std::vector<int> times;
    for (const auto& s : upload.link.sent) times.push_back(s.atMs);
    EXPECT_EQ(times, (std::vector<int>{0, 3000, 3200, 3300, 3400, 3500, 3600, 3700, 3900, 4100}));
    EXPECT_FALSE(state.shared->linkBusy);
    EXPECT_EQ(state.readerCountdown, 5);
}

TEST(SendAllSettings, ControlsFollowTheSettings) {
    PanelState state;
    Defaults(state);
    Upload upload;
    upload.Run(state);
    auto& v = upload.view;
    EXPECT_EQ(v.texts[id::BottomDepthLabel], "Depth Ft   ");
    EXPECT_EQ(v.texts[id::FishDepthLabel], "Depth Ft   ");
    EXPECT_TRUE(v.checks[id::FeetOption]);
    EXPECT_FALSE(v.checks[id::FathomsOption]);
    EXPECT_FALSE(v.checks[id::MetersOption]);
    EXPECT_EQ(v.sliders[id::BottomDepthSlider], 300);
    EXPECT_EQ(v.sliders[id::BottomLevelSlider], 255);
    EXPECT_EQ(v.sliders[id::FishDepthSlider], 150);
    EXPECT_EQ(v.sliders[id::FishLevelSlider], 255);
    EXPECT_EQ(v.sliders[id::OnPulsesSlider], 1);
    EXPECT_EQ(v.sliders[id::OffPulsesSlider], 0);
    EXPECT_EQ(v.texts[id::FishDepthEdit], "15.0");
    EXPECT_EQ(v.texts[id::FishLevelEdit], "50.0");
    EXPECT_EQ(v.texts[id::OnPulsesEdit], "1");
    EXPECT_EQ(v.texts[id::OffPulsesEdit], "0");
    for (int pulseControl : {id::OnPulsesEdit, id::OffPulsesEdit, id::OnPulsesSlider, id::OffPulsesSlider})
        EXPECT_FALSE(v.enabled[pulseControl]) << pulseControl;
    EXPECT_FALSE(v.checks[id::FishEchoCheck]);
    EXPECT_TRUE(v.checks[id::AutoFreqCheck]);
    EXPECT_TRUE(v.checks[id::AutoWidthCheck]);
    for (int manual : {id::FreqSetEdit, id::FreqSlider, id::WidthSetEdit, id::WidthSlider})
        EXPECT_FALSE(v.enabled[manual]) << manual;
    EXPECT_EQ(state.fishEchoChecked, 0);
    EXPECT_EQ(state.autoFreqChecked, 1);
    EXPECT_EQ(state.autoWidthChecked, 1);
    EXPECT_EQ(state.bottomDepthSteps, 300);
    EXPECT_EQ(state.fishDepthSteps, 150);
}

TEST(SendAllSettings, StoredTextsReplacePlaceholdersSoQuitCannotLoseThem) {
    PanelState state;
    Defaults(state);
    state.freqText = "38.5";
    state.widthText = "250";
    Upload upload;
    upload.Run(state);
    EXPECT_EQ(upload.view.texts[id::BottomDepthEdit], "30");
    EXPECT_EQ(upload.view.texts[id::BottomLevelEdit], "50.0");
    EXPECT_EQ(upload.view.texts[id::FreqSetEdit], "38.5") << "even while Auto is ticked";
    EXPECT_EQ(upload.view.texts[id::WidthSetEdit], "250");
}

TEST(SendAllSettings, SplashOrPlainWaitAfterTheOpening) {
    PanelState state;
    Defaults(state);
    Upload first;
    first.Run(state);
    EXPECT_EQ(first.view.splashPositions,
              (std::vector<int>{-1, 0, 0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, -2}));

    state.portReselect = 1;
    Upload afterPortChange;
    afterPortChange.Run(state);
    EXPECT_TRUE(afterPortChange.view.splashPositions.empty());
    EXPECT_EQ(afterPortChange.link.sent.at(1).atMs, 3000);
}

// A splash that takes time to build, paint and take down, as a real one
// does, and the busy flag as the reader would see it at each send.
class SlowSplashView : public test::RecordingView {
public:
    explicit SlowSplashView(test::RecordingLink& link) : link_(link) {}
    void OpenUpdating() override { test::RecordingView::OpenUpdating(); link_.Spend(40); }
    void SetUpdatingProgress(int p) override {
        test::RecordingView::SetUpdatingProgress(p);
        stepsAtMs.push_back(link_.nowMs);
        link_.Spend(6);
    }
    void CloseUpdating() override {
        test::RecordingView::CloseUpdating();
        link_.Spend(12);
        closedAtMs = link_.nowMs;
    }
    std::vector<int> stepsAtMs;
    int closedAtMs = -1;

private:
    test::RecordingLink& link_;
};

class BusyWatchingLink : public test::RecordingLink {
public:
    explicit BusyWatchingLink(const PanelState& state) : state_(state) {}
    void Send(const std::string& line) override {
        test::RecordingLink::Send(line);
        busyAtSend.push_back(state_.shared->linkBusy);
    }
    std::vector<bool> busyAtSend;

private:
    const PanelState& state_;
};

TEST(SendAllSettings, PausesAreDeadlinesSoTheSplashsPaintingAddsNothing) {
    PanelState state;
    Defaults(state);
    test::RecordingLink link;
    link.nowMs = 1000;
    SlowSplashView view(link);
    SendAllSettings(state, view, link);
    std::vector<int> times;
    for (const auto& s : link.sent) times.push_back(s.atMs - 1000);
    EXPECT_EQ(times, (std::vector<int>{0, 3000, 3200, 3300, 3400, 3500, 3600, 3700, 3900, 4100}))
        << "the instrument's 3 s count from the \"~~~\", painting included";
    ASSERT_EQ(view.stepsAtMs.size(), 13u);
    // Position 0 shows at once (after the 40 ms of building the window) and
    // starts the first step; step k of 12 shows when step k-1's 250 ms are
    // over, counted from the "~~~".
    EXPECT_EQ(view.stepsAtMs[0], 1040);
    EXPECT_EQ(view.stepsAtMs[1], 1046);
    for (size_t k = 2; k < view.stepsAtMs.size(); ++k)
        EXPECT_EQ(view.stepsAtMs[k], 1000 + 250 * static_cast<int>(k - 1)) << k;
    EXPECT_LE(view.closedAtMs, 1000 + 3000) << "taken down inside the 3 s";
    EXPECT_GE(view.closedAtMs, 1000 + 2980);
}

TEST(SendAllSettings, APauseIsNeverShortenedByWorkBeforeIt) {
    PanelState state;
    Defaults(state);
    state.autoFreqFlagText = "0";
    state.freqText = "50";
    state.portReselect = 1;  // no splash: a plain wait
    test::RecordingLink link;
    test::RecordingView view;
    SendAllSettings(state, view, link);
    for (size_t i = 1; i < link.sent.size(); ++i)
        EXPECT_GE(link.sent[i].atMs - link.sent[i - 1].atMs, 100) << link.sent[i].line;
    EXPECT_EQ(link.sent.at(1).atMs - link.sent.at(0).atMs, 3000);
}

TEST(SendAllSettings, BusyIsRaisedAtEverySendAndLoweredAfterTheLast) {
    PanelState state;
    Defaults(state);
    state.fishEchoFlagText = "1";
    state.autoWidthFlagText = "0";
    state.widthText = "250";
    BusyWatchingLink link(state);
    test::RecordingView view;
    SendAllSettings(state, view, link);
    ASSERT_EQ(link.busyAtSend.size(), 11u);
    for (size_t i = 0; i < link.busyAtSend.size(); ++i)
        EXPECT_TRUE(link.busyAtSend[i]) << link.sent[i].line;
    EXPECT_FALSE(state.shared->linkBusy);
}

TEST(SendAllSettings, DepthsRoundHalfEvenAndStayInRange) {
    const std::pair<const char*, const char*> cases[] = {
        {"0.44", "d5"}, {"1.25", "d12"}, {"600", "d5000"}, {"0.5", "d5"}, {"", "d5"}, {"abc", "d5"}};
    for (const auto& [text, expected] : cases) {
        PanelState state;
    Defaults(state);
        state.bottomDepthText = text;
        state.fishDepthText = "0.5";
        Upload upload;
        EXPECT_EQ(upload.Run(state).at(2), expected) << text;
    }
}

TEST(SendAllSettings, FishNeverDeeperThanBottom) {
    PanelState state;
    Defaults(state);
    state.fishDepthText = "40.0";
    Upload upload;
    const Lines lines = upload.Run(state);
    EXPECT_EQ(lines.at(5), "D300");
    EXPECT_EQ(upload.view.sliders[id::FishDepthSlider], 300);
    EXPECT_EQ(upload.view.texts[id::FishDepthEdit], "40.0") << "the text is shown unchanged";
}

TEST(SendAllSettings, ReplyLevelsThroughTheTypedMillivoltLaw) {
    const std::pair<const char*, const char*> cases[] = {
        {"50", "l255"}, {"0.0069", "l0"}, {"0.001", "l0"}, {"5", "l189"}, {"1", "l143"}, {"", "l0"}};
    for (const auto& [text, expected] : cases) {
        PanelState state;
    Defaults(state);
        state.bottomReplyLevelText = text;
        Upload upload;
        EXPECT_EQ(upload.Run(state).at(3), expected) << text;
    }
}

TEST(SendAllSettings, UnknownUnitBecomesFeet) {
    for (const char* code : {"CF", "", "xx", "cM"}) {
        PanelState state;
    Defaults(state);
        state.depthUnitsCode = code;
        Upload upload;
        EXPECT_EQ(upload.Run(state).at(1), "cf") << code;
        EXPECT_EQ(state.depthUnitsCode, "cf");
    }
    PanelState fathoms;
    Defaults(fathoms);
    fathoms.depthUnitsCode = "cF";
    Upload upload;
    EXPECT_EQ(upload.Run(fathoms).at(1), "cF");
    EXPECT_EQ(upload.view.texts[id::BottomDepthLabel], "Depth Fath");
    EXPECT_TRUE(upload.view.checks[id::FathomsOption]);
    EXPECT_FALSE(upload.view.checks[id::FeetOption]);
}

TEST(SendAllSettings, FishEchoOnSendsOffThenOnPulsesWithOnLimitedOnly) {
    PanelState state;
    Defaults(state);
    state.fishEchoFlagText = "1";
    state.onPulsesText = "75";
    state.offPulsesText = "75";
    Upload upload;
    const Lines lines = upload.Run(state);
    EXPECT_EQ(lines, (Lines{"~~~", "cf", "d300", "l255", "e75", "E50", "D150", "L255", "A", "a", "S"}));
    EXPECT_EQ(upload.link.sent.at(5).atMs - upload.link.sent.at(4).atMs, 100);
    EXPECT_EQ(state.onPulses, 50);
    EXPECT_EQ(state.offPulses, 75);
    EXPECT_EQ(upload.view.sliders[id::OnPulsesSlider], 75) << "the slider stops at its own range";
    EXPECT_TRUE(upload.view.checks[id::FishEchoCheck]);
    EXPECT_TRUE(upload.view.enabled[id::OffPulsesSlider]);
}

// The box shows the whole kilohertz that went out, as a typed frequency is
// shown: a stored " 38.5" (set with the slider) must not stand beside f380.
TEST(SendAllSettings, ManualFrequencyInWholeKilohertzAndWidthUnlimited) {
    const struct {
        const char* text;
        const char* sent;
        const char* shown;
    } freqs[] = {{"12.5", "f120", "12.00"}, {"5000", "f10000", "1000.00"}, {"", "f20", "2.00"},
                 {" 38.5", "f380", "38.00"}, {" .5", "f20", "2.00"}};
    for (const auto& [text, sent, shown] : freqs) {
        PanelState state;
        Defaults(state);
        state.autoFreqFlagText = "0";
        state.freqText = text;
        Upload upload;
        const Lines lines = upload.Run(state);
        EXPECT_EQ(lines.at(7), sent) << text;
        EXPECT_EQ(upload.view.texts[id::FreqSetEdit], shown) << text;
        EXPECT_TRUE(upload.view.enabled[id::FreqSlider]);
        EXPECT_EQ(upload.link.sent.at(8).atMs - upload.link.sent.at(7).atMs, 100);
    }
    PanelState state;
    Defaults(state);
    state.autoWidthFlagText = "0";
    state.widthText = "";
    Upload upload;
    EXPECT_EQ(upload.Run(state).at(8), "w0");
    state.widthText = "20000";
    Upload wide;
    EXPECT_EQ(wide.Run(state).at(8), "w20000");
    EXPECT_EQ(wide.view.sliders[id::WidthSlider], 20000);
}

}  // namespace
}  // namespace kelt
