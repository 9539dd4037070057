// resources and save-resource.
#include "base/unique_any.h"
#include "cli.h"

namespace cli {
namespace {

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR names) {
  reinterpret_cast<std::vector<std::string>*>(names)->push_back(
      IS_INTRESOURCE(name) ? "#" + std::to_string(reinterpret_cast<std::uintptr_t>(name)) : std::string(name));
  return TRUE;
}

}  // namespace

// resources MODULE: the module is read as data; none of its code runs.
int RunResources(Context&, const Args& a) {
  const pixet::unique_module library(::LoadLibraryExA(a[0].c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  const HMODULE module = library.get();
  if (module == nullptr) {
    std::fprintf(stderr, "pixet-cli: cannot load %s (error %lu)\n", a[0].c_str(), ::GetLastError());
    return kFailed;
  }
  std::vector<std::string> names;
  ::EnumResourceNamesA(module, "#0", CollectName, reinterpret_cast<LONG_PTR>(&names));
  for (const std::string& name : names) {
    HRSRC found = ::FindResourceA(module, name.c_str(), "#0");
    std::printf("%-32s %lu bytes\n", name.c_str(), found != nullptr ? ::SizeofResource(module, found) : 0ul);
  }
  std::printf("%zu image resources (type 0) in %s\n", names.size(), a[0].c_str());
  return kDone;
}

int RunSaveResource(Context& c, const Args& a) {
  const char* module = a.size() > 2 ? a[2].c_str() : nullptr;  // omitted: this program's own
  return ReportWrite("SaveResourceToFile", a[1],
                     [&] { return c.pixet.SaveResourceToFile(a[0].c_str(), a[1].c_str(), module); });
}

}  // namespace cli
