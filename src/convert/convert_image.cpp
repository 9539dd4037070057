#include <windows.h>

#include "convert/encoder.h"
#include "convert/source_file.h"
#include "core/engine.h"
#include "core/host_access.h"
#include "core/text.h"
#include "core/wide.h"
#include "pixet/pixet.h"

std::int32_t Pixet::ConvertImage(const char* source, const char* target) {
  using namespace pixet;
  if (ENGINELOADED == 0) return 0;
  if (text::Clip(target).size() > kMaxTargetChars) return 0;
  engine::Session session;
  if (!session.started()) return 0;
  ResolvedSource resolved(source);
  const char* mime = MimeTypeForTarget(target);
  if (mime == nullptr) {
    host::ShowMessage("Invalid Format!");
    return 0;
  }
  GUID encoder{};
  GetEncoderClsid(mime, &encoder);
  engine::unique_gp_image image;
  {
    OwnedWide wide_source = ToWide(resolved.file().c_str());
    PIXET_CALL(GdipLoadImageFromFile, wide_source.get(), image.put());
  }
  if (!image) return 1;  // nothing to convert; a caller that needs the file checks for it
  OwnedWide wide_target = ToWide(target);
  if (PIXET_CALL(GdipSaveImageToFile, image.get(), wide_target.get(), &encoder, nullptr) != Gdiplus::Ok) return 0;
  return 1;
}
