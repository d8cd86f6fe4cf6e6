#pragma once
// The two seams over the real world: the panel window's controls and the
// serial port channel.

#include <windows.h>

#include <memory>

#include "link/updating_dialog.h"
#include "panel/panel_state.h"
#include "panel/seams.h"

namespace kelt {

class Win32PanelView : public PanelView {
public:
    Win32PanelView(HWND panel, PanelState& state) : panel_(panel), state_(state) {}
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
    PanelState& state_;
    std::unique_ptr<UpdatingWindow> updating_;
};

// Commands go out through the port channel of portFileNo, each with its
// CR LF in one write; pauses sleep to their deadlines on the steady clock.
class PortLink : public Link {
public:
    explicit PortLink(const PanelState& state) : state_(state) {}
    void Send(const std::string& line) override;
    Clock::time_point Now() override;
    void SleepUntil(Clock::time_point deadline) override;

private:
    const PanelState& state_;
};

}  // namespace kelt
