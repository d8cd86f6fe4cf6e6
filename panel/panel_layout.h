#pragma once
// The main panel's layout as data: the dialog's frame, every control in
// creation order, the panel fonts, the slider ranges and the menu bar.
// The Win32 builder walks these tables; nothing about the layout is written
// twice.

#include <cstdint>
#include <span>
#include <string_view>

namespace kelt {

// Window class and styles shared by all controls of one kind.
struct ControlKind {
    char code[3];            // "P", "R", "C", "E", "M", "Lc", "Ll", "H", "S", "I"
    const wchar_t* className;
    std::uint32_t style;
    std::uint32_t exStyle;
};

enum class PanelFont { Dialog, Bold, Normal, Heading };

struct ControlSpec {
    int id;
    std::string_view name;
    const ControlKind* kind;
    std::string_view text;
    int x, y, w, h;          // dialog units
    PanelFont font;
};

struct SliderRange {
    int id;
    int minimum;
    int maximum;
};

// A bar item with id 0 opens a popup that collects the level-1 items after
// it; a caption of exactly "-" is a separator.
struct MenuItemSpec {
    int level;               // 0 = on the bar, 1 = inside the last popup
    std::string_view caption;
    int id;                  // 0 for popups and separators
};

struct DialogFrame {
    std::string_view captionHead;
    std::string_view captionTail;
    int x, y, w, h;          // dialog units
    std::uint32_t style;     // as tabled; created without WS_VISIBLE
    std::uint32_t exStyle;
    std::wstring_view fontFace;
    int fontPoints;
};

const DialogFrame& MainPanelFrame();
std::span<const ControlSpec> MainPanelControls();
std::span<const SliderRange> MainPanelSliderRanges();
std::span<const MenuItemSpec> MainPanelMenu();
// Controls that get a panel font, in the order the fonts are assigned.
std::span<const int> PanelFontOrder();

inline constexpr int kPanelFontPoints = 10;

}  // namespace kelt
