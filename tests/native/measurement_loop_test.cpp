// The measurement reader's poll loop, its threads, and the window thread's
// use of the texts it delivers.

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "fakes.h"
#include "link/measurement_loop.h"
#include "panel/measurements.h"
#include "panel/reactions.h"
#include "panel/control_ids.h"

namespace kelt {
namespace {

using namespace std::chrono_literals;
using Texts = std::vector<std::string>;

// Port, window thread and clock of one reader, scripted: while the link is
// free each poll takes the next read, and when they are used up the reader is
// told to stop. A busy link is freed at the `freeAtSleep`-th sleep.
struct ScriptedReader : LinePort, MeasurementSink, Sleeper {
    std::atomic<bool> stop{false};
    std::atomic<bool> busy{false};
    std::deque<std::string> reads;
    std::size_t freeAtSleep = 0;
    int busyPolls = 0;
    Texts shown;  // first field of each delivered line
    std::vector<int> sleeps;

    std::string ReadWaiting(const std::atomic<bool>& linkBusy) override {
        std::string bytes;
        if (linkBusy)
            ++busyPolls;
        else if (reads.empty())
            stop = true;
        else
            bytes = std::move(reads.front()), reads.pop_front();
        return bytes;
    }
    void Deliver(MeasurementTexts texts) override { shown.push_back(texts.field[0]); }
    void Sleep(int ms) override {
        sleeps.push_back(ms);
        if (sleeps.size() == freeAtSleep) busy = false;
    }
    int Run() { return MeasurementLoop(stop, busy, *this, *this, *this); }
};

// A line is shown once, by the read that completes it, however large that
// read is; a read that completes no line shows nothing again.
TEST(MeasurementLoop, EachLineIsShownOnceAndIdlePollsWait100Ms) {
    ScriptedReader reader;
    std::string backlog;
    for (int i = 0; i < 100; ++i) backlog += "44444," + std::to_string(i) + "\n\r";
    reader.reads = {"11111,a\n\r", "", "22222,", "b\n\r", "9.8,1\n\r", "33333,", backlog + "55555,"};
    EXPECT_EQ(reader.Run(), 1);
    EXPECT_EQ(reader.shown, (Texts{"11111", "22222", "44444"}));
    EXPECT_EQ(reader.sleeps, (std::vector<int>{0, 100, 0, 0, 0, 0, 0, 100}));
}

TEST(MeasurementLoop, LeavesTheLineToTheWriterAndEndsOnStop) {
    ScriptedReader reader;
    reader.busy = true;
    reader.freeAtSleep = 3;
    reader.reads = {"11111,a\n\r"};
    EXPECT_EQ(reader.Run(), 1);
    EXPECT_EQ(reader.busyPolls, 3);
    EXPECT_EQ(reader.sleeps, (std::vector<int>{100, 100, 100, 0, 100}));
    reader.stop = true;
    reader.reads = {"22222,b\n\r"};
    EXPECT_EQ(reader.Run(), 1);
    EXPECT_EQ(reader.reads.size(), 1u);
}

TEST(ApplyMeasurement, SettingsFollowTheInstrumentButTheirBoxesOnlyWhileAutoIsTicked) {
    PanelState state;
    state.autoWidthChecked = true;
    test::RecordingView view;
    auto& box = view.texts;
    box[id::FreqSetEdit] = "12.5";
    ApplyMeasurement(state, view, SplitMeasurement("50.00,200,1000,12.0,49.5,210,30.0,45.67"));
    EXPECT_EQ((Texts{state.freqText, state.widthText}), (Texts{"49.5", "210"}));
    EXPECT_EQ((Texts{box[id::MeasFreqBox], box[id::MeasWidthBox], box[id::MeasPeriodBox], box[id::MeasVoltsBox],
                     box[id::FreqSetEdit], box[id::WidthSetEdit]}),
              (Texts{"50.00", "200", "1000", "12.0", "12.5", "210"}));
    EXPECT_FALSE(box.contains(id::BottomDepthEdit));
    ApplyMeasurement(state, view, SplitMeasurement("50.00,200"));
    EXPECT_EQ((Texts{state.freqText, state.widthText, box[id::WidthSetEdit]}), (Texts{"", "", ""}));
    state.autoFreqChecked = true;
    state.autoWidthChecked = false;
    ApplyMeasurement(state, view, SplitMeasurement("50.00,200,1000,12.0,49.5,300"));
    EXPECT_EQ((Texts{state.widthText, box[id::FreqSetEdit], box[id::WidthSetEdit]}), (Texts{"300", "49.5", ""}));
}

TEST(ApplyMeasurement, BottomEchoReachesItsBoxesForTheCountdownOfLines) {
    PanelState state;
    state.readerCountdown = 5;
    test::RecordingView view;
    Texts shown;
    for (std::string n : {"1", "2", "3", "4", "5", "6"}) {
        ApplyMeasurement(state, view, SplitMeasurement("50.00,1,2,3,4,5," + n + ",4" + n));
        shown.push_back(view.texts[id::BottomDepthEdit] + "/" + view.texts[id::BottomLevelEdit]);
    }
    EXPECT_EQ(shown, (Texts{"1/41", "2/42", "3/43", "4/44", "5/45", "5/45"}));
    state.readerCountdown = -1;
    ApplyMeasurement(state, view, SplitMeasurement("50.00,1,2,3,4,5,8,48"));
    EXPECT_EQ(view.texts[id::BottomDepthEdit], "8");
    EXPECT_EQ(state.readerCountdown, -1);

    // The user sets the bottom echo during a countdown (slider or Enter, depth
    // or level): lines made before the move reached the instrument must not
    // put the old values back.
    test::RecordingLink link;
    const auto userSets = [&](const char* what) {
        if (what == std::string("depth slider")) OnSliderMoved(state, view, link, id::BottomDepthSlider, 450);
        if (what == std::string("level slider")) OnSliderMoved(state, view, link, id::BottomLevelSlider, 143);
        view.focused = what == std::string("depth box") ? id::BottomDepthEdit : id::BottomLevelEdit;
        view.texts[view.focused] = view.focused == id::BottomDepthEdit ? "45" : "1";
        if (what == std::string("depth box") || what == std::string("level box")) OnEnterKey(state, view, link, 0);
    };
    for (const char* what : {"depth slider", "level slider", "depth box", "level box"}) {
        state.readerCountdown = 5;
        ApplyMeasurement(state, view, SplitMeasurement("50.00,1,2,3,4,5,30.0,50.00"));
        userSets(what);
        const Texts set{view.texts[id::BottomDepthEdit], view.texts[id::BottomLevelEdit]};
        ApplyMeasurement(state, view, SplitMeasurement("50.00,1,2,3,4,5,30.0,50.00"));
        EXPECT_EQ((Texts{view.texts[id::BottomDepthEdit], view.texts[id::BottomLevelEdit]}), set) << what;
    }
}

TEST(ApplyMeasurement, AShortLineDuringTheCountdownKeepsTheStoredBottomEcho) {
    PanelState state;
    state.readerCountdown = 3;
    test::RecordingView view;
    view.texts[id::BottomDepthEdit] = "30";
    view.texts[id::BottomLevelEdit] = "50.0";
    ApplyMeasurement(state, view, SplitMeasurement("KELT9R,V1"));
    ApplyMeasurement(state, view, SplitMeasurement("50.00,200,1000,12.0,49.5,210,12.3"));
    EXPECT_EQ(view.texts[id::BottomDepthEdit], "12.3");
    EXPECT_EQ(view.texts[id::BottomLevelEdit], "50.0") << "no eighth field: the box keeps its text";
    EXPECT_EQ(state.readerCountdown, 1) << "both lines still count";
    ApplyMeasurement(state, view, SplitMeasurement("50.00,200,1000,12.0,49.5,210,,45.67"));
    EXPECT_EQ(view.texts[id::BottomDepthEdit], "12.3");
    EXPECT_EQ(view.texts[id::BottomLevelEdit], "45.67");
    EXPECT_EQ(view.texts[id::MeasFreqBox], "50.00") << "the rest of the line shows as ever";
    EXPECT_EQ(state.readerCountdown, 0);
}

// A notice that could not be given (the window's queue full) must not stop
// the display: the next line gives it again, and nothing is lost meanwhile.
TEST(MeasurementMailbox, ALostNoticeIsGivenAgainWithTheNextLine) {
    std::vector<bool> answers{false, true, true};
    std::size_t notices = 0;
    MeasurementMailbox mailbox([&] { return answers.at(notices++); });
    mailbox.Deliver(SplitMeasurement("11111,a"));
    mailbox.Deliver(SplitMeasurement("22222,b"));
    EXPECT_EQ(notices, 2u) << "the first notice was lost, the second line gave it again";
    mailbox.Deliver(SplitMeasurement("33333,c"));
    EXPECT_EQ(notices, 2u) << "one notice stands for the whole batch";
    Texts taken;
    for (const MeasurementTexts& texts : mailbox.TakeAll()) taken.push_back(texts.field[0]);
    EXPECT_EQ(taken, (Texts{"11111", "22222", "33333"}));
    mailbox.Deliver(SplitMeasurement("44444,d"));
    EXPECT_EQ(notices, 3u);
}

// The instrument's bytes and the window thread's mailbox, each behind the lock.
struct LiveLine : LinePort, MeasurementSink, Sleeper {
    std::mutex mutex;
    std::string waiting;
    std::deque<MeasurementTexts> mailbox;

    void Arrive(std::string_view bytes) { std::lock_guard lock(mutex); waiting += bytes; }
    std::string ReadWaiting(const std::atomic<bool>& linkBusy) override {
        std::lock_guard lock(mutex);
        return linkBusy ? std::string{} : std::exchange(waiting, {});
    }
    void Deliver(MeasurementTexts texts) override { std::lock_guard lock(mutex); mailbox.push_back(std::move(texts)); }
    std::deque<MeasurementTexts> TakeAll() { std::lock_guard lock(mutex); return std::exchange(mailbox, {}); }
    void Sleep(int ms) override { ms == 0 ? std::this_thread::yield() : std::this_thread::sleep_for(1ms); }
};

// Reader, instrument and window thread at once, the window thread raising and
// lowering linkBusy for its writes: the race check (build with -fsanitize=thread).
TEST(MeasurementLoopThreads, ReaderInstrumentAndWindowThreadShareOnlyFlagsAndQueues) {
    constexpr int kLines = 300;
    PanelState state;
    test::RecordingView view;
    LiveLine line;
    int result = 0;
    std::thread reader([&] { result = MeasurementLoop(state.shared->readerStop, state.shared->linkBusy, line, line, line); });
    std::thread instrument([&] {
        for (int i = 0; i < kLines; ++i) {
            const std::string message = "50.00," + std::to_string(i) + ",1,2,3,4,5,6\n\r";
            line.Arrive(message.substr(0, 9));
            std::this_thread::sleep_for(50us);
            line.Arrive(message.substr(9));
        }
    });
    int last = -1;
    bool inOrder = true;
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    for (int turn = 0; last < kLines - 1 && std::chrono::steady_clock::now() < deadline; ++turn) {
        state.shared->linkBusy = turn % 4 == 0;
        for (const MeasurementTexts& texts : line.TakeAll()) {
            ApplyMeasurement(state, view, texts);
            inOrder = inOrder && std::stoi(texts.field[1]) >= last;
            last = std::stoi(texts.field[1]);
        }
        std::this_thread::sleep_for(200us);
    }
    instrument.join();
    state.shared->readerStop = true;
    reader.join();
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(view.texts[id::MeasWidthBox], std::to_string(kLines - 1));
}

}  // namespace
}  // namespace kelt
