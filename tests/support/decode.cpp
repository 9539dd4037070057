// Image checks through GDI+ linked directly, independent of the library's table.
#include <windows.h>

#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include "support/test_support.h"

namespace pixet::testing {

EngineStarted::EngineStarted() {
  Gdiplus::GdiplusStartupInput input;
  Gdiplus::GdiplusStartup(&token_, &input, nullptr);
}
EngineStarted::~EngineStarted() { Gdiplus::GdiplusShutdown(token_); }

std::uint32_t DecodedImage::Pixel(unsigned x, unsigned y) const { return argb.at(y * width + x); }

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
  if (raw == Gdiplus::ImageFormatBMP || raw == Gdiplus::ImageFormatMemoryBMP)
    result.format = "bmp";
  else if (raw == Gdiplus::ImageFormatJPEG)
    result.format = "jpeg";
  else if (raw == Gdiplus::ImageFormatPNG)
    result.format = "png";
  else if (raw == Gdiplus::ImageFormatTIFF)
    result.format = "tiff";
  else if (raw == Gdiplus::ImageFormatGIF)
    result.format = "gif";
  else
    result.format = "other";
  Gdiplus::DllExports::GdipGetImageWidth(bitmap, &result.width);
  Gdiplus::DllExports::GdipGetImageHeight(bitmap, &result.height);
  Gdiplus::PixelFormat format = 0;
  Gdiplus::DllExports::GdipGetImagePixelFormat(bitmap, &format);
  result.pixel_format = static_cast<std::int32_t>(format);
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

}  // namespace pixet::testing
