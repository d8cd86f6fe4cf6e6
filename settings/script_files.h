#pragma once
// The settings and script files on disk: the start-up load, the safe write,
// and the "Open File" and "Save File" commands with their dialogs.

#include <windows.h>

#include <optional>
#include <string>

#include "panel/panel_state.h"
#include "panel/seams.h"

namespace kelt {

// True when the name is an existing file (not a folder or volume label).
bool SettingsFileExists(const std::string& name);
// The file's data as the reader takes them: up to the first Ctrl-Z, and
// no more than its first 64 MiB. A file another program holds is tried
// again for up to 2 s. Nothing when it cannot be read (held longer, no
// access).
std::optional<std::string> ReadSettingsData(const std::string& name);
// Replaces the file's content with bytes through the safe write of
// safe_store.h. False when the file does not hold the new content.
bool StoreFile(const std::string& name, const std::string& bytes);

void LoadSettingsAtStart(PanelState& state, const std::string& fileName);
// Refreshes the record from the panel and stores the file.
void WriteSettingsFile(PanelState& state, PanelView& view, const std::string& fileName);

// Keeps the working directory through a file dialog: "KELT_9R.ini" must
// stay where the panel started, whatever folder the user browsed to.
class WorkingDirectoryKeeper {
public:
    WorkingDirectoryKeeper();
    ~WorkingDirectoryKeeper();
    WorkingDirectoryKeeper(const WorkingDirectoryKeeper&) = delete;
    WorkingDirectoryKeeper& operator=(const WorkingDirectoryKeeper&) = delete;

private:
    std::wstring saved_;
};

void OpenScriptFile(HWND panel, PanelState& state, PanelView& view, Link& link);
void SaveScriptFile(HWND panel, PanelState& state, PanelView& view);

}  // namespace kelt
