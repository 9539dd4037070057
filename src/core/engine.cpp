#include "core/engine.h"

#include "core/host_access.h"

namespace pixet::engine {

namespace {
Table g_table{};
}  // namespace

Table& table() { return g_table; }

void DisposeImage(Gdiplus::GpImage* image) noexcept { PIXET_CALL(GdipDisposeImage, image); }
void DeleteGraphics(Gdiplus::GpGraphics* graphics) noexcept { PIXET_CALL(GdipDeleteGraphics, graphics); }
void DisposeImageAttributes(Gdiplus::GpImageAttributes* attributes) noexcept {
  PIXET_CALL(GdipDisposeImageAttributes, attributes);
}

void startup_token_traits::Close(StartupToken t) noexcept { PIXET_CALL(GdiplusShutdown, t.token); }

Session::Session() {
  Gdiplus::GdiplusStartupInput input;  // version 1, no callback, nothing suppressed
  input.GdiplusVersion = 1;
  input.DebugEventCallback = nullptr;
  input.SuppressBackgroundThread = FALSE;
  input.SuppressExternalCodecs = FALSE;
  ULONG_PTR token = 0;
  if (PIXET_CALL(GdiplusStartup, &token, &input, nullptr) != Gdiplus::Ok) {
    host::ShowMessage("Error initializing GDI+");
    return;
  }
  token_.reset({token, true});
}

}  // namespace pixet::engine
