#pragma once
// Owning wrappers for the handles the programs create. Each closes its
// handle exactly once, with the call Windows wants for that kind.

#include <windows.h>

#include <memory>
#include <type_traits>

namespace kelt::platform {

struct GdiObjectCloser {
    void operator()(void* object) const { DeleteObject(static_cast<HGDIOBJ>(object)); }
};
struct IconCloser {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
struct KernelHandleCloser {
    void operator()(HANDLE handle) const {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
};
struct ModuleCloser {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};

using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectCloser>;
using UniqueBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiObjectCloser>;
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconCloser>;
using UniqueHandle = std::unique_ptr<void, KernelHandleCloser>;
using UniqueModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleCloser>;

}  // namespace kelt::platform
