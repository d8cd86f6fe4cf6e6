#pragma once
// How the programs turn a port text into a device name, and the panel a
// list entry back into a port text.

#include <string>
#include <string_view>

namespace kelt {

// True when a port text could lead the device name somewhere else: a
// separator turns "COM1\..\NUL" into another device, or a file.
bool LeavesThePortName(std::string_view portText);

// "COM" + text. An all-digit text goes through the device namespace
// ("\\.\COM15"), without which Windows finds COM10 and above only as file
// names; any other text is passed as it stands, so that it can never reach
// a file through the device namespace. A text with a path separator names
// no device at all (an empty name, which never opens).
std::string PortDeviceName(std::string_view portText);

// The terminal's rule: "\\.\COM" + the text as typed ("3" names \\.\COM3;
// nothing checks that it is a number at all). Only a path separator is
// refused (an empty name, which never opens).
std::string TerminalDeviceName(std::string_view portText);

// "COMn" as listed in the port-selection dialog.
std::string PortListName(int number);

// The port text taken from the chosen entry: at most two characters from
// the fourth on ("COM3" gives "3", "COM12" gives "12", "COM123" gives "12").
std::string PortTextFromChoice(std::string_view choice);

}  // namespace kelt
