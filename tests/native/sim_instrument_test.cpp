#include <gtest/gtest.h>

#include "sim/instrument.h"

namespace kelt::sim {
namespace {

InstrumentState afterLines(std::initializer_list<std::string_view> lines) {
    InstrumentState s;
    for (auto line : lines) apply(s, parseCommand(line));
    return s;
}

TEST(SimCommandParsing, RecognisesEveryLineThePanelSends) {
    const std::pair<std::string_view, CommandKind> bare[] = {
        {"~~~", CommandKind::BeginUpload}, {"S", CommandKind::EndUpload}, {"A", CommandKind::AutoFreq},
        {"a", CommandKind::AutoWidth},     {"e", CommandKind::FishOff},   {" ", CommandKind::Measure},
        {"", CommandKind::Empty},          {"cF", CommandKind::Unit},
    };
    for (auto [line, kind] : bare) EXPECT_EQ(parseCommand(line).kind, kind) << '"' << line << '"';
    EXPECT_EQ(parseCommand("cf").unit, DepthUnit::Feet);
    EXPECT_EQ(parseCommand("cF").unit, DepthUnit::Fathoms);
    EXPECT_EQ(parseCommand("cm").unit, DepthUnit::Meters);

    const std::pair<std::string_view, CommandKind> valued[] = {
        {"d300", CommandKind::BottomDepth}, {"l255", CommandKind::BottomLevel},
        {"D150", CommandKind::FishDepth},   {"L0", CommandKind::FishLevel},
        {"e75", CommandKind::OffPulses},    {"E50", CommandKind::OnPulses},
        {"f10000", CommandKind::ManualFreq}, {"w0", CommandKind::ManualWidth},
    };
    for (auto [line, kind] : valued) {
        const Command c = parseCommand(line);
        EXPECT_EQ(c.kind, kind) << line;
        EXPECT_EQ(std::to_string(c.value), line.substr(1)) << line;
    }
    EXPECT_EQ(parseCommand("d-4").value, -4);
}

TEST(SimCommandParsing, CaseAndShapeMatterAndOddLinesAreUnknown) {
    for (std::string_view line : {"CF", "cM", "s", "~~", "~~~~", "  ", "d", "E", "d 300", "d+3", "d3x",
                                  "x300", "d99999999999999999999", "\t", "ee5"}) {
        EXPECT_EQ(parseCommand(line).kind, CommandKind::Unknown) << '"' << line << '"';
    }
    InstrumentState s;
    const InstrumentState before = s;
    EXPECT_FALSE(apply(s, parseCommand("zzz")).known);
    EXPECT_EQ(s.bottomDepthSteps, before.bottomDepthSteps);
    EXPECT_EQ(commandName(CommandKind::Unknown), "unknown");
}

TEST(SimInstrumentState, SettingsFollowCommands) {
    const InstrumentState s = afterLines({"~~~", "cF", "d123", "l143", "D77", "L10", "e3", "E4", "f385", "w250"});
    EXPECT_TRUE(s.uploading);
    EXPECT_FALSE(afterLines({"~~~", "cm", "S"}).uploading);
    EXPECT_EQ(s.unit, DepthUnit::Fathoms);
    EXPECT_EQ(s.bottomDepthSteps, 123);
    EXPECT_EQ(s.bottomLevelStep, 143);
    EXPECT_EQ(s.fishDepthSteps, 77);
    EXPECT_EQ(s.fishLevelStep, 10);
    EXPECT_TRUE(s.fishEcho);
    EXPECT_EQ(s.offPulses, 3);
    EXPECT_EQ(s.onPulses, 4);
    EXPECT_FALSE(s.autoFreq);
    EXPECT_EQ(s.freqTenths, 385);
    EXPECT_FALSE(s.autoWidth);
    EXPECT_EQ(s.widthUs, 250);

    const InstrumentState back = afterLines({"f385", "w250", "e3", "E4", "A", "a", "e"});
    EXPECT_TRUE(back.autoFreq);
    EXPECT_TRUE(back.autoWidth);
    EXPECT_FALSE(back.fishEcho);
    EXPECT_EQ(back.freqTenths, 385) << "manual value kept for when tracking is switched off again";

    InstrumentState m;
    EXPECT_TRUE(apply(m, parseCommand(" ")).measureNow);
    EXPECT_FALSE(apply(m, parseCommand("")).measureNow);
    EXPECT_TRUE(apply(m, parseCommand("")).known);
}

TEST(SimInstrumentState, ValuesBeyondTheHardwareAreLimitedAndFlagged) {
    InstrumentState s;
    EXPECT_TRUE(apply(s, parseCommand("d6000")).limited);
    EXPECT_EQ(s.bottomDepthSteps, 5000);
    EXPECT_TRUE(apply(s, parseCommand("D4")).limited);
    EXPECT_EQ(s.fishDepthSteps, 5);
    EXPECT_TRUE(apply(s, parseCommand("l256")).limited);
    EXPECT_EQ(s.bottomLevelStep, 255);
    EXPECT_TRUE(apply(s, parseCommand("e75")).limited);
    EXPECT_EQ(s.offPulses, 50);
    EXPECT_TRUE(apply(s, parseCommand("w0")).limited);
    EXPECT_EQ(s.widthUs, 10);
    EXPECT_TRUE(apply(s, parseCommand("f2")).limited);
    EXPECT_EQ(s.freqTenths, 3);
    EXPECT_FALSE(apply(s, parseCommand("f20")).limited);
    EXPECT_FALSE(apply(s, parseCommand("d5")).limited);
    EXPECT_FALSE(apply(s, parseCommand("L0")).limited);
    EXPECT_FALSE(apply(s, parseCommand("w10000")).limited);
}

TEST(SimLineSplitter, AcceptsEveryLineEndAndKeepsRawBytes) {
    LineSplitter split;
    auto lines = split.feed("d1\r\nd2\rd3\n\r\n");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].text, "d1");
    EXPECT_EQ(lines[0].raw, "d1\r\n");
    EXPECT_EQ(lines[1].text, "d2");
    EXPECT_EQ(lines[1].raw, "d2\r");
    EXPECT_EQ(lines[2].text, "d3");
    EXPECT_EQ(lines[3].text, "") << "CR LF alone is the empty command";
    EXPECT_EQ(lines[3].raw, "\r\n");

    // A line arriving in pieces, with the CR LF split across reads.
    EXPECT_TRUE(split.feed("d12").empty());
    EXPECT_EQ(split.pending(), 3u);
    lines = split.feed("3\r");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, "d123");
    EXPECT_TRUE(split.feed("\n").empty()) << "LF of a split CR LF is not a second line";
    lines = split.feed(" \r\n");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, " ");

    // A peer that never ends a line cannot grow the buffer without bound.
    LineSplitter flood;
    lines = flood.feed(std::string(3 * LineSplitter::kMaxLine, 'x'));
    EXPECT_EQ(lines.size(), 3u);
    EXPECT_EQ(flood.pending(), 0u);
}

}  // namespace
}  // namespace kelt::sim
