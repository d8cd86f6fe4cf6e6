#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "sim/measurement.h"

namespace kelt::sim {
namespace {

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> out(1);
    for (char ch : line) {
        if (ch == ',') out.emplace_back();
        else out.back() += ch;
    }
    return out;
}

double number(const std::string& text) {
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    EXPECT_TRUE(!text.empty() && *end == '\0') << "'" << text << "' is not a plain number";
    return v;
}

// What the panel needs of a line: a first field of 4..8 characters, and
// settings it can keep in its settings file.
void expectPanelAccepts(const std::string& line) {
    const auto f = fields(line);
    ASSERT_EQ(f.size(), 8u) << line;
    EXPECT_GE(f[0].size(), 4u) << line;
    EXPECT_LE(f[0].size(), 8u) << line;
    EXPECT_EQ(line.find_first_of(" \r\n\""), std::string::npos) << line;
    const double freq = number(f[4]), width = number(f[5]), depth = number(f[6]), level = number(f[7]);
    EXPECT_TRUE(freq > 0.2f && freq <= 1000) << line;
    EXPECT_TRUE(width >= 10 && width <= 10000) << line;
    EXPECT_TRUE(depth >= 0.5 && depth <= 500) << line;
    EXPECT_TRUE(level >= 0.006f && level <= 50) << line;
}

TEST(SimMeasurementLine, DefaultInstrumentReportsTheSounderAndItsSettings) {
    const std::string line = measurementLine(Pulse{}, InstrumentState{});
    EXPECT_EQ(line, "50.00,400,250.0,12.50,50,400,30.0,50.000");
    expectPanelAccepts(line);
    // Sounders at the ends of the range still give lines the panel takes.
    for (double khz : {0.3, 0.31, 9.8, 1000.0}) expectPanelAccepts(measurementLine(Pulse{khz, 10, 0.1, 0}, {}));
    EXPECT_EQ(fields(measurementLine(Pulse{9.8, 400, 250, 12.5}, {}))[0], "9.80");
    EXPECT_EQ(fields(measurementLine(Pulse{1000, 10000, 250, 12.5}, {}))[0], "1000.00");
    EXPECT_EQ(kLineEnd, "\x0a\x0d");
}

TEST(SimMeasurementLine, SettingFieldsFollowAutoOrManual) {
    InstrumentState s;
    Pulse p{38.55, 251.6, 100.04, 3.333};
    auto f = fields(measurementLine(p, s));
    EXPECT_EQ(f[0], "38.55");
    EXPECT_EQ(f[1], "252");
    EXPECT_EQ(f[2], "100.0");
    EXPECT_EQ(f[3], "3.33");
    EXPECT_EQ(f[4], "38.55") << "tracking: the setting is what was measured";
    EXPECT_EQ(f[5], "252");

    for (auto line : {"f385", "w120"}) apply(s, parseCommand(line));
    f = fields(measurementLine(p, s));
    EXPECT_EQ(f[0], "38.55") << "the measurement is still the sounder's";
    EXPECT_EQ(f[4], "38.5");
    EXPECT_EQ(f[5], "120");
    apply(s, parseCommand("f500"));
    EXPECT_EQ(fields(measurementLine(p, s))[4], "50");
    apply(s, parseCommand("f2"));
    expectPanelAccepts(measurementLine(p, s));
    apply(s, parseCommand("w0"));
    expectPanelAccepts(measurementLine(p, s));
}

TEST(SimMeasurementLine, DepthIsInTheCurrentUnitAndLevelFollowsTheAttenuatorLaw) {
    InstrumentState s;
    apply(s, parseCommand("d123"));
    EXPECT_EQ(fields(measurementLine(Pulse{}, s))[6], "12.3");
    apply(s, parseCommand("cm"));
    EXPECT_EQ(fields(measurementLine(Pulse{}, s))[6], "12.3") << "a unit change converts nothing";
    apply(s, parseCommand("d5"));
    EXPECT_EQ(fields(measurementLine(Pulse{}, s))[6], "0.5");
    apply(s, parseCommand("d5000"));
    EXPECT_EQ(fields(measurementLine(Pulse{}, s))[6], "500.0");

    const std::pair<const char*, const char*> levels[] = {
        {"l255", "50.000"}, {"l143", "1.045"}, {"l209", "10.209"}, {"l0", "0.007"}, {"l235", "25.059"}};
    for (auto [cmd, mv] : levels) {
        apply(s, parseCommand(cmd));
        const std::string line = measurementLine(Pulse{}, s);
        EXPECT_EQ(fields(line)[7], mv) << cmd;
        expectPanelAccepts(line);
    }
    const std::string bottomOnly = fields(measurementLine(Pulse{}, s))[7];
    apply(s, parseCommand("L0"));
    EXPECT_EQ(fields(measurementLine(Pulse{}, s))[7], bottomOnly) << "the fish level is not reported";
}

TEST(SimPulseSource, JitterIsSmallReproducibleAndOptional) {
    PulseSource steady(Pulse{}, false), a(Pulse{}, true), b(Pulse{}, true);
    bool moved = false;
    for (int i = 0; i < 200; ++i) {
        const Pulse s = steady.next(), pa = a.next(), pb = b.next();
        EXPECT_EQ(s.freqKHz, 50.0);
        EXPECT_EQ(pa.freqKHz, pb.freqKHz);
        EXPECT_EQ(pa.widthUs, pb.widthUs);
        EXPECT_NEAR(pa.freqKHz, 50.0, 0.2);
        EXPECT_NEAR(pa.widthUs, 400.0, 2.0);
        EXPECT_NEAR(pa.periodMs, 250.0, 0.5);
        EXPECT_NEAR(pa.voltsPP, 12.5, 0.05);
        moved = moved || pa.freqKHz != 50.0;
        expectPanelAccepts(measurementLine(pa, InstrumentState{}));
    }
    EXPECT_TRUE(moved);
    PulseSource edge(Pulse{0.3, 10, 250, 0}, true);
    for (int i = 0; i < 50; ++i) expectPanelAccepts(measurementLine(edge.next(), InstrumentState{}));
}

TEST(SimGarbage, NeverContainsCarriageReturn) {
    std::minstd_rand rng(1);
    const std::string noise = garbageBytes(rng, 5000);
    EXPECT_EQ(noise.size(), 5000u);
    EXPECT_EQ(noise.find('\r'), std::string::npos);
    EXPECT_NE(noise.find('\n'), std::string::npos) << "other control bytes still appear";
}

}  // namespace
}  // namespace kelt::sim
