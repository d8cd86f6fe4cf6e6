#include "panel/measurements.h"

#include "panel/control_ids.h"

namespace kelt {

void ApplyMeasurement(PanelState& state, PanelView& view, const MeasurementTexts& texts) {
    const auto& [freq, width, period, volts, setFreq, setWidth, bottomDepth, bottomLevel] = texts.field;
    state.freqText = setFreq;
    state.widthText = setWidth;

    view.SetText(id::MeasFreqBox, freq);
    view.SetText(id::MeasWidthBox, width);
    view.SetText(id::MeasPeriodBox, period);
    view.SetText(id::MeasVoltsBox, volts);
    // While "Auto" is off the box holds what the user typed; the stored
    // setting still follows the instrument, as it always has.
    if (state.autoFreqChecked) view.SetText(id::FreqSetEdit, setFreq);
    if (state.autoWidthChecked) view.SetText(id::WidthSetEdit, setWidth);
    // After an upload the first few lines echo the bottom echo the instrument
    // now uses; later ones leave the user's boxes alone. A line that lacks
    // the field (a short line, a banner) must not empty the box: Quit saves
    // it, and an empty setting would be lost at the next start.
    if (state.readerCountdown != 0) {
        if (!bottomDepth.empty()) view.SetText(id::BottomDepthEdit, bottomDepth);
        if (!bottomLevel.empty()) view.SetText(id::BottomLevelEdit, bottomLevel);
        if (state.readerCountdown > 0) --state.readerCountdown;
    }
}

}  // namespace kelt
