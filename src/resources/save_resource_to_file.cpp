#include <windows.h>

#include <functional>
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

// What both forms do once the engine is up: the lookup decodes the resource (through the
// method table), and the image is written in the format of the target's extension, a name
// with its trailing blanks removed.
std::int32_t SaveResource(Pixet& self, const std::function<std::intptr_t()>& lookup, const std::wstring& file) {
  engine::unique_gp_image image(reinterpret_cast<Gdiplus::GpImage*>(lookup()));
  text::FillBlanks(self.RESOURCESDLLNAME, sizeof self.RESOURCESDLLNAME);
  const char* mime = MimeTypeForTarget(file);
  if (mime == nullptr) {
    host::ShowMessage("Invalid Format!");
    return 0;
  }
  GUID encoder{};
  self.GetEncoderClsid(mime, &encoder);
  if (!image) return 1;  // nothing to write; the lookup said why, if anything needed saying
  return SaveImage(image.get(), file, &encoder) ? 1 : 0;
}

std::int32_t SaveResourceInSession(Pixet& self, const std::function<std::intptr_t()>& lookup,
                                   const std::wstring& file) {
  if (self.ENGINELOADED == 0) return 0;
  if (file.size() > kMaxTargetChars) return 0;  // before the engine starts, as conversions do
  engine::Session session;
  if (!session.started()) return 0;
  self.USERESOURCE = 1;
  const std::int32_t result = SaveResource(self, lookup, file);
  self.USERESOURCE = 0;
  return result;
}

}  // namespace
}  // namespace pixet

std::int32_t Pixet::SaveResourceToFile(const char* name, const char* file, const char* module) {
  return pixet::Guarded(std::int32_t{0}, [&]() -> std::int32_t {
    using namespace pixet;
    if (text::Clip(file).size() > kMaxTargetChars) return 0;  // in bytes, as the name was given
    return SaveResourceInSession(*this, [&]() -> std::intptr_t {
      if (module == nullptr) return ImageHandleFromResource(name);  // the host program's, whatever the field holds
      SetModuleNameField(RESOURCESDLLNAME, text::Clip(module));
      const std::string stored = ModuleNameField(RESOURCESDLLNAME);
      return ImageHandleFromResource(name, stored.c_str());
    }, text::WideFromAnsi(file));
  });
}

std::int32_t Pixet::SaveResourceToFileW(const wchar_t* name, const wchar_t* file, const wchar_t* module) {
  return pixet::Guarded(std::int32_t{0}, [&]() -> std::int32_t {
    using namespace pixet;
    return SaveResourceInSession(*this, [&]() -> std::intptr_t {
      if (module == nullptr) return ImageHandleFromResourceW(name);
      // The field is ANSI: it shows the host the name as the code page holds it.
      const std::wstring library = text::Clip(module);
      SetModuleNameField(RESOURCESDLLNAME, text::AnsiFromWide(library));
      return ImageHandleFromResourceW(name, library.c_str());
    }, text::Clip(file));
  });
}
