#include <windows.h>

#include <string>

#include "base/boundary.h"
#include "convert/encoder.h"
#include "convert/save_image.h"
#include "core/engine.h"
#include "core/host_access.h"
#include "core/module_name_field.h"
#include "core/text.h"
#include "pixet/pixet.h"

namespace pixet {
namespace {

// Decodes the resource (through the method table) and writes it in the format of the
// target's extension. Runs inside the caller's engine session.
std::int32_t SaveResource(Pixet& self, const char* name, const char* file, const char* module) {
  engine::unique_gp_image image;
  if (module != nullptr) {
    SetModuleNameField(self.RESOURCESDLLNAME, text::Clip(module));
    const std::string stored = ModuleNameField(self.RESOURCESDLLNAME);
    image.reset(reinterpret_cast<Gdiplus::GpImage*>(self.ImageHandleFromResource(name, stored.c_str())));
  } else {
    // The host program's module, whatever RESOURCESDLLNAME holds.
    image.reset(reinterpret_cast<Gdiplus::GpImage*>(self.ImageHandleFromResource(name)));
  }
  text::FillBlanks(self.RESOURCESDLLNAME, sizeof self.RESOURCESDLLNAME);

  const char* mime = MimeTypeForTarget(file);
  if (mime == nullptr) {
    host::ShowMessage("Invalid Format!");
    return 0;
  }
  GUID encoder{};
  self.GetEncoderClsid(mime, &encoder);
  if (!image) return 1;  // nothing to write; the lookup said why, if anything needed saying
  return SaveImage(image.get(), text::WideFromAnsi(file), &encoder) ? 1 : 0;
}

}  // namespace
}  // namespace pixet

std::int32_t Pixet::SaveResourceToFile(const char* name, const char* file, const char* module) {
  return pixet::Guarded(std::int32_t{0}, [&]() -> std::int32_t {
    using namespace pixet;
    if (ENGINELOADED == 0) return 0;
    if (text::Clip(file).size() > kMaxTargetChars) return 0;  // before the engine starts, as conversions do
    engine::Session session;
    if (!session.started()) return 0;
    USERESOURCE = 1;
    const std::int32_t result = SaveResource(*this, name, file, module);
    USERESOURCE = 0;
    return result;
  });
}
