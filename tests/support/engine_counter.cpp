#include "support/engine_counter.h"

#include <cstring>
#include <tuple>
#include <type_traits>

#include "core/engine.h"

namespace pixet::testing {

// Stands in for a stream on its way into the engine: forwards every call and counts the
// references taken on it. It keeps one reference of its own on the real stream until the
// counter checks it, so the counter can tell whether anyone else still holds the stream.
struct EngineCounter::CountingStream final : IStream {
  explicit CountingStream(IStream* inner) : inner_(inner) {
    inner_->AddRef();
    ::GetHGlobalFromStream(inner_, &block_);
  }

  bool Held() const { return refs_ > 0; }
  // Once the engine let go: drops the kept reference; true when that was the last one
  // and the stream's memory block went with it.
  bool Settle() {
    if (settled_) return gone_;
    settled_ = true;
    const ULONG left = inner_->Release();
    gone_ = left == 0 && (block_ == nullptr || ::GlobalSize(block_) == 0);
    return gone_;
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IStream || iid == IID_ISequentialStream) {
      *out = static_cast<IStream*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(refs_ > 0 ? --refs_ : 0); }

  HRESULT STDMETHODCALLTYPE Read(void* pv, ULONG cb, ULONG* read) override { return inner_->Read(pv, cb, read); }
  HRESULT STDMETHODCALLTYPE Write(const void* pv, ULONG cb, ULONG* written) override {
    return inner_->Write(pv, cb, written);
  }
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) override {
    return inner_->Seek(move, origin, position);
  }
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER size) override { return inner_->SetSize(size); }
  HRESULT STDMETHODCALLTYPE CopyTo(IStream* to, ULARGE_INTEGER cb, ULARGE_INTEGER* read,
                                   ULARGE_INTEGER* written) override {
    return inner_->CopyTo(to, cb, read, written);
  }
  HRESULT STDMETHODCALLTYPE Commit(DWORD flags) override { return inner_->Commit(flags); }
  HRESULT STDMETHODCALLTYPE Revert() override { return inner_->Revert(); }
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER cb, DWORD type) override {
    return inner_->LockRegion(offset, cb, type);
  }
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER cb, DWORD type) override {
    return inner_->UnlockRegion(offset, cb, type);
  }
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flags) override { return inner_->Stat(stat, flags); }
  HRESULT STDMETHODCALLTYPE Clone(IStream** out) override { return inner_->Clone(out); }

 private:
  IStream* inner_;
  HGLOBAL block_ = nullptr;
  long refs_ = 1;  // the shim's own, dropped right after the engine call
  bool settled_ = false;
  bool gone_ = false;
};

namespace {

EngineCounter* g_active = nullptr;

enum class Role { Plain, Startup, Shutdown, MakesLast, MakesLastFromStream, Releases };

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

  static Ret WINGDIPAPI Call(P... args) {
    EngineCounter* c = g_active;
    if constexpr (R == Role::Releases) {
      const void* object = std::get<0>(std::tie(args...));
      if (c != nullptr && object != nullptr) c->OnReleased(object);
    }
    if constexpr (R == Role::Shutdown) {
      if (c != nullptr) c->OnShutdown();
    }
    if constexpr (std::is_void_v<Ret>) {
      original(args...);
    } else if constexpr (R == Role::MakesLastFromStream) {
      return CallWithStream(c, args...);
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

  // The engine gets the stream wrapped, so the counter sees its references.
  template <class Out>
  static Ret CallWithStream(EngineCounter* c, IStream* stream, Out out) {
    IStream* given = stream;
    if (c != nullptr && stream != nullptr) given = static_cast<IStream*>(c->WrapStream(stream));
    Ret status = original(given, out);
    if (given != stream) given->Release();
    if (c != nullptr && status == Gdiplus::Ok && out != nullptr && *out != nullptr) c->OnMade(*out);
    return status;
  }

  static void Install(engine::Table& table) {
    original = table.*Member;
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
      name == "GdipCreateBitmapFromHBITMAP")
    return Role::MakesLast;
  if (name == "GdipCreateBitmapFromStream") return Role::MakesLastFromStream;
  return Role::Plain;
}

}  // namespace

EngineCounter::EngineCounter() {
  engine::Table& table = *PixetEngineTable();
  static_assert(sizeof(engine::Table) <= sizeof(saved_table_));
  std::memcpy(saved_table_, &table, sizeof table);
#define PIXET_INSTALL_SHIM(entry, declaration) \
  Shim<&engine::Table::entry, RoleOf(#entry)>::Install(table);
  PIXET_ENGINE_ENTRIES(PIXET_INSTALL_SHIM)
#undef PIXET_INSTALL_SHIM
  g_active = this;
}

EngineCounter::~EngineCounter() {
  g_active = nullptr;
  std::memcpy(PixetEngineTable(), saved_table_, sizeof(engine::Table));
  Reset();
}

void* EngineCounter::WrapStream(void* stream) {
  streams_.push_back(std::make_unique<CountingStream>(static_cast<IStream*>(stream)));
  return static_cast<IStream*>(streams_.back().get());
}

int EngineCounter::StreamsHeld() const {
  int held = 0;
  for (const auto& s : streams_)
    if (s->Held()) ++held;
  return held;
}

int EngineCounter::StreamsLeft() {
  int left = 0;
  for (const auto& s : streams_)
    if (s->Held() || !s->Settle()) ++left;
  return left;
}

void EngineCounter::Reset() {
  for (auto& s : streams_) {
    if (s->Held())
      (void)s.release();  // the engine may still call it: never free it
    else
      s->Settle();
  }
  streams_.clear();
  live_.clear();
  startups_ = shutdowns_ = unknown_releases_ = 0;
}

void EngineCounter::OnMade(const void* object) {
  std::lock_guard<std::mutex> lock(mutex_);
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
