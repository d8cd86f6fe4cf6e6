// The application manifests embedded in the delivered programs, read back
// from the executables as Windows reads them.

#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "kelt_version.h"
#include "wine_harness.h"

namespace kelt {
namespace {

std::string EmbeddedManifest(const std::wstring& program) {
    HMODULE module = LoadLibraryExW(program.c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (module == nullptr) return {};
    std::string text;
    if (HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
        const DWORD size = SizeofResource(module, found);
        const void* bytes = LockResource(LoadResource(module, found));
        if (bytes != nullptr) text.assign(static_cast<const char*>(bytes), size);
    }
    FreeLibrary(module);
    return text;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// What both programs declare: they run as the user who starts them (no
// redirected writes), the Windows versions they were made for, and that
// they draw themselves at the screen's DPI.
void ExpectModernDeclarations(const std::string& manifest) {
    EXPECT_TRUE(Has(manifest, "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"));
    for (const char* os : {"{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                           "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                           "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
        EXPECT_TRUE(Has(manifest, std::string("<supportedOS Id=\"") + os + "\"/>")) << os;
    EXPECT_TRUE(Has(manifest, ">true</dpiAware>"));
    EXPECT_TRUE(Has(manifest, ">system</dpiAwareness>"));
    const std::string arch = sizeof(void*) == 4 ? "x86" : "amd64";
    EXPECT_TRUE(Has(manifest, "processorArchitecture=\"" + arch + "\"")) << "built for " << arch;
}

TEST(Manifest, ThePanelRunsAsTheUserIsDpiAwareAndKeepsCommonControlsSix) {
    const std::string manifest = EmbeddedManifest(test::BuildPath(L"keltpanel.exe"));
    ASSERT_FALSE(manifest.empty()) << "no RT_MANIFEST 1 in keltpanel.exe";
    ExpectModernDeclarations(manifest);
    EXPECT_TRUE(Has(manifest, "name=\"Microsoft.Windows.Common-Controls\""));
    EXPECT_TRUE(Has(manifest, "version=\"6.0.0.0\""));
    EXPECT_TRUE(Has(manifest, "version=\"" KELT_PANEL_VERSION ".0\""));
}

TEST(Manifest, TheTerminalRunsAsTheUserIsDpiAwareAndKeepsItsClassicLook) {
    const std::string manifest = EmbeddedManifest(test::BuildPath(L"terminal/keltterm.exe"));
    ASSERT_FALSE(manifest.empty()) << "no RT_MANIFEST 1 in keltterm.exe";
    ExpectModernDeclarations(manifest);
    EXPECT_FALSE(Has(manifest, "Common-Controls")) << "the terminal asks for no newer controls";
    EXPECT_TRUE(Has(manifest, "version=\"" KELT_TERMINAL_VERSION ".0.0\""));
}

TEST(Manifest, TheSimulatorRunsAsTheUserLikeThePrograms) {
    const std::string manifest = EmbeddedManifest(test::BuildPath(L"sim/keltsim.exe"));
    ASSERT_FALSE(manifest.empty()) << "no RT_MANIFEST 1 in keltsim.exe";
    ExpectModernDeclarations(manifest);
    EXPECT_FALSE(Has(manifest, "Common-Controls")) << "a console program has no controls";
    EXPECT_TRUE(Has(manifest, "version=\"" KELT_PANEL_VERSION ".0\""));
}

}  // namespace
}  // namespace kelt
