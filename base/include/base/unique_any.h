// One owner for every handle that must be released: unique_any<Traits> closes its value
// with Traits::Close unless it holds Traits::Invalid(). Each kind of release call has its
// own traits and alias, so a handle can only be given to the call that releases it. This
// header holds the template, the generic traits and the aliases for the system's own
// release calls; an area whose release call is its own keeps its aliases beside it
// (WinINet in core/internet.h, the engine in core/engine.h).
#pragma once

#include <windows.h>

#include <string>
#include <utility>

#include "base/check.h"

namespace pixet {

template <class Traits>
class unique_any {
 public:
  using value_type = typename Traits::value_type;

  unique_any() noexcept : value_(Traits::Invalid()) {}
  explicit unique_any(value_type value) noexcept : value_(value) {}
  unique_any(unique_any&& other) noexcept : value_(other.release()) {}
  unique_any& operator=(unique_any&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  unique_any(const unique_any&) = delete;
  unique_any& operator=(const unique_any&) = delete;
  ~unique_any() { reset(); }

  const value_type& get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return !(value_ == Traits::Invalid()); }

  // The address of an empty value, for out-parameters. Releases what is held first.
  value_type* put() noexcept {
    reset();
    return &value_;
  }
  value_type release() noexcept { return std::exchange(value_, Traits::Invalid()); }
  // Closing keeps the thread's last error: hosts read it after a call, and a handle closed
  // on the way out must not replace the error of the step that failed.
  void reset(value_type value = Traits::Invalid()) noexcept {
    PIXET_DCHECK(value == Traits::Invalid() || !(value == value_));  // owned twice: closed under our feet
    value_type old = std::exchange(value_, value);
    if (old == Traits::Invalid()) return;
    const DWORD error = ::GetLastError();
    Traits::Close(old);
    ::SetLastError(error);
  }

 private:
  value_type value_;
};

// Traits for a handle closed by one Win32 call with no other state.
template <class T, auto CloseFn>
struct close_traits {
  using value_type = T;
  static T Invalid() noexcept { return T{}; }
  static void Close(T value) noexcept { CloseFn(value); }
};

// The release calls whose failure means a broken owner: a handle released twice, or never
// valid; a GDI object deleted while still selected into a DC (which Windows refuses; Wine
// deletes it all the same).
template <class T>
void DeleteGdiObject(T object) noexcept {
  const BOOL deleted = ::DeleteObject(object);
  PIXET_DCHECK(deleted);
}
inline void DeleteMemoryDC(HDC dc) noexcept {
  const BOOL deleted = ::DeleteDC(dc);
  PIXET_DCHECK(deleted);
}
inline void FreeMemoryBlock(HGLOBAL block) noexcept {
  const HGLOBAL kept = ::GlobalFree(block);
  PIXET_DCHECK(kept == nullptr);
}
inline void FreeLoadedModule(HMODULE module) noexcept {
  const BOOL freed = ::FreeLibrary(module);
  PIXET_DCHECK(freed);
}
inline void CloseKernelHandle(HANDLE handle) noexcept {
  const BOOL closed = ::CloseHandle(handle);
  PIXET_DCHECK(closed);
}

using unique_hbitmap = unique_any<close_traits<HBITMAP, &DeleteGdiObject<HBITMAP>>>;
using unique_hbrush = unique_any<close_traits<HBRUSH, &DeleteGdiObject<HBRUSH>>>;
using unique_hpalette = unique_any<close_traits<HPALETTE, &DeleteGdiObject<HPALETTE>>>;
using unique_hdc = unique_any<close_traits<HDC, &DeleteMemoryDC>>;
using unique_hglobal = unique_any<close_traits<HGLOBAL, &FreeMemoryBlock>>;
using unique_global_lock = unique_any<close_traits<HGLOBAL, &::GlobalUnlock>>;  // see unique_hglobal_locked
using unique_module = unique_any<close_traits<HMODULE, &FreeLoadedModule>>;
// A window this thread made: destroyed with its children, unless something destroyed it
// first (a window's own procedure should then release() its owner).
inline void DestroyLiveWindow(HWND window) noexcept {
  if (!::IsWindow(window)) return;
  const BOOL destroyed = ::DestroyWindow(window);
  PIXET_DCHECK(destroyed);  // fails on a thread other than the window's
}
using unique_window = unique_any<close_traits<HWND, &DestroyLiveWindow>>;
// A kernel object other than a file (an event, a thread); null means none.
using unique_handle = unique_any<close_traits<HANDLE, &CloseKernelHandle>>;

// One reference to a COM object; closing it releases that reference.
inline void ReleaseInterface(IUnknown* object) noexcept { object->Release(); }
using unique_stream = unique_any<close_traits<IStream*, &ReleaseInterface>>;

// A file opened with CreateFile; INVALID_HANDLE_VALUE means none.
struct file_traits {
  using value_type = HANDLE;
  static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) noexcept { CloseKernelHandle(h); }
};
using unique_file = unique_any<file_traits>;

// A file, by name, that the call made: deleted when the owner goes unless the call
// commits it with release() (a working file never is). Empty means none.
struct delete_file_traits {
  using value_type = std::string;
  static std::string Invalid() noexcept { return {}; }
  static void Close(const std::string& name) noexcept { ::DeleteFileA(name.c_str()); }
};
using auto_delete_file = unique_any<delete_file_traits>;
// The same for a file named in UTF-16.
struct delete_wide_file_traits {
  using value_type = std::wstring;
  static std::wstring Invalid() noexcept { return {}; }
  static void Close(const std::wstring& name) noexcept { ::DeleteFileW(name.c_str()); }
};
using auto_delete_wide_file = unique_any<delete_wide_file_traits>;

// A DC taken from a window (or from the screen, with no window): ReleaseDC needs the
// window as well.
struct WindowDC {
  HWND window;
  HDC dc;
  bool operator==(const WindowDC& o) const { return window == o.window && dc == o.dc; }
};
struct window_dc_traits {
  using value_type = WindowDC;
  static WindowDC Invalid() noexcept { return {nullptr, nullptr}; }
  static void Close(WindowDC v) noexcept {
    const int released = ::ReleaseDC(v.window, v.dc);
    PIXET_DCHECK(released == 1);  // a DC given back to a window it did not come from
  }
};
using unique_window_dc = unique_any<window_dc_traits>;

// The DC of the window's client area (GetDC), or of the screen for a null window; empty
// when the system gives none.
inline unique_window_dc AcquireDC(HWND window) noexcept {
  const HDC dc = ::GetDC(window);
  return dc != nullptr ? unique_window_dc({window, dc}) : unique_window_dc();
}
// The DC of the whole window, frame included (GetWindowDC); empty when the system gives none.
inline unique_window_dc AcquireWindowDC(HWND window) noexcept {
  const HDC dc = ::GetWindowDC(window);
  return dc != nullptr ? unique_window_dc({window, dc}) : unique_window_dc();
}

// A DC from BeginPaint: EndPaint needs the window and the paint record, which must outlive
// the owner.
struct PaintDC {
  HWND window;
  const PAINTSTRUCT* paint;
  bool operator==(const PaintDC& o) const { return window == o.window && paint == o.paint; }
};
struct paint_dc_traits {
  using value_type = PaintDC;
  static PaintDC Invalid() noexcept { return {nullptr, nullptr}; }
  static void Close(PaintDC v) noexcept { ::EndPaint(v.window, v.paint); }
};
using unique_paint_dc = unique_any<paint_dc_traits>;

// Begins painting `window` into `paint` (its DC is paint.hdc) until the owner goes; empty
// when the system gives no DC.
inline unique_paint_dc AcquirePaintDC(HWND window, PAINTSTRUCT& paint) noexcept {
  return ::BeginPaint(window, &paint) != nullptr ? unique_paint_dc({window, &paint}) : unique_paint_dc();
}

// An object selected into a DC: Close selects back the one it replaced, which must give
// back the one selected (not so when selections are undone out of order, or into another DC).
template <class Held, auto Restore>
struct selection_traits {
  struct value_type {
    HDC dc;
    Held previous;
    Held selected;
    bool operator==(const value_type& o) const {
      return dc == o.dc && previous == o.previous && selected == o.selected;
    }
  };
  static value_type Invalid() noexcept { return {nullptr, nullptr, nullptr}; }
  static void Close(value_type v) noexcept {
    const Held replaced = Restore(v.dc, v.previous);
    PIXET_DCHECK(replaced == v.selected);
  }
};
inline HGDIOBJ SelectBack(HDC dc, HGDIOBJ previous) noexcept { return ::SelectObject(dc, previous); }
inline HPALETTE SelectPaletteBack(HDC dc, HPALETTE previous) noexcept { return ::SelectPalette(dc, previous, FALSE); }
using unique_selection = unique_any<selection_traits<HGDIOBJ, &SelectBack>>;
using unique_palette_selection = unique_any<selection_traits<HPALETTE, &SelectPaletteBack>>;

// Selects `object` into `dc` until the owner goes; empty when the selection fails.
inline unique_selection AcquireSelection(HDC dc, HGDIOBJ object) noexcept {
  const HGDIOBJ previous = ::SelectObject(dc, object);
  return previous != nullptr && previous != HGDI_ERROR ? unique_selection({dc, previous, object}) : unique_selection();
}
// Selects `palette` into `dc` as a foreground palette until the owner goes; empty when
// the selection fails.
inline unique_palette_selection AcquirePaletteSelection(HDC dc, HPALETTE palette) noexcept {
  const HPALETTE previous = ::SelectPalette(dc, palette, FALSE);
  return previous != nullptr ? unique_palette_selection({dc, previous, palette}) : unique_palette_selection();
}

// An open clipboard: true while this owner must close it.
struct clipboard_traits {
  using value_type = bool;
  static bool Invalid() noexcept { return false; }
  static void Close(bool) noexcept {
    const BOOL closed = ::CloseClipboard();
    PIXET_DCHECK(closed);
  }
};
using unique_clipboard = unique_any<clipboard_traits>;

// Opens the clipboard for `owner` (null: for this thread) until the owner goes; empty when
// another window holds it.
inline unique_clipboard AcquireClipboard(HWND owner) noexcept {
  return unique_clipboard(::OpenClipboard(owner) != FALSE);
}

// A memory block locked for as long as the owner lives: the constructor locks it, get()
// is the block's address (null when the lock failed, and then nothing is unlocked).
class unique_hglobal_locked {
 public:
  unique_hglobal_locked() noexcept = default;
  explicit unique_hglobal_locked(HGLOBAL block) noexcept : pointer_(::GlobalLock(block)) {
    if (pointer_ != nullptr) lock_.reset(block);
  }
  unique_hglobal_locked(unique_hglobal_locked&& other) noexcept
      : pointer_(std::exchange(other.pointer_, nullptr)), lock_(std::move(other.lock_)) {}
  unique_hglobal_locked& operator=(unique_hglobal_locked&& other) noexcept {
    lock_ = std::move(other.lock_);
    pointer_ = std::exchange(other.pointer_, nullptr);
    return *this;
  }

  void* get() const noexcept { return pointer_; }
  explicit operator bool() const noexcept { return pointer_ != nullptr; }
  // Unlocks now.
  void reset() noexcept {
    pointer_ = nullptr;
    lock_.reset();
  }

 private:
  void* pointer_ = nullptr;
  unique_global_lock lock_;
};

}  // namespace pixet
