#include "display/display_source.h"

#include <string>

#include "core/module_name_field.h"
#include "core/owned_wide.h"
#include "core/text.h"

namespace pixet {

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
  const OwnedWide wide = ToWide(image);
  PIXET_CALL(GdipLoadImageFromFile, wide.get(), source.put());
  return source;
}

}  // namespace pixet
