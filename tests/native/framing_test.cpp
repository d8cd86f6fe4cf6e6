// The instrument's measurement messages: framing, the line check, the split.

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "link/framing.h"

namespace kelt {
namespace {

std::string LineAfter(MeasurementFramer& framer, std::string_view read) {
    framer.Feed(read);
    return framer.currentLine();
}

TEST(MeasurementFraming, LfCrEndsALineAndOnlyTheLastLineOfAReadCounts) {
    MeasurementFramer framer;
    EXPECT_EQ(LineAfter(framer, "11111,a\n\r22222,b\n\r33333,"), "22222,b");
    EXPECT_EQ(LineAfter(framer, "c\n"), "22222,b");
    EXPECT_EQ(LineAfter(framer, "\r"), "33333,c");
    EXPECT_EQ(framer.receiveBuffer(), "");
}

TEST(MeasurementFraming, TheLineRunsFromTheLastCrToTheFirstLfAfterIt) {
    MeasurementFramer framer;
    EXPECT_EQ(LineAfter(framer, "12345,a\rxyz"), "12345,a\rxyz");
    EXPECT_EQ(LineAfter(framer, "\n1\r2\n\r"), "2");
    EXPECT_EQ(LineAfter(framer, "noise\n12345,a\n\r"), "noise");  // a stray LF hides the message
}

// A reader that fell behind finds seconds of lines in one read: the newest
// complete one counts at once, and the read says whether it completed one.
TEST(MeasurementFraming, AReadOfAnySizeFramesItsLastCompleteLine) {
    std::string lines;
    for (int i = 0; i < 400; ++i) lines += "11111," + std::to_string(i) + "\n\r";
    MeasurementFramer framer;
    EXPECT_TRUE(framer.Feed("00000,z\n\r"));
    EXPECT_TRUE(framer.Feed(lines + "33333,c\n\rxy"));
    EXPECT_EQ(framer.currentLine(), "33333,c");
    EXPECT_EQ(framer.receiveBuffer(), "xy");
    EXPECT_FALSE(framer.Feed("z,1\n")) << "no CR: the line is not complete yet";
    EXPECT_EQ(framer.currentLine(), "33333,c");
    EXPECT_TRUE(framer.Feed("\r"));
    EXPECT_EQ(framer.currentLine(), "xyz,1");
}

// Neither a line without CR nor a reader that keeps falling behind may grow
// the buffer without end; the lines on both sides of a flood still count.
TEST(MeasurementFraming, BufferStaysBoundedAndLinesAroundAFloodSurvive) {
    const std::string flood(64, 'x');
    const std::string tooLargeToFrame = "33333,c\n\r" + flood;
    MeasurementFramer framer;
    framer.Feed("12345,a,b\n");
    for (int i = 0; i < 4096; ++i) framer.Feed(flood);
    EXPECT_EQ(framer.receiveBuffer().size(), kLongestRun);
    EXPECT_EQ(LineAfter(framer, "\r"), "12345,a,b");
    for (int i = 0; i < 4096; ++i) framer.Feed(flood);
    EXPECT_EQ(LineAfter(framer, "\r22222,b\n\r"), "22222,b");
    for (int i = 0; i < 4096; ++i) framer.Feed(tooLargeToFrame);
    EXPECT_LE(framer.receiveBuffer().size(), 2 * tooLargeToFrame.size());
}

TEST(MeasurementLine, FirstCommaAtPositionFiveToNineInALongerLine) {
    EXPECT_FALSE(IsMeasurementLine("9.8,50,400,12"));
    EXPECT_TRUE(IsMeasurementLine("9.80,5"));
    EXPECT_TRUE(IsMeasurementLine("12345678,5"));
    EXPECT_FALSE(IsMeasurementLine("123456789,5"));
    EXPECT_FALSE(IsMeasurementLine("9.80,"));
    EXPECT_FALSE(IsMeasurementLine("1234567890"));
}

TEST(MeasurementSplit, EightCommaFieldsWithTheLevelCutToFiveCharacters) {
    using Texts = std::array<std::string, 8>;
    EXPECT_EQ(SplitMeasurement(R"(50.0, 200 ,1000,"12,5",50,200,30.0,12.3456,more)").field,
              (Texts{"50.0", "200", "1000", "12,5", "50", "200", "30.0", "12.34"}));
    EXPECT_EQ(SplitMeasurement("50.00,200").field, (Texts{"50.00", "200", "", "", "", "", "", ""}));
    // A line ended by CR alone carries it in its last field, unless cut off.
    EXPECT_EQ(SplitMeasurement("50.00,1,2,3,4,5,6,7\r").field[7], "7\r");
    EXPECT_EQ(SplitMeasurement("50.00,1,2,3,4,5,6,12.34\r").field[7], "12.34");
}

}  // namespace
}  // namespace kelt
