// The desktop host's image decoding: any format with GDI+ loaded for the call (the host
// does not import it, so a process without the engine still starts), else plain BMP.
#include "host_records.h"

#include <objbase.h>

#include <cstring>

#include "base/gdiplus_include.h"

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

// Runs `fn` when the scope ends: for the engine's own release calls, looked up at run time.
template <class Fn>
struct AtScopeEnd {
  Fn fn;
  ~AtScopeEnd() { fn(); }
};
template <class Fn>
AtScopeEnd(Fn) -> AtScopeEnd<Fn>;

// Started and shut down around the work. Released in reverse order: the engine's bitmap,
// the stream (and the block it owns), the engine session, then the engine's module.
unique_hbitmap DecodeWithEngine(const unsigned char* bytes, std::size_t size, PixelSize* shown) {
  const unique_module engine(::LoadLibraryA("gdiplus.dll"));
  if (!engine) return {};
  const HMODULE m = engine.get();
  const auto startup = Entry<decltype(&Gdiplus::GdiplusStartup)>(m, "GdiplusStartup");
  const auto shutdown = Entry<decltype(&Gdiplus::GdiplusShutdown)>(m, "GdiplusShutdown");
  const auto fromStream =
      Entry<decltype(&Gdiplus::DllExports::GdipCreateBitmapFromStream)>(m, "GdipCreateBitmapFromStream");
  const auto toHbitmap =
      Entry<decltype(&Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap)>(m, "GdipCreateHBITMAPFromBitmap");
  const auto width = Entry<decltype(&Gdiplus::DllExports::GdipGetImageWidth)>(m, "GdipGetImageWidth");
  const auto height = Entry<decltype(&Gdiplus::DllExports::GdipGetImageHeight)>(m, "GdipGetImageHeight");
  const auto dispose = Entry<decltype(&Gdiplus::DllExports::GdipDisposeImage)>(m, "GdipDisposeImage");
  if (startup == nullptr || shutdown == nullptr || fromStream == nullptr || toHbitmap == nullptr ||
      width == nullptr || height == nullptr || dispose == nullptr)
    return {};
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartupInput input;
  if (startup(&token, &input, nullptr) != Gdiplus::Ok) return {};
  const AtScopeEnd session{[&] { shutdown(token); }};
  unique_hglobal copy = CopyToMovableBlock(bytes, size);
  unique_stream stream;
  if (!copy || ::CreateStreamOnHGlobal(copy.get(), TRUE, stream.put()) != S_OK) return {};
  copy.release();  // the stream's now
  Gdiplus::GpBitmap* bitmap = nullptr;
  if (fromStream(stream.get(), &bitmap) != Gdiplus::Ok || bitmap == nullptr) return {};
  const AtScopeEnd disposed{[&] { dispose(bitmap); }};
  UINT w = 0;
  UINT h = 0;
  unique_hbitmap hbitmap;
  if (width(bitmap, &w) != Gdiplus::Ok || height(bitmap, &h) != Gdiplus::Ok ||
      toHbitmap(bitmap, hbitmap.put(), 0xFFFFFFFF) != Gdiplus::Ok)
    return {};
  shown->width = static_cast<int>(w);
  shown->height = static_cast<int>(h);
  return hbitmap;
}

// Uncompressed and bit-field BMP files.
unique_hbitmap DecodeBmp(const unsigned char* bytes, std::size_t size, PixelSize* shown) {
  BITMAPFILEHEADER file;
  BITMAPINFOHEADER info;
  if (size < sizeof(file) + sizeof(info)) return {};
  std::memcpy(&file, bytes, sizeof(file));
  std::memcpy(&info, bytes + sizeof(file), sizeof(info));
  if (file.bfType != 0x4D42 || info.biSize < sizeof(info) || info.biWidth <= 0 || info.biHeight == 0 ||
      (info.biCompression != BI_RGB && info.biCompression != BI_BITFIELDS))
    return {};
  const long long rows = info.biHeight < 0 ? -static_cast<long long>(info.biHeight) : info.biHeight;
  const long long stride = ((static_cast<long long>(info.biWidth) * info.biBitCount + 31) / 32) * 4;
  if (file.bfOffBits >= size || static_cast<long long>(size - file.bfOffBits) < stride * rows) return {};
  // Colour table and masks follow the header; keep them inside the file.
  if (sizeof(file) + info.biSize > file.bfOffBits) return {};
  std::vector<unsigned char> header(bytes + sizeof(file), bytes + file.bfOffBits);
  header.resize(std::max<std::size_t>(header.size(), sizeof(BITMAPINFO) + 256 * sizeof(RGBQUAD)));
  unique_hbitmap result;
  {
    const unique_window_dc screen = AcquireDC(nullptr);
    result.reset(::CreateDIBitmap(screen.get().dc, &info, CBM_INIT, bytes + file.bfOffBits,
                                  reinterpret_cast<const BITMAPINFO*>(header.data()), DIB_RGB_COLORS));
  }
  if (result) {
    shown->width = info.biWidth;
    shown->height = static_cast<int>(rows);
  }
  return result;
}

}  // namespace

unique_hglobal CopyToMovableBlock(const unsigned char* bytes, std::size_t size) {
  if (size == 0) return {};
  unique_hglobal block(::GlobalAlloc(GMEM_MOVEABLE, size));
  if (!block) return {};
  {
    const unique_hglobal_locked target(block.get());
    if (!target) return {};
    std::memcpy(target.get(), bytes, size);
  }
  return block;
}

unique_hbitmap DecodeImage(const unsigned char* bytes, std::size_t size, PixelSize* shown) {
  if (size == 0) return {};
  if (unique_hbitmap engine = DecodeWithEngine(bytes, size, shown)) return engine;
  return DecodeBmp(bytes, size, shown);
}

}  // namespace detail
}  // namespace pixet::refhost
