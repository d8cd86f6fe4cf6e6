#pragma once
// The laws between the three forms of every panel setting: slider step, text
// in the edit box, and the number sent to the instrument. The number texts
// themselves are the line's (link/numbers.h). Pure functions, no platform
// headers, so they are tested on any machine.

#include <cstdint>
#include <string>
#include <string_view>

#include "link/numbers.h"

namespace kelt {

// The panel's limits and laws were written with single-precision constants;
// their widened values are what the comparisons really use (for example the
// upper level limit is 50.0999985, which still shows as '50.1').
inline constexpr double kLevelDbPerStepShown = double(0.3f);   // slider step to mV
inline constexpr double kLevelDbPerStepTyped = 0.302252521;    // typed mV to slider step
inline constexpr double kLevelTopMillivolts = 50.0;            // level of the top step
inline constexpr std::int32_t kLevelTopStep = 255;
inline constexpr double kMillivoltsMin = double(0.0069f);
inline constexpr double kMillivoltsMax = double(50.1f);
inline constexpr double kDepthMin = double(0.5f);
inline constexpr double kDepthMax = 500.0;
inline constexpr double kFreqMinKhz = double(0.2f);
inline constexpr std::int32_t kFreqMaxKhz = 1000;
inline constexpr std::int32_t kWidthMin = 10;
inline constexpr std::int32_t kWidthMax = 10000;
inline constexpr std::int32_t kPulsesMax = 50;

// Reply level: step 255 is 50 mV, each step below it 0.3 dB less.
double LevelStepToMillivolts(std::int32_t step);
// Typed millivolts (limited to kMillivoltsMin..kMillivoltsMax first) to the
// nearest step 0..255 by the instrument's own 0.302252521 dB step.
std::int32_t MillivoltsToLevelStep(double millivolts);

// Depth sliders count tenths of the depth unit.
double StepsToDepth(std::int32_t steps);
// Depth limited to kDepthMin..kDepthMax first.
std::int32_t DepthToSteps(double depth);

// Whole kilohertz as the frequency box shows what the instrument was sent:
// 38 -> '38.00'.
std::string KilohertzText(std::int32_t khz);

// Values typed into the edit boxes, read and limited as the panel uses them.
std::int32_t TypedFrequencyKhz(std::string_view text);  // whole kHz, 0..1000
std::int32_t TypedWidth(std::string_view text);         // µs, 10..10000
std::int32_t TypedPulses(std::string_view text);        // 0..50
double TypedMillivolts(std::string_view text);          // kMillivoltsMin..kMillivoltsMax
double TypedDepth(std::string_view text);               // kDepthMin..kDepthMax

}  // namespace kelt
