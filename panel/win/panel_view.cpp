#include "panel/win/panel_view.h"

#include <commctrl.h>

#include "panel/control_ids.h"
#include "panel/win/main_panel.h"
#include "platform/win/window.h"

namespace kelt {

void Win32PanelView::SetText(int id, const std::string& ansi) {
    platform::SetItemTextAnsi(panel_, id, ansi);
}

std::string Win32PanelView::GetText(int id) { return platform::GetItemTextAnsi(panel_, id); }

void Win32PanelView::SetSliderPos(int id, int pos) {
    SendDlgItemMessageW(panel_, id, TBM_SETPOS, TRUE, pos);
}

void Win32PanelView::SetCheck(int id, bool on) {
    SendDlgItemMessageW(panel_, id, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    if (id == id::FeetOption || id == id::FathomsOption || id == id::MetersOption)
        ClearOptionTabStops(panel_);
}

bool Win32PanelView::GetCheck(int id) {
    return SendDlgItemMessageW(panel_, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32PanelView::Enable(int id, bool on) { EnableWindow(GetDlgItem(panel_, id), on); }

int Win32PanelView::FocusedId() {
    HWND focus = GetFocus();
    return focus != nullptr && IsChild(panel_, focus) ? GetDlgCtrlID(focus) : 0;
}

void Win32PanelView::SelectAllText(int id) { SendDlgItemMessageW(panel_, id, EM_SETSEL, 0, -1); }

void Win32PanelView::OpenUpdating() { updating_ = std::make_unique<UpdatingWindow>(panel_); }

void Win32PanelView::SetUpdatingProgress(int position) {
    if (updating_) updating_->SetProgress(position);
}

void Win32PanelView::CloseUpdating() { updating_.reset(); }

}  // namespace kelt
