#include "panel/win/updating_window.h"

#include <commctrl.h>

#include "panel/control_ids.h"
#include "panel/win/focus.h"
#include "platform/win/dialog_template.h"

namespace kelt {

INT_PTR CALLBACK UpdatingCallback(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        return FALSE;
    }
    auto* slot = reinterpret_cast<HWND*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (message == WM_NCACTIVATE && slot != nullptr) KeepFocusAcrossActivation(wParam, *slot);
    return FALSE;
}

UpdatingWindow::UpdatingWindow(HWND owner) {
    constexpr DWORD child = WS_CHILD | WS_VISIBLE;
    const platform::DialogTemplate dialogTemplate(
        {WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_BORDER | DS_SETFONT | DS_NOFAILCREATE |
             DS_3DLOOK,
         WS_EX_CONTROLPARENT, 137, 55, 111, 60, L"Dialog3", L"MS Sans Serif", 8},
        {{child | SS_BITMAP, 0, 0, 0, 110, 50, id::UpdatingImage, L"STATIC", L""},
         {child, 0, 0, 50, 110, 10, id::UpdatingProgressBar, PROGRESS_CLASSW, L"ProgressBar1"}});
    HINSTANCE instance = GetModuleHandleW(nullptr);
    window_ = CreateDialogIndirectParamW(instance, dialogTemplate.get(), owner, UpdatingCallback,
                                         reinterpret_cast<LPARAM>(&progressDlgSavedFocus_));
    if (window_ == nullptr) return;

    HWND image = GetDlgItem(window_, id::UpdatingImage);
    RECT size{0, 0, 110, 50};
    MapDialogRect(window_, &size);
    picture_.reset(static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(id::UpdatingBitmap),
                                                   IMAGE_BITMAP, size.right, size.bottom, 0)));
    SendMessageW(image, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture_.get()));
    HWND bar = GetDlgItem(window_, id::UpdatingProgressBar);
    SendMessageW(bar, PBM_SETRANGE32, 0, 90);
    SendMessageW(bar, PBM_SETPOS, 0, 0);
    ShowWindow(window_, SW_SHOWNA);
    SetProgress(0);
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

UpdatingWindow::~UpdatingWindow() {
    if (window_ != nullptr) DestroyWindow(window_);
}

void UpdatingWindow::SetProgress(int position) {
    if (window_ == nullptr) return;
    HWND bar = GetDlgItem(window_, id::UpdatingProgressBar);
    SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    RedrawWindow(bar, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

}  // namespace kelt
