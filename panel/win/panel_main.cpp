// Entry of the control panel program.

#include <windows.h>
#include <commctrl.h>

#include "panel/win/main_panel.h"
#include "platform/win/handles.h"

namespace kelt {

int PanelMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    // The extended initialisation is looked up by name: an old common
    // controls library without it still gets the plain one. The program also
    // imports the library, so freeing this reference never unloads the
    // control classes.
    if (platform::UniqueModule comctl{LoadLibraryA("COMCTL32.DLL")}) {
        using InitEx = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        auto initEx = reinterpret_cast<InitEx>(
            reinterpret_cast<void*>(GetProcAddress(comctl.get(), "InitCommonControlsEx")));
        if (initEx != nullptr) {
            INITCOMMONCONTROLSEX controls{8, 0x9FF};
            initEx(&controls);
        } else {
            InitCommonControls();
        }
    }
    BuildMainPanel(nullptr);
    return 0;
}

}  // namespace kelt

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int show) {
    return kelt::PanelMain(instance, previous, commandLine, show);
}
