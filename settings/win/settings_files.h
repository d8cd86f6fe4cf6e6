#pragma once
// The settings and script files on disk: the start-up load, reading with
// bounded memory, the safe write, and the two file dialogs. Files are named
// as Windows names them, in UTF-16, so that a name in any language leads to
// its own file; only the names the files keep as text are 8-bit.

#include <windows.h>

#include <optional>
#include <string>

#include "settings/stored_settings.h"

namespace kelt {

// True when the name is an existing file (not a folder or volume label).
bool SettingsFileExists(const std::wstring& name);
// The file's data as the reader takes them: up to the first Ctrl-Z, and
// no more than its first 64 MiB. A file another program holds is tried
// again for up to 2 s. Nothing when it cannot be read (held longer, no
// access).
std::optional<std::string> ReadSettingsData(const std::wstring& name);
// Replaces the file's content with bytes through the safe write of
// safe_store.h. False when the file does not hold the new content.
bool StoreFile(const std::wstring& name, const std::string& bytes);

// The name as the settings and script files keep it: 8-bit text, with '?'
// for a character the code page lacks.
std::string FileNameText(const std::wstring& name);

// The defaults, then the file's values when the file exists.
void LoadSettingsAtStart(StoredSettings& settings, const std::string& fileName);

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

// The "Open File" or "Save File" dialog, owned by the panel and placed
// 200 (open) or 30 (save) pixels right of and below its top-left corner: the
// chosen name, or empty on Cancel. The working directory stays as it was.
std::wstring AskForFileName(HWND panel, bool save);

}  // namespace kelt
