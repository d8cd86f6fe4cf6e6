#pragma once
// The instrument's command words, named once. The panel sends nothing else;
// the simulator reads them on its own on purpose, as the instrument would.

#include <string_view>

#include "link/seams.h"

namespace kelt::command {

inline constexpr std::string_view OpenUpload = "~~~";   // then 3 s for the instrument
inline constexpr std::string_view CloseUpload = "S";
inline constexpr std::string_view Measure = " ";        // a blank: fresh measurements, please
inline constexpr std::string_view BareLineEnd = "";     // CR LF alone, after "a"
inline constexpr std::string_view BottomDepth = "d";    // tenths of the depth unit
inline constexpr std::string_view BottomLevel = "l";    // attenuator step 0..255
inline constexpr std::string_view FishDepth = "D";
inline constexpr std::string_view FishLevel = "L";
inline constexpr std::string_view OffPulses = "e";      // with a value; alone it turns the fish echo off
inline constexpr std::string_view OnPulses = "E";
inline constexpr std::string_view AutoFrequency = "A";
inline constexpr std::string_view Frequency = "f";      // tenths of a kHz
inline constexpr std::string_view AutoWidth = "a";
inline constexpr std::string_view Width = "w";          // µs

// Depth unit codes: the settings files keep them and the instrument takes
// them as commands.
inline constexpr std::string_view UnitFeet = "cf";
inline constexpr std::string_view UnitFathoms = "cF";
inline constexpr std::string_view UnitMeters = "cm";

}  // namespace kelt::command

namespace kelt {

// The command line ends in CR LF on the wire.
inline constexpr std::string_view kCommandLineEnd = "\r\n";

// A command word alone, or a word followed directly by NumberText of the
// value ("d300"): one line, written by the link in one go.
void SendCommand(Link& link, std::string_view word);
void SendCommand(Link& link, std::string_view word, double value);

}  // namespace kelt
