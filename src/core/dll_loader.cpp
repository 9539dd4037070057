#include "pixet/dll_loader.h"

#include <windows.h>

#include <cstring>
#include <new>

#include "base/boundary.h"
#include "core/text.h"

namespace pixet {

static_assert(sizeof(std::unique_ptr<char[]>) == sizeof(char*), "the file name field stays one pointer wide");

DllLoader::~DllLoader() { Unload(); }

std::int32_t DllLoader::Load(const char* name, std::int32_t method) {
  if (IsLoaded()) return 1;
  std::string clipped;
  if (!Guarded(false, [&] { return clipped = text::Clip(name), true; })) return 1;  // out of memory
  module_file_name_.reset(new (std::nothrow) char[clipped.size() + 1]());
  module_file_name_size_ = module_file_name_ ? clipped.size() + 1 : 0;
  if (module_file_name_) {
    std::memcpy(module_file_name_.get(), clipped.data(), clipped.size());
    if (method != kLoadLibrary && method != kModuleHandle) method = kLoadLibrary;
    load_method_ = method;
    module_ = method == kLoadLibrary ? ::LoadLibraryA(module_file_name_.get())
                                     : ::GetModuleHandleA(module_file_name_.get());
  }
  if (IsLoaded()) return 0;
  OnLoadError();
  return 1;
}

std::int32_t DllLoader::Unload() {
  module_file_name_.reset();
  module_file_name_size_ = 0;
  if (!IsLoaded()) return 0;
  std::int32_t result = 0;
  if (load_method_ == kLoadLibrary && !::FreeLibrary(module_)) {
    last_error_ = ::GetLastError();
    result = 1;
  }
  module_ = nullptr;
  return result;
}

void* DllLoader::GetProcedure(const char* name) {
  if (!IsLoaded()) return nullptr;
  if (!Guarded(false, [&] { return text::CopyToField(procedure_name_, sizeof procedure_name_, text::Clip(name)), true; }))
    return nullptr;
  FARPROC address = ::GetProcAddress(module_, procedure_name_);
  if (::IsBadCodePtr(address)) {
    OnProcError();
    return nullptr;
  }
  return reinterpret_cast<void*>(address);
}

std::uint32_t DllLoader::OsLastError() { return ::GetLastError(); }

void DllLoader::OnLoadError() { last_error_ = ::GetLastError(); }
void DllLoader::OnProcError() { last_error_ = ::GetLastError(); }

}  // namespace pixet
