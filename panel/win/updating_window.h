#pragma once
// The "Updating" splash: the model's picture over a progress bar, shown
// while the instrument gets ready for an upload.

#include <windows.h>

#include "platform/win/handles.h"

namespace kelt {

class UpdatingWindow {
public:
    explicit UpdatingWindow(HWND owner);
    ~UpdatingWindow();
    UpdatingWindow(const UpdatingWindow&) = delete;
    UpdatingWindow& operator=(const UpdatingWindow&) = delete;

    // Moves the bar and paints it at once: the user-interface thread
    // dispatches no messages while the instrument gets ready.
    void SetProgress(int position);
    HWND window() const { return window_; }

private:
    HWND window_ = nullptr;
    platform::UniqueBitmap picture_;
    HWND progressDlgSavedFocus_ = nullptr;  // the focus while the splash is not active
};

INT_PTR CALLBACK UpdatingCallback(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace kelt
