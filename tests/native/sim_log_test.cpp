#include <gtest/gtest.h>

#include <string>

#include "sim/log.h"

namespace kelt::sim {
namespace {

TEST(SimLogEscaping, EveryByteGivesValidJsonText) {
    EXPECT_EQ(jsonEscape("d300"), "d300");
    EXPECT_EQ(jsonEscape(" "), " ");
    EXPECT_EQ(jsonEscape("a\"b\\c"), "a\\\"b\\\\c");
    EXPECT_EQ(jsonEscape("\r\n\t"), "\\r\\n\\t");
    EXPECT_EQ(jsonEscape(std::string("\0\x01\x1f", 3)), "\\u0000\\u0001\\u001f");
    EXPECT_EQ(jsonEscape("\x7f\x80\xff"), "\\u007f\\u0080\\u00ff");
    EXPECT_EQ(jsonEscape("~~~"), "~~~");

    // Nothing below 0x20 or above 0x7e may survive unescaped.
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    for (char ch : jsonEscape(all)) {
        const auto u = static_cast<unsigned char>(ch);
        EXPECT_TRUE(u >= 0x20 && u < 0x7f) << "raw byte " << int(u);
    }
}

TEST(SimLogEscaping, HexShowsExactBytes) {
    EXPECT_EQ(hexBytes("d300\r\n"), "643330300d0a");
    EXPECT_EQ(hexBytes(std::string("\0\xff", 2)), "00ff");
    EXPECT_EQ(hexBytes(""), "");
}

TEST(SimLogEvent, OneObjectPerLineWithClocksFirst) {
    const std::string line = LogEvent("rx", 12.3456789, 1000.5)
                                 .text("line", "d\"1\r")
                                 .integer("value", -7)
                                 .real("seconds", 2.0)
                                 .flag("limited", true)
                                 .flag("ok", false)
                                 .line();
    EXPECT_EQ(line,
              "{\"t\":12.345679,\"mono\":1000.500000,\"event\":\"rx\",\"line\":\"d\\\"1\\r\","
              "\"value\":-7,\"seconds\":2.000000,\"limited\":true,\"ok\":false}\n");
    EXPECT_EQ(LogEvent("open", 0, 1).line(), "{\"t\":0.000000,\"mono\":1.000000,\"event\":\"open\"}\n");
    EXPECT_NE(LogEvent("x", 0, 0).real("r", 1.0 / 0.0).line().find("\"r\":null"), std::string::npos);
}

}  // namespace
}  // namespace kelt::sim
