#include "convert/encoder.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "base/boundary.h"
#include "base/file_names.h"
#include "core/engine.h"
#include "core/text.h"
#include "pixet/pixet.h"
#include "pixet/wide_converter.h"

namespace pixet {

const char* MimeTypeForTarget(const char* target) {
  static const struct {
    const char* extension;
    const char* mime;
  } kFormats[] = {
      {".BMP", "image/bmp"},   {".JPG", "image/jpeg"},  {".JPEG", "image/jpeg"}, {".PNG", "image/png"},
      {".TIFF", "image/tiff"}, {".TIF", "image/tiff"}, {".GIF", "image/gif"},
  };
  const std::string extension = text::Upper(ExtensionOf(text::Clip(target)));  // empty matches none
  for (const auto& format : kFormats)
    if (extension == format.extension) return format.mime;
  return nullptr;
}

const char* MimeTypeForTarget(const std::wstring& target) {
  // Only the extension counts, and every known one is ASCII: the name's other characters
  // may be any.
  const std::string extension = text::AsciiOnly(ExtensionOf(target));
  return extension.empty() ? nullptr : MimeTypeForTarget(extension.c_str());
}

}  // namespace pixet

void Pixet::GetEncoderClsid(const char* mimeType, _GUID* clsid) {
  pixet::Guarded([&] {
    using namespace pixet;
    if (ENGINELOADED == 0 || clsid == nullptr) return;
    UINT count = 0;
    UINT size = 0;
    // Any time: a host may ask with the engine started by itself, the methods ask inside
    // their own session.
    engine::CallAnyTime(PIXET_ENTRY(GdipGetImageEncodersSize), &count, &size);
    // Room for 32 usual encoders, or the size the engine reports when that is larger.
    constexpr UINT kUsualListBytes = 2432;
    unique_hglobal block(::GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, std::max(size, kUsualListBytes)));
    if (!block) return;
    auto* codecs = static_cast<Gdiplus::ImageCodecInfo*>(block.get());
    if (count > size / sizeof(Gdiplus::ImageCodecInfo)) return;
    if (engine::CallAnyTime(PIXET_ENTRY(GdipGetImageEncoders), count, size, codecs) != Gdiplus::Ok) return;
    const std::string wanted = text::Upper(text::Clip(mimeType));
    for (UINT i = 0; i < count; ++i) {
      char compare[129];
      text::FillBlanks(compare, 128);
      WideConverter::WideToText(codecs[i].MimeType, compare, 128);
      compare[128] = '\0';
      if (text::Upper(text::Clip(compare)) == wanted) {
        *clsid = codecs[i].Clsid;
        return;
      }
    }
  });
}
