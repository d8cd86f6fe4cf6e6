#pragma once
// The focus idiom every window of the panel shares: the control that had
// the keyboard focus when the window lost activation gets it back when the
// window is activated again.

#include <windows.h>

namespace kelt {

// On WM_NCACTIVATE: `active` false stores the focus in the slot; true gives
// it back (if any) and clears the slot.
inline void KeepFocusAcrossActivation(WPARAM active, HWND& slot) {
    if (!active) {
        slot = GetFocus();
    } else if (slot != nullptr) {
        SetFocus(slot);
        slot = nullptr;
    }
}

}  // namespace kelt
