#include "panel/win/script_commands.h"

#include <optional>

#include "panel/settings_save.h"
#include "panel/upload.h"
#include "platform/win/text.h"
#include "settings/settings_file.h"
#include "settings/win/settings_files.h"

namespace kelt {

namespace {

// The file is the one the name leads to; the file itself keeps the name as
// 8-bit text.
void StoreSettings(PanelState& state, PanelView& view, const std::wstring& name) {
    StoreFile(name, SettingsFileToSave(state, view, FileNameText(name)));
}

}  // namespace

void WriteSettingsFile(PanelState& state, PanelView& view, const std::string& fileName) {
    StoreSettings(state, view, platform::AnsiToWide(fileName));
}

bool OpenScriptFile(HWND panel, PanelState& state, PanelView& view, Link& link) {
    const std::wstring name = AskForFileName(panel, false);
    if (!SettingsFileExists(name)) return false;
    // A script held by another program or not ours to read is left alone,
    // like one that is not there: the panel and the instrument keep their
    // settings.
    const std::optional<std::string> contents = ReadSettingsData(name);
    if (!contents) return false;
    SetDefaultSettings(state);
    ReadSettingsFile(state, FileNameText(name), *contents);
    SendAllSettings(state, view, link);
    return true;
}

void SaveScriptFile(HWND panel, PanelState& state, PanelView& view) {
    const std::wstring name = AskForFileName(panel, true);
    if (!name.empty()) StoreSettings(state, view, name);
}

}  // namespace kelt
