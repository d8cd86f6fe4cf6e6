#include "settings/win/settings_files.h"

#include <commdlg.h>

#include <utility>
#include <vector>

#include "platform/win/handles.h"
#include "platform/win/sleep.h"
#include "platform/win/text.h"
#include "settings/file_reading.h"
#include "settings/safe_store.h"
#include "settings/settings_file.h"

namespace kelt {
namespace {

using platform::UniqueHandle;
using platform::Utf8ToWide;
using platform::WideToUtf8;

// Another program has the file open without sharing it, or has locked it.
bool IsBusy(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION; }

// One try at the file: opened sharing reading with others, read to the end
// of its data.
ReadAttempt TryReading(const std::wstring& name, std::optional<std::string>& data) {
    HANDLE raw = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw == INVALID_HANDLE_VALUE) return IsBusy(GetLastError()) ? ReadAttempt::Busy : ReadAttempt::Refused;
    UniqueHandle file(raw);
    bool busy = false;
    std::string bytes = ReadUpToEndOfData([&](char* into, std::size_t room) -> std::size_t {
        DWORD read = 0;
        if (ReadFile(raw, into, static_cast<DWORD>(room), &read, nullptr)) return read;
        busy = IsBusy(GetLastError());
        return 0;
    });
    if (busy) return ReadAttempt::Busy;
    data = std::move(bytes);
    return ReadAttempt::Done;
}

struct SteadyRetryClock : RetryClock {
    Clock::time_point Now() override { return Clock::now(); }
    void SleepUntil(Clock::time_point deadline) override { platform::SleepUntil(deadline); }
};

bool WriteAll(HANDLE file, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

// Overwrites the open target itself, where no temporary file can be made
// or the target may be written but not replaced.
bool WriteInPlace(HANDLE target, const std::string& bytes) {
    LARGE_INTEGER start{};
    return SetFilePointerEx(target, start, nullptr, FILE_BEGIN) && WriteAll(target, bytes) &&
           SetEndOfFile(target) && FlushFileBuffers(target);
}

std::wstring FolderOf(const std::wstring& name) {
    const size_t slash = name.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return name.size() >= 2 && name[1] == L':' ? name.substr(0, 2) : L".";
    return slash == 0 ? name.substr(0, 1) : name.substr(0, slash);
}

// A complete, flushed copy of the new content beside the target; empty
// when none could be made (and then nothing is left behind).
std::wstring WriteTemporaryBeside(const std::wstring& target, const std::string& bytes) {
    wchar_t temporary[MAX_PATH] = {};
    if (GetTempFileNameW(FolderOf(target).c_str(), L"klt", 0, temporary) == 0) return {};
    HANDLE raw = CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw == INVALID_HANDLE_VALUE) {
        DeleteFileW(temporary);
        return {};
    }
    UniqueHandle file(raw);
    const bool complete = WriteAll(raw, bytes) && FlushFileBuffers(raw);
    file.reset();
    if (!complete) {
        DeleteFileW(temporary);
        return {};
    }
    return temporary;
}

HANDLE OpenTargetForWriting(const std::wstring& target, DWORD disposition) {
    return CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The operations of the safe write over the real files. The names of the
// temporary and backup files travel through it as UTF-8, which holds any
// name Windows makes beside any target.
class FilesBesideTarget : public StoreOperations {
public:
    explicit FilesBesideTarget(std::wstring target) : target_(std::move(target)) {}

    bool HoldTarget() override {
        HANDLE raw = OpenTargetForWriting(target_, OPEN_ALWAYS);
        if (raw == INVALID_HANDLE_VALUE) return false;
        held_.reset(raw);
        return true;
    }
    bool RewriteHeldTarget(const std::string& bytes) override {
        return held_ && WriteInPlace(held_.get(), bytes);
    }
    void ReleaseTarget() override { held_.reset(); }
    std::string WriteTemporary(const std::string& bytes) override {
        return WideToUtf8(WriteTemporaryBeside(target_, bytes));
    }
    std::string UnusedName() override {
        // A fresh name made by Windows, its placeholder file removed again:
        // ReplaceFileW is to create the backup itself.
        wchar_t name[MAX_PATH] = {};
        if (GetTempFileNameW(FolderOf(target_).c_str(), L"klb", 0, name) == 0) return {};
        DeleteFileW(name);
        return WideToUtf8(name);
    }
    SwapOutcome Swap(const std::string& replacement, const std::string& backup) override {
        const std::wstring backupName = Utf8ToWide(backup);
        if (ReplaceFileW(target_.c_str(), Utf8ToWide(replacement).c_str(),
                         backup.empty() ? nullptr : backupName.c_str(),
                         REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
            return SwapOutcome::Swapped;
        return OutcomeOfFailedReplace(GetLastError(), !backup.empty());
    }
    bool MoveToTarget(const std::string& from) override {
        return MoveFileExW(Utf8ToWide(from).c_str(), target_.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    }
    InPlaceWrite RewriteTarget(const std::string& bytes) override {
        HANDLE raw = OpenTargetForWriting(target_, OPEN_EXISTING);
        if (raw == INVALID_HANDLE_VALUE) return InPlaceWrite::NotOpened;
        UniqueHandle file(raw);
        return WriteInPlace(raw, bytes) ? InPlaceWrite::Written : InPlaceWrite::Failed;
    }
    bool TargetExists() override { return GetFileAttributesW(target_.c_str()) != INVALID_FILE_ATTRIBUTES; }
    void Remove(const std::string& name) override { DeleteFileW(Utf8ToWide(name).c_str()); }

private:
    // Where a failed ReplaceFileW left the files, as Windows documents it.
    static SwapOutcome OutcomeOfFailedReplace(DWORD error, bool backupGiven) {
        switch (error) {
            case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
                return backupGiven ? SwapOutcome::NothingMoved : SwapOutcome::TargetGone;
            case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:
                // Without a backup name the old content went to a name of
                // Windows' choosing: as good as gone.
                return backupGiven ? SwapOutcome::TargetAtBackup : SwapOutcome::TargetGone;
            default:  // ERROR_UNABLE_TO_REMOVE_REPLACED and every other error
                return SwapOutcome::NothingMoved;
        }
    }

    std::wstring target_;
    UniqueHandle held_;
};

}  // namespace

bool SettingsFileExists(const std::wstring& name) {
    // The wildcards and the drive colon are ASCII, which UTF-8 keeps as it is.
    if (!IsPlainFileName(WideToUtf8(name))) return false;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(name.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::optional<std::string> ReadSettingsData(const std::wstring& name) {
    std::optional<std::string> data;
    SteadyRetryClock clock;
    RetryWhileBusy([&] { return TryReading(name, data); }, clock);
    return data;
}

bool StoreFile(const std::wstring& name, const std::string& bytes) {
    FilesBesideTarget files(name);
    return StoreSafely(files, bytes);
}

std::string FileNameText(const std::wstring& name) { return platform::WideToAnsiExact(name); }

void LoadSettingsAtStart(StoredSettings& settings, const std::string& fileName) {
    const std::wstring name = platform::AnsiToWide(fileName);
    const bool exists = SettingsFileExists(name);
    SetDefaultSettings(settings);
    if (exists) ReadSettingsFile(settings, fileName, ReadSettingsData(name));
}

namespace {

constexpr wchar_t kScriptFilter[] = L"Script\0*.scp\0INIT\0*.ini\0\0";

struct DialogPlacement {
    HWND panel;
    int offset;  // pixels right of and below the panel's top-left corner
};

// The explorer-style dialogs call the hook for a child of the real dialog.
UINT_PTR CALLBACK PlaceFileDialog(HWND child, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG) return 0;
    const auto* options = reinterpret_cast<const OPENFILENAMEW*>(lParam);
    const auto* placement = reinterpret_cast<const DialogPlacement*>(options->lCustData);
    RECT panel{};
    GetWindowRect(placement->panel, &panel);
    SetWindowPos(GetParent(child), nullptr, panel.left + placement->offset,
                 panel.top + placement->offset, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

std::wstring CurrentDirectory() {
    const DWORD length = GetCurrentDirectoryW(0, nullptr);
    std::wstring directory(length, L'\0');
    const DWORD copied = GetCurrentDirectoryW(length, directory.data());
    directory.resize(copied);
    return directory;
}

}  // namespace

std::wstring AskForFileName(HWND panel, bool save) {
    WorkingDirectoryKeeper keepDirectory;
    const std::wstring startFolder = CurrentDirectory();
    std::vector<wchar_t> name(32768, L'\0');
    DialogPlacement placement{panel, save ? 30 : 200};
    OPENFILENAMEW options{};
    options.lStructSize = sizeof options;
    options.hwndOwner = panel;
    options.lpstrFilter = kScriptFilter;
    options.nFilterIndex = 1;
    options.lpstrFile = name.data();
    options.nMaxFile = static_cast<DWORD>(name.size());
    options.lpstrInitialDir = startFolder.c_str();
    options.lpstrTitle = save ? L"Save File" : L"Open File";
    options.lpstrDefExt = L"scp";
    options.lCustData = reinterpret_cast<LPARAM>(&placement);
    options.lpfnHook = PlaceFileDialog;
    options.Flags = save ? OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                               OFN_ENABLEHOOK | OFN_PATHMUSTEXIST | OFN_CREATEPROMPT | OFN_EXPLORER
                         : OFN_EXPLORER | OFN_ENABLEHOOK | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    const BOOL chosen = save ? GetSaveFileNameW(&options) : GetOpenFileNameW(&options);
    return chosen ? std::wstring(name.data()) : std::wstring();
}

WorkingDirectoryKeeper::WorkingDirectoryKeeper() : saved_(CurrentDirectory()) {}

WorkingDirectoryKeeper::~WorkingDirectoryKeeper() {
    if (!saved_.empty()) SetCurrentDirectoryW(saved_.c_str());
}

}  // namespace kelt
