#include "panel/win/main_panel.h"

#include <commctrl.h>

#include <cstring>
#include <memory>
#include <vector>

#include "panel/control_ids.h"
#include "panel/panel_layout.h"
#include "panel/win/panel_context.h"
#include "panel/win/panel_port.h"
#include "platform/win/dialog_template.h"
#include "platform/win/text.h"
#include "platform/win/window.h"

namespace kelt {
namespace {

// An in-memory template with no items: the controls are added afterwards.
platform::DialogTemplate PanelTemplate(const DialogFrame& frame) {
    return platform::DialogTemplate(
        {frame.style & ~static_cast<DWORD>(WS_VISIBLE), frame.exStyle, frame.x, frame.y, frame.w,
         frame.h, L"", frame.fontFace, frame.fontPoints},
        {});
}

platform::UniqueFont MakePanelFont(HWND panel, LONG weight, bool italic) {
    LOGFONTW font{};
    HDC dc = GetDC(panel);
    font.lfHeight = -(GetDeviceCaps(dc, LOGPIXELSY) * kPanelFontPoints / 72);
    ReleaseDC(panel, dc);
    font.lfWeight = weight;
    font.lfItalic = italic ? TRUE : FALSE;
    font.lfCharSet = ANSI_CHARSET;
    wcsncpy(font.lfFaceName, MainPanelFrame().fontFace.data(), LF_FACESIZE - 1);
    return platform::UniqueFont(CreateFontIndirectW(&font));
}

HFONT FontFor(PanelFont which, const PanelResources& resources) {
    switch (which) {
        case PanelFont::Bold: return resources.fontBold.get();
        case PanelFont::Normal: return resources.fontNormal.get();
        case PanelFont::Heading: return resources.fontHeading.get();
        case PanelFont::Dialog: break;
    }
    return nullptr;
}

void CreatePanelControls(HINSTANCE instance, HWND panel) {
    const auto dialogFont = reinterpret_cast<WPARAM>(
        reinterpret_cast<HFONT>(SendMessageW(panel, WM_GETFONT, 0, 0)));
    for (const ControlSpec& control : MainPanelControls()) {
        const RECT r = platform::DialogUnitsToPixels(panel, control.x, control.y, control.w,
                                                     control.h);
        HWND child = CreateWindowExW(
            control.kind->exStyle, control.kind->className,
            platform::AnsiToWide(control.text).c_str(), control.kind->style, r.left, r.top,
            r.right - r.left, r.bottom - r.top, panel,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance, nullptr);
        SendMessageW(child, WM_SETFONT, dialogFont, TRUE);
    }
}

void AssignPanelFonts(HWND panel, const PanelResources& resources) {
    for (int controlId : PanelFontOrder()) {
        for (const ControlSpec& control : MainPanelControls()) {
            if (control.id != controlId) continue;
            SendMessageW(GetDlgItem(panel, controlId), WM_SETFONT,
                         reinterpret_cast<WPARAM>(FontFor(control.font, resources)), TRUE);
        }
    }
}

// The front-plate picture, stretched to the control's size.
void ShowPanelPicture(HINSTANCE instance, HWND panel, PanelResources& resources) {
    for (const ControlSpec& control : MainPanelControls()) {
        if (control.id != id::PanelPicture) continue;
        const RECT r = platform::DialogUnitsToPixels(panel, control.x, control.y, control.w,
                                                     control.h);
        resources.picture.reset(static_cast<HBITMAP>(
            LoadImageW(instance, MAKEINTRESOURCEW(id::PanelFrontBitmap), IMAGE_BITMAP,
                       r.right - r.left, r.bottom - r.top, LR_LOADMAP3DCOLORS)));
        // The control loaded a copy of bitmap 115 at its own size from its
        // "#115" text when it was created; it hands that copy back here and
        // never frees it itself.
        const auto loadedByTheControl = reinterpret_cast<HGDIOBJ>(
            SendMessageW(GetDlgItem(panel, id::PanelPicture), STM_SETIMAGE, IMAGE_BITMAP,
                         reinterpret_cast<LPARAM>(resources.picture.get())));
        if (loadedByTheControl != nullptr && loadedByTheControl != resources.picture.get())
            DeleteObject(loadedByTheControl);
    }
}

// 32 and 16 pixels at 96 DPI; the sizes the system draws icons at on a
// finer screen.
void SetPanelIcon(HINSTANCE instance, HWND panel, PanelResources& resources) {
    resources.iconBig.reset(static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(id::PanelIcon), IMAGE_ICON,
                   GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0)));
    resources.iconSmall.reset(static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(id::PanelIcon), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));
    SendMessageW(panel, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(resources.iconBig.get()));
    SendMessageW(panel, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(resources.iconSmall.get()));
}

void SetSliderRanges(HWND panel) {
    for (const SliderRange& range : MainPanelSliderRanges()) {
        HWND slider = GetDlgItem(panel, range.id);
        SendMessageW(slider, TBM_SETRANGEMAX, TRUE, range.maximum);
        SendMessageW(slider, TBM_SETRANGEMIN, TRUE, range.minimum);
    }
}

bool IsPanelOrChild(HWND panel, HWND window) {
    return window == panel || IsChild(panel, window);
}

}  // namespace

void ClearOptionTabStops(HWND panel) {
    for (int option : {id::FeetOption, id::FathomsOption, id::MetersOption}) {
        HWND button = GetDlgItem(panel, option);
        const LONG_PTR style = GetWindowLongPtrW(button, GWL_STYLE);
        if (style & WS_TABSTOP) SetWindowLongPtrW(button, GWL_STYLE, style & ~LONG_PTR{WS_TABSTOP});
    }
}

void FocusASettingBox(HWND panel) {
    HWND focus = GetFocus();
    const bool inABox = focus != nullptr && IsChild(panel, focus) && IsWindowEnabled(focus) &&
                        (GetWindowLongPtrW(focus, GWL_STYLE) & WS_TABSTOP) != 0;
    if (inABox) return;
    // The options are no tab stops, so the first tab stop is a setting box.
    HWND first = GetNextDlgTabItem(panel, nullptr, FALSE);
    if (first != nullptr) SendMessageW(panel, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
}

PanelContext* PanelContextOf(HWND panel) {
    return reinterpret_cast<PanelContext*>(GetWindowLongPtrW(panel, DWLP_USER));
}

void EndPanel(HWND panel) { DestroyWindow(panel); }

HMENU BuildPanelMenu(HWND panel) {
    HMENU bar = CreateMenu();
    HMENU popup = nullptr;
    for (const MenuItemSpec& item : MainPanelMenu()) {
        std::wstring caption = platform::AnsiToWide(item.caption);
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        info.fType = MFT_STRING;
        info.wID = static_cast<UINT>(item.id);
        info.dwTypeData = caption.data();
        if (item.caption == "-") {
            info.fMask = MIIM_FTYPE;
            info.fType = MFT_SEPARATOR;
        }
        if (item.level == 0 && item.id == 0) {
            popup = CreatePopupMenu();
            info.fMask |= MIIM_SUBMENU;
            info.hSubMenu = popup;
        }
        HMENU target = item.level == 0 ? bar : popup;
        InsertMenuItemW(target, static_cast<UINT>(GetMenuItemCount(target)), TRUE, &info);
    }
    SetMenu(panel, bar);
    return bar;
}

void BuildPanelContents(HWND panel, PanelResources& resources) {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(panel, GWLP_HINSTANCE));
    const DialogFrame& frame = MainPanelFrame();
    std::string caption(frame.captionHead);
    caption += frame.captionTail;
    platform::SetWindowTextAnsi(panel, caption);
    SetPanelIcon(instance, panel, resources);
    CreatePanelControls(instance, panel);
    ShowPanelPicture(instance, panel, resources);
    resources.fontBold = MakePanelFont(panel, FW_BOLD, false);
    resources.fontNormal = MakePanelFont(panel, FW_NORMAL, false);
    resources.fontHeading = MakePanelFont(panel, FW_BOLD, true);
    AssignPanelFonts(panel, resources);
    BuildPanelMenu(panel);
    CheckRadioButton(panel, id::FeetOption, id::MetersOption, id::FeetOption);
    ClearOptionTabStops(panel);
    SetSliderRanges(panel);
}

namespace {

// The panel's WM_INITDIALOG, which arrives before this returns, builds the
// controls and, for the program, runs the start-up.
HWND CreatePanelWindow(HINSTANCE instance, HWND parent, PanelContext& context) {
    const platform::DialogTemplate dialogTemplate = PanelTemplate(MainPanelFrame());
    return CreateDialogIndirectParamW(instance, dialogTemplate.get(), parent, MainPanelCallback,
                                      reinterpret_cast<LPARAM>(&context));
}

}  // namespace

HWND CreateMainPanel(HINSTANCE instance, HWND parent, PanelState& state, PanelResources& resources) {
    // Owned by the window from its creation on; freed at WM_NCDESTROY.
    auto context = std::make_unique<PanelContext>(state, resources, false);
    HWND panel = CreatePanelWindow(instance, parent, *context);
    if (panel != nullptr) static_cast<void>(context.release());
    return panel;
}

void RunPanelLoop(HWND panel) {
    MSG msg;
    while (IsWindow(panel) && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN &&
            IsPanelOrChild(panel, msg.hwnd)) {
            // Enter commits the focused box; it never clicks a focused button.
            SendMessageW(panel, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
            continue;
        }
        if (msg.message == WM_CHAR && msg.wParam == L'\r' && IsPanelOrChild(panel, msg.hwnd))
            continue;  // an edit box would beep at the Enter character
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB) ClearOptionTabStops(panel);
        if (IsDialogMessageW(panel, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

INT_PTR BuildMainPanel(HWND parent) {
    PanelState state;
    PanelResources resources;
    PanelContext context(state, resources, true);
    HWND panel = CreatePanelWindow(GetModuleHandleW(nullptr), parent, context);
    if (panel == nullptr) return 0;
    if (context.endedAtStart) {
        // No port was chosen: nothing runs yet, and nothing is saved.
        DestroyWindow(panel);
        return 0;
    }
    ShowWindow(panel, SW_SHOW);
    FocusASettingBox(panel);
    RunPanelLoop(panel);
    // The reader is stopped before the port closes under it.
    context.reader.Stop();
    ClosePort(*context.port);
    return 0;
}

}  // namespace kelt
