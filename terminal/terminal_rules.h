#pragma once
// What the terminal program shows and puts on the line, decided without
// Windows: its texts and the cut of a typed line. The line itself (device
// name, line errors, time-outs) is link's.

#include <cstdint>
#include <string>
#include <string_view>

#include "kelt_version.h"


namespace kelt::term {

// The program's title: 48 characters, blanks included, as the instrument's
// maker wrote it. It heads the failure message and the window caption.
inline constexpr std::string_view kProgramTitle = KELT_TERMINAL_TITLE;
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

inline std::string WindowCaption(std::string_view portText) {
    return std::string(kProgramTitle).append("   COM").append(portText);
}

// The part of the edit box's text that one click sends: up to the first NUL
// and at most kMaxSendChars characters.
inline std::string SendableText(std::string_view editText) {
    editText = editText.substr(0, editText.find('\0'));
    return std::string(editText.substr(0, kMaxSendChars));
}

}  // namespace kelt::term
