// Image checks through GDI+ linked directly, independent of the library's table. Kept
// apart so that programs run without the engine do not import it.
#include <windows.h>

#include "base/gdiplus_include.h"
#include "support/test_support.h"

namespace pixet::testing {

EngineStarted::EngineStarted() {
  Gdiplus::GdiplusStartupInput input;
  Gdiplus::GdiplusStartup(&token_, &input, nullptr);
}
EngineStarted::~EngineStarted() { Gdiplus::GdiplusShutdown(token_); }

DecodedImage Decode(const std::string& path) {
  EngineStarted started;
  DecodedImage result;
  std::wstring wide(path.size() + 1, L'\0');
  wide.resize(::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], static_cast<int>(wide.size())));
  if (!wide.empty()) wide.pop_back();  // the terminator
  Gdiplus::GpBitmap* bitmap = nullptr;
  if (Gdiplus::DllExports::GdipCreateBitmapFromFile(wide.c_str(), &bitmap) != Gdiplus::Ok || bitmap == nullptr)
    return result;
  GUID raw{};
  Gdiplus::DllExports::GdipGetImageRawFormat(bitmap, &raw);
  const std::pair<GUID, const char*> formats[] = {
      {Gdiplus::ImageFormatBMP, "bmp"},   {Gdiplus::ImageFormatMemoryBMP, "bmp"}, {Gdiplus::ImageFormatJPEG, "jpeg"},
      {Gdiplus::ImageFormatPNG, "png"},   {Gdiplus::ImageFormatTIFF, "tiff"},     {Gdiplus::ImageFormatGIF, "gif"}};
  result.format = "other";
  for (const auto& [guid, name] : formats)
    if (raw == guid) result.format = name;
  Gdiplus::DllExports::GdipGetImageWidth(bitmap, &result.width);
  Gdiplus::DllExports::GdipGetImageHeight(bitmap, &result.height);
  result.argb.resize(static_cast<std::size_t>(result.width) * result.height);
  for (unsigned y = 0; y < result.height; ++y)
    for (unsigned x = 0; x < result.width; ++x) {
      Gdiplus::ARGB c = 0;
      Gdiplus::DllExports::GdipBitmapGetPixel(bitmap, static_cast<INT>(x), static_cast<INT>(y), &c);
      result.argb[y * result.width + x] = c;
    }
  Gdiplus::DllExports::GdipDisposeImage(bitmap);
  result.ok = true;
  return result;
}


Pixels FilePixels(const std::string& path) {
  DecodedImage image = Decode(path);
  Pixels out{static_cast<int>(image.width), static_cast<int>(image.height), image.argb};
  for (auto& p : out.rgb) p &= 0xFFFFFF;
  return out;
}

}  // namespace pixet::testing
