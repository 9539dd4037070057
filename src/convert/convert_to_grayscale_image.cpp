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

// Each of red, green and blue becomes 0.35 times the sum of the three (1.05 times their
// mean, limited to the maximum); alpha passes through; no offset.
constexpr float kWeight = 0.35f;  // single-precision pattern 3EB33333h
const Gdiplus::ColorMatrix kGreyMatrix = {{
    {kWeight, kWeight, kWeight, 0, 0},
    {kWeight, kWeight, kWeight, 0, 0},
    {kWeight, kWeight, kWeight, 0, 0},
    {0, 0, 0, 1, 0},
    {0, 0, 0, 0, 1},
}};

// The source is drawn once, 1:1, through the grey matrix onto a new bitmap of its size,
// and that bitmap is saved in the format of the target's extension. Both forms, on names
// with their trailing blanks removed.
std::int32_t GreyFile(Pixet& pixet, const std::wstring& source, const std::wstring& target) {
  Conversion conversion(pixet, source, target);  // "_vb_.xac" goes after the engine objects
  if (!conversion.ready()) return 0;
  // Released in reverse: drawing context, new bitmap, source image, attributes.
  engine::unique_gp_attributes attributes;
  engine::unique_gp_image image;
  engine::unique_gp_bitmap grey;
  engine::unique_gp_graphics graphics;
  PIXET_CALL(GdipLoadImageFromFile, conversion.source_file().c_str(), image.put());
  if (!image) return 1;  // nothing to convert
  UINT height = 0;
  UINT width = 0;
  PIXET_CALL(GdipGetImageHeight, image.get(), &height);
  PIXET_CALL(GdipGetImageWidth, image.get(), &width);
  PIXET_CALL(GdipCreateImageAttributes, attributes.put());
  PIXET_CALL(GdipSetImageAttributesColorMatrix, attributes.get(), Gdiplus::ColorAdjustTypeDefault, TRUE,
             &kGreyMatrix, nullptr, Gdiplus::ColorMatrixFlagsDefault);
  PIXET_CALL(GdipGetImageGraphicsContext, image.get(), graphics.put());
  PIXET_CALL(GdipCreateBitmapFromGraphics, static_cast<INT>(width), static_cast<INT>(height), graphics.get(),
             grey.put());
  graphics.reset();
  PIXET_CALL(GdipGetImageGraphicsContext, grey.get(), graphics.put());
  PIXET_CALL(GdipDrawImageRectRectI, graphics.get(), image.get(), 0, 0, static_cast<INT>(width),
             static_cast<INT>(height), 0, 0, static_cast<INT>(width), static_cast<INT>(height), Gdiplus::UnitPixel,
             attributes.get(), nullptr, nullptr);
  graphics.reset();  // drawing ends before the pixels are read
  return SaveImage(grey.get(), target, conversion.encoder()) ? 1 : 0;
}

}  // namespace
}  // namespace pixet

std::int32_t Pixet::ConvertToGrayscaleImage(const char* source, const char* target) {
  return pixet::Guarded(std::int32_t{0}, [&]() -> std::int32_t {
    using namespace pixet;
    if (text::Clip(target).size() > kMaxTargetChars) return 0;  // in bytes, as the name was given
    return GreyFile(*this, text::WideFromAnsi(source), text::WideFromAnsi(target));
  });
}

std::int32_t Pixet::ConvertToGrayscaleImageW(const wchar_t* source, const wchar_t* target) {
  return pixet::Guarded(std::int32_t{0}, [&]() -> std::int32_t {
    return pixet::GreyFile(*this, pixet::text::Clip(source), pixet::text::Clip(target));
  });
}
