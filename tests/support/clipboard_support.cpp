#include "support/clipboard_support.h"

#include <cstring>

#include "support/test_support.h"

namespace pixet::testing {

namespace {

BITMAPINFOHEADER TopDown32(int width, int height) {
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = -height;
  info.biPlanes = 1;
  info.biBitCount = 32;
  info.biCompression = BI_RGB;
  return info;
}

HBITMAP ScreenBitmap(const Pixels& pixels) {
  HDC screen = ::GetDC(nullptr);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, pixels.width, pixels.height);
  BITMAPINFOHEADER info = TopDown32(pixels.width, pixels.height);
  ::SetDIBits(screen, bitmap, 0, static_cast<UINT>(pixels.height), pixels.rgb.data(),
              reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, screen);
  return bitmap;
}

void Replace(UINT format, HANDLE data) {
  ::OpenClipboard(nullptr);
  ::EmptyClipboard();
  ::SetClipboardData(format, data);
  ::CloseClipboard();
}

}  // namespace

Pixels TestPicture() {
  return {4, 3, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF,  //
                 0x000000, 0x808080, 0xFFFF00, 0x00FFFF,  //
                 0xFF00FF, 0x123456, 0x654321, 0xA0B0C0}};
}

void PutBitmap(const Pixels& pixels) { Replace(CF_BITMAP, ScreenBitmap(pixels)); }

void PutDibOnly(const Pixels& pixels) {
  BITMAPINFOHEADER info = TopDown32(pixels.width, pixels.height);
  info.biHeight = pixels.height;  // bottom-up, as DIBs on the clipboard usually are
  const std::size_t row = static_cast<std::size_t>(pixels.width) * 4;
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, sizeof info + row * pixels.height);
  auto* bytes = static_cast<unsigned char*>(::GlobalLock(block));
  std::memcpy(bytes, &info, sizeof info);
  for (int y = 0; y < pixels.height; ++y)
    std::memcpy(bytes + sizeof info + row * (pixels.height - 1 - y), &pixels.rgb[y * pixels.width], row);
  ::GlobalUnlock(block);
  Replace(CF_DIB, block);
}

void PutText(const std::string& text) {
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  std::memcpy(::GlobalLock(block), text.c_str(), text.size() + 1);
  ::GlobalUnlock(block);
  Replace(CF_TEXT, block);
}

Pixels ClipboardPixels() {
  Pixels out;
  if (!::OpenClipboard(nullptr)) return out;
  if (auto bitmap = static_cast<HBITMAP>(::GetClipboardData(CF_BITMAP))) {
    BITMAP b{};
    ::GetObjectA(bitmap, sizeof b, &b);
    out.width = b.bmWidth;
    out.height = b.bmHeight;
    out.rgb.resize(static_cast<std::size_t>(b.bmWidth) * b.bmHeight);
    BITMAPINFOHEADER info = TopDown32(b.bmWidth, b.bmHeight);
    HDC screen = ::GetDC(nullptr);
    ::GetDIBits(screen, bitmap, 0, static_cast<UINT>(b.bmHeight), out.rgb.data(), reinterpret_cast<BITMAPINFO*>(&info),
                DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    for (auto& p : out.rgb) p &= 0xFFFFFF;
  }
  ::CloseClipboard();
  return out;
}

std::string ClipboardText() {
  std::string text;
  if (!::OpenClipboard(nullptr)) return text;
  if (HANDLE block = ::GetClipboardData(CF_TEXT)) {
    text = static_cast<const char*>(::GlobalLock(block));
    ::GlobalUnlock(block);
  }
  ::CloseClipboard();
  return text;
}

Pixels FilePixels(const std::string& path) {
  DecodedImage image = Decode(path);
  Pixels out{static_cast<int>(image.width), static_cast<int>(image.height), image.argb};
  for (auto& p : out.rgb) p &= 0xFFFFFF;
  return out;
}

}  // namespace pixet::testing
