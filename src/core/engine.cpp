#include "core/engine.h"

#include <mutex>

#include "core/host_access.h"

namespace pixet::engine {

namespace {

// Objects are made, bound, used and destroyed on any threads at once. The table is
// written by one binding only, the first that finds an engine, under g_bind; later
// bindings take g_bind and only read. Every entry is an atomic, stored (release) before
// g_bound is set and loaded (acquire) by each call, so a call on any thread sees null
// (and answers as a failed call would) or the bound address, never a torn entry, and no
// entry is ever written while another thread may read it. The module is pinned, never
// unloaded, so the addresses outlive every object.
std::mutex g_bind;
bool g_bound = false;  // under g_bind
Table g_table;

}  // namespace

const Table& table() { return g_table; }

bool Bind(DllLoader& engine) {
  std::lock_guard<std::mutex> lock(g_bind);
  if (g_bound) {
    bool same = true;
#define PIXET_ENGINE_CHECK(name, declaration) \
  same = same && engine.GetProcedure(#name) == reinterpret_cast<void*>(g_table.name.load(std::memory_order_relaxed));
    PIXET_ENGINE_ENTRIES(PIXET_ENGINE_CHECK)
#undef PIXET_ENGINE_CHECK
    return same;
  }
  HMODULE pinned = nullptr;
  if (engine.GetProcedure("GdiplusStartup") == nullptr ||
      !::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                            reinterpret_cast<LPCSTR>(engine.Module()), &pinned))
    return false;
#define PIXET_ENGINE_FILL(name, declaration) \
  g_table.name.store(FromProc<decltype(&declaration)>(engine.GetProcedure(#name)), std::memory_order_release);
  PIXET_ENGINE_ENTRIES(PIXET_ENGINE_FILL)
#undef PIXET_ENGINE_FILL
  g_bound = true;
  return true;
}

void DisposeImage(Gdiplus::GpImage* image) noexcept { PIXET_CALL(GdipDisposeImage, image); }
void DeleteGraphics(Gdiplus::GpGraphics* graphics) noexcept { PIXET_CALL(GdipDeleteGraphics, graphics); }
void DisposeImageAttributes(Gdiplus::GpImageAttributes* attributes) noexcept {
  PIXET_CALL(GdipDisposeImageAttributes, attributes);
}

namespace {

// Sessions started and not ended on this thread, for the debug checks.
thread_local int t_sessions = 0;

}  // namespace

bool InSession() { return !kDChecks || t_sessions > 0; }

void startup_token_traits::Close(StartupToken t) noexcept { CallAnyTime(PIXET_ENTRY(GdiplusShutdown), t.token); }

Session::Session() {
  Gdiplus::GdiplusStartupInput input;  // version 1, no callback, nothing suppressed
  input.GdiplusVersion = 1;
  input.DebugEventCallback = nullptr;
  input.SuppressBackgroundThread = FALSE;
  input.SuppressExternalCodecs = FALSE;
  ULONG_PTR token = 0;
  if (CallAnyTime(PIXET_ENTRY(GdiplusStartup), &token, &input, nullptr) != Gdiplus::Ok) {
    host::ShowMessage("Error initializing GDI+");
    return;
  }
  token_.reset({token, true});
  if (kDChecks) ++t_sessions;
}

Session::~Session() {
  if (kDChecks && token_) --t_sessions;  // before the shutdown the token's owner makes
}

}  // namespace pixet::engine
