// Conversions through the engine: every format, GIF from indexed sources, lossless output,
// replaced and self targets, control sources, grey levels and the encoder lookup. Failure
// rows live in the hostile table.
#include <tuple>

#include "support/fixture.h"

using namespace pixet::testing;

namespace {

class Convert : public PixetTest {};

// Each target first holds junk, which the conversion replaces. The engine writes GIF only
// from indexed images (palette sources); grey GIFs are not written (32bpp, see the engine).
TEST_F(Convert, EachExtensionWritesItsFormatOverAnyOldTarget) {
  struct Row { const char *source, *target, *format; unsigned width; } rows[] = {
      {"photo.png", "a.jpg", "jpeg", 64},    {"photo.png", "b.JPEG", "jpeg", 64}, {"photo.jpg", "c.png", "png", 64},
      {"photo.jpg", "d.Bmp  ", "bmp", 64},   {"photo.bmp", "e.tif", "tiff", 64},  {"photo.tif", "f.TIFF", "tiff", 64},
      {"palette.png", "g.gif", "gif", 40},   {"indexed.gif", "h.png", "png", 40}};
  for (const Row& f : rows)
    for (auto convert : {&Pixet::ConvertImage, &Pixet::ConvertToGrayscaleImage}) {
      const bool grey = convert == &Pixet::ConvertToGrayscaleImage;
      if (grey && std::string(f.format) == "gif") continue;
      const std::string target = std::string(grey ? "grey-" : "") + f.target;
      WriteFileBytes(target, "old contents, not an image");
      EXPECT_EQ(((*pixet_).*convert)(Sample(f.source).c_str(), target.c_str()), 1) << target;
      const DecodedImage out = Decode(target), in = Decode(Sample(f.source));
      RemoveFile(target);
      EXPECT_EQ(out.format, f.format) << target;
      EXPECT_EQ(out.width, f.width) << target;
      EXPECT_TRUE(grey || out.format == "jpeg" || out.argb == in.argb) << target << " not lossless";
      // Grey from an indexed source needs a drawing surface of another format: red and blue halves alike.
      if (grey && f.width == 40) {
        EXPECT_TRUE(Near(out.Pixel(5, 5), 0x595959, 1) && out.Pixel(5, 5) == out.Pixel(30, 5)) << std::hex << out.Pixel(5, 5);
      }
    }
  ASSERT_EQ(pixet_->ConvertImage(Sample("photo.jpg").c_str(), "self.png"), 1);
  const auto before = ReadWholeFile("self.png");
  EXPECT_EQ(pixet_->ConvertImage("self.png", "self.png"), 0) << "a file is never its own target";
  EXPECT_EQ(ReadWholeFile("self.png"), before);
  RemoveFile("self.png");
}

// White stays white, full primaries become about 89, black stays black, grey 128 becomes
// 1.05 times its mean, and alpha passes through unchanged (the sample's two rows).
TEST_F(Convert, GreyLevels) {
  ASSERT_EQ(pixet_->ConvertToGrayscaleImage(Sample("primaries.png").c_str(), "grey.png"), 1);
  const DecodedImage grey = Decode("grey.png");
  RemoveFile("grey.png");
  ASSERT_EQ(grey.width, 6u);
  const unsigned want[2][6][2] = {{{255, 255}, {0, 255}, {89, 255}, {89, 255}, {89, 255}, {134, 255}},
                                  {{89, 0x80}, {255, 0x40}, {0, 0}, {89, 0xC0}, {0, 0x80}, {89, 0xFF}}};
  for (unsigned i = 0; i < 12; ++i) {
    const std::uint32_t p = grey.Pixel(i % 6, i / 6);
    const unsigned level = want[i / 6][i % 6][0], alpha = want[i / 6][i % 6][1];
    EXPECT_EQ(p >> 24, alpha) << i;
    EXPECT_TRUE(alpha == 0 || Near(p, RGB(level, level, level), 1)) << i << ": " << std::hex << p;
  }
}

// A fake engine with a larger encoder list than usual: the block handed to it must hold all
// it reported, and the lookup finds whole MIME types, letter case and trailing blanks aside.
SIZE_T g_block = 0;
WCHAR g_mimes[][12] = {L"image/png", L"image/jpeg", L"image/tiff"};
Gdiplus::GpStatus WINGDIPAPI FakeSize(UINT* count, UINT* size) {
  *count = 3;
  *size = 9000;
  return Gdiplus::Ok;
}
Gdiplus::GpStatus WINGDIPAPI FakeList(UINT count, UINT, Gdiplus::ImageCodecInfo* list) {
  g_block = ::GlobalSize(::GlobalHandle(list));
  for (UINT i = 0; i < count; ++i) {
    list[i].Clsid.Data1 = i + 1;
    list[i].MimeType = g_mimes[i];
  }
  return Gdiplus::Ok;
}

TEST_F(Convert, EncoderLookup) {
  engine_.Replace("GdipGetImageEncodersSize", reinterpret_cast<void*>(&FakeSize));
  engine_.Replace("GdipGetImageEncoders", reinterpret_cast<void*>(&FakeList));
  for (auto [asked, want] : {std::pair{"IMAGE/PNG", 1ul}, {"image/jpeg  ", 2ul}, {"Image/Tiff", 3ul}, {"image/tif", 0ul}}) {
    GUID clsid{};
    pixet_->GetEncoderClsid(asked, &clsid);
    EXPECT_EQ(clsid.Data1, want) << asked;
  }
  EXPECT_GE(g_block, 9000u);
}

}  // namespace
