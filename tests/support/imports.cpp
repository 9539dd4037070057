#include "support/imports.h"

#include <cstring>

namespace pixet::testing {

void* PatchImport(HMODULE module, const char* name, void* replacement) {
  auto* base = reinterpret_cast<unsigned char*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (directory.VirtualAddress == 0) return nullptr;
  void* previous = nullptr;
  for (auto* dll = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress); dll->Name != 0;
       ++dll) {
    const DWORD names_at = dll->OriginalFirstThunk != 0 ? dll->OriginalFirstThunk : dll->FirstThunk;
    const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + names_at);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
    for (std::size_t i = 0; names[i].u1.AddressOfData != 0; ++i) {  // names[i] is the import in slots[i]
      if (IMAGE_SNAP_BY_ORDINAL(names[i].u1.Ordinal)) continue;
      const auto* by_name = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names[i].u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(by_name->Name), name) != 0) continue;
      auto& slot = slots[i].u1.Function;
      DWORD protection = 0;
      if (!::VirtualProtect(&slot, sizeof slot, PAGE_READWRITE, &protection)) continue;
      previous = reinterpret_cast<void*>(slot);
      slot = reinterpret_cast<ULONG_PTR>(replacement);
      ::VirtualProtect(&slot, sizeof slot, protection, &protection);
    }
  }
  return previous;
}

}  // namespace pixet::testing
