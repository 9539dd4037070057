#include "support/engine_counter.h"

#include <cstring>
#include <tuple>
#include <type_traits>

#include "core/engine.h"

namespace pixet::testing {

namespace {

EngineCounter* g_active = nullptr;

enum class Role { Plain, Startup, Shutdown, MakesLast, Releases };

template <class T>
struct member_type;
template <class T, class C>
struct member_type<T C::*> {
  using type = T;
};

template <auto Member, Role R, class Fn = typename member_type<decltype(Member)>::type>
struct Shim;

template <auto Member, Role R, class Ret, class... P>
struct Shim<Member, R, Ret(WINGDIPAPI*)(P...)> {
  static inline Ret(WINGDIPAPI* original)(P...) = nullptr;
  static inline const char* name = nullptr;

  static Ret WINGDIPAPI Call(P... args) {
    EngineCounter* c = g_active;
    if (c != nullptr) c->OnCall(name);
    if constexpr (R == Role::Releases) {
      const void* object = std::get<0>(std::tie(args...));
      if (c != nullptr && object != nullptr) c->OnReleased(object);
    }
    if constexpr (R == Role::Shutdown) {
      if (c != nullptr) c->OnShutdown();
    }
    if constexpr (std::is_void_v<Ret>) {
      original(args...);
    } else {
      Ret status = original(args...);
      if constexpr (R == Role::Startup) {
        if (c != nullptr) c->OnStartup(status == Gdiplus::Ok);
      }
      if constexpr (R == Role::MakesLast) {
        auto out = std::get<sizeof...(P) - 1>(std::tie(args...));
        if (c != nullptr && status == Gdiplus::Ok && out != nullptr && *out != nullptr) c->OnMade(*out);
      }
      return status;
    }
  }

  static void Install(engine::Table& table, const char* entry_name) {
    original = table.*Member;
    name = entry_name;
    if (original != nullptr) table.*Member = &Call;
  }
};

constexpr Role RoleOf(std::string_view name) {
  if (name == "GdiplusStartup") return Role::Startup;
  if (name == "GdiplusShutdown") return Role::Shutdown;
  if (name == "GdipDisposeImage" || name == "GdipDeleteGraphics" || name == "GdipDisposeImageAttributes")
    return Role::Releases;
  if (name == "GdipLoadImageFromFile" || name == "GdipCreateBitmapFromScan0" ||
      name == "GdipCreateImageAttributes" || name == "GdipCreateBitmapFromGraphics" ||
      name == "GdipCreateFromHDC" || name == "GdipGetImageGraphicsContext" ||
      name == "GdipCreateBitmapFromStream" || name == "GdipCreateBitmapFromHBITMAP")
    return Role::MakesLast;
  return Role::Plain;
}

}  // namespace

EngineCounter::EngineCounter() {
  engine::Table& table = *PixetEngineTable();
  static_assert(sizeof(engine::Table) <= sizeof(saved_table_));
  std::memcpy(saved_table_, &table, sizeof table);
#define PIXET_INSTALL_SHIM(entry, declaration) \
  Shim<&engine::Table::entry, RoleOf(#entry)>::Install(table, #entry);
  PIXET_ENGINE_ENTRIES(PIXET_INSTALL_SHIM)
#undef PIXET_INSTALL_SHIM
  g_active = this;
}

EngineCounter::~EngineCounter() {
  g_active = nullptr;
  std::memcpy(PixetEngineTable(), saved_table_, sizeof(engine::Table));
}

EngineCounter* EngineCounter::active() { return g_active; }

int EngineCounter::Calls(const std::string& entry) const {
  auto it = calls_.find(entry);
  return it == calls_.end() ? 0 : it->second;
}

void EngineCounter::Reset() {
  order_.clear();
  calls_.clear();
  live_.clear();
  made_ = startups_ = shutdowns_ = unknown_releases_ = 0;
}

void EngineCounter::OnCall(const char* entry) {
  std::lock_guard<std::mutex> lock(mutex_);
  order_.emplace_back(entry);
  ++calls_[entry];
}
void EngineCounter::OnMade(const void* object) {
  std::lock_guard<std::mutex> lock(mutex_);
  ++made_;
  live_.insert(object);
}
void EngineCounter::OnReleased(const void* object) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (live_.erase(object) == 0) ++unknown_releases_;
}
void EngineCounter::OnStartup(bool ok) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (ok) ++startups_;
}
void EngineCounter::OnShutdown() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++shutdowns_;
}

}  // namespace pixet::testing
