#include <gtest/gtest.h>

#include <cmath>

#include "sim/control.h"

namespace kelt::sim {
namespace {

ParsedOptions parse(std::vector<std::string_view> args) { return parseOptions(args); }

TEST(SimOptions, EveryOptionInBothSpellings) {
    const ParsedOptions p = parse({"--link", "prefix/dosdevices/com15", "--print-pty", "--rate=0", "--sounder-freq", "38.5",
                                   "--sounder-width", "120", "--sounder-period=100", "--sounder-volts", "3",
                                   "--jitter", "--numbered", "--log", "l.jsonl", "--log-tx", "--control", "c.txt", "--no-cr",
                                   "--stall", "--burst", "20", "--garbage", "1.5"});
    ASSERT_EQ(p.error, "");
    const Options& o = p.options;
    EXPECT_EQ(o.linkPath, "prefix/dosdevices/com15");
    EXPECT_TRUE(o.printPty && o.jitter && o.numbered && o.logTx && o.noCr && o.stall);
    EXPECT_EQ(o.rate, 0.0);
    EXPECT_EQ(o.sounder.freqKHz, 38.5);
    EXPECT_EQ(o.sounder.widthUs, 120.0);
    EXPECT_EQ(o.sounder.periodMs, 100.0);
    EXPECT_EQ(o.sounder.voltsPP, 3.0);
    EXPECT_EQ(o.logPath, "l.jsonl");
    EXPECT_EQ(o.controlPath, "c.txt");
    EXPECT_EQ(o.burst, 20);
    EXPECT_EQ(o.garbageSeconds, 1.5);
    EXPECT_TRUE(std::isinf(parse({"--rate", "max"}).options.rate));
    EXPECT_TRUE(parse({"-h"}).options.help);
}

TEST(SimOptions, BadArgumentsAreRejectedWithAReason) {
    for (auto args : std::vector<std::vector<std::string_view>>{
             {"--rate"}, {"--rate", "-1"}, {"--rate", "2x"}, {"--sounder-freq", "0.2"}, {"--sounder-width", "9"},
             {"--burst", "2.5"}, {"--link", ""}, {"--jitter=1"}, {"extra"}, {"--sounder-volts", "nan"}}) {
        const ParsedOptions p = parse(args);
        EXPECT_NE(p.error, "") << args[0];
    }
    EXPECT_NE(parse({"--frobnicate"}).error.find("--frobnicate"), std::string::npos);
    EXPECT_NE(parse({"--rate", "fast"}).error.find("--rate"), std::string::npos);
}

TEST(SimControlFile, EveryCommandAndItsArgument) {
    auto cmd = [](std::string_view line) {
        const ParsedControl p = parseControl(line);
        EXPECT_EQ(p.error, "") << line;
        return p.command;
    };
    EXPECT_EQ(cmd("vanish 2.0").kind, ControlKind::Vanish);
    EXPECT_EQ(cmd("vanish 2.0").number, 2.0);
    EXPECT_EQ(cmd("rate 10").number, 10.0);
    EXPECT_TRUE(std::isinf(cmd("rate max").number));
    EXPECT_TRUE(cmd("no-cr on").on);
    EXPECT_FALSE(cmd("stall off").on);
    EXPECT_EQ(cmd("stall off").kind, ControlKind::Stall);
    EXPECT_EQ(cmd("burst 5").number, 5.0);
    EXPECT_EQ(cmd("garbage 0.5").kind, ControlKind::Garbage);
    EXPECT_EQ(cmd("flood 3456000").kind, ControlKind::Flood);
    EXPECT_EQ(cmd("flood 3456000").number, 3456000.0);
    EXPECT_EQ(cmd("  quit \r").kind, ControlKind::Quit) << "stray blanks and a CR from a DOS editor";
    EXPECT_EQ(cmd("# comment").kind, ControlKind::None);
    EXPECT_EQ(cmd("line 50.00,400,250.0,12.50,50,400,30.0,50.000").text, "50.00,400,250.0,12.50,50,400,30.0,50.000");
    EXPECT_EQ(cmd("line  two  blanks ").text, " two  blanks ") << "verbatim after the one separator";
    EXPECT_EQ(cmd("line").text, "");

    for (std::string_view bad : {"vanish", "vanish soon", "rate -2", "no-cr yes", "stall", "burst 0", "burst 1.5",
                                 "garbage", "flood", "flood 0", "quit now", "explode"}) {
        EXPECT_NE(parseControl(bad).error, "") << bad;
    }
}

TEST(SimSerialSettings, ReadsWhatThePeerChose) {
    termios t{};
    cfmakeraw(&t);
    cfsetspeed(&t, B9600);
    const SerialSettings good = serialSettings(t);
    EXPECT_EQ(good, (SerialSettings{9600, 8, 'N', 1}));
    EXPECT_TRUE(good.is9600_8N1());

    termios odd = t;
    odd.c_cflag = (odd.c_cflag & ~CSIZE) | CS7 | PARENB | PARODD | CSTOPB;
    EXPECT_EQ(serialSettings(odd), (SerialSettings{9600, 7, 'O', 2}));
    EXPECT_FALSE(serialSettings(odd).is9600_8N1());
    odd.c_cflag &= ~PARODD;
    EXPECT_EQ(serialSettings(odd).parity, 'E');

    cfsetspeed(&t, B115200);
    EXPECT_EQ(serialSettings(t).baud, 115200);
    EXPECT_FALSE(serialSettings(t).is9600_8N1());
}

}  // namespace
}  // namespace kelt::sim
