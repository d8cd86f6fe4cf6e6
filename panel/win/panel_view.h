#pragma once
// The controls seam over the real panel window, with the "Updating" splash
// it opens.

#include <windows.h>

#include <memory>

#include "panel/seams.h"
#include "panel/win/updating_window.h"

namespace kelt {

class Win32PanelView : public PanelView {
public:
    explicit Win32PanelView(HWND panel) : panel_(panel) {}
    void SetText(int id, const std::string& ansi) override;
    std::string GetText(int id) override;
    void SetSliderPos(int id, int pos) override;
    void SetCheck(int id, bool on) override;
    bool GetCheck(int id) override;
    void Enable(int id, bool on) override;
    int FocusedId() override;
    void SelectAllText(int id) override;
    void OpenUpdating() override;
    void SetUpdatingProgress(int position) override;
    void CloseUpdating() override;

private:
    HWND panel_;
    std::unique_ptr<UpdatingWindow> updating_;
};

}  // namespace kelt
