#include "convert/save_image.h"

#include <cstring>

#include "convert/encoder.h"
#include "convert/gif_transparency.h"
#include "convert/indexed_image.h"

namespace pixet {

namespace {

// Whether the engine reads `name` back as an image of `image`'s size.
bool ReadsBack(const WCHAR* name, Gdiplus::GpImage* image) {
  engine::unique_gp_image written;
  PIXET_CALL(GdipLoadImageFromFile, name, written.put());
  UINT sizes[4] = {};
  return written && PIXET_CALL(GdipGetImageWidth, written.get(), &sizes[0]) == Gdiplus::Ok &&
         PIXET_CALL(GdipGetImageHeight, written.get(), &sizes[1]) == Gdiplus::Ok &&
         PIXET_CALL(GdipGetImageWidth, image, &sizes[2]) == Gdiplus::Ok &&
         PIXET_CALL(GdipGetImageHeight, image, &sizes[3]) == Gdiplus::Ok && sizes[0] == sizes[2] &&
         sizes[1] == sizes[3];
}

}  // namespace

bool SaveImage(Gdiplus::GpImage* image, const std::wstring& target, const GUID* encoder) {
  const WCHAR* name = target.c_str();
  const char* mime = MimeTypeForTarget(target);
  if (mime == nullptr || std::strcmp(mime, "image/gif") != 0)
    return PIXET_CALL(GdipSaveImageToFile, image, name, encoder, nullptr) == Gdiplus::Ok;
  IndexedImage indexed;
  if (!MakeIndexed(image, indexed) ||
      PIXET_CALL(GdipSaveImageToFile, indexed.image, name, encoder, nullptr) != Gdiplus::Ok)
    return false;
  if (indexed.transparent >= 0 && !MarkGifTransparency(name, indexed.transparent)) return false;
  return ReadsBack(name, indexed.image);
}

}  // namespace pixet
