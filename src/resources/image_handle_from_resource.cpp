#include <windows.h>

#include <cstring>
#include <string>

#include "base/boundary.h"
#include "base/unique_any.h"
#include "core/engine.h"
#include "core/host_access.h"
#include "core/module_name_field.h"
#include "core/text.h"
#include "pixet/pixet.h"

namespace pixet {
namespace {

// The engine image decoded from a copy of the type-0 resource `name` of `module`, or null.
// The copy lives in a movable block owned by a stream; the image keeps its own reference
// to that stream, so block and stream go exactly when the image is disposed.
Gdiplus::GpBitmap* BitmapFromResource(HMODULE module, const wchar_t* name) {
  HRSRC found = ::FindResourceW(module, name, L"#0");
  if (found == nullptr) return nullptr;
  const DWORD size = ::SizeofResource(module, found);
  const void* data = ::LockResource(::LoadResource(module, found));
  if (data == nullptr || size == 0) return nullptr;

  unique_hglobal block(::GlobalAlloc(GMEM_MOVEABLE, size));
  if (!block) return nullptr;
  {
    const unique_hglobal_locked copy(block.get());
    if (!copy) return nullptr;
    std::memcpy(copy.get(), data, size);
  }
  unique_stream stream;
  if (::CreateStreamOnHGlobal(block.get(), TRUE, stream.put()) != S_OK) return nullptr;
  block.release();  // freed by the stream's last release

  Gdiplus::GpBitmap* bitmap = nullptr;
  // Outside any session of ours: the image outlives this call, and the caller keeps the
  // engine started (its own start-up, or a method's) for as long as it uses it.
  engine::CallAnyTime(PIXET_ENTRY(GdipCreateBitmapFromStream), stream.get(), &bitmap);
  return bitmap;  // our stream reference goes here; the image holds its own
}

// Both forms, on names with their trailing blanks removed and cut to 127 characters; no
// module means the host program's.
std::intptr_t HandleFromResource(Pixet& self, const std::wstring& resource, const std::wstring* module) {
  unique_module library;
  HMODULE source = nullptr;
  if (module == nullptr) {
    source = reinterpret_cast<HMODULE>(host::Read(HostTarget::System(), HostProperty::InstanceHandle));
  } else {
    // A given but blank name names no library: it fails like any other that cannot load.
    if (!module->empty()) library.reset(::LoadLibraryW(module->c_str()));
    if (!library) {
      host::ShowMessage(("Can't load " + text::AnsiFromWide(*module)).c_str());
      self.USERESOURCE = 0;
      return 0;
    }
    source = library.get();  // freed on return: the image reads its own copy
  }
  Gdiplus::GpBitmap* image = self.ENGINELOADED != 0 ? BitmapFromResource(source, resource.c_str()) : nullptr;
  self.USERESOURCE = 0;
  return reinterpret_cast<std::intptr_t>(image);
}

}  // namespace
}  // namespace pixet

// Every outcome, an unbound object's included, leaves USERESOURCE at 0. An unbound object
// still looks for the module (and says when it cannot load it) but never calls the engine.
std::intptr_t Pixet::ImageHandleFromResource(const char* name, const char* module) {
  return pixet::Guarded(std::intptr_t{0}, [&]() -> std::intptr_t {
    using namespace pixet;
    const std::wstring resource = text::Widen(text::ClipTo(name, kMaxResourceNameChars));
    if (module == nullptr) return HandleFromResource(*this, resource, nullptr);
    const std::wstring library = text::Widen(text::ClipTo(module, kMaxResourceNameChars));
    return HandleFromResource(*this, resource, &library);
  });
}

std::intptr_t Pixet::ImageHandleFromResourceW(const wchar_t* name, const wchar_t* module) {
  return pixet::Guarded(std::intptr_t{0}, [&]() -> std::intptr_t {
    using namespace pixet;
    const std::wstring resource = text::Clip(name).substr(0, kMaxResourceNameChars);
    if (module == nullptr) return HandleFromResource(*this, resource, nullptr);
    const std::wstring library = text::Clip(module).substr(0, kMaxResourceNameChars);
    return HandleFromResource(*this, resource, &library);
  });
}
