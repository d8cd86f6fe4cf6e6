#pragma once
// The one program-wide record of the control panel. Field names follow the
// panel's documentation so that every procedure speaks the same language.
//
// Threads: the user-interface thread owns every text and every number here.
// The measurement reader never writes PanelState directly: it posts the texts
// of each examined line to the user-interface thread, which stores them. So
// only the three flags below are touched by both threads, and they are atomic.

#include <atomic>
#include <cstdint>
#include <string>

namespace kelt {

struct PanelState {
    // Settings held as text: what the settings and script files keep.
    std::string commPortText;
    std::string autoFreqFlagText;
    std::string freqText;
    std::string autoWidthFlagText;
    std::string widthText;
    std::string fishEchoFlagText;
    std::string onPulsesText;
    std::string offPulsesText;
    std::string fishDepthText;
    std::string fishReplyLevelText;
    std::string bottomDepthText;
    std::string bottomReplyLevelText;
    std::string depthUnitsCode;
    std::string lastFileLoaded;
    std::string lastFileSaved;

    // Check-box states, 0 or 1.
    std::int32_t autoFreqChecked = 0;
    std::int32_t autoWidthChecked = 0;
    std::int32_t fishEchoChecked = 0;

    // Working values in slider steps (and the two depths in depth units).
    std::int32_t freqSteps = 0;
    std::int32_t widthSteps = 0;
    std::int32_t bottomDepthSteps = 0;
    std::int32_t fishDepthSteps = 0;
    double bottomDepth = 0.0;
    double fishDepth = 0.0;
    std::int32_t bottomLevelStep = 0;
    std::int32_t fishLevelStep = 0;
    std::int32_t onPulses = 0;
    std::int32_t offPulses = 0;

    // Measurement texts, from the instrument's lines.
    std::string measFreqText;
    std::string measWidthText;
    std::string measPeriodText;
    std::string measVoltsText;
    std::string measBottomDepthText;
    std::string measBottomLevelText;

    // Link and thread state.
    std::int32_t portFileNo = 0;
    std::int32_t portOpen = 0;
    std::string portInUseText;
    std::int16_t portReselect = 0;
    std::atomic<std::int32_t> linkBusy{0};
    std::atomic<std::int16_t> readerCountdown{0};
    std::atomic<std::int32_t> readerStop{0};
    void* readerThread = nullptr;  // the reader's thread handle, opaque here

    // Scratch fields of the event handler.
    std::int32_t posFreq = 0;
    std::int32_t posWidth = 0;
    std::int32_t posBottomDepth = 0;
    std::int32_t posBottomLevel = 0;
    std::int32_t posFishDepth = 0;
    std::int32_t posFishLevel = 0;
    std::int32_t posOnPulses = 0;
    std::int32_t posOffPulses = 0;
    std::string editScratchA;
    std::string editScratchB;
    std::int32_t enteredFreq = 0;
    std::int32_t enteredWidth = 0;
    void* panelSavedFocus = nullptr;      // window handles, opaque here
    void* portDlgSavedFocus = nullptr;
    void* progressDlgSavedFocus = nullptr;
};

}  // namespace kelt
