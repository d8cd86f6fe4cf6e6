#include "link/reader_loop.h"

#include "panel/control_ids.h"

namespace kelt {
namespace {

constexpr int kIdlePollMs = 100;
constexpr int kYieldMs = 0;

}  // namespace

int MeasurementLoop(const std::atomic<std::int32_t>& readerStop,
                    const std::atomic<std::int32_t>& linkBusy, ReaderPort& port, ReaderSink& sink,
                    Sleeper& sleeper) {
    MeasurementFramer framer;
    while (readerStop == 0) {
        const std::string bytes = port.ReadWaiting(linkBusy);
        if (bytes.empty()) {
            sleeper.Sleep(kIdlePollMs);
            continue;
        }
        framer.Feed(bytes);
        if (IsMeasurementLine(framer.currentLine())) sink.Deliver(SplitMeasurement(framer.currentLine()));
        sleeper.Sleep(kYieldMs);
    }
    return 1;
}

void ApplyMeasurement(PanelState& state, PanelView& view, const MeasurementTexts& texts) {
    const auto& [freq, width, period, volts, setFreq, setWidth, bottomDepth, bottomLevel] = texts.field;
    state.measFreqText = freq;
    state.measWidthText = width;
    state.measPeriodText = period;
    state.measVoltsText = volts;
    state.freqText = setFreq;
    state.widthText = setWidth;
    state.measBottomDepthText = bottomDepth;
    state.measBottomLevelText = bottomLevel;

    view.SetText(id::MeasFreqBox, freq);
    view.SetText(id::MeasWidthBox, width);
    view.SetText(id::MeasPeriodBox, period);
    view.SetText(id::MeasVoltsBox, volts);
    // While "Auto" is off the box holds what the user typed; the stored
    // setting still follows the instrument, as it always has.
    if (state.autoFreqChecked != 0) view.SetText(id::FreqSetEdit, setFreq);
    if (state.autoWidthChecked != 0) view.SetText(id::WidthSetEdit, setWidth);
    // After an upload the first few lines echo the bottom echo the instrument
    // now uses; later ones leave the user's boxes alone. A line that lacks
    // the field (a short line, a banner) must not empty the box: Quit saves
    // it, and an empty setting would be lost at the next start.
    const std::int16_t countdown = state.readerCountdown;
    if (countdown != 0) {
        if (!bottomDepth.empty()) view.SetText(id::BottomDepthEdit, bottomDepth);
        if (!bottomLevel.empty()) view.SetText(id::BottomLevelEdit, bottomLevel);
        if (countdown > 0) --state.readerCountdown;
    }
}

}  // namespace kelt
