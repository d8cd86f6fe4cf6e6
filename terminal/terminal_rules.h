#pragma once
// What the terminal program shows and puts on the line, decided without
// Windows: its texts, the port's device name, the cut of a typed line and
// which line errors make the receiver skip a pass.

#include <cstdint>
#include <string>
#include <string_view>

#include "link/port_names.h"

namespace kelt::term {

// The program's title: 48 characters, blanks included, as the instrument's
// maker wrote it. It heads the failure message and the window caption.
inline constexpr std::string_view kProgramTitle = "QMC KELT-9R Terminal Program.     V1.10         ";
static_assert(kProgramTitle.size() == 48);

inline constexpr std::string_view kPromptTitle = "Choose your active COM port";
inline constexpr std::string_view kPromptText = "Input COM port, 1 to 255";
inline constexpr std::size_t kMaxPortTextChars = 255;
inline constexpr std::string_view kOpenFailureText = "Failure to start communications!";

inline constexpr std::string_view kFirstListLine = "Data I/O window...";
inline constexpr std::string_view kOutgoingPrefix = "<== ";
inline constexpr std::string_view kIncomingPrefix = "==> ";
inline constexpr std::string_view kTransmissionError = "Transmission Error!";

// Every line to the instrument ends in CR LF; nothing else is added.
inline constexpr std::string_view kLineEnd = "\r\n";

// The longest line one click sends.
inline constexpr std::size_t kMaxSendChars = 1023;

// Line errors that make the receiver leave the queued bytes for a later pass:
// receive overrun, hardware overrun, framing, transmit queue full and I/O
// error. Parity errors and breaks do not stop a read.
inline constexpr std::uint32_t kLineErrorMask = 0x50B;

// A write to a line that does not drain gives up after this long plus this
// much per byte (a byte takes 1.04 ms at 9600 baud 8-N-1), so a stalled
// instrument shows up as a transmission error instead of a frozen window.
inline constexpr std::uint32_t kWriteTimeoutConstantMs = 1000;
inline constexpr std::uint32_t kWriteTimeoutPerByteMs = 2;

// The typed number is used as typed: "3" names \\.\COM3, and nothing checks
// that it is a number at all. Only a path separator is refused (an empty
// name, which never opens): "1\..\NUL" would reach another device.
inline std::string PortDeviceName(std::string_view portText) {
    if (LeavesThePortName(portText)) return {};
    return std::string("\\\\.\\COM").append(portText);
}

inline std::string WindowCaption(std::string_view portText) {
    return std::string(kProgramTitle).append("   COM").append(portText);
}

// The part of the edit box's text that one click sends: up to the first NUL
// and at most kMaxSendChars characters.
inline std::string SendableText(std::string_view editText) {
    editText = editText.substr(0, editText.find('\0'));
    return std::string(editText.substr(0, kMaxSendChars));
}

// How many queued bytes this pass reads, given the port's error bits.
inline std::uint32_t BytesToRead(std::uint32_t lineErrors, std::uint32_t bytesQueued) {
    return (lineErrors & kLineErrorMask) != 0 ? 0 : bytesQueued;
}

}  // namespace kelt::term
