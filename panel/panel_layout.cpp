#include "panel/panel_layout.h"

#include <array>

#include "kelt_version.h"
#include "panel/control_ids.h"

namespace kelt {
namespace {

constexpr ControlKind kPush{"P", L"BUTTON", 0x50000F00u, 0};
constexpr ControlKind kRadio{"R", L"BUTTON", 0x50000D09u, 0};
constexpr ControlKind kCheck{"C", L"BUTTON", 0x50004D03u, 0};
constexpr ControlKind kEdit{"E", L"EDIT", 0x50010180u, 0x200u};        // WS_EX_CLIENTEDGE
constexpr ControlKind kMeasure{"M", L"EDIT", 0x50000880u, 0x200u};
constexpr ControlKind kLabelCentre{"Lc", L"STATIC", 0x50000001u, 0};
constexpr ControlKind kLabelLeft{"Ll", L"STATIC", 0x50000000u, 0};
constexpr ControlKind kRule{"H", L"STATIC", 0x50000004u, 0};
constexpr ControlKind kSlider{"S", L"msctls_trackbar32", 0x50000006u, 0};
constexpr ControlKind kImage{"I", L"STATIC", 0x5000000Eu, 0};

constexpr PanelFont D = PanelFont::Dialog;
constexpr PanelFont B = PanelFont::Bold;
constexpr PanelFont N = PanelFont::Normal;
constexpr PanelFont T = PanelFont::Heading;

constexpr DialogFrame kFrame{
    "Quillion Maritime Corp.        KELT-9R Control Panel ",
    "        Ver.:  " KELT_PANEL_VERSION,
    144, 112, 615, 233,
    0x94CA10D4u, 0x50000u,
    L"MS Sans Serif", 8};

constexpr std::array<ControlSpec, 69> kControls{{
    {id::RefreshButton, "RefreshButton", &kPush, "Refresh", 545, 100, 50, 15, D},
    {id::FeetOption, "FeetOption", &kRadio, "Feet", 515, 15, 45, 10, B},
    {id::FathomsOption, "FathomsOption", &kRadio, "Fathoms", 515, 25, 55, 10, B},
    {id::MetersOption, "MetersOption", &kRadio, "Meters", 515, 35, 45, 10, B},
    {id::FreqSetEdit, "FreqSetEdit", &kEdit, "TB5", 20, 75, 60, 15, N},
    {id::WidthSetEdit, "WidthSetEdit", &kEdit, "TB6", 85, 75, 60, 15, N},
    {id::BottomDepthEdit, "BottomDepthEdit", &kEdit, "TB7", 430, 75, 60, 15, N},
    {id::BottomLevelEdit, "BottomLevelEdit", &kEdit, "TB8", 495, 75, 60, 15, N},
    {id::FreqSlider, "FreqSlider", &kSlider, "msctls_trackbar32_1", 30, 100, 25, 95, D},
    {id::WidthSlider, "WidthSlider", &kSlider, "msctls_trackbar32_2", 100, 100, 25, 95, D},
    {id::BottomDepthSlider, "BottomDepthSlider", &kSlider, "msctls_trackbar32_3", 445, 100, 25, 95, D},
    {id::BottomLevelSlider, "BottomLevelSlider", &kSlider, "msctls_trackbar32_4", 505, 100, 25, 95, D},
    {id::QuitButton, "QuitButton", &kPush, "Quit", 545, 170, 50, 15, D},
    {id::MeasFreqBox, "MeasFreqBox", &kMeasure, "TB9", 130, 25, 60, 15, N},
    {id::MeasWidthBox, "MeasWidthBox", &kMeasure, "TB10", 205, 25, 60, 15, N},
    {id::MeasPeriodBox, "MeasPeriodBox", &kMeasure, "TB11", 305, 25, 60, 15, N},
    {id::MeasVoltsBox, "MeasVoltsBox", &kMeasure, "TB12", 385, 25, 60, 15, N},
    {id::FreqSetLabel, "FreqSetLabel", &kLabelCentre, "Frequency Khz", 15, 65, 65, 10, D},
    {id::MeasPeriodLabel, "MeasPeriodLabel", &kLabelCentre, "Period mS", 305, 40, 59, 10, D},
    {id::BottomDepthLabel, "BottomDepthLabel", &kLabelCentre, "Depth Ft", 430, 60, 55, 15, D},
    {id::InputsHeading, "InputsHeading", &kLabelLeft, "INPUTS", 265, 10, 40, 10, T},
    {id::OutputsHeading, "OutputsHeading", &kLabelLeft, "OUTPUTS", 555, 75, 55, 10, T},
    {id::AutoFreqCheck, "AutoFreqCheck", &kCheck, "Auto", 25, 200, 40, 10, D},
    {id::AutoWidthCheck, "AutoWidthCheck", &kCheck, "Auto", 95, 200, 40, 10, D},
    {id::ResetButton, "ResetButton", &kPush, "Reset", 545, 130, 50, 15, D},
    {id::MeasVoltsLabel, "MeasVoltsLabel", &kLabelLeft, "Volts p-p", 390, 40, 45, 10, D},
    {id::BottomLevelLabel, "BottomLevelLabel", &kLabelLeft, "milliVolts", 505, 60, 45, 10, D},
    {1046, "FreqScaleMax", &kLabelLeft, "1000", 10, 185, 20, 15, D},
    {1047, "FreqScaleMin", &kLabelLeft, "0.2", 20, 105, 15, 15, D},
    {1048, "WidthScaleMin", &kLabelLeft, "10.0", 80, 105, 20, 15, D},
    {1049, "WidthScaleMax", &kLabelLeft, "10,000", 70, 185, 25, 20, D},
    {1050, "BottomDepthScaleMax", &kLabelLeft, "500", 430, 185, 20, 15, D},
    {1051, "BottomDepthScaleMin", &kLabelLeft, "0.5", 430, 105, 20, 15, D},
    {1052, "BottomLevelScaleMin", &kLabelLeft, ".007", 490, 105, 20, 15, D},
    {1053, "BottomLevelScaleMax", &kLabelLeft, "50", 490, 185, 20, 15, D},
    {id::FishLevelEdit, "FishLevelEdit", &kEdit, "TB2", 355, 75, 60, 15, N},
    {id::FishDepthSlider, "FishDepthSlider", &kSlider, "msctls_trackbar32_3", 305, 100, 25, 95, D},
    {id::FishLevelSlider, "FishLevelSlider", &kSlider, "msctls_trackbar32_4", 365, 100, 25, 95, D},
    {id::FishDepthLabel, "FishDepthLabel", &kLabelCentre, "Depth Ft", 290, 60, 55, 15, D},
    {id::FishLevelLabel, "FishLevelLabel", &kLabelLeft, "milliVolts", 365, 60, 45, 10, D},
    {1065, "FishDepthScaleMax", &kLabelLeft, "500", 290, 185, 20, 15, D},
    {1066, "FishDepthScaleMin", &kLabelLeft, "0.5", 290, 105, 20, 15, D},
    {1067, "FishLevelScaleMin", &kLabelLeft, ".007", 350, 105, 20, 15, D},
    {1068, "FishLevelScaleMax", &kLabelLeft, "50", 350, 185, 20, 15, D},
    // 10 du wider than first drawn, about the same centre, with its rules
    // shortened to match: at 144 DPI the bold italic heading no longer fit
    // in 55 du and showed "Bottom" alone.
    {id::BottomEchoHeading, "BottomEchoHeading", &kLabelCentre, "Bottom Echo", 460, 50, 65, 10, T},
    {id::FishEchoHeading, "FishEchoHeading", &kLabelCentre, "Fish Echo", 260, 50, 55, 10, T},
    {id::OnPulsesEdit, "OnPulsesEdit", &kEdit, "TB13", 160, 75, 60, 15, N},
    {id::OnPulsesSlider, "OnPulsesSlider", &kSlider, "msctls_trackbar32_4", 170, 100, 25, 95, D},
    {id::OnPulsesLabel, "OnPulsesLabel", &kLabelLeft, "On Pulses", 170, 60, 45, 10, D},
    {1079, "OnPulsesScaleMin", &kLabelLeft, "0", 155, 105, 20, 15, D},
    {1080, "OnPulsesScaleMax", &kLabelLeft, "50", 160, 185, 20, 15, D},
    {id::OffPulsesEdit, "OffPulsesEdit", &kEdit, "TB15", 225, 75, 60, 15, N},
    {id::OffPulsesSlider, "OffPulsesSlider", &kSlider, "msctls_trackbar32_4", 235, 100, 25, 95, D},
    {id::OffPulsesLabel, "OffPulsesLabel", &kLabelLeft, "Off Pulses", 235, 60, 45, 10, D},
    {1086, "OffPulsesScaleMin", &kLabelLeft, "0", 220, 105, 20, 15, D},
    {1087, "OffPulsesScaleMax", &kLabelLeft, "50", 220, 185, 20, 15, D},
    {1088, "RuleFishLeft", &kRule, "Line1", 165, 55, 90, 1, D},
    {1090, "RuleFishRight", &kRule, "Line1", 315, 55, 100, 1, D},
    {1092, "RuleBottomRight", &kRule, "Line1", 525, 55, 30, 1, D},
    {id::FishDepthEdit, "FishDepthEdit", &kEdit, "TB18", 290, 75, 60, 15, N},
    {1095, "RuleInputsLeft", &kRule, "Line1", 130, 15, 125, 1, D},
    {1097, "RuleBottomLeft", &kRule, "Line1", 435, 55, 25, 1, D},
    {1098, "RuleInputsRight", &kRule, "Line1", 315, 15, 130, 1, D},
    {id::MeasWidthLabel, "MeasWidthLabel", &kLabelCentre, "Width uS", 210, 40, 53, 10, D},
    {id::MeasFreqLabel, "MeasFreqLabel", &kLabelCentre, "Frequency Khz", 130, 40, 60, 10, D},
    {id::WidthSetLabel, "WidthSetLabel", &kLabelCentre, "Width uS", 90, 65, 53, 10, D},
    {id::FishEchoCheck, "FishEchoCheck", &kCheck, "Fish Echo", 190, 200, 55, 10, D},
    {id::PanelPicture, "PanelPicture", &kImage, "#115", 15, 10, 100, 45, D},
    {id::DepthUnitsHeading, "DepthUnitsHeading", &kLabelCentre, "Depth Units", 495, 5, 80, 10, T},
}};

constexpr std::array<SliderRange, 8> kSliderRanges{{
    {id::FreqSlider, 2, 10000},
    {id::WidthSlider, 10, 10000},
    {id::BottomDepthSlider, 5, 5000},
    {id::BottomLevelSlider, 0, 255},
    {id::FishDepthSlider, 5, 5000},
    {id::FishLevelSlider, 0, 255},
    {id::OnPulsesSlider, 0, 50},
    {id::OffPulsesSlider, 0, 50},
}};

constexpr std::array<MenuItemSpec, 5> kMenu{{
    {0, "File", 0},
    {1, "Open File", id::MenuOpenFile},
    {1, "Save File", id::MenuSaveFile},
    {1, "-", 0},
    {0, "Comm Port", id::MenuCommPort},
}};

constexpr std::array<int, 20> kFontOrder{
    1002, 1003, 1005, 1006, 1014, 1015, 1016, 1023, 1024, 1025,
    1026, 1037, 1038, 1056, 1069, 1070, 1074, 1081, 1094, 1106};

}  // namespace

const DialogFrame& MainPanelFrame() { return kFrame; }
std::span<const ControlSpec> MainPanelControls() { return kControls; }
std::span<const SliderRange> MainPanelSliderRanges() { return kSliderRanges; }
std::span<const MenuItemSpec> MainPanelMenu() { return kMenu; }
std::span<const int> PanelFontOrder() { return kFontOrder; }

}  // namespace kelt
