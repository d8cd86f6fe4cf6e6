// The terminal's texts and rules that do not need Windows.

#include <gtest/gtest.h>

#include <string>

#include "kelt_version.h"
#include "link/line_rules.h"
#include "link/port_names.h"
#include "terminal/terminal_rules.h"

namespace kelt::term {
namespace {

TEST(TerminalRules, PortTextIsUsedAsTypedInDeviceNameAndCaption) {
    EXPECT_EQ(TerminalDeviceName("3"), "\\\\.\\COM3");
    EXPECT_EQ(TerminalDeviceName(""), "\\\\.\\COM");
    EXPECT_EQ(TerminalDeviceName(" 07x"), "\\\\.\\COM 07x");
    EXPECT_EQ(TerminalDeviceName("1\\..\\NUL"), "") << "a separator names no device at all";
    EXPECT_EQ(TerminalDeviceName("1/../LPT1"), "");
    EXPECT_EQ(WindowCaption("3"), "QMC KELT-9R Terminal Program.     V" KELT_TERMINAL_VERSION "            COM3");
    EXPECT_EQ(WindowCaption("12").size(), 48u + 6u + 2u);
    EXPECT_EQ(WindowCaption("").substr(48), "   COM");
}

TEST(TerminalRules, SendableTextStopsAtNulAndAfter1023Characters) {
    EXPECT_EQ(SendableText(""), "");
    EXPECT_EQ(SendableText("AB"), "AB");
    const std::string long1100(1100, 'q');
    EXPECT_EQ(SendableText(long1100), std::string(1023, 'q'));
    EXPECT_EQ(SendableText(std::string(1023, 'z')).size(), 1023u);
    EXPECT_EQ(SendableText(std::string("AB\0CD", 5)), "AB");
    EXPECT_EQ(SendableText(std::string("\0CD", 3)), "");
    EXPECT_EQ(SendableText("\xe9t\xe9 \r\n"), "\xe9t\xe9 \r\n") << "bytes go out unchanged";
}

TEST(TerminalRules, OnlyOverrunFramingQueueAndIoErrorsSkipARead) {
    constexpr std::uint32_t rxOver = 0x1, overrun = 0x2, parity = 0x4, frame = 0x8,
                            brk = 0x10, txFull = 0x100, ioe = 0x400;
    EXPECT_EQ(BytesToRead(0, 17), 17u);
    EXPECT_EQ(BytesToRead(parity, 17), 17u);
    EXPECT_EQ(BytesToRead(brk, 17), 17u);
    EXPECT_EQ(BytesToRead(parity | brk, 5), 5u);
    for (std::uint32_t error : {rxOver, overrun, frame, txFull, ioe}) {
        EXPECT_EQ(BytesToRead(error, 17), 0u) << std::hex << error;
        EXPECT_EQ(BytesToRead(error | parity | brk, 17), 0u) << std::hex << error;
    }
    EXPECT_EQ(BytesToRead(0x20 | 0x40 | 0x80 | 0x200, 9), 9u) << "other bits are not line errors";
}

}  // namespace
}  // namespace kelt::term
