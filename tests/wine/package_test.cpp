// The release packages as a user gets them, in a Wine prefix of their own:
// the installer run silently, its Start-menu shortcuts followed, the panel
// started as its shortcut starts it and the uninstaller run; the ZIP
// unpacked and the panel started from its folder. The instrument each time
// is the package's own keltsim.exe, on a COM port joined to the panel's as
// TRY-WITHOUT-INSTRUMENT.txt says. scripts/package-tests.sh makes the
// prefix, unpacks the ZIP and says where both packages are.

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "panel/control_ids.h"
#include "panel_fixture.h"

namespace kelt {
namespace {

using namespace std::chrono_literals;
using test::kDefaultUpload;
using test::Lines;

// sample.scp: fish echo on 3 / off 2 at 24.5 and 12.5 mV, bottom at 60.0 and 25 mV.
const Lines kSampleUpload{"~~~", "cf", "d600", "l235", "e2", "E3", "D245", "L215", "A", "a", "S"};
// Each package delivers these.
const wchar_t* const kDelivered[] = {L"keltpanel.exe", L"keltterm.exe", L"keltsim.exe", L"README.md",
                                     L"CHANGELOG.md", L"sample.scp", L"TRY-WITHOUT-INSTRUMENT.txt"};

std::wstring Environment(const wchar_t* name) {
    wchar_t value[1024] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, 1024);
    return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

std::wstring KnownFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    return SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path) == S_OK ? path : L"";
}

bool SamePath(std::wstring a, std::wstring b) {
    for (auto* text : {&a, &b}) {
        for (wchar_t& c : *text) c = static_cast<wchar_t>(towlower(c == L'/' ? L'\\' : c));
        while (!text->empty() && text->back() == L'\\') text->pop_back();
    }
    return a == b;
}

struct Shortcut {
    std::wstring target;
    std::wstring startIn;
    bool read = false;
};

// Read as the shell reads it.
Shortcut ReadShortcut(const std::wstring& path) {
    Shortcut shortcut;
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return shortcut;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        if (SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
            wchar_t text[MAX_PATH] = {};
            if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, 0))) shortcut.target = text;
            text[0] = 0;
            if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH))) shortcut.startIn = text;
            shortcut.read = true;
        }
        file->Release();
    }
    link->Release();
    return shortcut;
}

class Packages : public ::testing::Test {
protected:
    void SetUp() override { CoInitialize(nullptr); }
    void TearDown() override { CoUninitialize(); }
};

// The panel as a technician uses it at first: it starts on the defaults,
// the sample script opened from its folder uploads the sample, and Quit
// keeps the settings in the folder it was started in. The instrument is the
// package's keltsim.exe on COM16, the panel on its default COM15.
void UseThePanel(const std::wstring& program, const std::wstring& startIn, const std::wstring& simulator) {
    test::PanelUnderTest panel(
        test::PanelSetup{.folder = startIn, .program = program, .windowsSimulator = simulator});
    ASSERT_TRUE(panel.sim.ready()) << "the package's simulator did not start";
    ASSERT_TRUE(panel.Start());
    ASSERT_EQ(panel.Upload(), kDefaultUpload);
    panel.Menu(id::MenuOpenFile);
    ASSERT_TRUE(panel.ChooseFile(L"Open File", startIn + L"\\sample.scp"));
    Lines expected = kDefaultUpload;
    expected.insert(expected.end(), kSampleUpload.begin(), kSampleUpload.end());
    EXPECT_EQ(panel.sim.WaitForReceived(expected.size(), 10s), expected);
    EXPECT_EQ(panel.Quit(), 0u);
    const std::string saved = panel.SavedSettings();
    EXPECT_NE(saved.find("\r\nBottom_Depth = 60.0\r\n"), std::string::npos) << saved;
}

TEST_F(Packages, TheInstallerInstallsStartsAndUninstallsLikeOnWindows) {
    const std::wstring installer = Environment(L"KELT_INSTALLER");
    ASSERT_FALSE(installer.empty()) << "KELT_INSTALLER names the installer to test";
    {
        test::RunningProgram install(installer, L"", L"/S");
        ASSERT_TRUE(install.started());
        ASSERT_EQ(install.WaitExit(120s), 0u);
    }
    const std::wstring programs = KnownFolder(CSIDL_PROGRAM_FILESX86) + L"\\KELT-9R";
    const std::wstring menu = KnownFolder(CSIDL_COMMON_PROGRAMS) + L"\\KELT-9R";
    const std::wstring settings = KnownFolder(CSIDL_COMMON_DOCUMENTS) + L"\\KELT-9R";
    for (const wchar_t* file : kDelivered)
        EXPECT_TRUE(test::FileExists(programs + L"\\" + file)) << "in the program folder: " << file;
    EXPECT_EQ(test::ReadFileBytes(settings + L"\\sample.scp"), test::ReadFileBytes(programs + L"\\sample.scp"))
        << "the sample waits in the settings folder";

    const Shortcut panel = ReadShortcut(menu + L"\\KELT-9R Control Panel.lnk");
    const Shortcut terminal = ReadShortcut(menu + L"\\KELT-9R Terminal.lnk");
    ASSERT_TRUE(panel.read && terminal.read) << "the Start-menu shortcuts";
    EXPECT_TRUE(SamePath(panel.target, programs + L"\\keltpanel.exe")) << panel.target;
    EXPECT_TRUE(SamePath(terminal.target, programs + L"\\keltterm.exe")) << terminal.target;
    EXPECT_TRUE(SamePath(panel.startIn, settings)) << "the panel starts in the settings folder";
    EXPECT_TRUE(SamePath(terminal.startIn, settings));

    UseThePanel(panel.target, panel.startIn, programs + L"\\keltsim.exe");
    EXPECT_FALSE(test::FileExists(programs + L"\\KELT_9R.ini")) << "nothing is saved in the program folder";

    {
        test::RunningProgram uninstall(programs + L"\\Uninstall.exe", L"", L"/S");
        ASSERT_TRUE(uninstall.started());
        uninstall.WaitExit(60s);
    }
    // The uninstaller copies itself away and goes on from there.
    EXPECT_TRUE(test::WaitUntil([&] {
        return !test::FileExists(programs + L"\\keltpanel.exe") && !test::FileExists(programs + L"\\keltterm.exe") &&
               !test::FileExists(programs + L"\\keltsim.exe") &&
               !test::FileExists(menu + L"\\KELT-9R Control Panel.lnk") &&
               !test::FileExists(menu + L"\\KELT-9R Terminal.lnk");
    }, 60s)) << "programs and shortcuts are removed";
    EXPECT_TRUE(test::FileExists(settings + L"\\sample.scp")) << "the settings folder stays";
    EXPECT_TRUE(test::FileExists(settings + L"\\KELT_9R.ini"));
}

TEST_F(Packages, TheZipRunsFromWhereverItIsUnpacked) {
    const std::wstring folder = Environment(L"KELT_UNZIPPED");
    ASSERT_FALSE(folder.empty()) << "KELT_UNZIPPED names the unpacked ZIP's folder";
    for (const wchar_t* file : kDelivered) EXPECT_TRUE(test::FileExists(folder + L"\\" + file)) << file;
    UseThePanel(folder + L"\\keltpanel.exe", folder, folder + L"\\keltsim.exe");
}

}  // namespace
}  // namespace kelt
