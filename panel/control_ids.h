#pragma once
// Control and menu identifiers of the main panel. They are the vocabulary
// through which reactions, the upload, the reader and the file writer
// address the panel's controls. There is no control 1004: the depth unit
// options are 1002, 1003 and 1005.

#include "resources/resource_ids.h"

namespace kelt::id {

inline constexpr int QuitButton = 8;
inline constexpr int EnterKey = 1;  // IDOK: Enter pressed in the panel
inline constexpr int RefreshButton = 1001;
inline constexpr int FeetOption = 1002;
inline constexpr int FathomsOption = 1003;
inline constexpr int MetersOption = 1005;
inline constexpr int FreqSetEdit = 1006;
inline constexpr int WidthSetEdit = 1014;
inline constexpr int BottomDepthEdit = 1015;
inline constexpr int BottomLevelEdit = 1016;
inline constexpr int FreqSlider = 1017;
inline constexpr int WidthSlider = 1019;
inline constexpr int BottomDepthSlider = 1020;
inline constexpr int BottomLevelSlider = 1021;
inline constexpr int MeasFreqBox = 1023;
inline constexpr int MeasWidthBox = 1024;
inline constexpr int MeasPeriodBox = 1025;
inline constexpr int MeasVoltsBox = 1026;
inline constexpr int FreqSetLabel = 1027;
inline constexpr int MeasPeriodLabel = 1029;
inline constexpr int BottomDepthLabel = 1033;
inline constexpr int InputsHeading = 1037;
inline constexpr int OutputsHeading = 1038;
inline constexpr int AutoFreqCheck = 1039;
inline constexpr int AutoWidthCheck = 1040;
inline constexpr int ResetButton = 1041;
inline constexpr int MeasVoltsLabel = 1042;
inline constexpr int BottomLevelLabel = 1044;
inline constexpr int FishLevelEdit = 1056;
inline constexpr int FishDepthSlider = 1057;
inline constexpr int FishLevelSlider = 1058;
inline constexpr int FishDepthLabel = 1062;
inline constexpr int FishLevelLabel = 1064;
inline constexpr int BottomEchoHeading = 1069;
inline constexpr int FishEchoHeading = 1070;
inline constexpr int OnPulsesEdit = 1074;
inline constexpr int OnPulsesSlider = 1075;
inline constexpr int OnPulsesLabel = 1078;
inline constexpr int OffPulsesEdit = 1081;
inline constexpr int OffPulsesSlider = 1082;
inline constexpr int OffPulsesLabel = 1085;
inline constexpr int FishDepthEdit = 1094;
inline constexpr int MeasWidthLabel = 1099;
inline constexpr int MeasFreqLabel = 1100;
inline constexpr int WidthSetLabel = 1101;
inline constexpr int FishEchoCheck = 1102;
inline constexpr int PanelPicture = 1105;
inline constexpr int DepthUnitsHeading = 1106;

inline constexpr int MenuOpenFile = 1115;
inline constexpr int MenuSaveFile = 1116;
inline constexpr int MenuCommPort = 1128;

// Port-selection dialog and "Updating" splash.
inline constexpr int PortListCombo = 1118;
inline constexpr int PortOkButton = 1120;
inline constexpr int PortCancelButton = 1121;
inline constexpr int PortListLabel = 1126;
inline constexpr int UpdatingImage = 1129;
inline constexpr int UpdatingProgressBar = 1130;

// Resources (numbered once, for the resource script too).
inline constexpr int PanelIcon = KELT_PANEL_ICON;
inline constexpr int PanelFrontBitmap = KELT_PANEL_FRONT_BITMAP;
inline constexpr int UpdatingBitmap = KELT_UPDATING_BITMAP;

}  // namespace kelt::id
