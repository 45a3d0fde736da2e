#pragma once
// Owning wrappers for the GDI, USER and kernel handles the windows keep.
#include <windows.h>

#include <memory>
#include <type_traits>

namespace mekuri::win {

struct GdiObjectDeleter {
  void operator()(HGDIOBJ h) const noexcept {
    if (h) DeleteObject(h);
  }
};
struct IconDeleter {
  void operator()(HICON h) const noexcept {
    if (h) DestroyIcon(h);
  }
};
struct MenuDeleter {
  void operator()(HMENU h) const noexcept {
    if (h) DestroyMenu(h);
  }
};
struct HandleCloser {
  void operator()(HANDLE h) const noexcept {
    if (h) CloseHandle(h);
  }
};
struct ModuleDeleter {
  void operator()(HMODULE h) const noexcept {
    if (h) FreeLibrary(h);
  }
};

using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;
using UniqueBrush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, GdiObjectDeleter>;
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;
using UniqueMenu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDeleter>;
using UniqueModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleDeleter>;
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

}  // namespace mekuri::win
