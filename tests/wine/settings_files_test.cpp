// Settings and script files on a real disk, through the real panel.

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "panel/control_ids.h"
#include "panel_fixture.h"
#include "settings/win/settings_files.h"

namespace kelt {
namespace {

using namespace std::chrono_literals;
using test::Lines;
using test::PanelUnderTest;
using test::WriteFileBytes;

const std::string kHeader =
    "'**************************************************\r\n"
    "'** Quillion Maritime Corp.                      **\r\n"
    "'** KELT_9R.scp file Version 1.0                 **\r\n"
    "'**************************************************\r\n";

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

TEST(SettingsFile, QuitCreatesTheFifteenLineFileByteForByte) {
    PanelUnderTest panel(L"settings-quit");
    ASSERT_TRUE(panel.Start());
    EXPECT_EQ(panel.Quit(), 0u);
    EXPECT_EQ(panel.SavedSettings(),
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

TEST(SettingsFile, StoredSettingsDriveTheUploadAndTheCloseBoxKeepsTheFile) {
    PanelUnderTest panel(L"settings-stored");
    WriteFileBytes(panel.SettingsPath(), kStoredFile);
    ASSERT_TRUE(panel.Start(kStoredUpload.size()));
    EXPECT_EQ(panel.sim.ReceivedLines(), kStoredUpload);
    EXPECT_EQ(panel.Text(id::FreqSetEdit), L"38.00") << "the whole kHz that went out";
    EXPECT_TRUE(test::IsChecked(panel.window, id::MetersOption));
    EXPECT_EQ(panel.Text(id::BottomDepthLabel), L"Depth Mtrs");
    EXPECT_EQ(panel.Close(), 0u);
    EXPECT_EQ(panel.SavedSettings(), kStoredFile);
}

TEST(SettingsFile, AFileHeldForAMomentAtStartIsReadOnceLetGo) {
    PanelUnderTest panel(L"settings-held-briefly");
    WriteFileBytes(panel.SettingsPath(), kStoredFile);
    // A sync client or an indexer has the file open, unshared, as the panel
    // starts.
    test::FileHold hold(panel.SettingsPath());
    ASSERT_TRUE(hold.held());
    ASSERT_TRUE(panel.Launch());
    Sleep(1000);  // the hold itself: a second goes by while the panel waits
    const size_t opensWhileHeld = panel.sim.Count("open");
    hold.Release();
    ASSERT_TRUE(panel.WaitForWindow());
    EXPECT_EQ(opensWhileHeld, 0u) << "the panel waits for its settings before it opens the port";
    EXPECT_EQ(panel.sim.WaitForReceived(kStoredUpload.size(), 8s), kStoredUpload);
    EXPECT_EQ(panel.Quit(), 0u);
    const std::string saved = panel.SavedSettings();
    EXPECT_NE(saved.find("Bottom_Depth = 12.5\r\n"), std::string::npos) << "Quit saved the stored settings";
    EXPECT_NE(saved.find("Depth_Units = cm\r\n"), std::string::npos);
}

TEST(ScriptFiles, SaveThenResetThenOpenBringsTheSettingsBackAndUploadsThem) {
    PanelUnderTest panel(L"script-round-trip");
    ASSERT_TRUE(panel.Start());
    ASSERT_EQ(panel.Upload(), test::kDefaultUpload);
    ASSERT_TRUE(panel.MoveSlider(id::BottomDepthSlider, 123));
    ASSERT_EQ(panel.NextLines(2), (Lines{"D123", "d123"})) << "the fish moves up with the bottom, first";

    // A folder and a name the code page cannot hold: the file is the one
    // chosen, never a look-alike ("bench O.scp"), and the files keep its name
    // as 8-bit text with '?' for what the code page lacks.
    const std::wstring scripts = panel.folder + L"\\Skripte \u6C34\u6DF1";
    ASSERT_TRUE(CreateDirectoryW(scripts.c_str(), nullptr));
    const std::wstring script = scripts + L"\\bench \u03A9.scp";
    std::string nameText(static_cast<size_t>(WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, script.c_str(), -1,
                                                                  nullptr, 0, nullptr, nullptr)), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, script.c_str(), -1, nameText.data(),
                        static_cast<int>(nameText.size()), nullptr, nullptr);
    nameText.pop_back();
    panel.Menu(id::MenuSaveFile);
    ASSERT_TRUE(panel.ChooseFile(L"Save File", script));
    // The panel creates the file empty and swaps the content in after: the
    // file is read once it is no longer empty, and until it holds all its
    // lines.
    const std::string lastLine = "LastFileSaved  = " + nameText + "\r\n";
    std::string saved;
    ASSERT_TRUE(test::WaitUntil(
        [&] {
            if (FileSize(script) == 0) return false;
            saved = test::ReadFileBytes(script);
            return std::count(saved.begin(), saved.end(), '\n') == 15 && saved.ends_with(lastLine);
        },
        20s))
        << saved;
    EXPECT_NE(saved.find("Bottom_Depth = 12.3\r\n"), std::string::npos);
    EXPECT_EQ(FilesIn(scripts), 1u) << "no other file was written";

    panel.Click(id::ResetButton);
    const Lines reset = panel.NextLines(test::kDefaultUpload.size(), 8s);
    ASSERT_EQ(reset.size(), test::kDefaultUpload.size());
    ASSERT_EQ(reset.at(2), "d300") << "Reset uploads the defaults";

    panel.Menu(id::MenuOpenFile);
    ASSERT_TRUE(panel.ChooseFile(L"Open File", script));
    const Lines opened = panel.NextLines(test::kDefaultUpload.size(), 8s);
    ASSERT_EQ(opened.size(), test::kDefaultUpload.size());
    EXPECT_EQ(opened.at(0), "~~~");
    EXPECT_EQ(opened.at(2), "d123");
    EXPECT_EQ(opened.at(5), "D123");
    EXPECT_EQ(test::SliderPos(panel.window, id::BottomDepthSlider), 123);

    EXPECT_EQ(panel.Quit(), 0u);
    EXPECT_TRUE(test::FileExists(panel.SettingsPath())) << "the settings file stays in the working directory";
    const std::string settings = panel.SavedSettings();
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

TEST(ScriptFiles, AScriptThatCannotBeReadChangesNothingAndSendsNothing) {
    PanelUnderTest panel(L"script-unreadable");
    ASSERT_TRUE(panel.Start());
    ASSERT_TRUE(panel.MoveSlider(id::BottomDepthSlider, 123));
    ASSERT_EQ(panel.NextLines(2).size(), 2u);
    const std::vector<std::wstring> boxes = SettingBoxes(panel.window);
    ASSERT_EQ(panel.Text(id::BottomDepthEdit), L"12.3") << "not the default";

    // Held unshared by another program for longer than the panel tries.
    const std::wstring script = panel.folder + L"\\held.scp";
    WriteFileBytes(script, kStoredFile);
    test::FileHold hold(script);
    ASSERT_TRUE(hold.held());
    ASSERT_TRUE(panel.Focus(id::BottomLevelSlider));
    panel.Menu(id::MenuOpenFile);
    ASSERT_TRUE(panel.ChooseFile(L"Open File", script));
    // A message sent to the panel is taken once it has given the file up.
    ASSERT_TRUE(panel.Answers());
    EXPECT_EQ(SettingBoxes(panel.window), boxes);
    EXPECT_EQ(GetDlgCtrlID(test::FocusOf(panel.window)), id::BottomLevelSlider)
        << "nothing was uploaded: the focus stays on the slider the user had";
    ASSERT_TRUE(panel.MoveSlider(id::BottomLevelSlider, 200));
    const Lines lines = panel.NextLines(1);
    ASSERT_GE(lines.size(), 1u);
    EXPECT_EQ(lines[0], "l200") << "the slider's command is the first line after the dialog";
}

// --- The safe write, in this process ----------------------------------------

// In a folder whose name the code page cannot hold, as the temporary and
// backup files beside the target are too.
TEST(StoreFile, ReplacesTheWholeContentAndLeavesNoTemporaryFile) {
    const std::wstring folder = test::FreshFolder(L"store-replace-\u03A9\u6C34");
    const std::wstring target = folder + L"/a.scp";
    WriteFileBytes(target, std::string(5000, 'x'));
    EXPECT_TRUE(StoreFile(target, "short\r\n"));
    EXPECT_EQ(test::ReadFileBytes(target), "short\r\n");
    EXPECT_TRUE(StoreFile(folder + L"/b.scp", "new\r\n"));
    EXPECT_EQ(FilesIn(folder), 2u);
}

TEST(StoreFile, ATargetHeldByAnotherProgramIsLeftAsItWas) {
    const std::wstring folder = test::FreshFolder(L"store-locked");
    const std::wstring target = folder + L"/KELT_9R.ini";
    WriteFileBytes(target, "kept\r\n");
    test::FileHold hold(target);
    ASSERT_TRUE(hold.held());
    EXPECT_FALSE(StoreFile(target, "lost?\r\n"));
    hold.Release();
    EXPECT_EQ(test::ReadFileBytes(target), "kept\r\n");
    EXPECT_EQ(FilesIn(folder), 1u);
}

// --- Reading, in this process ---------------------------------------------

TEST(ReadSettingsData, AFileOthersAreReadingIsReadAtOnceOneHeldUnsharedIsGivenUp) {
    const std::wstring folder = test::FreshFolder(L"read-shared");
    const std::wstring path = folder + L"\\KELT_9R.ini";
    const std::wstring& name = path;
    WriteFileBytes(path, "Bottom_Depth = 42\r\n");
    HANDLE reader = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadSettingsData(name), std::string("Bottom_Depth = 42\r\n")) << "reading is shared";
    CloseHandle(reader);

    test::FileHold hold(path);
    ASSERT_TRUE(hold.held());
    const auto began = std::chrono::steady_clock::now();
    EXPECT_EQ(ReadSettingsData(name), std::nullopt);
    const double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    hold.Release();
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
