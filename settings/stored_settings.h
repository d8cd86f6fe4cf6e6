#pragma once
// What the settings file and the script files keep: every setting as the
// text that stands in the file or in its box, never reformatted, and the
// three check boxes, whose states the file's flags are written from.

#include <string>

namespace kelt {

struct StoredSettings {
    std::string commPortText;          // "Commport": the COM port number
    std::string autoFreqFlagText;      // "Auto_freq", 1st value: "1" automatic frequency
    std::string freqText;              // "Auto_freq", 2nd value: kHz
    std::string autoWidthFlagText;     // "Auto_width", 1st value: "1" automatic width
    std::string widthText;             // "Auto_width", 2nd value: µs
    std::string fishEchoFlagText;      // "Fish_Echo", 1st value: "1" fish echo on
    std::string onPulsesText;          // "Fish_Echo", 2nd value
    std::string offPulsesText;         // "Fish_Echo", 3rd value
    std::string fishDepthText;         // "Fish_Depth": in the depth unit
    std::string fishReplyLevelText;    // "Fish_Reply_Level": millivolts
    std::string bottomDepthText;       // "Bottom_Depth"
    std::string bottomReplyLevelText;  // "Bottom_Reply_Level"
    std::string depthUnitsCode;        // "Depth_Units": "cf", "cF" or "cm"
    std::string lastFileLoaded;        // "LastFileLoaded"
    std::string lastFileSaved;         // "LastFileSaved"

    // The check boxes as the upload set them and the writer reads them back.
    bool autoFreqChecked = false;
    bool autoWidthChecked = false;
    bool fishEchoChecked = false;
};

}  // namespace kelt
