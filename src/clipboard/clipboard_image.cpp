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

// A channel's mask: the position of its lowest bit and how many bits run from there.
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
    return static_cast<BYTE>(std::uint64_t{value} * 255u / most);  // no overflow for wide masks
  }
};

// A packed DIB's parts, checked against its block: the header, its masks (red, green, blue,
// alpha: in the header from a 52-byte one on, or three after a 40-byte one), and rows that
// lie wholly inside the block. Only uncompressed layouts (BI_RGB, BI_BITFIELDS) are read.
struct PackedDib {
  const BITMAPINFOHEADER* header = nullptr;
  DWORD masks[4] = {kRedMask, kGreenMask, kBlueMask, 0};
  const BYTE* rows = nullptr;
  std::uint64_t width = 0, height = 0, stride = 0;

  bool Read(const BYTE* block, SIZE_T size) {
    if (size < sizeof(BITMAPINFOHEADER)) return false;
    header = reinterpret_cast<const BITMAPINFOHEADER*>(block);
    const DWORD header_size = header->biSize, bits = header->biBitCount;
    const bool bitfields = header->biCompression == BI_BITFIELDS;
    if (header_size < sizeof(BITMAPINFOHEADER) || header_size > size || header->biWidth <= 0 || header->biHeight == 0 ||
        (header->biCompression != BI_RGB && !bitfields) || (bitfields && bits != 16 && bits != 32) ||
        (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32))
      return false;
    width = static_cast<std::uint64_t>(header->biWidth);
    height = header->biHeight < 0 ? 0ull - static_cast<std::uint64_t>(static_cast<std::int64_t>(header->biHeight))
                                  : static_cast<std::uint64_t>(header->biHeight);
    if (width * height > kMostPixels) return false;
    std::uint64_t offset = header_size;
    if (bitfields && header_size == sizeof(BITMAPINFOHEADER)) {
      offset += 12;
      if (offset > size) return false;
      std::memcpy(masks, block + header_size, 12);
    } else if (header_size >= 52) {  // BITMAPV2INFOHEADER on: the masks follow the 40 bytes
      std::memcpy(masks, block + 40, header_size >= 56 ? 16 : 12);
      if (!bitfields) masks[0] = kRedMask, masks[1] = kGreenMask, masks[2] = kBlueMask;  // BI_RGB's own layout
    }
    if (bits <= 8) {
      const std::uint64_t colours = header->biClrUsed != 0 ? header->biClrUsed : 1ull << bits;
      if (colours > (1ull << bits)) return false;
      offset += colours * sizeof(RGBQUAD);
    } else if (header->biClrUsed != 0) {  // a palette for devices that want one, before the rows
      if (header->biClrUsed > 256) return false;
      offset += std::uint64_t{header->biClrUsed} * sizeof(RGBQUAD);
    }
    stride = (width * bits + 31) / 32 * 4;
    rows = block + offset;
    return offset + stride * height <= size;
  }
};

// A 32-bit DIB read through its masks: alpha where it has an alpha mask, or, in BI_RGB,
// where the pixels carry alpha somewhere (some programs put it there); else opaque.
engine::unique_gp_bitmap FromDib32(const PackedDib& dib) {
  engine::unique_gp_bitmap bitmap;
  const DWORD* const words = reinterpret_cast<const DWORD*>(dib.rows);
  DWORD alpha_mask = dib.masks[3];
  if (dib.header->biCompression == BI_RGB && alpha_mask == 0)
    for (std::uint64_t i = 0; i < dib.width * dib.height && alpha_mask == 0; ++i)
      if ((words[i] & kAlphaMask) != 0) alpha_mask = kAlphaMask;
  const Channel red(dib.masks[0]), green(dib.masks[1]), blue(dib.masks[2]), alpha(alpha_mask);
  const UINT width = static_cast<UINT>(dib.width), height = static_cast<UINT>(dib.height);
  PIXET_CALL(GdipCreateBitmapFromScan0, static_cast<INT>(width), static_cast<INT>(height), 0, PixelFormat32bppARGB,
             nullptr, bitmap.put());
  if (!bitmap) return bitmap;
  const engine::BitmapPixels out(bitmap.get(), width, height, Gdiplus::ImageLockModeWrite, PixelFormat32bppARGB);
  if (!out.locked()) return engine::unique_gp_bitmap();
  for (UINT y = 0; y < height; ++y) {
    // Rows run bottom-up unless the height is negative.
    const DWORD* row = words + (dib.header->biHeight > 0 ? height - 1 - y : y) * dib.width;
    auto* to = reinterpret_cast<DWORD*>(out.row(y));
    for (UINT x = 0; x < width; ++x) {
      const DWORD p = row[x];
      to[x] = static_cast<DWORD>(alpha.Of(p)) << 24 | static_cast<DWORD>(red.Of(p)) << 16 |
              static_cast<DWORD>(green.Of(p)) << 8 | blue.Of(p);
    }
  }
  return bitmap;
}

// Any other uncompressed DIB, read by GDI as the system reads one (opaque).
engine::unique_gp_bitmap FromOtherDib(const PackedDib& dib) {
  engine::unique_gp_bitmap bitmap;
  const unique_window_dc screen = AcquireDC(nullptr);
  if (!screen) return bitmap;
  const unique_hbitmap made(::CreateDIBitmap(screen.get().dc, dib.header, CBM_INIT, dib.rows,
                                             reinterpret_cast<const BITMAPINFO*>(dib.header), DIB_RGB_COLORS));
  if (made) PIXET_CALL(GdipCreateBitmapFromHBITMAP, made.get(), nullptr, bitmap.put());  // a copy of the pixels
  return bitmap;
}

// The clipboard's packed DIB in `format` (CF_DIBV5 or CF_DIB), or null.
engine::unique_gp_bitmap FromDib(UINT format) {
  HANDLE shared = ::GetClipboardData(format);
  if (shared == nullptr) return engine::unique_gp_bitmap();
  const SIZE_T size = ::GlobalSize(shared);
  const unique_hglobal_locked block(shared);
  PackedDib dib;
  if (!block || !dib.Read(static_cast<const BYTE*>(block.get()), size)) return engine::unique_gp_bitmap();
  return dib.header->biBitCount == 32 ? FromDib32(dib) : FromOtherDib(dib);
}

// The first of CF_DIBV5, CF_DIB and CF_BITMAP that was put on the clipboard: the system
// makes the other two from it on request, and lists them after what was put. 0 for none.
UINT PlacedPictureFormat() {
  for (UINT format = ::EnumClipboardFormats(0); format != 0; format = ::EnumClipboardFormats(format))
    if (format == CF_DIBV5 || format == CF_DIB || format == CF_BITMAP) return format;
  return 0;
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
  // What was put is read, never a form the system made from it: a DIB it cannot read
  // gives nothing rather than the system's guess.
  const UINT placed = PlacedPictureFormat();
  if (placed == CF_DIBV5) return FromDib(CF_DIBV5);
  // A placed bitmap goes through the engine's own copy of its pixels.
  if (placed == CF_DIB) return FromDib(CF_DIB);
  engine::unique_gp_bitmap bitmap;
  if (placed != CF_BITMAP) return bitmap;
  if (HBITMAP shared = static_cast<HBITMAP>(::GetClipboardData(CF_BITMAP)); shared != nullptr)
    PIXET_CALL(GdipCreateBitmapFromHBITMAP, shared, nullptr, bitmap.put());
  return bitmap;
}

}  // namespace pixet::clipboard
