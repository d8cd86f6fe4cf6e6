#pragma once
// The settings file "KELT_9R.ini" and the user's script files share one
// plain-text format of key = value lines. Here are its reader, its writer and
// the factory settings, all over bytes: opening, reading and writing the
// files is left to the Windows side, so every byte of the format can be
// checked on any machine.

#include <optional>
#include <string>
#include <string_view>

#include "settings/stored_settings.h"

namespace kelt {

// Lives in the working directory; read at start, written by Quit.
inline constexpr std::string_view kSettingsFileName = "KELT_9R.ini";

// Ctrl-Z: editors of old marked the end of a text this way. Nothing after
// it is read.
inline constexpr char kEndOfData = '\x1A';

// Factory settings of every text field the files keep (Reset uses them too,
// so the port text goes back to "15" and both file names are cleared). The
// three check-box states are left alone: the next upload sets them from the
// flag texts.
void SetDefaultSettings(StoredSettings& settings);

// Reads the bytes of a whole settings or script file into the settings
// fields. Nothing is reset first (callers restore the defaults before reading
// a file) and only values that pass their checks are stored; lines and
// values the panel does not know are ignored without a word.
void ReadSettingsText(StoredSettings& settings, std::string_view bytes);

// Reading the file `fileName`: the name becomes the last file loaded before
// anything is read (the file's own "LastFileLoaded" line may then replace
// it). `contents` are the file's bytes, or nullopt when the file could not be
// opened, in which case nothing else changes.
void ReadSettingsFile(StoredSettings& settings, std::string_view fileName,
                      std::optional<std::string_view> contents);

// The 15 lines of a settings or script file, each ended by CR LF.
std::string SettingsFileText(const StoredSettings& settings);

// The part of the "does this file exist" test that needs no file system:
// false for an empty name, a wildcard ('*' or '?') or a name ending in ':'
// (a bare drive). The caller asks the file system about the rest.
bool IsPlainFileName(std::string_view name);

}  // namespace kelt
