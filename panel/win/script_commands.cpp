#include "panel/win/script_commands.h"

#include <optional>

#include "panel/settings_save.h"
#include "panel/upload.h"
#include "settings/settings_file.h"
#include "settings/win/settings_files.h"

namespace kelt {

void WriteSettingsFile(PanelState& state, PanelView& view, const std::string& fileName) {
    StoreFile(fileName, SettingsFileToSave(state, view, fileName));
}

void OpenScriptFile(HWND panel, PanelState& state, PanelView& view, Link& link) {
    const std::string name = AskForFileName(panel, false);
    if (!SettingsFileExists(name)) return;
    // A script held by another program or not ours to read is left alone,
    // like one that is not there: the panel and the instrument keep their
    // settings.
    const std::optional<std::string> contents = ReadSettingsData(name);
    if (!contents) return;
    SetDefaultSettings(state);
    ReadSettingsFile(state, name, *contents);
    SendAllSettings(state, view, link);
}

void SaveScriptFile(HWND panel, PanelState& state, PanelView& view) {
    const std::string name = AskForFileName(panel, true);
    if (!name.empty()) WriteSettingsFile(state, view, name);
}

}  // namespace kelt
