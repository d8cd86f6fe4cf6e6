#pragma once
// In-memory dialog templates (DLGTEMPLATEEX), for dialogs built from tables
// in the code rather than from resource scripts.

#include <windows.h>

#include <string_view>
#include <vector>

namespace kelt::platform {

struct DialogFrameSpec {
    DWORD style;
    DWORD exStyle;
    int x, y, w, h;            // dialog units
    std::wstring_view caption;
    std::wstring_view fontFace;
    int fontPoints;
};

struct DialogItemSpec {
    DWORD style;
    DWORD exStyle;
    int x, y, w, h;            // dialog units
    int id;
    std::wstring_view className;
    std::wstring_view text;
};

class DialogTemplate {
public:
    DialogTemplate(const DialogFrameSpec& frame, const std::vector<DialogItemSpec>& items);
    LPCDLGTEMPLATEW get() const { return reinterpret_cast<LPCDLGTEMPLATEW>(storage_.data()); }

private:
    void Word(WORD value);
    void Dword(DWORD value);
    void WideZ(std::wstring_view text);
    void AlignToDword();
    std::vector<BYTE> bytes_;
    std::vector<DWORD> storage_;  // the finished template, DWORD-aligned as Windows wants
};

}  // namespace kelt::platform
