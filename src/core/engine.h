// The GDI+ flat API, bound at run time: one module-wide table of entry points, bound
// through Pixet::GetFunctionPointers, and the per-call engine start-up.
#pragma once

#include <windows.h>

#include <atomic>
#include <type_traits>

#include "base/check.h"
#include "base/gdiplus_include.h"
#include "base/unique_any.h"
#include "pixet/dll_loader.h"

namespace pixet::engine {

using Gdiplus::GpStatus;

// The entry points, in the order they are looked up. X(name, declaration) where
// declaration is the SDK prototype the entry's type is taken from.
#define PIXET_ENGINE_ENTRIES(X)                                           \
  X(GdiplusStartup, Gdiplus::GdiplusStartup)                              \
  X(GdiplusShutdown, Gdiplus::GdiplusShutdown)                            \
  X(GdipLoadImageFromFile, Gdiplus::DllExports::GdipLoadImageFromFile)    \
  X(GdipDisposeImage, Gdiplus::DllExports::GdipDisposeImage)              \
  X(GdipGetImageEncodersSize, Gdiplus::DllExports::GdipGetImageEncodersSize) \
  X(GdipGetImageEncoders, Gdiplus::DllExports::GdipGetImageEncoders)      \
  X(GdipSaveImageToFile, Gdiplus::DllExports::GdipSaveImageToFile)        \
  X(GdipCreateHBITMAPFromBitmap, Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap) \
  X(GdipGetImageWidth, Gdiplus::DllExports::GdipGetImageWidth)            \
  X(GdipGetImageHeight, Gdiplus::DllExports::GdipGetImageHeight)          \
  X(GdipGetImagePixelFormat, Gdiplus::DllExports::GdipGetImagePixelFormat) \
  X(GdipCreateBitmapFromScan0, Gdiplus::DllExports::GdipCreateBitmapFromScan0) \
  X(GdipCreateImageAttributes, Gdiplus::DllExports::GdipCreateImageAttributes) \
  X(GdipSetImageAttributesColorMatrix, Gdiplus::DllExports::GdipSetImageAttributesColorMatrix) \
  X(GdipDrawImageRectRectI, Gdiplus::DllExports::GdipDrawImageRectRectI)  \
  X(GdipDisposeImageAttributes, Gdiplus::DllExports::GdipDisposeImageAttributes) \
  X(GdipDeleteGraphics, Gdiplus::DllExports::GdipDeleteGraphics)          \
  X(GdipCreateBitmapFromGraphics, Gdiplus::DllExports::GdipCreateBitmapFromGraphics) \
  X(GdipCreateFromHDC, Gdiplus::DllExports::GdipCreateFromHDC)            \
  X(GdipGetImageGraphicsContext, Gdiplus::DllExports::GdipGetImageGraphicsContext) \
  X(GdipDrawImageRectI, Gdiplus::DllExports::GdipDrawImageRectI)          \
  X(GdipGraphicsClear, Gdiplus::DllExports::GdipGraphicsClear)            \
  X(GdipSetInterpolationMode, Gdiplus::DllExports::GdipSetInterpolationMode) \
  X(GdipGetImageHorizontalResolution, Gdiplus::DllExports::GdipGetImageHorizontalResolution) \
  X(GdipGetImageVerticalResolution, Gdiplus::DllExports::GdipGetImageVerticalResolution) \
  X(GdipBitmapSetResolution, Gdiplus::DllExports::GdipBitmapSetResolution) \
  X(GdipCreateBitmapFromStream, Gdiplus::DllExports::GdipCreateBitmapFromStream) \
  X(GdipCreateBitmapFromHBITMAP, Gdiplus::DllExports::GdipCreateBitmapFromHBITMAP) \
  X(GdipBitmapLockBits, Gdiplus::DllExports::GdipBitmapLockBits)          \
  X(GdipBitmapUnlockBits, Gdiplus::DllExports::GdipBitmapUnlockBits)      \
  X(GdipSetImagePalette, Gdiplus::DllExports::GdipSetImagePalette)        \
  X(GdipInitializePalette, Gdiplus::DllExports::GdipInitializePalette)    \
  X(GdipBitmapConvertFormat, Gdiplus::DllExports::GdipBitmapConvertFormat) \
  X(GdipCreateBitmapFromGdiDib, Gdiplus::DllExports::GdipCreateBitmapFromGdiDib) \
  X(GdipSaveImageToStream, Gdiplus::DllExports::GdipSaveImageToStream)

struct Table {
#define PIXET_ENGINE_FIELD(name, declaration) std::atomic<decltype(&declaration)> name{nullptr};
  PIXET_ENGINE_ENTRIES(PIXET_ENGINE_FIELD)
#undef PIXET_ENGINE_FIELD
};

// The module-wide table; entries are null until bound, and stay null for names the
// engine lacks. Written once per process (see Bind); read by any thread at any time.
const Table& table();

// Binds the table to the engine module `engine` has loaded. The first binding in the
// process whose module has GdiplusStartup fills every entry (null for a name the module
// lacks; the loader records why) and pins that module, so the addresses stay valid for
// the process's life: true. Later bindings only check: true when their module gives the
// same address for every entry, false otherwise (another module, or none loaded), and
// the table stays as it was.
bool Bind(DllLoader& engine);

// The one place a looked-up address becomes a typed entry.
template <class Fn>
Fn FromProc(void* address) {
  static_assert(std::is_pointer_v<Fn>);
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(address));
}

// Whether a Session has started the engine on this thread and not ended yet (tracked only
// with the debug checks on; true otherwise).
bool InSession();

// Calls a table entry. A null entry is never called: it answers as a failed call would
// (GenericError; nothing for entries that return nothing).
template <class R, class... P, class... A>
R CallAnyTime(R(WINGDIPAPI* entry)(P...), A&&... args) {
  if (entry == nullptr) {
    if constexpr (std::is_void_v<R>)
      return;
    else
      return static_cast<R>(Gdiplus::GenericError);
  }
  return entry(std::forward<A>(args)...);
}

// As CallAnyTime, inside a Session: the engine serves no one it has not been started for
// (Windows' answers GdiplusNotInitialized).
template <class R, class... P, class... A>
R Call(R(WINGDIPAPI* entry)(P...), A&&... args) {
  PIXET_DCHECK(InSession());
  return CallAnyTime(entry, std::forward<A>(args)...);
}

#define PIXET_ENTRY(name) ::pixet::engine::table().name.load(std::memory_order_acquire)
#define PIXET_CALL(name, ...) ::pixet::engine::Call(PIXET_ENTRY(name), __VA_ARGS__)

// Engine objects, released through the table.
void DisposeImage(Gdiplus::GpImage* image) noexcept;
void DeleteGraphics(Gdiplus::GpGraphics* graphics) noexcept;
void DisposeImageAttributes(Gdiplus::GpImageAttributes* attributes) noexcept;

using unique_gp_image = unique_any<close_traits<Gdiplus::GpImage*, &DisposeImage>>;
using unique_gp_bitmap = unique_any<close_traits<Gdiplus::GpBitmap*, &DisposeImage>>;
using unique_gp_graphics = unique_any<close_traits<Gdiplus::GpGraphics*, &DeleteGraphics>>;
using unique_gp_attributes = unique_any<close_traits<Gdiplus::GpImageAttributes*, &DisposeImageAttributes>>;

// The engine start-up token; closing it shuts the engine down.
struct StartupToken {
  ULONG_PTR token;
  bool started;
  bool operator==(const StartupToken& o) const { return started == o.started && token == o.token; }
};
struct startup_token_traits {
  using value_type = StartupToken;
  static StartupToken Invalid() noexcept { return {0, false}; }
  static void Close(StartupToken t) noexcept;
};
using unique_startup_token = unique_any<startup_token_traits>;

// Starts the engine for one method call and shuts it down when the scope ends. When the
// start-up fails the host shows "Error initializing GDI+" and started() is false.
class Session {
 public:
  Session();
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  bool started() const { return static_cast<bool>(token_); }

 private:
  unique_startup_token token_;
};

}  // namespace pixet::engine
