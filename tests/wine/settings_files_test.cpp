// Settings and script files on a real disk, through the real panel.

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "panel/control_ids.h"
#include "settings/win/settings_files.h"
#include "wine_harness.h"

namespace kelt {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

const wchar_t kPanelCaption[] = L"Quillion Maritime Corp.        KELT-9R Control Panel";
const std::string kHeader =
    "'**************************************************\r\n"
    "'** Quillion Maritime Corp.                      **\r\n"
    "'** KELT_9R.scp file Version 1.0                 **\r\n"
    "'**************************************************\r\n";

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream(path.c_str(), std::ios::binary) << bytes;
}

size_t FilesIn(const std::wstring& folder) {
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        (void)entry;
        ++count;
    }
    return count;
}

// The size from the folder entry, without opening the file (0 when missing).
unsigned long long FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// A panel started against the simulator, after its start-up upload.
struct RunningPanel {
    explicit RunningPanel(const std::wstring& folderName)
        : sim(15, L"--rate 0"), folder(test::FreshFolder(folderName)) {}
    bool Start(size_t uploadLines = 10) {
        program = std::make_unique<test::RunningProgram>(test::BuildPath(L"keltpanel.exe"), folder);
        window = test::WaitForWindow(program->pid(), kPanelCaption, 30s);
        return window != nullptr && sim.WaitForReceived(uploadLines, 8s).size() >= uploadLines;
    }
    test::Simulator sim;
    std::wstring folder;
    std::unique_ptr<test::RunningProgram> program;
    HWND window = nullptr;
};

TEST(SettingsFile, QuitCreatesTheFifteenLineFileByteForByte) {
    RunningPanel panel(L"settings-quit");
    ASSERT_TRUE(panel.Start());
    test::Click(panel.window, id::QuitButton);
    EXPECT_EQ(panel.program->WaitExit(10s), 0u);
    EXPECT_EQ(test::ReadFileBytes(panel.folder + L"/KELT_9R.ini"),
              kHeader +
                  "Commport = 15\r\n"
                  "Auto_freq =  1 , " + std::string(11, ' ') + "\r\n"
                  "Auto_width =  1 , " + std::string(10, ' ') + "\r\n"
                  "Fish_Echo =  0 , 1 , 0\r\n"
                  "Fish_Depth = 15.0\r\n"
                  "Fish_Reply_Level = 50.0\r\n"
                  "Bottom_Depth = 30\r\n"
                  "Bottom_Reply_Level = 50.0\r\n"
                  "Depth_Units = cf\r\n"
                  "LastFileLoaded  = \r\n"
                  "LastFileSaved  = KELT_9R.ini\r\n");
    EXPECT_EQ(FilesIn(panel.folder), 1u) << "no temporary or backup file is left behind";
}

// A stored settings file far from the defaults, and the upload it makes.
const std::string kStoredFile = kHeader +
                                "Commport = 15\r\n"
                                "Auto_freq =  0 ,            38.5\r\n"
                                "Auto_width =  0 ,           250\r\n"
                                "Fish_Echo =  1 , 3 , 4\r\n"
                                "Fish_Depth = 20.0\r\n"
                                "Fish_Reply_Level = 1\r\n"
                                "Bottom_Depth = 12.5\r\n"
                                "Bottom_Reply_Level = 25\r\n"
                                "Depth_Units = cm\r\n"
                                "LastFileLoaded  = \r\n"
                                "LastFileSaved  = KELT_9R.ini\r\n";
const Lines kStoredUpload{"~~~", "cm", "d125", "l235", "e4", "E3", "D125", "L143", "f380", "w250", "S"};

size_t PortOpens(const test::Simulator& sim) {
    size_t opens = 0;
    for (const auto& event : sim.Events())
        if (event.event == "open") ++opens;
    return opens;
}

TEST(SettingsFile, StoredSettingsDriveTheUploadAndTheCloseBoxKeepsTheFile) {
    RunningPanel panel(L"settings-stored");
    WriteBytes(panel.folder + L"/KELT_9R.ini", kStoredFile);
    ASSERT_TRUE(panel.Start(11));
    EXPECT_EQ(panel.sim.ReceivedLines(), kStoredUpload);
    EXPECT_EQ(test::ItemText(panel.window, id::FreqSetEdit), L"38.5");
    EXPECT_TRUE(test::IsChecked(panel.window, id::MetersOption));
    EXPECT_EQ(test::ItemText(panel.window, id::BottomDepthLabel), L"Depth Mtrs");
    PostMessageW(panel.window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(panel.program->WaitExit(10s), 0u);
    EXPECT_EQ(test::ReadFileBytes(panel.folder + L"/KELT_9R.ini"), kStoredFile);
}

TEST(SettingsFile, AFileHeldForAMomentAtStartIsReadOnceLetGo) {
    RunningPanel panel(L"settings-held-briefly");
    const std::wstring path = panel.folder + L"\\KELT_9R.ini";
    WriteBytes(path, kStoredFile);
    // A sync client or an indexer has the file open, unshared, as the panel
    // starts.
    HANDLE holder = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    panel.program = std::make_unique<test::RunningProgram>(test::BuildPath(L"keltpanel.exe"), panel.folder);
    Sleep(1000);  // the hold itself
    const size_t opensWhileHeld = PortOpens(panel.sim);
    CloseHandle(holder);
    panel.window = test::WaitForWindow(panel.program->pid(), kPanelCaption, 30s);
    ASSERT_NE(panel.window, nullptr);
    EXPECT_EQ(opensWhileHeld, 0u) << "the panel waits for its settings before it opens the port";
    EXPECT_EQ(panel.sim.WaitForReceived(11, 8s), kStoredUpload);
    test::Click(panel.window, id::QuitButton);
    EXPECT_EQ(panel.program->WaitExit(10s), 0u);
    const std::string saved = test::ReadFileBytes(path);
    EXPECT_NE(saved.find("Bottom_Depth = 12.5\r\n"), std::string::npos) << "Quit saved the stored settings";
    EXPECT_NE(saved.find("Depth_Units = cm\r\n"), std::string::npos);
}

TEST(ScriptFiles, SaveThenResetThenOpenBringsTheSettingsBackAndUploadsThem) {
    RunningPanel panel(L"script-round-trip");
    ASSERT_TRUE(panel.Start());
    HWND slider = GetDlgItem(panel.window, id::BottomDepthSlider);
    SendMessageW(slider, TBM_SETPOS, TRUE, 123);
    SendMessageW(panel.window, WM_VSCROLL, SB_THUMBPOSITION, reinterpret_cast<LPARAM>(slider));
    const Lines moved = panel.sim.WaitForReceived(12, 5s);
    ASSERT_EQ(moved, (Lines{"~~~", "cf", "d300", "l255", "e", "D150", "L255", "A", "a", "S",
                            "D123", "d123"}))
        << "the fish moves up with the bottom, first";

    const std::wstring script = panel.folder + L"\\bench.scp";
    PostMessageW(panel.window, WM_COMMAND, id::MenuSaveFile, 0);
    HWND dialog = test::WaitForWindow(panel.program->pid(), L"Save File", 20s);
    ASSERT_NE(dialog, nullptr);
    HWND nameBox = GetDlgItem(dialog, 1148);
    HWND edit = FindWindowExW(nameBox, nullptr, L"Edit", nullptr);
    SendMessageW(edit != nullptr ? edit : nameBox, WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(script.c_str()));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    // Windows confirms the creation of a new file; Wine's dialog saves at
    // once. Either way the dialog goes.
    HWND question = nullptr;
    ASSERT_TRUE(test::WaitUntil(
        [&] {
            question = test::OtherWindowOf(panel.program->pid(), {panel.window, dialog});
            return question != nullptr || !IsWindow(dialog);
        },
        20s));
    if (question != nullptr) PostMessageW(question, WM_COMMAND, IDYES, 0);
    // The panel creates the file empty and swaps the content in after: the
    // file is read once it is no longer empty, and until it holds all its
    // lines.
    const std::string lastLine = "LastFileSaved  = " + std::string(script.begin(), script.end()) + "\r\n";
    std::string saved;
    ASSERT_TRUE(test::WaitUntil(
        [&] {
            if (IsWindow(dialog) || FileSize(script) == 0) return false;
            saved = test::ReadFileBytes(script);
            return std::count(saved.begin(), saved.end(), '\n') == 15 && saved.ends_with(lastLine);
        },
        20s))
        << saved;
    EXPECT_NE(saved.find("Bottom_Depth = 12.3\r\n"), std::string::npos);

    test::Click(panel.window, id::ResetButton);
    ASSERT_EQ(panel.sim.WaitForReceived(22, 8s).at(14), "d300") << "Reset uploads the defaults";

    PostMessageW(panel.window, WM_COMMAND, id::MenuOpenFile, 0);
    ASSERT_TRUE(test::ChooseFile(panel.program->pid(), L"Open File", script));
    const Lines lines = panel.sim.WaitForReceived(32, 8s);
    ASSERT_EQ(lines.size(), 32u);
    EXPECT_EQ(lines.at(22), "~~~");
    EXPECT_EQ(lines.at(24), "d123");
    EXPECT_EQ(lines.at(27), "D123");
    EXPECT_EQ(test::SliderPos(panel.window, id::BottomDepthSlider), 123);

    test::Click(panel.window, id::QuitButton);
    EXPECT_EQ(panel.program->WaitExit(10s), 0u);
    EXPECT_TRUE(test::FileExists(panel.folder + L"/KELT_9R.ini"))
        << "the settings file stays in the working directory";
    const std::string settings = test::ReadFileBytes(panel.folder + L"/KELT_9R.ini");
    EXPECT_NE(settings.find("LastFileLoaded  = "), std::string::npos);
}

// The texts of the eight setting boxes.
std::vector<std::wstring> SettingBoxes(HWND panel) {
    std::vector<std::wstring> texts;
    for (int box : {id::FreqSetEdit, id::WidthSetEdit, id::OnPulsesEdit, id::OffPulsesEdit,
                    id::FishDepthEdit, id::FishLevelEdit, id::BottomDepthEdit, id::BottomLevelEdit})
        texts.push_back(test::ItemText(panel, box));
    return texts;
}

// Moves a slider as a drag ending there would; returns once the panel has
// taken the move, false when it did not within the time.
bool MoveSlider(HWND panel, int sliderId, int position) {
    HWND slider = GetDlgItem(panel, sliderId);
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(slider, TBM_SETPOS, TRUE, position, SMTO_NORMAL, 15000, &ignored) &&
           SendMessageTimeoutW(panel, WM_VSCROLL, SB_THUMBPOSITION, reinterpret_cast<LPARAM>(slider),
                               SMTO_NORMAL, 15000, &ignored);
}

TEST(ScriptFiles, AScriptThatCannotBeReadChangesNothingAndSendsNothing) {
    RunningPanel panel(L"script-unreadable");
    ASSERT_TRUE(panel.Start());
    ASSERT_TRUE(MoveSlider(panel.window, id::BottomDepthSlider, 123));
    ASSERT_EQ(panel.sim.WaitForReceived(12, 5s).size(), 12u);
    const std::vector<std::wstring> boxes = SettingBoxes(panel.window);
    ASSERT_EQ(test::ItemText(panel.window, id::BottomDepthEdit), L"12.3") << "not the default";

    // Held unshared by another program for longer than the panel tries.
    const std::wstring script = panel.folder + L"\\held.scp";
    WriteBytes(script, kStoredFile);
    HANDLE holder = CreateFileW(script.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    PostMessageW(panel.window, WM_COMMAND, id::MenuOpenFile, 0);
    ASSERT_TRUE(test::ChooseFile(panel.program->pid(), L"Open File", script));
    // A message sent to the panel is taken once it has given the file up.
    DWORD_PTR ignored = 0;
    ASSERT_TRUE(SendMessageTimeoutW(panel.window, WM_NULL, 0, 0, SMTO_NORMAL, 15000, &ignored));
    EXPECT_EQ(SettingBoxes(panel.window), boxes);
    ASSERT_TRUE(MoveSlider(panel.window, id::BottomLevelSlider, 200));
    const Lines lines = panel.sim.WaitForReceived(13, 5s);
    ASSERT_GE(lines.size(), 13u);
    EXPECT_EQ(lines[12], "l200") << "the slider's command is the first line after the dialog";
    CloseHandle(holder);
}

// --- The safe write, in this process ----------------------------------------

TEST(StoreFile, ReplacesTheWholeContentAndLeavesNoTemporaryFile) {
    const std::wstring folder = test::FreshFolder(L"store-replace");
    const std::wstring target = folder + L"/a.scp";
    WriteBytes(target, std::string(5000, 'x'));
    const std::string name(target.begin(), target.end());
    EXPECT_TRUE(StoreFile(name, "short\r\n"));
    EXPECT_EQ(test::ReadFileBytes(target), "short\r\n");
    EXPECT_TRUE(StoreFile(std::string(name.begin(), name.end() - 5) + "b.scp", "new\r\n"));
    EXPECT_EQ(FilesIn(folder), 2u);
}

TEST(StoreFile, ATargetHeldByAnotherProgramIsLeftAsItWas) {
    const std::wstring folder = test::FreshFolder(L"store-locked");
    const std::wstring target = folder + L"/KELT_9R.ini";
    WriteBytes(target, "kept\r\n");
    HANDLE holder = CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(StoreFile(std::string(target.begin(), target.end()), "lost?\r\n"));
    CloseHandle(holder);
    EXPECT_EQ(test::ReadFileBytes(target), "kept\r\n");
    EXPECT_EQ(FilesIn(folder), 1u);
}

// --- Reading, in this process ---------------------------------------------

TEST(ReadSettingsData, AFileOthersAreReadingIsReadAtOnceOneHeldUnsharedIsGivenUp) {
    const std::wstring folder = test::FreshFolder(L"read-shared");
    const std::wstring path = folder + L"\\KELT_9R.ini";
    const std::string name(path.begin(), path.end());
    WriteBytes(path, "Bottom_Depth = 42\r\n");
    HANDLE reader = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadSettingsData(name), std::string("Bottom_Depth = 42\r\n")) << "reading is shared";
    CloseHandle(reader);

    HANDLE holder = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const auto began = std::chrono::steady_clock::now();
    EXPECT_EQ(ReadSettingsData(name), std::nullopt);
    const double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    CloseHandle(holder);
    EXPECT_GE(waited, 1.9) << "tried again for about 2 s";
    EXPECT_LT(waited, 3.0);
}

TEST(WorkingDirectoryKeeper, PutsTheWorkingDirectoryBack) {
    const std::wstring start = test::FreshFolder(L"cwd-start");
    const std::wstring elsewhere = test::FreshFolder(L"cwd-elsewhere");
    SetCurrentDirectoryW(start.c_str());
    wchar_t before[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, before);
    {
        WorkingDirectoryKeeper keeper;
        SetCurrentDirectoryW(elsewhere.c_str());
    }
    wchar_t after[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, after);
    EXPECT_STREQ(after, before);
}

}  // namespace
}  // namespace kelt
