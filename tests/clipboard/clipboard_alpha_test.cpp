// Images with transparency through the clipboard: what the copy puts there, read back with
// Win32 alone, and what the paste writes from what other programs put there.
#include <cstring>
#include <string>
#include <vector>

#include "pixet/pixet_c.h"
#include "support/fixture.h"

namespace pixet::testing {
namespace {

// The clipboard emptied and given only `format` with these bytes, as another program
// would leave it.
void PutOnly(UINT format, const std::vector<unsigned char>& bytes) {
  ASSERT_TRUE(::OpenClipboard(nullptr));
  ::EmptyClipboard();
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  std::memcpy(::GlobalLock(block), bytes.data(), bytes.size());
  ::GlobalUnlock(block);
  ASSERT_NE(::SetClipboardData(format, block), nullptr);
  ::CloseClipboard();
}

// The bytes the clipboard holds as `format`; empty when it holds none.
std::vector<unsigned char> Held(UINT format) {
  std::vector<unsigned char> bytes;
  if (!::OpenClipboard(nullptr)) return bytes;
  if (HANDLE block = ::GetClipboardData(format); block != nullptr) {
    const auto* at = static_cast<const unsigned char*>(::GlobalLock(block));
    bytes.assign(at, at + ::GlobalSize(block));
    ::GlobalUnlock(block);
  }
  ::CloseClipboard();
  return bytes;
}

const UINT kPng = ::RegisterClipboardFormatW(L"PNG");

// A CF_DIBV5 as browsers put it: 32-bit BI_BITFIELDS rows, bottom-up, straight alpha.
std::vector<unsigned char> DibV5Of(const DecodedImage& image) {
  BITMAPV5HEADER h{};
  h.bV5Size = sizeof h;
  h.bV5Width = static_cast<LONG>(image.width);
  h.bV5Height = static_cast<LONG>(image.height);
  h.bV5Planes = 1;
  h.bV5BitCount = 32;
  h.bV5Compression = BI_BITFIELDS;
  h.bV5RedMask = 0x00FF0000, h.bV5GreenMask = 0x0000FF00, h.bV5BlueMask = 0x000000FF, h.bV5AlphaMask = 0xFF000000;
  std::vector<unsigned char> bytes(sizeof h + 4 * image.argb.size());
  std::memcpy(bytes.data(), &h, sizeof h);
  for (unsigned y = 0; y < image.height; ++y)
    std::memcpy(&bytes[sizeof h + 4 * (image.height - 1 - y) * image.width], &image.argb[y * image.width], 4 * image.width);
  return bytes;
}

// The pixels of a packed 32-bit CF_DIBV5 as 0xAARRGGBB, top row first; empty unless it is
// one with the usual masks.
std::vector<std::uint32_t> PixelsOfDibV5(const std::vector<unsigned char>& bytes) {
  BITMAPV5HEADER h{};
  if (bytes.size() < sizeof h) return {};
  std::memcpy(&h, bytes.data(), sizeof h);
  if (h.bV5Size != sizeof h || h.bV5BitCount != 32 || h.bV5Compression != BI_BITFIELDS || h.bV5AlphaMask != 0xFF000000 ||
      h.bV5RedMask != 0x00FF0000 || h.bV5GreenMask != 0x0000FF00 || h.bV5BlueMask != 0x000000FF || h.bV5Height <= 0)
    return {};
  const std::size_t w = h.bV5Width, rows = h.bV5Height;
  if (bytes.size() < sizeof h + 4 * w * rows) return {};
  std::vector<std::uint32_t> argb(w * rows);
  for (std::size_t y = 0; y < rows; ++y) std::memcpy(&argb[y * w], &bytes[sizeof h + 4 * (rows - 1 - y) * w], 4 * w);
  return argb;
}

using ClipboardAlpha = PixetTest;

// The three forms, each read back with Win32 alone: "PNG" decodes to the source's pixels and
// alpha; CF_DIBV5 holds them exactly, alpha straight; CF_BITMAP is the picture over white.
// The current window owns the clipboard, as after CopyToClipboard.
TEST_F(ClipboardAlpha, CopyPutsPngDibV5AndABitmap) {
  PixetHostWindow* current = host_.OpenWindow("current", 100, 80, 400, 0);
  DesktopHost::SetCurrentWindow(current);
  for (const char* sample : {"primaries.png", "transparent.png", "photo.jpg"}) {
    const DecodedImage source = Decode(Sample(sample));
    PutText("before");
    ASSERT_EQ(pixet_->CopyToClipboardWithAlpha(Sample(sample).c_str()), 1) << sample;
    EXPECT_EQ(::GetClipboardOwner(), host_.WindowHwnd(current)) << sample;
    EXPECT_EQ(ClipboardText(), "") << sample;
    const std::vector<unsigned char> png = Held(kPng);
    WriteFileBytes("clip.png", std::string(png.begin(), png.end()));
    const DecodedImage from_png = Decode("clip.png");
    RemoveFile("clip.png");
    EXPECT_EQ(from_png.format, "png") << sample;
    EXPECT_EQ(from_png.argb, source.argb) << sample;
    EXPECT_EQ(PixelsOfDibV5(Held(CF_DIBV5)), source.argb) << sample;
    const Pixels opaque = ClipboardPixels();
    ASSERT_EQ(opaque.rgb.size(), source.argb.size()) << sample;
    for (std::size_t i = 0; i < source.argb.size(); ++i) {
      const std::uint32_t a = source.argb[i] >> 24;
      for (int shift : {0, 8, 16}) {  // each channel over white
        const int c = source.argb[i] >> shift & 0xFF, over_white = (c * a + 255 * (255 - a) + 127) / 255;
        EXPECT_NEAR(static_cast<int>(opaque.rgb[i] >> shift & 0xFF), over_white, 2) << sample << " pixel " << i;
      }
    }
  }
  EXPECT_EQ(TakeMessages(), std::vector<std::string>{});
}

// What another program left on the clipboard, alone: "PNG" and CF_DIBV5 keep their alpha in
// a PNG target; a CF_BITMAP gives an opaque picture; text gives 0 and no file. The C and
// UTF-16 forms too.
TEST_F(ClipboardAlpha, PasteTakesWhatOtherProgramsLeave) {
  const DecodedImage source = Decode(Sample("primaries.png"));
  const std::vector<unsigned char> png_file = ReadWholeFile(Sample("primaries.png"));
  const struct { const char* label; std::function<void()> put; bool alpha; } rows[] = {
      {"PNG", [&] { PutOnly(kPng, png_file); }, true},
      {"DIBV5", [&] { PutOnly(CF_DIBV5, DibV5Of(source)); }, true},
      {"BITMAP", [&] { PutBitmap(FilePixels(Sample("primaries.png"))); }, false}};
  for (const auto& row : rows) {
    row.put();
    RemoveFile("pasted.png");
    ASSERT_EQ(pixet_->PasteFromClipboard("pasted.png"), 1) << row.label;
    const DecodedImage pasted = Decode("pasted.png");
    EXPECT_EQ(pasted.format, "png") << row.label;
    ASSERT_EQ(pasted.argb.size(), source.argb.size()) << row.label;
    for (std::size_t i = 0; i < source.argb.size(); ++i) {
      if (row.alpha) {
        EXPECT_EQ(pasted.argb[i], source.argb[i]) << row.label << " pixel " << i;
      } else {
        EXPECT_EQ(pasted.argb[i] >> 24, 0xFFu) << row.label << " pixel " << i;
      }
    }
  }
  PutText("no image here");
  RemoveFile("pasted.png");
  EXPECT_EQ(PixetPasteFromClipboard(pixet_.get(), "pasted.png"), 0);
  EXPECT_FALSE(FileExists("pasted.png"));
  EXPECT_EQ(TakeMessages(), std::vector<std::string>{});
  RemoveFile("pasted.png");
}

// Copy, then paste into every format: alpha survives where the format holds it; a target
// named outside the code page through the UTF-16 forms; a file that gives no image, or an
// unknown extension, fails with the messages of CopyToClipboard and ConvertImage.
TEST_F(ClipboardAlpha, AlphaSurvivesCopyThenPaste) {
  const DecodedImage source = Decode(Sample("transparent.png"));
  const std::wstring name = L"\u0432\u0441\u0442\u0430\u0432\u043a\u0430";
  ASSERT_EQ(PixetCopyToClipboardWithAlphaW(pixet_.get(), Wide(Sample("transparent.png")).c_str()), 1);
  const struct { std::wstring target; const char* format; bool alpha; } rows[] = {
      {name + L".png", "png", true}, {name + L".tif", "tiff", true}, {name + L".gif", "gif", true},
      {name + L".jpg", "jpeg", false}, {name + L".bmp", "bmp", false}};
  for (const auto& row : rows) {
    ASSERT_EQ(pixet_->PasteFromClipboardW(row.target.c_str()), 1) << row.format;
    ASSERT_TRUE(::CopyFileW(row.target.c_str(), L"pasted-check", FALSE)) << row.format;
    const DecodedImage pasted = Decode("pasted-check");
    RemoveFile("pasted-check");
    EXPECT_TRUE(::DeleteFileW(row.target.c_str()));
    EXPECT_EQ(pasted.format, row.format);
    ASSERT_EQ(pasted.argb.size(), source.argb.size()) << row.format;
    int differ = 0;
    for (std::size_t i = 0; i < source.argb.size(); ++i) {
      const std::uint32_t want = source.argb[i];
      if (row.alpha) differ += (pasted.argb[i] >> 24) != (want >> 24) || ((want >> 24) != 0 && pasted.argb[i] != want);
      else differ += (want >> 24) != 0 && (pasted.argb[i] & 0xFFFFFF) != (want & 0xFFFFFF) && row.format[0] == 'b';
    }
    EXPECT_EQ(differ, 0) << row.format;
  }
  EXPECT_EQ(pixet_->CopyToClipboardWithAlpha("no-such-image.png"), 0);
  EXPECT_EQ(pixet_->PasteFromClipboard("pasted.xyz"), 0);
  EXPECT_FALSE(FileExists("pasted.xyz"));
  EXPECT_EQ(TakeMessages(), (std::vector<std::string>{"There was an error while loading the bitmap", "Invalid Format!"}));
}

// A packed DIB: `header` (its biSize says how long), then `extra` bytes (masks, colour
// table), then `rows`.
std::vector<unsigned char> Dib(const BITMAPV5HEADER& header, std::vector<unsigned char> extra,
                               const std::vector<unsigned char>& rows) {
  std::vector<unsigned char> bytes(reinterpret_cast<const unsigned char*>(&header),
                                   reinterpret_cast<const unsigned char*>(&header) + header.bV5Size);
  bytes.insert(bytes.end(), extra.begin(), extra.end());
  bytes.insert(bytes.end(), rows.begin(), rows.end());
  return bytes;
}

BITMAPV5HEADER Header(DWORD size, LONG width, LONG height, WORD bits, DWORD compression) {
  BITMAPV5HEADER h{};
  h.bV5Size = size, h.bV5Width = width, h.bV5Height = height, h.bV5Planes = 1, h.bV5BitCount = bits;
  h.bV5Compression = compression;
  return h;
}

// Odd and hostile clipboard contents, each alone on the clipboard: what the paste writes
// (the pixels of a 2 x 2 picture, top row first, as 0xAARRGGBB) or that it writes nothing.
TEST_F(ClipboardAlpha, OddClipboardContentsArePastedRightOrNotAtAll) {
  const std::vector<unsigned char> rows32 = {  // bottom row first: blue, white; then red, green, half alpha
      0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0xFF, 0x80, 0, 0xFF, 0, 0x80};
  const std::vector<std::uint32_t> picture = {0x80FF0000, 0x8000FF00, 0xFF0000FF, 0xFFFFFFFF};
  const std::vector<std::uint32_t> opaque = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
  BITMAPV5HEADER v5 = Header(sizeof(BITMAPV5HEADER), 2, 2, 32, BI_BITFIELDS);
  v5.bV5RedMask = 0x00FF0000, v5.bV5GreenMask = 0x0000FF00, v5.bV5BlueMask = 0x000000FF, v5.bV5AlphaMask = 0xFF000000;
  BITMAPV5HEADER no_alpha_mask = v5;
  no_alpha_mask.bV5AlphaMask = 0;
  BITMAPV5HEADER top_down = v5;
  top_down.bV5Height = -2;
  std::vector<unsigned char> rows_top_down(rows32.begin() + 8, rows32.end());
  rows_top_down.insert(rows_top_down.end(), rows32.begin(), rows32.begin() + 8);
  BITMAPV5HEADER huge = v5;
  huge.bV5Width = 100000, huge.bV5Height = 100000;
  BITMAPV5HEADER with_palette = Header(40, 2, 2, 32, BI_RGB);
  with_palette.bV5ClrUsed = 2;  // an optional palette between header and rows
  BITMAPV5HEADER overlong = v5;
  overlong.bV5Size = 4000;
  const std::vector<unsigned char> masks = {0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0};  // red, green, blue
  const std::vector<unsigned char> rows24 = {0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0xFF, 0, 0xFF, 0, 0, 0};  // rows of 8
  const struct { const char* label; UINT format; std::vector<unsigned char> bytes; std::vector<std::uint32_t> pixels; } rows[] = {
      {"V5 with alpha", CF_DIBV5, Dib(v5, {}, rows32), picture},
      {"V5 top-down", CF_DIBV5, Dib(top_down, {}, rows_top_down), picture},
      {"V5 without an alpha mask", CF_DIBV5, Dib(no_alpha_mask, {}, rows32), opaque},
      {"DIB, alpha in BI_RGB pixels", CF_DIB, Dib(Header(40, 2, 2, 32, BI_RGB), {}, rows32), picture},
      {"DIB, three masks", CF_DIB, Dib(Header(40, 2, 2, 32, BI_BITFIELDS), masks, rows32), opaque},
      {"DIB, 24 bits", CF_DIB, Dib(Header(40, 2, 2, 24, BI_RGB), {}, rows24), opaque},
      {"DIB, 32 bits with a palette", CF_DIB, Dib(with_palette, std::vector<unsigned char>(8, 0x11), rows32), picture},
      {"V5 rows cut short", CF_DIBV5, Dib(v5, {}, std::vector<unsigned char>(rows32.begin(), rows32.begin() + 9)), {}},
      {"V5 of 100000 x 100000", CF_DIBV5, Dib(huge, {}, rows32), {}},
      {"header longer than the block", CF_DIBV5, Dib(v5, {}, rows32), {}},
      {"V5 of width 0", CF_DIBV5, Dib(Header(sizeof(BITMAPV5HEADER), 0, 2, 32, BI_BITFIELDS), {}, rows32), {}},
      {"PNG that is no PNG", kPng, {'n', 'o', 't', ' ', 'p', 'n', 'g'}, {}}};
  for (const auto& row : rows) {
    std::vector<unsigned char> bytes = row.bytes;
    if (std::string(row.label) == "header longer than the block") std::memcpy(bytes.data(), &overlong.bV5Size, 4);
    PutOnly(row.format, bytes);
    RemoveFile("odd.png");
    const std::int32_t result = pixet_->PasteFromClipboard("odd.png");
    EXPECT_EQ(result, row.pixels.empty() ? 0 : 1) << row.label;
    EXPECT_EQ(Decode("odd.png").argb, row.pixels) << row.label;
  }
  RemoveFile("odd.png");
  EXPECT_EQ(TakeMessages(), std::vector<std::string>{});
}

}  // namespace
}  // namespace pixet::testing
