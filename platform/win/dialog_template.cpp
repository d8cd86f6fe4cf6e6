#include "platform/win/dialog_template.h"

#include <algorithm>

namespace kelt::platform {

DialogTemplate::DialogTemplate(const DialogFrameSpec& frame,
                               const std::vector<DialogItemSpec>& items) {
    Word(1);       // dlgVer
    Word(0xFFFF);  // signature of the extended form
    Dword(0);      // helpID
    Dword(frame.exStyle);
    Dword(frame.style);
    Word(static_cast<WORD>(items.size()));
    Word(static_cast<WORD>(frame.x));
    Word(static_cast<WORD>(frame.y));
    Word(static_cast<WORD>(frame.w));
    Word(static_cast<WORD>(frame.h));
    Word(0);  // no menu
    Word(0);  // standard dialog class
    WideZ(frame.caption);
    if (frame.style & DS_SETFONT) {
        Word(static_cast<WORD>(frame.fontPoints));
        Word(FW_NORMAL);
        bytes_.push_back(FALSE);  // italic
        bytes_.push_back(ANSI_CHARSET);
        WideZ(frame.fontFace);
    }
    for (const DialogItemSpec& item : items) {
        AlignToDword();
        Dword(0);  // helpID
        Dword(item.exStyle);
        Dword(item.style);
        Word(static_cast<WORD>(item.x));
        Word(static_cast<WORD>(item.y));
        Word(static_cast<WORD>(item.w));
        Word(static_cast<WORD>(item.h));
        Dword(static_cast<DWORD>(item.id));
        WideZ(item.className);
        WideZ(item.text);
        Word(0);  // no creation data
    }
    // Copy into DWORD storage: templates must start on a DWORD boundary.
    storage_.resize((bytes_.size() + sizeof(DWORD) - 1) / sizeof(DWORD));
    std::copy(bytes_.begin(), bytes_.end(), reinterpret_cast<BYTE*>(storage_.data()));
}

void DialogTemplate::Word(WORD value) {
    bytes_.push_back(static_cast<BYTE>(value & 0xFF));
    bytes_.push_back(static_cast<BYTE>(value >> 8));
}

void DialogTemplate::Dword(DWORD value) {
    Word(static_cast<WORD>(value & 0xFFFF));
    Word(static_cast<WORD>(value >> 16));
}

void DialogTemplate::WideZ(std::wstring_view text) {
    for (wchar_t c : text) Word(static_cast<WORD>(c));
    Word(0);
}

void DialogTemplate::AlignToDword() {
    while (bytes_.size() % 4 != 0) bytes_.push_back(0);
}

}  // namespace kelt::platform
