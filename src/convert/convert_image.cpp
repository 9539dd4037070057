#include <windows.h>

#include <string>

#include "base/boundary.h"
#include "convert/conversion.h"
#include "convert/encoder.h"
#include "convert/save_image.h"
#include "core/engine.h"
#include "core/text.h"
#include "pixet/pixet.h"

namespace pixet {
namespace {

// What both forms do, on names with their trailing blanks removed.
std::int32_t ConvertFile(Pixet& pixet, const std::wstring& source, const std::wstring& target) {
  Conversion conversion(pixet, source, target);
  if (!conversion.ready()) return 0;
  engine::unique_gp_image image;
  PIXET_CALL(GdipLoadImageFromFile, conversion.source_file().c_str(), image.put());
  if (!image) return 1;  // nothing to convert; a caller that needs the file checks for it
  return SaveImage(image.get(), target, conversion.encoder()) ? 1 : 0;
}

}  // namespace
}  // namespace pixet

std::int32_t Pixet::ConvertImage(const char* source, const char* target) {
  return pixet::Guarded(std::int32_t{0}, [&]() -> std::int32_t {
    using namespace pixet;
    if (text::Clip(target).size() > kMaxTargetChars) return 0;  // in bytes, as the name was given
    return ConvertFile(*this, text::WideFromAnsi(source), text::WideFromAnsi(target));
  });
}

std::int32_t Pixet::ConvertImageW(const wchar_t* source, const wchar_t* target) {
  return pixet::Guarded(std::int32_t{0}, [&]() -> std::int32_t {
    return pixet::ConvertFile(*this, pixet::text::Clip(source), pixet::text::Clip(target));
  });
}
