#include "panel/conversions.h"

#include <algorithm>
#include <cmath>

namespace kelt {

double LevelStepToMillivolts(std::int32_t step) {
    const double stepsBelowTop = double(kLevelTopStep) - double(step);
    return kLevelTopMillivolts / std::pow(10.0, kLevelDbPerStepShown * stepsBelowTop / 20.0);
}

std::int32_t MillivoltsToLevelStep(double millivolts) {
    const double v = LimitToRange(millivolts, kMillivoltsMin, kMillivoltsMax);
    const double attenuationDb = 20.0 * std::log10(kLevelTopMillivolts / v);
    const std::int32_t step = RoundHalfEven(kLevelTopStep - attenuationDb / kLevelDbPerStepTyped);
    return std::clamp(step, 0, kLevelTopStep);
}

double StepsToDepth(std::int32_t steps) { return steps / 10.0; }

std::int32_t DepthToSteps(double depth) {
    return RoundHalfEven(10.0 * LimitToRange(depth, kDepthMin, kDepthMax));
}

std::int32_t TypedFrequencyKhz(std::string_view text) {
    // Below the 0.2 kHz floor a whole number can only be 0 or negative: both give 0.
    return std::clamp(RoundHalfEven(ParseNumber(text)), 0, kFreqMaxKhz);
}

std::string KilohertzText(std::int32_t khz) { return MaskedNumberText(khz, "0.00"); }

std::int32_t TypedWidth(std::string_view text) {
    return std::clamp(RoundHalfEven(ParseNumber(text)), kWidthMin, kWidthMax);
}

std::int32_t TypedPulses(std::string_view text) {
    return std::clamp(RoundHalfEven(ParseNumber(text)), 0, kPulsesMax);
}

double TypedMillivolts(std::string_view text) {
    return LimitToRange(ParseNumber(text), kMillivoltsMin, kMillivoltsMax);
}

double TypedDepth(std::string_view text) {
    return LimitToRange(ParseNumber(text), kDepthMin, kDepthMax);
}

}  // namespace kelt
