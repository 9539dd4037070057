#include "pixet/pixet.h"

#include <windows.h>

#include <cstddef>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "base/boundary.h"
#include "core/engine.h"
#include "core/host_access.h"
#include "core/text.h"
#include "load/web_limits.h"

#if defined(__i386__)
// The object as 32-bit hosts see it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(Pixet, ENGINELOADED) == 4, "method-table pointer, then ENGINELOADED");
static_assert(offsetof(Pixet, HPICTUREBOX) == 8, "HPICTUREBOX");
static_assert(offsetof(Pixet, USERESOURCE) == 12, "USERESOURCE");
static_assert(offsetof(Pixet, GDI) == 16, "GDI");
static_assert(offsetof(Pixet, USEDRESOURCES) == 20, "USEDRESOURCES");
static_assert(offsetof(Pixet, RESOURCESDLLNAME) == 24, "RESOURCESDLLNAME");
static_assert(sizeof(Pixet::RESOURCESDLLNAME) == 128, "RESOURCESDLLNAME holds 128 characters");
static_assert(sizeof(Pixet) == 152, "no other fields");
#pragma GCC diagnostic pop
#endif

namespace pixet {

struct UsedResourceList::Items {
  std::vector<UsedResource> records;
};

// Out of memory, a list is made without items_ and stays empty.
UsedResourceList::UsedResourceList() : items_(new (std::nothrow) Items) {}
UsedResourceList::~UsedResourceList() = default;
std::size_t UsedResourceList::Count() const { return items_ != nullptr ? items_->records.size() : 0; }
const UsedResource* UsedResourceList::At(std::size_t index) const {
  return index < Count() ? &items_->records[index] : nullptr;
}
void UsedResourceList::Clear() {
  if (items_ != nullptr) items_->records.clear();
}
void UsedResourceList::Append(const char* name) {
  if (items_ == nullptr) return;
  Guarded([&] {  // out of memory, the list stays as it was
    UsedResource record;
    text::CopyToField(record.RESOURCENAME, sizeof record.RESOURCENAME, name != nullptr ? name : "");
    items_->records.push_back(record);
  });
}

namespace {

// Appends `name` to the list of the object whose address the enumeration carries, so
// that objects bound on several threads at once each fill only their own list.
BOOL CALLBACK AddUsedResource(HMODULE, LPCSTR, LPSTR name, LONG_PTR object) {
  Pixet* target = reinterpret_cast<Pixet*>(object);
  if (target == nullptr || target->USEDRESOURCES == nullptr) return TRUE;
  target->USEDRESOURCES->Append(IS_INTRESOURCE(name) ? "" : name);
  return TRUE;
}

// Replaces an owning field of the object, deleting what it held. The fields are raw
// pointers because the object's layout has them so.
template <class T>
void ReplaceOwned(T*& field, T* value = nullptr) {
  delete std::exchange(field, value);
}

void ShowApiError(const char* text) {
  const std::uint32_t code = DllLoader::OsLastError();  // read before anything else runs
  const std::string caption = "WINDOWS API ERROR - " + std::to_string(code);
  host::ShowMessage(text, caption.c_str(), MessageIcon::Information);
}

}  // namespace

}  // namespace pixet

Pixet::Pixet() { pixet::text::FillBlanks(RESOURCESDLLNAME, sizeof RESOURCESDLLNAME); }

Pixet::~Pixet() { Destruct(); }

void Pixet::Construct() {
  pixet::Guarded([&] {
    using pixet::DllLoader;
    // Deliberate legacy check: the loader object is probed with IsBadCodePtr, as it always was.
    if (GDI != nullptr && !::IsBadCodePtr(reinterpret_cast<FARPROC>(GDI)) && GDI->IsLoaded()) return;
    pixet::ReplaceOwned(GDI);  // the old loader lets the engine go before a new one loads it
    pixet::ReplaceOwned(GDI, new (std::nothrow) DllLoader());
    if (GDI == nullptr) return;
    if (GDI->Load("GDIPLUS.DLL", DllLoader::kLoadLibrary) != 0) {
      pixet::ShowApiError("Cannot load DLL engine!|Contact Quillmere");
      ENGINELOADED = 0;
      return;
    }
    if (GetFunctionPointers() == 0) {
      pixet::ShowApiError("Cannot obtain function pointers");
      ENGINELOADED = 0;
      return;
    }
    ENGINELOADED = 1;
    pixet::ReplaceOwned(USEDRESOURCES);  // the old list goes first, as the loader
    pixet::ReplaceOwned(USEDRESOURCES, new (std::nothrow) pixet::UsedResourceList());
    ::EnumResourceNamesA(nullptr, "#0", pixet::AddUsedResource, reinterpret_cast<LONG_PTR>(this));
  });
}

void Pixet::Destruct() {
  pixet::Guarded([&] {
    pixet::ForgetWebLimits(this);
    pixet::ReplaceOwned(GDI);  // its destructor unloads the engine
    pixet::ReplaceOwned(USEDRESOURCES);
  });
}

std::int32_t Pixet::GetFunctionPointers() {
  return pixet::Guarded(std::int32_t{0}, [&] { return GDI != nullptr && pixet::engine::Bind(*GDI) ? 1 : 0; });
}
