#include "resources/resource_switch.h"

#include <algorithm>
#include <cstring>

#include "core/text.h"
#include "core/wide.h"

namespace pixet {

std::string ModuleNameField(const Pixet& self) {
  const char* field = self.RESOURCESDLLNAME;
  const std::size_t size = sizeof self.RESOURCESDLLNAME;
  const void* nul = std::memchr(field, '\0', size);
  std::size_t n = nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - field) : size;
  while (n > 0 && field[n - 1] == ' ') --n;
  return std::string(field, n);
}

void SetModuleNameField(Pixet& self, const std::string& name) {
  text::FillBlanks(self.RESOURCESDLLNAME, sizeof self.RESOURCESDLLNAME);
  std::memcpy(self.RESOURCESDLLNAME, name.data(), std::min(name.size(), sizeof self.RESOURCESDLLNAME));
}

engine::unique_gp_image LoadDisplaySource(Pixet& self, const char* image) {
  engine::unique_gp_image source;
  if (self.USERESOURCE != 0) {
    const std::string module = ModuleNameField(self);
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
