// resources and save-resource.
#include "base/unique_any.h"
#include "cli.h"

namespace cli {
namespace {

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR names) {
  reinterpret_cast<std::vector<std::wstring>*>(names)->push_back(
      IS_INTRESOURCE(name) ? L"#" + std::to_wstring(reinterpret_cast<std::uintptr_t>(name)) : std::wstring(name));
  return TRUE;
}

}  // namespace

// resources MODULE: the module is read as data; none of its code runs.
int RunResources(Context&, const Args& a) {
  const pixet::unique_module library(::LoadLibraryExW(Wide(a[0]).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  const HMODULE module = library.get();
  if (module == nullptr) {
    std::fprintf(stderr, "pixet-cli: cannot load %s (error %lu)\n", a[0].c_str(), ::GetLastError());
    return kFailed;
  }
  std::vector<std::wstring> names;
  ::EnumResourceNamesW(module, L"#0", CollectName, reinterpret_cast<LONG_PTR>(&names));
  for (const std::wstring& name : names) {
    HRSRC found = ::FindResourceW(module, name.c_str(), L"#0");
    std::printf("%-32s %lu bytes\n", Utf8(name).c_str(), found != nullptr ? ::SizeofResource(module, found) : 0ul);
  }
  std::printf("%zu image resources (type 0) in %s\n", names.size(), a[0].c_str());
  return kDone;
}

int RunSaveResource(Context& c, const Args& a) {
  const std::wstring module = a.size() > 2 ? Wide(a[2]) : std::wstring();  // omitted: this program's own
  return ReportWrite("SaveResourceToFile", a[1], [&] {
    return c.pixet.SaveResourceToFileW(Wide(a[0]).c_str(), Wide(a[1]).c_str(), a.size() > 2 ? module.c_str() : nullptr);
  });
}

}  // namespace cli
