#include "link/port_names.h"

#include <algorithm>

namespace kelt {

bool LeavesThePortName(std::string_view portText) {
    return portText.find_first_of("\\/") != std::string_view::npos;
}

std::string PortDeviceName(std::string_view portText) {
    if (LeavesThePortName(portText)) return {};
    const bool allDigits =
        !portText.empty() && std::all_of(portText.begin(), portText.end(),
                                          [](char c) { return c >= '0' && c <= '9'; });
    return (allDigits ? std::string("\\\\.\\COM") : std::string("COM")) + std::string(portText);
}

std::string TerminalDeviceName(std::string_view portText) {
    if (LeavesThePortName(portText)) return {};
    return std::string("\\\\.\\COM").append(portText);
}

std::string PortListName(int number) { return "COM" + std::to_string(number); }

std::string PortTextFromChoice(std::string_view choice) {
    if (choice.size() <= 3) return {};
    return std::string(choice.substr(3, 2));
}

}  // namespace kelt
