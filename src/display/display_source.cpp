#include "display/display_source.h"

#include <new>
#include <string>

#include "core/module_name_field.h"
#include "core/text.h"

namespace pixet {

namespace {

// The image of the file `name()` names. Out of memory, the name names nothing, and the call
// goes on as for a missing image.
engine::unique_gp_image LoadFile(const std::function<std::wstring()>& name) {
  std::wstring file;
  try {
    file = name();
  } catch (const std::bad_alloc&) {
  }
  engine::unique_gp_image source;
  PIXET_CALL(GdipLoadImageFromFile, file.c_str(), source.put());
  return source;
}

// Both forms. With the switch on, the resource comes through `lookup` (the method table, so
// a derived class's lookup is the one used) from the module the field names (empty: the
// host program's), and the field is blanked; otherwise the file that `file` names.
engine::unique_gp_image LoadSource(Pixet& self, const std::function<std::intptr_t(const std::string&)>& lookup,
                                   const std::function<std::wstring()>& file) {
  if (self.USERESOURCE == 0) return LoadFile(file);
  engine::unique_gp_image source(reinterpret_cast<Gdiplus::GpImage*>(lookup(ModuleNameField(self.RESOURCESDLLNAME))));
  text::FillBlanks(self.RESOURCESDLLNAME, sizeof self.RESOURCESDLLNAME);  // one call only
  return source;
}

}  // namespace

engine::unique_gp_image LoadDisplaySource(Pixet& self, const char* image) {
  return LoadSource(
      self,
      [&](const std::string& module) {
        return module.empty() ? self.ImageHandleFromResource(image) : self.ImageHandleFromResource(image, module.c_str());
      },
      [image] { return text::WideFromAnsi(image); });
}

engine::unique_gp_image LoadDisplaySource(Pixet& self, const wchar_t* image) {
  return LoadSource(
      self,
      [&](const std::string& module) {
        const std::wstring library = text::Widen(module);
        return module.empty() ? self.ImageHandleFromResourceW(image) : self.ImageHandleFromResourceW(image, library.c_str());
      },
      [image] { return text::Clip(image); });
}

}  // namespace pixet
