// File permissions hold only for an unprivileged user: these tests run when
// scripts/unprivileged-tests.sh starts them as one, with folders it prepared.

#include <windows.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "panel_fixture.h"

namespace kelt {
namespace {

using namespace std::chrono_literals;

// A folder the script prepared: read-only-file, read-only-folder, ...
std::wstring Prepared(const char* name) {
    const char* root = std::getenv("KELT_UNPRIVILEGED_DIR");
    if (root == nullptr) return {};
    std::string path = std::string("Z:") + root + "/" + name;
    for (char& c : path)
        if (c == '/') c = '\\';
    return std::wstring(path.begin(), path.end());
}

// Starts the panel in the folder, lets it upload, presses Quit.
DWORD QuitPanelIn(const std::wstring& folder) {
    test::PanelUnderTest panel(test::PanelSetup{.folder = folder});
    if (!panel.sim.ready() || !panel.Start()) return STILL_ACTIVE;
    return panel.Quit(15s);
}

TEST(Unprivileged, ReadOnlySettingsFileIsLeftUntouchedAtQuit) {
    const std::wstring folder = Prepared("read-only-file");
    if (folder.empty()) GTEST_SKIP() << "needs scripts/unprivileged-tests.sh";
    const std::string before = test::ReadFileBytes(folder + L"\\KELT_9R.ini");
    ASSERT_FALSE(before.empty());
    EXPECT_EQ(QuitPanelIn(folder), 0u);
    EXPECT_EQ(test::ReadFileBytes(folder + L"\\KELT_9R.ini"), before);
}

TEST(Unprivileged, ReadOnlyFolderGetsNoNewFileAtQuit) {
    const std::wstring folder = Prepared("read-only-folder");
    if (folder.empty()) GTEST_SKIP() << "needs scripts/unprivileged-tests.sh";
    EXPECT_EQ(QuitPanelIn(folder), 0u);
    EXPECT_FALSE(test::FileExists(folder + L"\\KELT_9R.ini"));
}

TEST(Unprivileged, WritableFileInAReadOnlyFolderIsRewrittenInPlace) {
    const std::wstring folder = Prepared("read-only-folder-writable-file");
    if (folder.empty()) GTEST_SKIP() << "needs scripts/unprivileged-tests.sh";
    EXPECT_EQ(QuitPanelIn(folder), 0u);
    const std::string after = test::ReadFileBytes(folder + L"\\KELT_9R.ini");
    EXPECT_EQ(after.rfind("'*****", 0), 0u) << "no temporary file could be made: written in place";
    EXPECT_NE(after.find("LastFileSaved  = KELT_9R.ini\r\n"), std::string::npos);
    EXPECT_EQ(after.find("stale"), std::string::npos) << "the old tail is cut off";
}

}  // namespace
}  // namespace kelt
