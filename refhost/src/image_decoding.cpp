// The desktop host's image decoding: any format with GDI+ loaded for the call (the host
// does not import it, so a process without the engine still starts), else plain BMP.
#include "host_records.h"

#include <objbase.h>

#include <cstring>

#include "core/gdiplus_include.h"

namespace pixet::refhost {

SharedBytes EmptyBytes() {
  static const SharedBytes empty = std::make_shared<const std::vector<unsigned char>>();
  return empty;
}

namespace detail {
namespace {

template <class Fn>
Fn Entry(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

// Started and shut down around the work.
HBITMAP DecodeWithEngine(const unsigned char* bytes, std::size_t size, PixelSize* shown) {
  HMODULE engine = ::LoadLibraryA("gdiplus.dll");
  if (engine == nullptr) return nullptr;
  const auto startup = Entry<decltype(&Gdiplus::GdiplusStartup)>(engine, "GdiplusStartup");
  const auto shutdown = Entry<decltype(&Gdiplus::GdiplusShutdown)>(engine, "GdiplusShutdown");
  const auto fromStream =
      Entry<decltype(&Gdiplus::DllExports::GdipCreateBitmapFromStream)>(engine, "GdipCreateBitmapFromStream");
  const auto toHbitmap =
      Entry<decltype(&Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap)>(engine, "GdipCreateHBITMAPFromBitmap");
  const auto width = Entry<decltype(&Gdiplus::DllExports::GdipGetImageWidth)>(engine, "GdipGetImageWidth");
  const auto height = Entry<decltype(&Gdiplus::DllExports::GdipGetImageHeight)>(engine, "GdipGetImageHeight");
  const auto dispose = Entry<decltype(&Gdiplus::DllExports::GdipDisposeImage)>(engine, "GdipDisposeImage");
  HBITMAP result = nullptr;
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartupInput input;
  if (startup != nullptr && shutdown != nullptr && fromStream != nullptr && toHbitmap != nullptr &&
      width != nullptr && height != nullptr && dispose != nullptr &&
      startup(&token, &input, nullptr) == Gdiplus::Ok) {
    HGLOBAL copy = CopyToMovableBlock(bytes, size);
    IStream* stream = nullptr;
    if (copy != nullptr && ::CreateStreamOnHGlobal(copy, TRUE, &stream) != S_OK) stream = nullptr;
    if (stream == nullptr && copy != nullptr) ::GlobalFree(copy);
    if (stream != nullptr) {
      Gdiplus::GpBitmap* bitmap = nullptr;
      if (fromStream(stream, &bitmap) == Gdiplus::Ok && bitmap != nullptr) {
        UINT w = 0;
        UINT h = 0;
        HBITMAP hbitmap = nullptr;
        if (width(bitmap, &w) == Gdiplus::Ok && height(bitmap, &h) == Gdiplus::Ok &&
            toHbitmap(bitmap, &hbitmap, 0xFFFFFFFF) == Gdiplus::Ok) {
          result = hbitmap;
          shown->width = static_cast<int>(w);
          shown->height = static_cast<int>(h);
        }
        dispose(bitmap);
      }
      stream->Release();  // frees `copy`
    }
    shutdown(token);
  }
  ::FreeLibrary(engine);
  return result;
}

// Uncompressed and bit-field BMP files.
HBITMAP DecodeBmp(const unsigned char* bytes, std::size_t size, PixelSize* shown) {
  BITMAPFILEHEADER file;
  BITMAPINFOHEADER info;
  if (size < sizeof(file) + sizeof(info)) return nullptr;
  std::memcpy(&file, bytes, sizeof(file));
  std::memcpy(&info, bytes + sizeof(file), sizeof(info));
  if (file.bfType != 0x4D42 || info.biSize < sizeof(info) || info.biWidth <= 0 || info.biHeight == 0 ||
      (info.biCompression != BI_RGB && info.biCompression != BI_BITFIELDS))
    return nullptr;
  const long long rows = info.biHeight < 0 ? -static_cast<long long>(info.biHeight) : info.biHeight;
  const long long stride = ((static_cast<long long>(info.biWidth) * info.biBitCount + 31) / 32) * 4;
  if (file.bfOffBits >= size || static_cast<long long>(size - file.bfOffBits) < stride * rows) return nullptr;
  // Colour table and masks follow the header; keep them inside the file.
  if (sizeof(file) + info.biSize > file.bfOffBits) return nullptr;
  std::vector<unsigned char> header(bytes + sizeof(file), bytes + file.bfOffBits);
  header.resize(std::max<std::size_t>(header.size(), sizeof(BITMAPINFO) + 256 * sizeof(RGBQUAD)));
  HDC screen = ::GetDC(nullptr);
  HBITMAP result = ::CreateDIBitmap(screen, &info, CBM_INIT, bytes + file.bfOffBits,
                                    reinterpret_cast<const BITMAPINFO*>(header.data()), DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, screen);
  if (result != nullptr) {
    shown->width = info.biWidth;
    shown->height = static_cast<int>(rows);
  }
  return result;
}

}  // namespace

HGLOBAL CopyToMovableBlock(const unsigned char* bytes, std::size_t size) {
  if (size == 0) return nullptr;
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, size);
  void* target = block != nullptr ? ::GlobalLock(block) : nullptr;
  if (target == nullptr) {
    if (block != nullptr) ::GlobalFree(block);
    return nullptr;
  }
  std::memcpy(target, bytes, size);
  ::GlobalUnlock(block);
  return block;
}

HBITMAP DecodeImage(const unsigned char* bytes, std::size_t size, PixelSize* shown) {
  if (size == 0) return nullptr;
  if (HBITMAP engine = DecodeWithEngine(bytes, size, shown)) return engine;
  return DecodeBmp(bytes, size, shown);
}

}  // namespace detail
}  // namespace pixet::refhost
