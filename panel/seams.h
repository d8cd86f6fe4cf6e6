#pragma once
// The two seams between the panel's decisions and the real world. The
// reactions and the upload are written against these; the Win32 side
// implements them over the panel window and the serial port, the tests over
// memory and a fake clock.

#include <chrono>
#include <string>

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

// What a reaction may do to the line.
struct Link {
    using Clock = std::chrono::steady_clock;

    virtual ~Link() = default;
    // One command line: word and value, without the CR LF the link adds.
    // Fire and forget: a failed write is not reported.
    virtual void Send(const std::string& line) = 0;
    // The line's clock. Pauses are deadlines on it, so whatever happens
    // during a pause (painting the splash) comes out of the pause instead of
    // adding to it; a pause is never shorter than asked.
    virtual Clock::time_point Now() = 0;
    virtual void SleepUntil(Clock::time_point deadline) = 0;

    void Pause(int milliseconds) { SleepUntil(Now() + std::chrono::milliseconds(milliseconds)); }
};

}  // namespace kelt
