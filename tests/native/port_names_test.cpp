#include <gtest/gtest.h>

#include "link/port_names.h"

namespace kelt {
namespace {

TEST(PortDeviceName, DigitsGoThroughTheDeviceNamespaceAnythingElseStaysAsTyped) {
    EXPECT_EQ(PortDeviceName("3"), "\\\\.\\COM3");
    EXPECT_EQ(PortDeviceName("15"), "\\\\.\\COM15");
    EXPECT_EQ(PortDeviceName(""), "COM");
    EXPECT_EQ(PortDeviceName("3.5"), "COM3.5");
    EXPECT_EQ(PortDeviceName("1\\..\\NUL"), "") << "a separator names no device at all";
    EXPECT_EQ(PortDeviceName("1/../LPT1"), "");
    EXPECT_EQ(PortDeviceName("\\"), "");
    EXPECT_EQ(PortDeviceName(" 3"), "COM 3");
}

TEST(PortTextFromChoice, AtMostTwoCharactersFromTheFourth) {
    EXPECT_EQ(PortTextFromChoice("COM3"), "3");
    EXPECT_EQ(PortTextFromChoice("COM12"), "12");
    EXPECT_EQ(PortTextFromChoice("COM123"), "12");
    EXPECT_EQ(PortTextFromChoice("COM7"), "7");
    EXPECT_EQ(PortTextFromChoice("7"), "");
    EXPECT_EQ(PortTextFromChoice("COM"), "");
    EXPECT_EQ(PortTextFromChoice(""), "");
    EXPECT_EQ(PortListName(12), "COM12");
}

}  // namespace
}  // namespace kelt
