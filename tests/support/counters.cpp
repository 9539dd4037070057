#include "support/counters.h"

#include <string_view>
#include <tuple>
#include <type_traits>

namespace pixet::testing {

namespace {

EngineCounter* g_engine = nullptr;
InternetCounter* g_internet = nullptr;

enum class Role { Plain, Startup, Shutdown, Makes, MakesFromStream, MakesHbitmap, Disposes, Session, Opens, Reads, Closes };

template <class T>
struct member_type;
template <class T, class C>
struct member_type<T C::*> {
  using type = T;
};

// Wraps one table entry: notes what the call makes or lets go of around the real entry.
template <auto Member, Role R, class Fn = typename member_type<decltype(Member)>::type>
struct Shim;

template <auto Member, Role R, class Ret, class... P>
struct Shim<Member, R, Ret(WINAPI*)(P...)> {
  static inline Ret(WINAPI* original)(P...) = nullptr;

  static Ret WINAPI Call(P... args) {
    EngineCounter* engine = g_engine;
    InternetCounter* internet = g_internet;
    [[maybe_unused]] const auto first = std::get<0>(std::tie(args...));
    if constexpr (R == Role::Shutdown) if (engine != nullptr) engine->OnShutdown();
    if constexpr (R == Role::Disposes) if (engine != nullptr && first != nullptr) engine->Objects().Gone(first);
    if constexpr (R == Role::MakesFromStream) if (engine != nullptr && first != nullptr) engine->OnStream(first);
    if constexpr (R == Role::Closes) if (internet != nullptr) internet->Handles().Gone(first);
    if constexpr (R == Role::Reads) if (internet != nullptr) internet->OnRead();
    if constexpr (R == Role::Session) {
      if (internet != nullptr && internet->fail_open()) return ::SetLastError(ERROR_INTERNET_INTERNAL_ERROR), nullptr;
    }
    if constexpr (std::is_void_v<Ret>) {
      original(args...);
    } else {
      const Ret result = original(args...);
      if constexpr (R == Role::Startup) if (engine != nullptr && result == Gdiplus::Ok) engine->OnStartup();
      if constexpr (R == Role::Makes || R == Role::MakesFromStream) {
        const auto out = std::get<sizeof...(P) - 1>(std::tie(args...));
        if (engine != nullptr && result == Gdiplus::Ok && out != nullptr) engine->Objects().Made(*out);
      }
      if constexpr (R == Role::MakesHbitmap) {
        const auto out = std::get<1>(std::tie(args...));
        if (engine != nullptr && result == Gdiplus::Ok && out != nullptr) engine->OnHbitmap(*out);
      }
      if constexpr (R == Role::Session || R == Role::Opens) if (internet != nullptr) internet->Handles().Made(result);
      return result;
    }
  }

  template <class Table>
  static void Install(Table& table) {
    original = table.*Member;
    if (original != nullptr) table.*Member = &Call;
  }
};

constexpr Role RoleOf(std::string_view name) {
  constexpr auto npos = std::string_view::npos;
  if (name == "GdiplusStartup") return Role::Startup;
  if (name == "GdiplusShutdown") return Role::Shutdown;
  if (name == "GdipCreateBitmapFromStream") return Role::MakesFromStream;
  if (name == "GdipCreateHBITMAPFromBitmap") return Role::MakesHbitmap;
  if (name.find("Dispose") != npos || name == "GdipDeleteGraphics") return Role::Disposes;
  if (name.find("Create") != npos || name == "GdipLoadImageFromFile" || name == "GdipGetImageGraphicsContext")
    return Role::Makes;
  return Role::Plain;
}

// How many references others than the counter hold on a stream it keeps one on.
ULONG OthersHolding(IStream* stream) { return stream->AddRef(), stream->Release() - 1; }

}  // namespace

EngineCounter::EngineCounter() : saved_(*PixetEngineTable()) {
#define PIXET_INSTALL_SHIM(entry, declaration) \
  Shim<&engine::Table::entry, RoleOf(#entry)>::Install(*PixetEngineTable());
  PIXET_ENGINE_ENTRIES(PIXET_INSTALL_SHIM)
#undef PIXET_INSTALL_SHIM
  g_engine = this;
}

EngineCounter::~EngineCounter() {
  g_engine = nullptr;
  *PixetEngineTable() = saved_;
  for (const Stream& s : streams_) s.stream->Release();
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
      held.push_back(s), ++left;
    } else {
      s.stream->Release();
      left += s.block != nullptr && ::GlobalSize(s.block) != 0;
    }
  }
  streams_ = held;
  return left;
}

InternetCounter::InternetCounter() : saved_(*PixetInternetTable()) {
  internet::Table& table = *PixetInternetTable();
  Shim<&internet::Table::InternetOpenA, Role::Session>::Install(table);
  Shim<&internet::Table::InternetOpenUrlA, Role::Opens>::Install(table);
  Shim<&internet::Table::InternetConnectA, Role::Opens>::Install(table);
  Shim<&internet::Table::HttpOpenRequestA, Role::Opens>::Install(table);
  Shim<&internet::Table::InternetReadFile, Role::Reads>::Install(table);
  Shim<&internet::Table::InternetCloseHandle, Role::Closes>::Install(table);
  g_internet = this;
}

InternetCounter::~InternetCounter() {
  g_internet = nullptr;
  *PixetInternetTable() = saved_;
}

}  // namespace pixet::testing
