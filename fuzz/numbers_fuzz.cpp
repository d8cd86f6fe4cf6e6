// The panel's number arithmetic under arbitrary input. The whole input is a
// text typed into an edit box; its value, and the first eight bytes taken as
// a double's bit pattern (NaN, infinities, subnormals and all), go through
// every conversion the panel applies to a setting. What the panel relies on:
// - nothing crashes or reaches undefined behaviour (the sanitizers), and no
//   conversion to a whole number ever leaves the 32-bit range;
// - the text shown for a value reads back as that value to 15 digits, so a
//   setting saved and loaded again does not drift;
// - a masked text has the digits its mask promises and stands for the value
//   within half its last place;
// - whatever is typed, the value sent to the instrument is inside its limits,
//   and a value already inside them is sent unchanged.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <utility>

#include "panel/conversions.h"

namespace {

using namespace kelt;

constexpr auto kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr auto kInt32Max = std::numeric_limits<std::int32_t>::max();

void Require(bool holds, const char* what, double value) {
    if (holds) return;
    std::fprintf(stderr, "numbers: %s (value %.17g)\n", what, value);
    __builtin_trap();
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// `value` rounded to 15 significant digits by the C library, a route that
// shares nothing with the code under test.
double RoundedTo15Digits(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14e", value);
    return std::strtod(buffer, nullptr);
}

void CheckRounding(double v) {
    const std::int32_t r = RoundHalfEven(v);
    if (std::isnan(v)) {
        Require(r == 0, "NaN does not round to 0", v);
        return;
    }
    if (v >= kInt32Max) Require(r == kInt32Max, "a value above the range does not saturate", v);
    if (v <= kInt32Min) Require(r == kInt32Min, "a value below the range does not saturate", v);
    if (v < kInt32Min || v > kInt32Max) return;
    if (v == std::trunc(v)) Require(double(r) == v, "a whole number does not round to itself", v);
    // Within the range both operands are exact in a double, and so is their difference.
    const double off = std::fabs(double(r) - v);
    Require(off <= 0.5, "rounded further than half a unit", v);
    if (off == 0.5) Require(r % 2 == 0, "a tie went to the odd neighbour", v);
}

void CheckNumberText(double v) {
    const std::string text = NumberText(v);
    const std::string signedText = SignedNumberText(v);
    if (v >= 0) Require(signedText == " " + text, "no blank in the sign position", v);
    if (v < 0) Require(signedText == text, "a negative value got more than its minus", v);
    if (!std::isfinite(v)) return;

    // Only a minus, digits and one point; no zero before the point below 1
    // and no trailing zeros after it.
    const std::size_t start = text.starts_with('-') ? 1 : 0;
    Require((start == 1) == (v < 0), "the minus sign does not match the value", v);
    Require(text.size() > start, "no digits", v);
    Require(text.find_first_not_of("0123456789.", start) == std::string::npos, "a stray character", v);
    const std::size_t point = text.find('.');
    Require(point == text.rfind('.'), "more than one point", v);
    if (point != std::string::npos) {
        Require(text.back() != '0' && text.back() != '.', "trailing zeros after the point", v);
        Require(point == start || text[start] != '0', "a zero before the point", v);
    } else {
        Require(text[start] != '0' || text == "0", "a leading zero", v);
    }

    // Huge and tiny values are written out in full, never with an exponent,
    // so the read-back holds across the normal range. Outside it the
    // 15-digit form can round past the largest double or into subnormals.
    const double magnitude = std::fabs(v);
    if (magnitude < 1e-300 || magnitude > 1e300) return;
    const double expected = RoundedTo15Digits(v);
    const double back = ParseNumber(text);
    Require(std::fabs(back - expected) <= 1e-14 * std::fabs(expected), "the text does not read back", v);
}

// Shape of a masked text: optional minus, integer digits, the point, then
// between `minFraction` and `maxFraction` digits; at least `minInteger`
// integer digits; '#' positions never show a leading or trailing zero.
void CheckMasked(double v, std::string_view mask, std::size_t minInteger, std::size_t minFraction,
                 std::size_t maxFraction, double halfUnit) {
    const std::string text = MaskedNumberText(v, mask);
    if (!std::isfinite(v)) return;
    const std::size_t start = text.starts_with('-') ? 1 : 0;
    const std::size_t point = text.find('.');
    Require(point != std::string::npos && point == text.rfind('.'), "not exactly one point", v);
    const std::string_view integer = std::string_view(text).substr(start, point - start);
    const std::string_view fraction = std::string_view(text).substr(point + 1);
    for (char c : integer) Require(IsDigit(c), "a stray character before the point", v);
    for (char c : fraction) Require(IsDigit(c), "a stray character after the point", v);
    Require(integer.size() >= minInteger, "too few integer digits", v);
    Require(fraction.size() >= minFraction && fraction.size() <= maxFraction, "wrong number of decimals", v);
    if (integer.size() > minInteger) Require(integer[0] != '0', "a leading zero the mask does not ask for", v);
    if (fraction.size() > minFraction) Require(fraction.back() != '0', "a trailing zero the mask does not ask for", v);
    if (start == 1) Require(text.find_first_of("123456789") != std::string::npos, "a minus in front of zero", v);

    // The text stands for the value to within half its last place (rounding
    // from the 18-digit decimal form adds at most a few parts in 1e18).
    const double back = ParseNumber(text);
    Require(std::isfinite(back), "the masked text reads as no finite value", v);
    Require(std::fabs(back - v) <= halfUnit * (1 + 1e-9) + 1e-15 * std::fabs(v), "the masked text is off", v);
}

void CheckLevel(double mv) {
    const std::int32_t step = MillivoltsToLevelStep(mv);
    Require(step >= 0 && step <= kLevelTopStep, "level step outside 0..255", mv);
    if (mv >= kLevelTopMillivolts) Require(step == kLevelTopStep, "the top level is not the top step", mv);

    // Any whole step, even one far outside the slider, gives a level and no NaN.
    const std::int32_t anyStep = RoundHalfEven(mv);
    const double anyLevel = LevelStepToMillivolts(anyStep);
    Require(anyLevel >= 0, "a step gives a negative or NaN level", mv);

    // A slider level typed back in: the shown and the typed law differ by
    // under 1% a step, so over the 255 steps it lands within 2 of its step.
    const std::int32_t sliderStep = static_cast<std::int32_t>(static_cast<std::uint32_t>(anyStep) % 256u);
    const double level = LevelStepToMillivolts(sliderStep);
    Require(level > 0 && level <= kLevelTopMillivolts, "a slider level outside (0, 50] mV", mv);
    if (sliderStep < kLevelTopStep)
        Require(level < LevelStepToMillivolts(sliderStep + 1), "slider levels do not rise with the step", mv);
    const std::int32_t back = MillivoltsToLevelStep(level);
    Require(back >= sliderStep - 2 && back <= sliderStep + 2, "a slider level typed back moves more than 2 steps",
            mv);
}

void CheckDepth(double depth) {
    const std::int32_t steps = DepthToSteps(depth);
    Require(steps >= RoundHalfEven(10 * kDepthMin) && steps <= RoundHalfEven(10 * kDepthMax),
            "depth steps outside the slider", depth);
    if (depth >= kDepthMin && depth <= kDepthMax)
        Require(std::fabs(StepsToDepth(steps) - depth) <= 0.05 + 1e-12, "depth steps off by more than half a step",
                depth);
}

void CheckValue(double v) {
    CheckRounding(v);
    CheckNumberText(v);
    CheckMasked(v, "###.0", 0, 1, 1, 0.05);
    CheckMasked(v, "0.###", 1, 0, 3, 0.0005);
    CheckMasked(v, "0.00", 1, 2, 2, 0.005);
    CheckLevel(v);
    CheckDepth(v);
}

// Two values in order must give steps in the same order: a higher typed
// level never lands on a lower step.
void CheckOrder(double a, double b) {
    if (std::isnan(a) || std::isnan(b)) return;
    if (b < a) std::swap(a, b);
    Require(MillivoltsToLevelStep(a) <= MillivoltsToLevelStep(b), "level steps out of order", a);
    Require(DepthToSteps(a) <= DepthToSteps(b), "depth steps out of order", a);
    Require(RoundHalfEven(a) <= RoundHalfEven(b), "rounding out of order", a);
}

void CheckTyped(std::string_view text, double typed) {
    const std::int32_t khz = TypedFrequencyKhz(text);
    const std::int32_t width = TypedWidth(text);
    const std::int32_t pulses = TypedPulses(text);
    const double mv = TypedMillivolts(text);
    const double depth = TypedDepth(text);
    Require(khz >= 0 && khz <= kFreqMaxKhz, "frequency outside 0..1000", typed);
    Require(width >= kWidthMin && width <= kWidthMax, "width outside 10..10000", typed);
    Require(pulses >= 0 && pulses <= kPulsesMax, "pulses outside 0..50", typed);
    Require(mv >= kMillivoltsMin && mv <= kMillivoltsMax, "level outside its limits", typed);
    Require(depth >= kDepthMin && depth <= kDepthMax, "depth outside its limits", typed);

    // A value already inside the limits is used as typed.
    const bool whole = typed == std::trunc(typed);
    if (whole && typed >= 0 && typed <= kFreqMaxKhz) Require(khz == typed, "an allowed frequency changed", typed);
    if (whole && typed >= kWidthMin && typed <= kWidthMax) Require(width == typed, "an allowed width changed", typed);
    if (whole && typed >= 0 && typed <= kPulsesMax) Require(pulses == typed, "an allowed pulse count changed", typed);
    if (typed >= kMillivoltsMin && typed <= kMillivoltsMax) Require(mv == typed, "an allowed level changed", typed);
    if (typed >= kDepthMin && typed <= kDepthMax) Require(depth == typed, "an allowed depth changed", typed);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const double typed = ParseNumber(text);
    Require(std::isfinite(typed), "a text reads as a non-finite value", typed);
    // Blanks and line ends in front of the number are skipped.
    Require(ParseNumber(" \t\r\n" + std::string(text)) == typed, "leading blanks change the value", typed);
    CheckTyped(text, typed);
    CheckValue(typed);

    if (size < sizeof(double)) return 0;
    double bits = 0;
    std::memcpy(&bits, data, sizeof bits);
    CheckValue(bits);
    CheckOrder(typed, bits);
    return 0;
}
