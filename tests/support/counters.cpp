#include "support/counters.h"

#include <wininet.h>

#include <string_view>
#include <tuple>
#include <type_traits>

#include "support/imports.h"

namespace pixet::testing {

namespace {

// The counters alive now; set and cleared on the test's thread, read by hooks on any thread.
std::atomic<EngineCounter*> g_engine{nullptr};
std::atomic<HandleCounter*> g_handles{nullptr};

// ---- Engine entries, answered with shims by the DLL's GetProcAddress -----------------

// The engine's entry points that the tests count, with the SDK prototypes that type them.
#define PIXET_COUNTED_ENTRIES(X)                                                         \
  X(GdiplusStartup, Gdiplus::GdiplusStartup)                                             \
  X(GdiplusShutdown, Gdiplus::GdiplusShutdown)                                           \
  X(GdipLoadImageFromFile, Gdiplus::DllExports::GdipLoadImageFromFile)                   \
  X(GdipDisposeImage, Gdiplus::DllExports::GdipDisposeImage)                             \
  X(GdipGetImageEncodersSize, Gdiplus::DllExports::GdipGetImageEncodersSize)             \
  X(GdipGetImageEncoders, Gdiplus::DllExports::GdipGetImageEncoders)                     \
  X(GdipSaveImageToFile, Gdiplus::DllExports::GdipSaveImageToFile)                       \
  X(GdipCreateHBITMAPFromBitmap, Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap)       \
  X(GdipCreateBitmapFromScan0, Gdiplus::DllExports::GdipCreateBitmapFromScan0)           \
  X(GdipCreateImageAttributes, Gdiplus::DllExports::GdipCreateImageAttributes)           \
  X(GdipDisposeImageAttributes, Gdiplus::DllExports::GdipDisposeImageAttributes)         \
  X(GdipDeleteGraphics, Gdiplus::DllExports::GdipDeleteGraphics)                         \
  X(GdipCreateBitmapFromGraphics, Gdiplus::DllExports::GdipCreateBitmapFromGraphics)     \
  X(GdipCreateFromHDC, Gdiplus::DllExports::GdipCreateFromHDC)                           \
  X(GdipGetImageGraphicsContext, Gdiplus::DllExports::GdipGetImageGraphicsContext)       \
  X(GdipCreateBitmapFromStream, Gdiplus::DllExports::GdipCreateBitmapFromStream)         \
  X(GdipCreateBitmapFromHBITMAP, Gdiplus::DllExports::GdipCreateBitmapFromHBITMAP)       \
  X(GdipInitializePalette, Gdiplus::DllExports::GdipInitializePalette)                   \
  X(GdipCreateBitmapFromGdiDib, Gdiplus::DllExports::GdipCreateBitmapFromGdiDib)         \
  X(GdipSaveImageToStream, Gdiplus::DllExports::GdipSaveImageToStream)

enum class Role { Plain, Startup, Shutdown, Makes, MakesFromStream, MakesHbitmap, Disposes, Saves };

constexpr Role RoleOf(std::string_view name) {
  if (name == "GdipSaveImageToFile") return Role::Saves;
  if (name == "GdiplusStartup") return Role::Startup;
  if (name == "GdiplusShutdown") return Role::Shutdown;
  if (name == "GdipCreateBitmapFromStream") return Role::MakesFromStream;
  if (name == "GdipCreateHBITMAPFromBitmap") return Role::MakesHbitmap;
  if (name.find("Dispose") != std::string_view::npos || name == "GdipDeleteGraphics") return Role::Disposes;
  if (name.find("Create") != std::string_view::npos || name == "GdipLoadImageFromFile" ||
      name == "GdipGetImageGraphicsContext")
    return Role::Makes;
  return Role::Plain;
}

template <class Tag, class Fn>
struct Shim;

template <class Tag, class Ret, class... P>
struct Shim<Tag, Ret(WINAPI*)(P...)> {
  using Fn = Ret(WINAPI*)(P...);
  static constexpr Role R = RoleOf(Tag::kName);
  static inline std::atomic<Fn> original{nullptr}, replacement{nullptr};

  static Ret WINAPI Call(P... args) {
    EngineCounter* engine = g_engine;
    [[maybe_unused]] const auto first = std::get<0>(std::tie(args...));
    if constexpr (R == Role::Shutdown) if (engine != nullptr) engine->OnShutdown();
    if constexpr (R == Role::Disposes) if (engine != nullptr && first != nullptr) engine->Objects().Gone(first);
    if constexpr (R == Role::MakesFromStream) if (engine != nullptr && first != nullptr) engine->OnStream(first);
    const Fn replaced = replacement;
    const Fn entry = replaced != nullptr ? replaced : original.load();
    if constexpr (std::is_void_v<Ret>) {
      entry(args...);
    } else {
      const Ret result = entry(args...);
      if constexpr (R == Role::Startup) if (engine != nullptr && result == Gdiplus::Ok) engine->OnStartup();
      if constexpr (R == Role::Saves)
        if (HandleCounter* handles = g_handles; handles != nullptr && result == Gdiplus::Ok)
          handles->Touched(std::get<1>(std::tie(args...)));
      if constexpr (R == Role::Makes || R == Role::MakesFromStream) {
        const auto out = std::get<sizeof...(P) - 1>(std::tie(args...));
        if (engine != nullptr && result == Gdiplus::Ok && out != nullptr) engine->Objects().Made(*out);
      }
      if constexpr (R == Role::MakesHbitmap) {
        const auto out = std::get<1>(std::tie(args...));
        if (result == Gdiplus::Ok && out != nullptr) {
          if (engine != nullptr) engine->OnHbitmap(*out);
          if (HandleCounter* handles = g_handles) handles->gdi_objects.Made(*out);
        }
      }
      return result;
    }
  }
  static FARPROC Bind(FARPROC real) {
    original = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(real));
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&Call));
  }
  static void Replace(void* with) { replacement = reinterpret_cast<Fn>(with); }
};

struct EntryShim {
  FARPROC (*bind)(FARPROC real);
  void (*replace)(void* with);
};

#define PIXET_TAG(name, declaration) \
  struct Tag_##name {                \
    static constexpr char kName[] = #name; \
  };
PIXET_COUNTED_ENTRIES(PIXET_TAG)
#undef PIXET_TAG

const std::map<std::string_view, EntryShim>& EntryShims() {
#define PIXET_SHIM(name, declaration) \
  {#name, {&Shim<Tag_##name, decltype(&declaration)>::Bind, &Shim<Tag_##name, decltype(&declaration)>::Replace}},
  static const std::map<std::string_view, EntryShim> shims = {PIXET_COUNTED_ENTRIES(PIXET_SHIM)};
#undef PIXET_SHIM
  return shims;
}

// ---- The DLL's imports ----------------------------------------------------------------

HandleCounter* Handles() { return g_handles; }
bool Failing(const char* name) {
  HandleCounter* handles = g_handles;
  if (handles == nullptr || !handles->Failing(name)) return false;
  ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return true;
}
void Note(Tally HandleCounter::*tally, const void* thing, int times) {
  if (HandleCounter* h = Handles(); h != nullptr && thing != nullptr) (h->*tally).Add(thing, times);
}

// The imports whose result is a thing the library then holds, in that tally, unless it is the
// failure value (which the test can make the import give).
#define PIXET_MAKERS(X)                                                                                      \
  X(CreateCompatibleDC, dcs, nullptr) X(GetDC, dcs, nullptr) X(GetWindowDC, dcs, nullptr)                   \
  X(CreateCompatibleBitmap, gdi_objects, nullptr) X(CreatePalette, gdi_objects, nullptr)                    \
  X(CreateDIBitmap, gdi_objects, nullptr)                                                                   \
  X(LoadImageA, gdi_objects, nullptr) X(LoadImageW, gdi_objects, nullptr) X(CreateThread, threads, nullptr) X(GlobalAlloc, blocks, nullptr) X(LoadLibraryA, modules, nullptr)       \
  X(LoadLibraryW, modules, nullptr) X(InternetOpenA, internet, nullptr) X(InternetOpenUrlA, internet, nullptr) \
  X(InternetConnectA, internet, nullptr) X(HttpOpenRequestA, internet, nullptr) X(InternetOpenW, internet, nullptr)  \
  X(InternetOpenUrlW, internet, nullptr) X(InternetConnectW, internet, nullptr) X(HttpOpenRequestW, internet, nullptr)

template <class Tag, class Fn = decltype(Tag::real)>
struct Maker;
template <class Tag, class R, class... P>
struct Maker<Tag, R(WINAPI*)(P...)> {
  static R WINAPI Hook(P... args) {
    if (Failing(Tag::kName)) return R(Tag::Failure());
    const R made = Tag::real(args...);
    if (made != R(Tag::Failure())) Note(Tag::kTally, made, 1);
    return made;
  }
};
#define PIXET_MAKER(name, tally, failure)                                          \
  struct Made_##name {                                                            \
    static inline decltype(&::name) real = nullptr;                               \
    static constexpr char kName[] = #name;                                        \
    static constexpr Tally HandleCounter::*kTally = &HandleCounter::tally;        \
    static HANDLE Failure() { return failure; }                                   \
  };
PIXET_MAKERS(PIXET_MAKER)
#undef PIXET_MAKER

// The others, each with a hook of its own below; the real function behind each.
#define PIXET_HOOKED(X)                                                                                       \
  X(GetProcAddress) X(DeleteDC) X(ReleaseDC) X(DeleteObject) X(SelectObject) X(SelectPalette)                 \
  X(OpenClipboard) X(CloseClipboard) X(SetClipboardData) X(SendMessageA) X(CloseHandle) X(GlobalFree)         \
  X(GlobalLock) X(GlobalUnlock) X(FreeLibrary) X(GetModuleHandleExA) X(FreeLibraryAndExitThread)              \
  X(CreateStreamOnHGlobal) X(InternetReadFile) X(InternetCloseHandle) X(CreateWindowExA) X(malloc) X(CreateFileA) \
  X(MoveFileA) X(MoveFileExA) X(DeleteFileA) X(GetTempFileNameA) X(CreateFileW) X(MoveFileExW) X(DeleteFileW) \
  X(MoveFileW) X(GetTempFileNameW)
#define PIXET_REAL(name) decltype(&::name) real_##name = nullptr;
PIXET_HOOKED(PIXET_REAL)
#undef PIXET_REAL

// Notes what `dc` had before the library's first selection of that kind into it, and
// forgets it once the library selects that back.
void Selected(HDC dc, HGDIOBJ object, HGDIOBJ previous) {
  HandleCounter* h = Handles();
  if (h == nullptr || previous == nullptr || previous == HGDI_ERROR) return;
  const std::pair<HDC, DWORD> key{dc, ::GetObjectType(object)};
  std::lock_guard<std::mutex> lock(h->selections_mutex);
  const auto found = h->originals.find(key);
  if (found == h->originals.end())
    h->originals.emplace(key, previous);
  else if (found->second == object)
    h->originals.erase(found);
}
// A DC let go of: anything of the library's still selected in it is counted.
void LetGo(HDC dc) {
  HandleCounter* h = Handles();
  if (h == nullptr) return;
  Note(&HandleCounter::dcs, dc, -1);
  std::lock_guard<std::mutex> lock(h->selections_mutex);
  for (auto at = h->originals.begin(); at != h->originals.end();)
    if (at->first.first == dc) {
      ++h->selections_left;
      at = h->originals.erase(at);
    } else {
      ++at;
    }
}

FARPROC WINAPI HookGetProcAddress(HMODULE module, LPCSTR name) {
  const FARPROC real = real_GetProcAddress(module, name);
  if (real == nullptr || IS_INTRESOURCE(name) || module != ::GetModuleHandleA("gdiplus.dll")) return real;
  const auto found = EntryShims().find(name);
  return found != EntryShims().end() ? found->second.bind(real) : real;
}
BOOL WINAPI HookDeleteDC(HDC dc) {
  LetGo(dc);
  return real_DeleteDC(dc);
}
int WINAPI HookReleaseDC(HWND window, HDC dc) {
  LetGo(dc);
  return real_ReleaseDC(window, dc);
}
BOOL WINAPI HookDeleteObject(HGDIOBJ object) {
  const BOOL done = real_DeleteObject(object);
  if (done) Note(&HandleCounter::gdi_objects, object, -1);
  return done;
}
HGDIOBJ WINAPI HookSelectObject(HDC dc, HGDIOBJ object) {
  HGDIOBJ previous = real_SelectObject(dc, object);
  Selected(dc, object, previous);
  return previous;
}
HPALETTE WINAPI HookSelectPalette(HDC dc, HPALETTE palette, BOOL background) {
  HPALETTE previous = real_SelectPalette(dc, palette, background);
  Selected(dc, palette, previous);
  return previous;
}
BOOL WINAPI HookOpenClipboard(HWND owner) {
  if (Failing("OpenClipboard")) return FALSE;
  const BOOL opened = real_OpenClipboard(owner);
  if (HandleCounter* h = Handles(); h != nullptr && opened) ++h->clipboard_opens;
  return opened;
}
BOOL WINAPI HookCloseClipboard() {
  const BOOL closed = real_CloseClipboard();
  if (HandleCounter* h = Handles(); h != nullptr && closed) --h->clipboard_opens;
  return closed;
}
HANDLE WINAPI HookSetClipboardData(UINT format, HANDLE data) {
  HANDLE taken = real_SetClipboardData(format, data);
  if (HandleCounter* h = Handles(); h != nullptr && taken != nullptr) {
    h->gdi_objects.HandedOver(data);
    h->blocks.HandedOver(data);
  }
  return taken;
}
LRESULT WINAPI HookSendMessageA(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (HandleCounter* h = Handles(); h != nullptr && message == STM_SETIMAGE && w == IMAGE_BITMAP)
    h->gdi_objects.HandedOver(reinterpret_cast<HGDIOBJ>(l));
  return real_SendMessageA(window, message, w, l);
}
HWND WINAPI HookCreateWindowExA(DWORD extended, LPCSTR type, LPCSTR title, DWORD style, int x, int y, int width,
                                int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID parameter) {
  if (Failing("CreateWindowExA")) return nullptr;  // windows are the host's: not counted
  return real_CreateWindowExA(extended, type, title, style, x, y, width, height, parent, menu, instance, parameter);
}
// Failing, the library's next allocation fails (operator new then throws). Only the next:
// the runtime's own emergency store for exceptions needs an allocation once, and a first
// one that fails would throw again while throwing. Asks no lock for the same reason.
void* __cdecl Hookmalloc(size_t bytes) {
  if (HandleCounter* h = Handles())
    for (int left = h->failing_mallocs; left > 0;)
      if (h->failing_mallocs.compare_exchange_weak(left, left - 1)) return nullptr;
  return real_malloc(bytes);
}
// The ANSI and UTF-16 forms of the file calls alike: `name` is the form's failing name.
template <class Char, class Real>
HANDLE CountedCreateFile(const char* name, Real real, const Char* path, DWORD access, DWORD share,
                         LPSECURITY_ATTRIBUTES security, DWORD how, DWORD attributes, HANDLE model) {
  if (Failing(name)) return INVALID_HANDLE_VALUE;
  HANDLE file = real(path, access, share, security, how, attributes, model);
  if (file == INVALID_HANDLE_VALUE) return file;
  Note(&HandleCounter::files, file, 1);
  if (HandleCounter* h = Handles(); h != nullptr && (how != OPEN_EXISTING || (access & GENERIC_WRITE))) h->Touched(path);
  return file;
}
template <class Char, class Real, class... Flags>
BOOL CountedMove(Real real, const Char* from, const Char* to, Flags... flags) {
  const BOOL moved = real(from, to, flags...);
  if (HandleCounter* h = Handles(); h != nullptr && moved) {
    h->Touched(from);
    h->Touched(to);
  }
  return moved;
}
template <class Char, class Real>
BOOL CountedDelete(Real real, const Char* path) {
  const BOOL deleted = real(path);
  if (HandleCounter* h = Handles(); h != nullptr && deleted) h->Touched(path);
  return deleted;
}
HANDLE WINAPI HookCreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD how,
                              DWORD attributes, HANDLE model) {
  return CountedCreateFile("CreateFileA", real_CreateFileA, name, access, share, security, how, attributes, model);
}
HANDLE WINAPI HookCreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD how,
                              DWORD attributes, HANDLE model) {
  return CountedCreateFile("CreateFileW", real_CreateFileW, name, access, share, security, how, attributes, model);
}
// What these change, once done, must lie in the folders Confine named.
BOOL WINAPI HookMoveFileA(LPCSTR from, LPCSTR to) { return CountedMove(real_MoveFileA, from, to); }
BOOL WINAPI HookMoveFileW(LPCWSTR from, LPCWSTR to) { return CountedMove(real_MoveFileW, from, to); }
BOOL WINAPI HookMoveFileExA(LPCSTR from, LPCSTR to, DWORD flags) { return CountedMove(real_MoveFileExA, from, to, flags); }
BOOL WINAPI HookMoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags) { return CountedMove(real_MoveFileExW, from, to, flags); }
BOOL WINAPI HookDeleteFileA(LPCSTR name) { return CountedDelete(real_DeleteFileA, name); }
BOOL WINAPI HookDeleteFileW(LPCWSTR name) { return CountedDelete(real_DeleteFileW, name); }
template <class Char, class Real>
UINT CountedTempName(Real real, const Char* folder, const Char* prefix, UINT unique, Char* name) {
  const UINT made = real(folder, prefix, unique, name);
  if (HandleCounter* h = Handles(); h != nullptr && made != 0) h->Touched(name);
  return made;
}
UINT WINAPI HookGetTempFileNameA(LPCSTR folder, LPCSTR prefix, UINT unique, LPSTR name) {
  return CountedTempName(real_GetTempFileNameA, folder, prefix, unique, name);
}
UINT WINAPI HookGetTempFileNameW(LPCWSTR folder, LPCWSTR prefix, UINT unique, LPWSTR name) {
  return CountedTempName(real_GetTempFileNameW, folder, prefix, unique, name);
}
BOOL WINAPI HookCloseHandle(HANDLE handle) {
  // The runtime linked into the DLL closes handles of its own too (its events, for one, made
  // once per process): only files and threads count.
  if (HandleCounter* h = Handles()) {
    h->files.HandedOver(handle);
    h->threads.HandedOver(handle);
  }
  return real_CloseHandle(handle);
}
HGLOBAL WINAPI HookGlobalFree(HGLOBAL block) {
  HGLOBAL left = real_GlobalFree(block);
  if (left == nullptr) Note(&HandleCounter::blocks, block, -1);
  return left;
}
LPVOID WINAPI HookGlobalLock(HGLOBAL block) {
  LPVOID at = real_GlobalLock(block);
  if (at != nullptr) Note(&HandleCounter::locks, block, 1);
  return at;
}
BOOL WINAPI HookGlobalUnlock(HGLOBAL block) {
  Note(&HandleCounter::locks, block, -1);
  return real_GlobalUnlock(block);
}
BOOL WINAPI HookFreeLibrary(HMODULE module) {
  const BOOL freed = real_FreeLibrary(module);
  if (freed) Note(&HandleCounter::modules, module, -1);
  return freed;
}
BOOL WINAPI HookGetModuleHandleExA(DWORD flags, LPCSTR name, HMODULE* module) {
  const BOOL got = real_GetModuleHandleExA(flags, name, module);
  // A pinned module (the engine, once bound) stays for the process's life by design.
  if (got && !(flags & (GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT | GET_MODULE_HANDLE_EX_FLAG_PIN)))
    Note(&HandleCounter::modules, *module, 1);
  return got;
}
VOID WINAPI HookFreeLibraryAndExitThread(HMODULE module, DWORD code) {
  Note(&HandleCounter::modules, module, -1);
  real_FreeLibraryAndExitThread(module, code);
}
HRESULT WINAPI HookCreateStreamOnHGlobal(HGLOBAL block, BOOL release, LPSTREAM* stream) {
  const HRESULT made = real_CreateStreamOnHGlobal(block, release, stream);
  if (HandleCounter* h = Handles(); h != nullptr && SUCCEEDED(made) && release) h->blocks.HandedOver(block);
  return made;
}
BOOL WINAPI HookInternetReadFile(HINTERNET file, LPVOID buffer, DWORD size, LPDWORD read) {
  if (HandleCounter* h = Handles()) ++h->reads;
  return real_InternetReadFile(file, buffer, size, read);
}
BOOL WINAPI HookInternetCloseHandle(HINTERNET handle) {
  Note(&HandleCounter::internet, handle, -1);
  return real_InternetCloseHandle(handle);
}

// How many references others than the counter hold on a stream it keeps one on.
ULONG OthersHolding(IStream* stream) {
  stream->AddRef();
  return stream->Release() - 1;
}

}  // namespace

void InstallImportHooks() {
  HMODULE dll = ::GetModuleHandleA("pixet.dll");
#define PIXET_PATCH(name)                                                                         \
  real_##name = reinterpret_cast<decltype(&::name)>(                                              \
      reinterpret_cast<void (*)()>(PatchImport(dll, #name, reinterpret_cast<void*>(&Hook##name))));
  PIXET_HOOKED(PIXET_PATCH)
#undef PIXET_PATCH
#define PIXET_PATCH(name, tally, failure)                                                          \
  Made_##name::real = reinterpret_cast<decltype(&::name)>(reinterpret_cast<void (*)()>(             \
      PatchImport(dll, #name, reinterpret_cast<void*>(&Maker<Made_##name>::Hook))));
  PIXET_MAKERS(PIXET_PATCH)
#undef PIXET_PATCH
}

void Tally::Add(const void* thing, int times) {
  std::lock_guard<std::mutex> lock(mutex_);
  // Below 0 stays below: a module the library held before the counts began may be let go of.
  if ((held_[thing] += times) < 0 && times < 0) ++unknown_;
}
void Tally::HandedOver(const void* thing) {
  std::lock_guard<std::mutex> lock(mutex_);
  held_.erase(thing);
}
std::size_t Tally::Held() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::size_t held = 0;
  for (const auto& entry : held_) held += entry.second > 0;
  return held;
}
int Tally::Unknown() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return unknown_;
}

EngineCounter::EngineCounter() { g_engine = this; }

EngineCounter::~EngineCounter() {
  g_engine = nullptr;
  for (const std::string& name : replaced_) EntryShims().at(name).replace(nullptr);
  for (const Stream& s : streams_) s.stream->Release();
}

void EngineCounter::Replace(const char* name, void* replacement) {
  EntryShims().at(name).replace(replacement);
  replaced_.push_back(name);
}

void EngineCounter::OnStream(IStream* stream) {
  Stream kept{stream, nullptr};
  ::GetHGlobalFromStream(stream, &kept.block);
  stream->AddRef();
  std::lock_guard<std::mutex> lock(mutex_);
  streams_.push_back(kept);
}

int EngineCounter::StreamsHeld() {
  int held = 0;
  for (const Stream& s : streams_) held += OthersHolding(s.stream) > 0;
  return held;
}

int EngineCounter::StreamsLeft() {
  int left = 0;
  std::vector<Stream> held;
  for (const Stream& s : streams_) {
    if (OthersHolding(s.stream) > 0) {
      held.push_back(s);
      ++left;
    } else {
      s.stream->Release();
      left += s.block != nullptr && ::GlobalSize(s.block) != 0;
    }
  }
  streams_ = held;
  return left;
}

HandleCounter::HandleCounter() { g_handles = this; }
HandleCounter::~HandleCounter() { g_handles = nullptr; }

void HandleCounter::Fail(const std::string& name) {
  if (name == "malloc") failing_mallocs = 1;
  std::lock_guard<std::mutex> lock(fail_mutex_);
  failing_.insert(name);
}

void HandleCounter::Confine(const std::vector<std::string>& folders) {
  std::lock_guard<std::mutex> lock(fail_mutex_);
  folders_.clear();
  for (const std::string& folder : folders) folders_.emplace_back(folder.begin(), folder.end());
}

void HandleCounter::Touched(const char* path) {
  wchar_t wide[1024];
  if (path == nullptr || ::MultiByteToWideChar(CP_ACP, 0, path, -1, wide, 1024) == 0) return;
  Touched(static_cast<const wchar_t*>(wide));
}

void HandleCounter::Touched(const wchar_t* path) {
  wchar_t full[1024];
  const DWORD length = ::GetFullPathNameW(path, 1024, full, nullptr);
  const std::wstring at = length != 0 && length < 1024 ? full : path;
  std::lock_guard<std::mutex> lock(fail_mutex_);
  if (folders_.empty() || at.rfind(L"\\\\.\\", 0) == 0) return;
  for (const std::wstring& folder : folders_)
    if (at.size() >= folder.size() && ::_wcsnicmp(at.c_str(), folder.c_str(), folder.size()) == 0) return;
  char shown[1024] = {};
  ::WideCharToMultiByte(CP_ACP, 0, at.c_str(), -1, shown, sizeof shown - 1, nullptr, nullptr);
  outside_.push_back(shown);
}

bool HandleCounter::Failing(const char* name) {
  std::lock_guard<std::mutex> lock(fail_mutex_);
  return !failing_.empty() && failing_.count(name) != 0;
}

std::vector<std::string> HandleCounter::Left() {
  std::vector<std::string> left;
  const auto add = [&](std::size_t count, const char* what) {
    if (count != 0) left.push_back(std::to_string(count) + " " + what);
  };
  add(dcs.Held(), "device contexts not released");
  add(dcs.Unknown(), "device contexts released that were not the library's");
  add(gdi_objects.Held(), "GDI objects not deleted");
  add(gdi_objects.Unknown(), "GDI objects deleted that were not the library's");
  add(selections_left, "DCs let go of with an object still selected");
  add(clipboard_opens < 0 ? 0 : clipboard_opens.load(), "clipboard opens not closed");
  add(blocks.Held(), "memory blocks not freed");
  add(blocks.Unknown(), "memory blocks freed that were not the library's");
  add(locks.Held(), "memory blocks left locked");
  add(files.Held(), "files left open");
  add(threads.Held(), "thread handles left open");
  add(modules.Held(), "modules left loaded");
  add(internet.Held(), "WinINet handles left open");
  add(internet.Unknown(), "WinINet handles closed twice");
  std::lock_guard<std::mutex> lock(fail_mutex_);
  for (const std::string& path : outside_) left.push_back("touched outside its folders: " + path);
  return left;
}

}  // namespace pixet::testing
