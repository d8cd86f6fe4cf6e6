#include "panel/conversions.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

namespace kelt {
namespace {

constexpr auto kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr auto kInt32Max = std::numeric_limits<std::int32_t>::max();

TEST(RoundHalfEven, TiesToEvenAndSaturatesAtThe32BitEnds) {
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(-0.4), 0);
    EXPECT_EQ(RoundHalfEven(2.5000000000000004), 3);
    EXPECT_EQ(RoundHalfEven(2147483646.5), 2147483646);
    EXPECT_EQ(RoundHalfEven(2147483647.5), kInt32Max);
    EXPECT_EQ(RoundHalfEven(-2147483648.5), kInt32Min);
    EXPECT_EQ(RoundHalfEven(HUGE_VAL), kInt32Max);
    EXPECT_EQ(RoundHalfEven(std::nan("")), 0);
}

TEST(ParseNumber, ReadsTheNumberAtTheStartOfTheText) {
    EXPECT_EQ(ParseNumber("12.5 ft"), 12.5);
    EXPECT_EQ(ParseNumber(" \t\r\n-3"), -3.0);
    EXPECT_EQ(ParseNumber("+.5.7"), 0.5);
    EXPECT_EQ(ParseNumber("25D-1"), 2.5);
    for (const char* none : {"", "abc", ".", "-", "e5", "- 3"}) EXPECT_EQ(ParseNumber(none), 0.0) << none;
    EXPECT_EQ(ParseNumber("&hfF"), 255.0);
    EXPECT_EQ(ParseNumber("&q17"), 15.0);
    EXPECT_EQ(ParseNumber("&B1012"), 5.0);
    EXPECT_EQ(ParseNumber("&178"), 15.0);
    EXPECT_EQ(ParseNumber("&Z1"), 0.0);
}

TEST(ParseNumber, KeepsEighteenSignificantDigitsAndStaysFinite) {
    // The 19th digit would tip a full-precision reader past the half-way point.
    EXPECT_EQ(ParseNumber("1.000000000000000112"), 1.0);
    EXPECT_EQ(ParseNumber("0.0000000000000000000012"), 1.2e-21);
    EXPECT_EQ(ParseNumber("1000000000000000000000999"), 1e24);
    EXPECT_EQ(ParseNumber("-1e99999999999999999999"), -DBL_MAX);
    EXPECT_EQ(ParseNumber("1e-400"), 0.0);
    EXPECT_EQ(ParseNumber("&H" + std::string(300, 'F')), DBL_MAX);
}

TEST(NumberText, FifteenDigitsWithoutLeadingZeroOrSignPosition) {
    EXPECT_EQ(NumberText(3850), "3850");
    EXPECT_EQ(NumberText(0.2), ".2");
    EXPECT_EQ(NumberText(-0.0), "0");
    EXPECT_EQ(NumberText(-2.5), "-2.5");
    EXPECT_EQ(NumberText(1.0 / 3), ".333333333333333");
    EXPECT_EQ(NumberText(12345678901234567.0), "12345678901234600");
    EXPECT_EQ(SignedNumberText(38.5), " 38.5");
    EXPECT_EQ(SignedNumberText(-3), "-3");
}

TEST(MaskedNumberText, PictureMasks) {
    EXPECT_EQ(MaskedNumberText(0.5, "###.0"), ".5");
    EXPECT_EQ(MaskedNumberText(1234.56, "###.0"), "1234.6");
    EXPECT_EQ(MaskedNumberText(0.007481, "0.###"), "0.007");
    EXPECT_EQ(MaskedNumberText(48.302544, "0.###"), "48.303");
    EXPECT_EQ(MaskedNumberText(50, "0.###"), "50.");
    EXPECT_EQ(MaskedNumberText(0, "0.00"), "0.00");
    EXPECT_EQ(MaskedNumberText(-0.001, "0.00"), "0.00");
    EXPECT_EQ(MaskedNumberText(99.96, "0.#"), "100.");
    EXPECT_EQ(MaskedNumberText(7.5, "00#"), "008");
}

TEST(MaskedNumberText, RoundsTheEighteenDigitDecimalHalfToEven) {
    EXPECT_EQ(MaskedNumberText(12.25, "###.0"), "12.2");
    EXPECT_EQ(MaskedNumberText(1.05, "###.0"), "1.1");     // 1.05000000000000004
    EXPECT_EQ(MaskedNumberText(2.675, "0.00"), "2.67");    // 2.67499999999999982
    // Binary just above / below the half, exact halves in 18 digits.
    EXPECT_EQ(MaskedNumberText(1000.245, "0.00"), "1000.24");
    EXPECT_EQ(MaskedNumberText(1000.255, "0.00"), "1000.26");
}

TEST(LevelLaw, StepToMillivoltsAndBack) {
    EXPECT_EQ(MaskedNumberText(LevelStepToMillivolts(255), "0.###"), "50.");
    EXPECT_EQ(MaskedNumberText(LevelStepToMillivolts(0), "0.###"), "0.007");
    EXPECT_EQ(MaskedNumberText(LevelStepToMillivolts(143), "0.###"), "1.045");
    EXPECT_NEAR(LevelStepToMillivolts(0), 0.007481175662, 1e-12);   // 0.3 dB in single precision
    EXPECT_EQ(LevelStepToMillivolts(kInt32Min), 0.0);
    const struct { double millivolts; std::int32_t step; double stepMillivolts; } points[] = {
        {0.0069, 0, 0.00748}, {0.01, 10, 0.01057}, {0.1, 76, 0.10327}, {1, 143, 1.04465},
        {5, 189, 5.11646}, {10, 209, 10.20869}, {25, 235, 25.05936}, {50, 255, 50}, {60, 255, 50},
        {-1e300, 0, 0.00748}};
    for (const auto& p : points) {
        EXPECT_EQ(MillivoltsToLevelStep(p.millivolts), p.step) << p.millivolts;
        EXPECT_NEAR(LevelStepToMillivolts(p.step), p.stepMillivolts, 5e-6) << p.step;
    }
}

TEST(DepthLaw, TenthsOfTheUnitLimitedToHalfTo500) {
    EXPECT_EQ(MaskedNumberText(StepsToDepth(123), "###.0"), "12.3");
    EXPECT_EQ(DepthToSteps(12.25), 122);
    EXPECT_EQ(DepthToSteps(0.25), 5);
    EXPECT_EQ(DepthToSteps(600), 5000);
    EXPECT_EQ(DepthToSteps(std::nan("")), 5);
}

TEST(TypedValues, WholeNumbersSaturateBeforeTheirLimits) {
    EXPECT_EQ(TypedFrequencyKhz("38.5"), 38);
    EXPECT_EQ(TypedFrequencyKhz("-7"), 0);
    EXPECT_EQ(TypedFrequencyKhz("0.6"), 1);
    EXPECT_EQ(TypedFrequencyKhz("1e10"), 1000);
    EXPECT_EQ(TypedWidth("1e10"), 10000);
    EXPECT_EQ(TypedWidth("-1e10"), 10);
    EXPECT_EQ(TypedPulses("3.5"), 4);
    EXPECT_EQ(TypedPulses("-1e10"), 0);
}

TEST(TypedValues, MillivoltsAndDepthShowTheLimitedTypedValue) {
    EXPECT_EQ(MaskedNumberText(TypedMillivolts("60"), "0.###"), "50.1");
    EXPECT_EQ(TypedMillivolts("60"), double(50.1f));
    EXPECT_EQ(TypedMillivolts("0"), double(0.0069f));
    EXPECT_EQ(MaskedNumberText(TypedMillivolts("1"), "0.###"), "1.");
    EXPECT_EQ(MaskedNumberText(TypedDepth("0.3"), "###.0"), ".5");
    EXPECT_EQ(TypedDepth("&H10"), 16.0);
}

}  // namespace
}  // namespace kelt
