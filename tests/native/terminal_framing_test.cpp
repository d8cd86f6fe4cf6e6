// Incoming bytes from the instrument turned into the lines the terminal lists.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "link/line_framing.h"

namespace kelt::term {
namespace {

using Lines = std::vector<std::string>;

TEST(TerminalFraming, CrEndsALineAndTheRestWaitsForItsCr) {
    LineFraming framing;
    EXPECT_EQ(framing.Feed("AB\r\nCD"), Lines{"AB"});
    EXPECT_EQ(framing.pendingText(), "CD");
    EXPECT_EQ(framing.Feed("E\r"), Lines{"CDE"});
    EXPECT_EQ(framing.pendingText(), "");
    EXPECT_EQ(framing.Feed("1\r2\r3\r4"), (Lines{"1", "2", "3"}));
    EXPECT_EQ(framing.pendingText(), "4");
    EXPECT_EQ(framing.Feed(""), Lines{});
    EXPECT_EQ(framing.pendingText(), "4");
}

TEST(TerminalFraming, LfIsDroppedWhereverItStandsAndNeverEndsALine) {
    LineFraming framing;
    EXPECT_EQ(framing.Feed("one\ntwo\nthree\n"), Lines{});
    EXPECT_EQ(framing.pendingText(), "onetwothree");
    EXPECT_EQ(framing.Feed("\n\nfour\r"), Lines{"onetwothreefour"});

    LineFraming crLf;
    EXPECT_EQ(crLf.Feed("X\r\nY\r\n"), (Lines{"X", "Y"}));
    EXPECT_EQ(crLf.pendingText(), "");
    LineFraming lfCr;
    EXPECT_EQ(lfCr.Feed("X\n\rY\n\r"), (Lines{"X", "Y"}));
    EXPECT_EQ(lfCr.pendingText(), "");
}

TEST(TerminalFraming, EmptyLinesAndUnusualBytesComeThroughAsTheyAre) {
    LineFraming framing;
    EXPECT_EQ(framing.Feed("\r\r"), (Lines{"", ""}));
    EXPECT_EQ(framing.Feed("A\r\n\r\nB\r"), (Lines{"A", "", "B"}));
    const std::string odd("\0\x01\x7f\xff \t", 6);
    EXPECT_EQ(framing.Feed(odd + "\r"), Lines{odd});
}

TEST(TerminalFraming, ReadsSplitAnywhereGiveTheSameLines) {
    const std::string wire = "12.5,50,400\r\n\n\rxy\n\r\r\nlast";
    LineFraming whole;
    const Lines expected = whole.Feed(wire);
    ASSERT_EQ(expected, (Lines{"12.5,50,400", "", "xy", ""}));
    for (std::size_t cut = 0; cut <= wire.size(); ++cut) {
        LineFraming split;
        Lines got = split.Feed(std::string_view(wire).substr(0, cut));
        for (std::string& line : split.Feed(std::string_view(wire).substr(cut))) got.push_back(line);
        EXPECT_EQ(got, expected) << "cut at " << cut;
        EXPECT_EQ(split.pendingText(), "last") << "cut at " << cut;
    }
    LineFraming byteByByte;
    Lines got;
    for (char c : wire)
        for (std::string& line : byteByByte.Feed(std::string_view(&c, 1))) got.push_back(line);
    EXPECT_EQ(got, expected);
}

// A peer that never sends CR makes the unfinished text grow without end; a
// pass must still cost only what it received, or the receiver falls behind
// the line as the text grows.
TEST(TerminalFraming, WorkPerReadFollowsTheNewBytesNotTheKeptText) {
    constexpr std::size_t kBytes = 400'000;
    LineFraming framing;
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < kBytes; ++i) framing.Feed(i % 3 == 0 ? "\n" : "x");
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(framing.pendingText().size(), kBytes - (kBytes + 2) / 3);
    // Linear work takes milliseconds; rescanning the kept text takes minutes.
    EXPECT_LT(took, std::chrono::seconds(2));
    EXPECT_EQ(framing.Feed("\r").front().size(), kBytes - (kBytes + 2) / 3);
}

}  // namespace
}  // namespace kelt::term
