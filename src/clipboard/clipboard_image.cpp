#include "clipboard/clipboard_image.h"

#include <objbase.h>

#include <cstdint>
#include <cstring>

#include "core/bitmap_pixels.h"

namespace pixet::clipboard {

namespace {

constexpr DWORD kAlphaMask = 0xFF000000u, kRedMask = 0x00FF0000u, kGreenMask = 0x0000FF00u, kBlueMask = 0x000000FFu;
// The largest picture taken either way: 16384 x 16384, well inside a 32-bit block.
constexpr std::uint64_t kMostPixels = 16384ull * 16384ull;

// A new movable block holding a copy of `size` bytes at `data`; empty when none can be made.
unique_hglobal CopyOf(const void* data, SIZE_T size) {
  unique_hglobal block(::GlobalAlloc(GMEM_MOVEABLE, size));
  if (!block) return block;
  const unique_hglobal_locked to(block.get());
  if (!to) return unique_hglobal();
  std::memcpy(to.get(), data, size);
  return block;
}

// An engine bitmap decoded from a copy of the bytes in `shared` (the clipboard's block),
// owning its stream and so the copy; null when they do not decode.
engine::unique_gp_bitmap DecodedCopy(HANDLE shared) {
  engine::unique_gp_bitmap bitmap;
  const SIZE_T size = ::GlobalSize(shared);
  const unique_hglobal_locked bytes(shared);
  if (!bytes || size == 0) return bitmap;
  unique_hglobal block = CopyOf(bytes.get(), size);
  unique_stream stream;
  if (!block || ::CreateStreamOnHGlobal(block.get(), TRUE, stream.put()) != S_OK) return bitmap;
  block.release();  // freed by the stream's last release; the bitmap holds its own reference
  PIXET_CALL(GdipCreateBitmapFromStream, stream.get(), bitmap.put());
  return bitmap;
}

// The bit position of a mask's lowest bit and its width, for masks of up to 8 bits.
struct Channel {
  DWORD mask;
  int shift = 0;
  int bits = 0;
  explicit Channel(DWORD m) : mask(m) {
    if (m == 0) return;
    while ((m >> shift & 1u) == 0) ++shift;
    while (shift + bits < 32 && (m >> (shift + bits) & 1u) != 0) ++bits;
  }
  // The channel of `pixel` scaled to 0..255 (255 without a mask: opaque).
  BYTE Of(DWORD pixel) const {
    if (bits == 0) return 255;
    const DWORD value = (pixel & mask) >> shift;
    const DWORD most = (bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1u);
    return static_cast<BYTE>(value * 255u / most);
  }
};

// A 32-bit CF_DIBV5 (or CF_DIB) whose alpha is known: BI_BITFIELDS with masks, or BI_RGB
// whose pixels carry alpha somewhere (some programs put it there). Other layouts go to
// the engine's own reading of the DIB.
engine::unique_gp_bitmap FromDib32(const BITMAPINFOHEADER& header, const BYTE* block_end) {
  engine::unique_gp_bitmap bitmap;
  const bool bitfields = header.biCompression == BI_BITFIELDS;
  if (header.biBitCount != 32 || (header.biCompression != BI_RGB && !bitfields) || header.biWidth <= 0 ||
      header.biHeight == 0)
    return bitmap;
  const std::uint64_t width = static_cast<std::uint64_t>(header.biWidth);
  const std::uint64_t height = header.biHeight < 0 ? 0ull - static_cast<std::int64_t>(header.biHeight)
                                                   : static_cast<std::uint64_t>(header.biHeight);
  if (width * height > kMostPixels) return bitmap;
  const BYTE* const start = reinterpret_cast<const BYTE*>(&header);
  DWORD masks[4] = {kRedMask, kGreenMask, kBlueMask, 0};  // red, green, blue, alpha
  std::size_t table = 0;  // bytes after the header before the pixels
  if (bitfields) {
    if (header.biSize >= sizeof(BITMAPV4HEADER)) {  // the masks are fields of the header
      const auto& v4 = reinterpret_cast<const BITMAPV4HEADER&>(header);
      masks[0] = v4.bV4RedMask, masks[1] = v4.bV4GreenMask, masks[2] = v4.bV4BlueMask, masks[3] = v4.bV4AlphaMask;
    } else {  // three masks follow the header
      if (start + header.biSize + 12 > block_end) return bitmap;
      std::memcpy(masks, start + header.biSize, 12);
      table = 12;
    }
  } else if (header.biSize >= sizeof(BITMAPV4HEADER)) {
    masks[3] = reinterpret_cast<const BITMAPV4HEADER&>(header).bV4AlphaMask;
  }
  const BYTE* pixels = start + header.biSize + table;
  const std::uint64_t bytes = width * height * 4;
  if (pixels + bytes > block_end || pixels + bytes < pixels) return bitmap;
  const DWORD* const words = reinterpret_cast<const DWORD*>(pixels);
  if (!bitfields && masks[3] == 0) {  // BI_RGB: alpha only where the pixels carry it
    for (std::uint64_t i = 0; i < width * height && masks[3] == 0; ++i)
      if ((words[i] & kAlphaMask) != 0) masks[3] = kAlphaMask;
  }
  const Channel red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);
  PIXET_CALL(GdipCreateBitmapFromScan0, static_cast<INT>(width), static_cast<INT>(height), 0,
             PixelFormat32bppARGB, nullptr, bitmap.put());
  if (!bitmap) return bitmap;
  const engine::BitmapPixels out(bitmap.get(), static_cast<UINT>(width), static_cast<UINT>(height),
                                 Gdiplus::ImageLockModeWrite, PixelFormat32bppARGB);
  if (!out.locked()) return engine::unique_gp_bitmap();
  for (std::uint64_t y = 0; y < height; ++y) {
    // Rows run bottom-up unless the height is negative.
    const DWORD* row = words + (header.biHeight > 0 ? height - 1 - y : y) * width;
    auto* to = reinterpret_cast<DWORD*>(out.row(static_cast<UINT>(y)));
    for (std::uint64_t x = 0; x < width; ++x) {
      const DWORD p = row[x];
      to[x] = static_cast<DWORD>(alpha.Of(p)) << 24 | static_cast<DWORD>(red.Of(p)) << 16 |
              static_cast<DWORD>(green.Of(p)) << 8 | blue.Of(p);
    }
  }
  return bitmap;
}

// The clipboard's packed DIB in `format` (CF_DIBV5 or CF_DIB), or null.
engine::unique_gp_bitmap FromDib(UINT format) {
  engine::unique_gp_bitmap bitmap;
  HANDLE shared = ::GetClipboardData(format);
  if (shared == nullptr) return bitmap;
  const SIZE_T size = ::GlobalSize(shared);
  const unique_hglobal_locked block(shared);
  if (!block || size < sizeof(BITMAPINFOHEADER)) return bitmap;
  const auto& header = *static_cast<const BITMAPINFOHEADER*>(block.get());
  if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biSize > size) return bitmap;
  bitmap = FromDib32(header, static_cast<const BYTE*>(block.get()) + size);
  if (bitmap) return bitmap;
  // Any other packed DIB: the engine reads header, colour table and rows, then the copy
  // below makes the picture the bitmap's own.
  const BYTE* start = static_cast<const BYTE*>(block.get());
  const DWORD colours = header.biClrUsed != 0 ? header.biClrUsed : header.biBitCount <= 8 ? 1u << header.biBitCount : 0;
  const std::size_t offset = header.biSize + (header.biCompression == BI_BITFIELDS && header.biSize == 40 ? 12 : 0) +
                             static_cast<std::size_t>(colours) * sizeof(RGBQUAD);
  if (offset >= size || colours > 256) return bitmap;
  engine::unique_gp_bitmap shared_rows;
  PIXET_CALL(GdipCreateBitmapFromGdiDib, reinterpret_cast<const BITMAPINFO*>(start),
             const_cast<BYTE*>(start + offset), shared_rows.put());
  if (!shared_rows) return bitmap;
  UINT width = 0, height = 0;
  PIXET_CALL(GdipGetImageWidth, shared_rows.get(), &width);
  PIXET_CALL(GdipGetImageHeight, shared_rows.get(), &height);
  if (width == 0 || height == 0 || std::uint64_t{width} * height > kMostPixels) return bitmap;
  const engine::BitmapPixels in(shared_rows.get(), width, height, Gdiplus::ImageLockModeRead, PixelFormat32bppRGB);
  if (!in.locked()) return bitmap;
  PIXET_CALL(GdipCreateBitmapFromScan0, static_cast<INT>(width), static_cast<INT>(height), 0, PixelFormat32bppRGB,
             nullptr, bitmap.put());
  if (!bitmap) return bitmap;
  const engine::BitmapPixels out(bitmap.get(), width, height, Gdiplus::ImageLockModeWrite, PixelFormat32bppRGB);
  if (!out.locked()) return engine::unique_gp_bitmap();
  for (UINT y = 0; y < height; ++y) std::memcpy(out.row(y), in.row(y), std::size_t{width} * 4);
  return bitmap;
}

}  // namespace

UINT PngFormat() { return ::RegisterClipboardFormatW(L"PNG"); }

unique_hglobal PngBlock(Gdiplus::GpImage* image, const GUID& png) {
  unique_hglobal block(::GlobalAlloc(GMEM_MOVEABLE, 0));
  unique_stream stream;
  if (!block || ::CreateStreamOnHGlobal(block.get(), FALSE, stream.put()) != S_OK) return unique_hglobal();
  if (PIXET_CALL(GdipSaveImageToStream, image, stream.get(), &png, nullptr) != Gdiplus::Ok) return unique_hglobal();
  // The stream grew the block; it holds the file's bytes from its start, and its size may
  // be rounded up: the stream's own size is the file's.
  STATSTG stat{};
  if (stream.get()->Stat(&stat, STATFLAG_NONAME) != S_OK || stat.cbSize.QuadPart == 0) return unique_hglobal();
  HGLOBAL grown = nullptr;
  if (::GetHGlobalFromStream(stream.get(), &grown) != S_OK) return unique_hglobal();
  stream.reset();
  block.release();  // `grown` is the same block, perhaps moved
  unique_hglobal owned(grown);
  const SIZE_T size = static_cast<SIZE_T>(stat.cbSize.QuadPart);
  if (::GlobalSize(owned.get()) == size) return owned;
  const unique_hglobal_locked bytes(owned.get());
  return bytes ? CopyOf(bytes.get(), size) : unique_hglobal();
}

unique_hglobal DibV5Block(Gdiplus::GpBitmap* bitmap, UINT width, UINT height) {
  if (width == 0 || height == 0 || std::uint64_t{width} * height > kMostPixels) return unique_hglobal();
  const engine::BitmapPixels in(bitmap, width, height, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB);
  if (!in.locked()) return unique_hglobal();
  const SIZE_T row_bytes = SIZE_T{width} * 4;
  unique_hglobal block(::GlobalAlloc(GMEM_MOVEABLE, sizeof(BITMAPV5HEADER) + row_bytes * height));
  if (!block) return block;
  const unique_hglobal_locked to(block.get());
  if (!to) return unique_hglobal();
  BITMAPV5HEADER header{};
  header.bV5Size = sizeof header;
  header.bV5Width = static_cast<LONG>(width);
  header.bV5Height = static_cast<LONG>(height);  // bottom-up, as most readers expect
  header.bV5Planes = 1;
  header.bV5BitCount = 32;
  header.bV5Compression = BI_BITFIELDS;
  header.bV5SizeImage = static_cast<DWORD>(row_bytes * height);
  header.bV5RedMask = kRedMask;
  header.bV5GreenMask = kGreenMask;
  header.bV5BlueMask = kBlueMask;
  header.bV5AlphaMask = kAlphaMask;
  header.bV5CSType = 0x73524742;  // LCS_sRGB, "sRGB" (the header spells it as a multi-character constant)
  header.bV5Intent = LCS_GM_IMAGES;
  BYTE* out = static_cast<BYTE*>(to.get());
  std::memcpy(out, &header, sizeof header);
  out += sizeof header;
  // The engine's 32bppARGB rows are the same bytes as these masks: blue, green, red, alpha.
  for (UINT y = 0; y < height; ++y) std::memcpy(out + row_bytes * (height - 1 - y), in.row(y), row_bytes);
  return block;
}

engine::unique_gp_bitmap BitmapFromOpenClipboard() {
  if (HANDLE png = ::GetClipboardData(PngFormat()); png != nullptr)
    if (engine::unique_gp_bitmap bitmap = DecodedCopy(png)) return bitmap;
  for (UINT format : {UINT{CF_DIBV5}, UINT{CF_DIB}})
    if (engine::unique_gp_bitmap bitmap = FromDib(format)) return bitmap;
  engine::unique_gp_bitmap bitmap;
  // The clipboard owns the handle; the engine makes its own copy of the pixels.
  if (HBITMAP shared = static_cast<HBITMAP>(::GetClipboardData(CF_BITMAP)); shared != nullptr)
    PIXET_CALL(GdipCreateBitmapFromHBITMAP, shared, nullptr, bitmap.put());
  return bitmap;
}

}  // namespace pixet::clipboard
