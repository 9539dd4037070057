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

}  // namespace

engine::unique_gp_image LoadDisplaySource(Pixet& self, const char* image) {
  engine::unique_gp_image source;
  if (self.USERESOURCE != 0) {
    const std::string module = ModuleNameField(self.RESOURCESDLLNAME);
    // Through the method table, so a derived class's lookup is the one used.
    const std::intptr_t handle =
        module.empty() ? self.ImageHandleFromResource(image) : self.ImageHandleFromResource(image, module.c_str());
    source.reset(reinterpret_cast<Gdiplus::GpImage*>(handle));
    text::FillBlanks(self.RESOURCESDLLNAME, sizeof self.RESOURCESDLLNAME);  // one call only
    return source;
  }
  return LoadFile([image] { return text::WideFromAnsi(image); });
}

engine::unique_gp_image LoadDisplaySource(Pixet& self, const wchar_t* image) {
  engine::unique_gp_image source;
  if (self.USERESOURCE != 0) {
    const std::wstring module = text::Widen(ModuleNameField(self.RESOURCESDLLNAME));
    const std::intptr_t handle =
        module.empty() ? self.ImageHandleFromResourceW(image) : self.ImageHandleFromResourceW(image, module.c_str());
    source.reset(reinterpret_cast<Gdiplus::GpImage*>(handle));
    text::FillBlanks(self.RESOURCESDLLNAME, sizeof self.RESOURCESDLLNAME);  // one call only
    return source;
  }
  return LoadFile([image] { return text::Clip(image); });
}

}  // namespace pixet
