// The portable rules of the Windows simulator's COM port: its command line,
// the line settings read from its DCB, and when a peer counts as there.
#include <gtest/gtest.h>

#include "sim/com_peer.h"
#include "sim/control.h"
#include "sim/line_settings.h"

namespace kelt::sim {
namespace {

ParsedOptions parseCom(std::vector<std::string_view> args) { return parseOptions(args, PortKind::Com); }

TEST(SimComOptions, ThePortTextFollowsThePanelsRuleAndEachBuildKeepsItsOwnDevice) {
    EXPECT_EQ(parseCom({"--port", "16"}).options.portText, "16");
    EXPECT_EQ(parseCom({"--port=3", "--rate", "max", "--log", "s.log"}).error, "");
    EXPECT_EQ(parseCom({"--port=3"}).options.portText, "3");
    // A separator would lead \\.\COM... to another device or to a file.
    for (std::vector<std::string_view> bad : {std::vector<std::string_view>{"--port", "1\\..\\NUL"},
                                               {"--port", "16/x"}, {"--port", ""}, {"--port"}}) {
        const ParsedOptions p = parseCom(bad);
        EXPECT_NE(p.error.find("--port"), std::string::npos) << (bad.size() > 1 ? bad[1] : "(none)");
        EXPECT_EQ(p.options.portText, "");
    }
    EXPECT_NE(parseCom({"--rate", "2"}).error, "") << "a COM build without a port has nothing to open";
    EXPECT_EQ(parseCom({"--help"}).error, "") << "help needs no port";
    // A pty is made, not opened; a COM port is opened, not made.
    EXPECT_NE(parseCom({"--port", "16", "--link", "dosdevices/com15"}).error, "");
    EXPECT_NE(parseCom({"--port", "16", "--print-pty"}).error, "");
    EXPECT_NE(parseOptions({"--port", "16"}).error, "");
    EXPECT_EQ(parseOptions({"--link", "dosdevices/com15"}).error, "");

    const std::string com = usage("keltsim", PortKind::Com);
    EXPECT_NE(com.find("--port N"), std::string::npos);
    EXPECT_EQ(com.find("--link"), std::string::npos);
    EXPECT_NE(usage("keltsim").find("--link"), std::string::npos);
}

TEST(SimComLineSettings, ReadFromTheFieldsOfADcb) {
    // BaudRate, ByteSize, Parity (NOPARITY 0 .. SPACEPARITY 4), StopBits
    // (ONESTOPBIT 0, ONE5STOPBITS 1, TWOSTOPBITS 2).
    const auto good = serialSettingsFromDcb(9600, 8, 0, 0);
    ASSERT_TRUE(good);
    EXPECT_EQ(*good, (SerialSettings{9600, 8, 'N', 1}));
    EXPECT_TRUE(good->is9600_8N1());

    EXPECT_EQ(serialSettingsFromDcb(19200, 7, 2, 2), (SerialSettings{19200, 7, 'E', 2}));
    EXPECT_EQ(serialSettingsFromDcb(9600, 8, 1, 0)->parity, 'O');
    EXPECT_EQ(serialSettingsFromDcb(9600, 8, 3, 0)->parity, 'M');
    EXPECT_EQ(serialSettingsFromDcb(9600, 8, 4, 0)->parity, 'S');
    EXPECT_EQ(serialSettingsFromDcb(9600, 5, 0, 1)->stopBits, 2) << "one and a half reads as termios reads it";
    EXPECT_FALSE(serialSettingsFromDcb(9600, 8, 1, 0)->is9600_8N1());
    EXPECT_FALSE(serialSettingsFromDcb(4800, 8, 0, 0)->is9600_8N1());

    EXPECT_FALSE(serialSettingsFromDcb(9600, 9, 0, 0));
    EXPECT_FALSE(serialSettingsFromDcb(9600, 4, 0, 0));
    EXPECT_FALSE(serialSettingsFromDcb(9600, 8, 5, 0));
    EXPECT_FALSE(serialSettingsFromDcb(9600, 8, 0, 3));
}

TEST(SimComPeer, DsrCountsOnlyOnceACableHasShownIt) {
    ComPeer threeWire;
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(threeWire.present(false)) << "DSR never rises on three wires";
    ComPeer noLines;
    EXPECT_TRUE(noLines.present(std::nullopt)) << "a driver without modem lines";

    ComPeer full;
    EXPECT_TRUE(full.present(false)) << "before the peer ever raised DTR nothing is known";
    EXPECT_TRUE(full.present(true));
    EXPECT_FALSE(full.present(false)) << "the peer closed its port";
    EXPECT_FALSE(full.present(std::nullopt)) << "a failed reading keeps the last answer";
    EXPECT_TRUE(full.present(true));
    EXPECT_TRUE(full.present(std::nullopt));

    full.present(false);
    full.reset();
    EXPECT_TRUE(full.present(false)) << "a reopened port may be on another cable";
}

}  // namespace
}  // namespace kelt::sim
