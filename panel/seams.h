#pragma once
// The panel's seams: its controls here, the line in link/seams.h. The
// reactions and the upload are written against them; the Win32 side
// implements them over the panel window and the serial port, the tests over
// memory and a fake clock.

#include <string>

#include "link/seams.h"

namespace kelt {

// What a reaction may do to the panel's controls (ids of control_ids.h).
struct PanelView {
    virtual ~PanelView() = default;
    virtual void SetText(int id, const std::string& ansi) = 0;
    virtual std::string GetText(int id) = 0;
    virtual void SetSliderPos(int id, int pos) = 0;
    virtual void SetCheck(int id, bool on) = 0;
    virtual bool GetCheck(int id) = 0;
    virtual void Enable(int id, bool on) = 0;
    virtual int FocusedId() = 0;  // id of the control with the keyboard focus, 0 if none
    virtual void SelectAllText(int id) = 0;
    // The "Updating" splash shown while the instrument gets ready for an
    // upload: opened, its bar moved (and painted at once), closed.
    virtual void OpenUpdating() = 0;
    virtual void SetUpdatingProgress(int position) = 0;
    virtual void CloseUpdating() = 0;
};

}  // namespace kelt
