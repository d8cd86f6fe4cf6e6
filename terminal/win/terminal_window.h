#pragma once
// The terminal's only window: the traffic list, the line to send, "Send &Text",
// "&Quit" and the check box that turns the local echo off.

#include <windows.h>

#include <string_view>

#include "resources/resource_ids.h"
#include "terminal/win/terminal_state.h"

namespace kelt::term {

namespace id {
inline constexpr int TrafficList = 101;
inline constexpr int SendTextEdit = 102;
inline constexpr int SendTextButton = 103;
inline constexpr int TermQuitButton = 106;
inline constexpr int LocalEchoOffCheck = 107;
inline constexpr int TerminalIcon = KELT_TERMINAL_ICON;  // the window's icon
}  // namespace id

// Posted to the window when incoming lines are waiting in the state's queue.
inline constexpr UINT kIncomingLinesMessage = WM_APP + 1;

// Creates the window, hidden, with its controls and the first list line, and
// records it as state.termWindow. Returns nullptr when it cannot be created.
HWND BuildTerminalWindow(TerminalState& state, std::string_view caption);

// Shows the window and runs its messages until it has been destroyed.
void RunTerminalWindow(HWND window);

INT_PTR CALLBACK TerminalDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Called on the receiver thread: queues "==> " + line for the window thread
// and returns at once. Lines that arrive after the window is gone are lost.
void ShowIncomingLine(ReceiverShared& shared, HWND window, std::string_view line);

// Appends text to list box `id` and selects it, so the list scrolls to it.
void AddListLine(HWND window, int id, std::string_view text);

void OnSendText(TerminalState& state, HWND window);
void OnQuit(HWND window);

}  // namespace kelt::term
