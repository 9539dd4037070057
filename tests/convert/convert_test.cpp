// Conversions through the engine: every format, GIF from indexed sources, lossless round
// trip, replacing and self-targets, control sources, grey levels, the encoder lookup, and
// the picture control's resize. Failure rows live in the hostile table.
#include <cstring>
#include <tuple>

#include "core/engine.h"
#include "support/fixture.h"

using namespace pixet::testing;
using pixet::HostProperty;
using pixet::HostTarget;

namespace {

class Convert : public PixetTest {
 protected:
  // Shows `file` in image control `field` of the current window, as a host holds it.
  void ShowInControl(std::int16_t field, const std::string& file) {
    const auto bytes = ReadFileBytes(file);
    host_.WritePropertyBytes(HostTarget::Current(field), HostProperty::ImageFileBytes, bytes.data(), bytes.size());
  }
};

struct Format {
  const char* source;
  const char* target;
  const char* format;
  unsigned width;
};

TEST_F(Convert, EachExtensionWritesItsFormat) {
  // The engine writes GIF only from indexed images: those rows start from palette sources.
  for (const Format& f : {Format{"photo.png", "a.jpg", "jpeg", 64}, {"photo.png", "b.JPEG", "jpeg", 64},
                          {"photo.jpg", "c.png", "png", 64}, {"photo.jpg", "d.Bmp", "bmp", 64},
                          {"photo.bmp", "e.tif", "tiff", 64}, {"photo.tif", "f.TIFF", "tiff", 64},
                          {"palette.png", "g.gif", "gif", 40}, {"indexed.gif", "h.png", "png", 40}}) {
    for (auto convert : {&Pixet::ConvertImage, &Pixet::ConvertToGrayscaleImage}) {
      const bool grey = convert == &Pixet::ConvertToGrayscaleImage;
      if (grey && std::strstr(f.source, "photo") == nullptr) continue;  // indexed sources: see below
      const std::string target = Output(std::string(grey ? "grey-" : "") + f.target);
      RemoveFile(target);
      EXPECT_EQ(((*pixet_).*convert)(Sample(f.source).c_str(), target.c_str()), 1) << target;
      const DecodedImage out = Decode(target);
      EXPECT_EQ(out.format, f.format) << target;
      EXPECT_EQ(out.width, f.width) << target;
    }
  }
  EXPECT_EQ(Decode(Output("g.gif")).Pixel(30, 5) & 0xFFFFFF, 0x0000FFu) << "right half of the GIF blue";
}

TEST_F(Convert, LosslessRoundTripKeepsEveryPixel) {
  ASSERT_EQ(pixet_->ConvertImage(Sample("photo.png").c_str(), "round.bmp  "), 1) << "trailing blanks dropped";
  EXPECT_EQ(Decode("round.bmp").argb, Decode(Sample("photo.png")).argb);
  RemoveFile("round.bmp");
}

TEST_F(Convert, ReplacesATargetButNeverItsOwnSource) {
  WriteFileBytes("existing.png", "old contents, not an image");
  EXPECT_EQ(pixet_->ConvertImage(Sample("photo.jpg").c_str(), "existing.png"), 1);
  EXPECT_EQ(Decode("existing.png").format, "png");
  const auto before = ReadFileBytes("existing.png");
  EXPECT_EQ(pixet_->ConvertImage("existing.png", "existing.png"), 0);
  EXPECT_EQ(ReadFileBytes("existing.png"), before);
  RemoveFile("existing.png");
}

TEST_F(Convert, NumberedSourcesAreTheControlsImage) {
  ASSERT_TRUE(host_.AddControl(window_, 7, 100, 10, 40, 30, ControlKind::Image));
  ShowInControl(7, Sample("primaries.png"));
  EXPECT_EQ(pixet_->ConvertImage("7", "control.bmp"), 1);
  EXPECT_EQ(Decode("control.bmp").width, 6u);
  RemoveFile("control.bmp");
  // The control's image is written out before the target is looked at, and still removed.
  WriteFileBytes("_vb_.xac", "stale");
  EXPECT_EQ(pixet_->ConvertToGrayscaleImage("7", "control.tga"), 0);
  EXPECT_EQ(TakeMessages(), std::vector<std::string>{"Invalid Format!"});
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
  for (unsigned y = 0; y < 2; ++y)
    for (unsigned x = 0; x < 6; ++x) {
      const std::uint32_t p = grey.Pixel(x, y);
      EXPECT_EQ(p >> 24, want[y][x][1]) << x << "," << y;
      if (want[y][x][1] == 0) continue;
      for (int shift : {16, 8, 0}) EXPECT_NEAR((p >> shift) & 0xFF, want[y][x][0], 1) << x << "," << y;
    }
}

// An indexed source fails when the engine gives it no drawing surface; Wine's engine gives
// one, and then both halves (pure red, pure blue) must come out the same grey.
TEST_F(Convert, GreyFromAnIndexedSource) {
  const std::int32_t result = pixet_->ConvertToGrayscaleImage(Sample("indexed.gif").c_str(), "grey-indexed.png");
  const DecodedImage grey = Decode("grey-indexed.png");
  RemoveFile("grey-indexed.png");
  if (result == 0) return;
  ASSERT_TRUE(grey.ok);
  EXPECT_NEAR(grey.Pixel(5, 5) & 0xFF, 89, 1);
  EXPECT_EQ(grey.Pixel(5, 5), grey.Pixel(30, 5));
}

// The engine's own encoder list, read with GDI+ linked directly.
GUID EncoderFor(const wchar_t* mime) {
  UINT count = 0, size = 0;
  Gdiplus::DllExports::GdipGetImageEncodersSize(&count, &size);
  std::vector<unsigned char> block(size);
  auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(block.data());
  Gdiplus::DllExports::GdipGetImageEncoders(count, size, codecs);
  for (UINT i = 0; i < count; ++i)
    if (std::wcscmp(codecs[i].MimeType, mime) == 0) return codecs[i].Clsid;
  return GUID{};
}

TEST_F(Convert, EncoderLookupIgnoresCaseAndTrailingBlanks) {
  EngineStarted started;  // the caller's start-up, as the saving methods have
  for (auto [asked, mime] : {std::pair{"IMAGE/PNG", L"image/png"}, {"image/jpeg  ", L"image/jpeg"},
                             {"image/bmp", L"image/bmp"}, {"Image/Tiff", L"image/tiff"}, {"image/gif", L"image/gif"},
                             {"image/x-unknown", L""}}) {
    GUID clsid{};
    pixet_->GetEncoderClsid(asked, &clsid);
    EXPECT_EQ(clsid, EncoderFor(mime)) << asked;
  }
}

// An engine whose encoder list is larger than usual: the block handed to it must hold
// everything it reported.
UINT g_reported = 0;
SIZE_T g_block = 0;
Gdiplus::GpStatus WINGDIPAPI FakeSize(UINT* count, UINT* size) {
  *count = 1;
  *size = g_reported;
  return Gdiplus::Ok;
}
Gdiplus::GpStatus WINGDIPAPI FakeList(UINT, UINT size, Gdiplus::ImageCodecInfo* list) {
  g_block = ::GlobalSize(::GlobalHandle(list));
  std::memset(list, 0, size);
  static WCHAR mime[] = L"image/fake";
  list[0].Clsid.Data1 = 0xFACE;
  list[0].MimeType = mime;
  return Gdiplus::Ok;
}

TEST_F(Convert, EncoderListBlockHoldsTheReportedSize) {
  auto& table = *PixetEngineTable();
  const auto saved = std::pair{table.GdipGetImageEncodersSize, table.GdipGetImageEncoders};
  table.GdipGetImageEncodersSize = &FakeSize;
  table.GdipGetImageEncoders = &FakeList;
  for (UINT reported : {200u, 9000u}) {
    g_reported = reported;
    GUID clsid{};
    pixet_->GetEncoderClsid("IMAGE/FAKE", &clsid);
    EXPECT_GE(g_block, reported);
    EXPECT_EQ(clsid.Data1, 0xFACEu);
  }
  std::tie(table.GdipGetImageEncodersSize, table.GdipGetImageEncoders) = saved;
}

TEST_F(Convert, ResizeFitsTheNewestPictureToTheCurrentWindow) {
  ASSERT_EQ(pixet_->DisplayImageAsBackground(window_, Sample("halves.png").c_str(), 0), 0);
  const HWND first = pixet_->HPICTUREBOX;
  ASSERT_EQ(pixet_->DisplayImage(window_, Sample("halves.png").c_str(), kImage, 0, 0), 1);
  const HWND newest = pixet_->HPICTUREBOX;
  const HBITMAP held = reinterpret_cast<HBITMAP>(::SendMessageA(newest, STM_GETIMAGE, IMAGE_BITMAP, 0));
  host_.ResizeWindow(window_, 400, 300);
  pixet_->ResizeImage();
  RECT window, picture, old;
  ::GetWindowRect(host_.WindowHwnd(window_), &window);
  ::GetClientRect(newest, &picture);
  ::GetClientRect(first, &old);
  EXPECT_EQ(picture.right, window.right - window.left);
  EXPECT_EQ(picture.bottom, window.bottom - window.top);
  EXPECT_NE(old.right, picture.right) << "only the newest is fitted";
  EXPECT_EQ(reinterpret_cast<HBITMAP>(::SendMessageA(newest, STM_GETIMAGE, IMAGE_BITMAP, 0)), held) << "not redrawn";
}

// Sizes reach the system as signed 16-bit values: a host size of 65636 becomes 100.
TEST_F(Convert, ResizeReducesSizesTo16Bits) {
  ASSERT_NE(pixet_->CreatePictureBox(window_, kImage, 0), 0);
  pixet::refhost::RecordingHost giant;
  giant.SetEchoWrites(true);
  giant.SetValue(HostTarget::Current(), HostProperty::Width, 65636);
  giant.SetValue(HostTarget::Current(), HostProperty::Height, 65586);
  ScopedHost registered(&giant);
  pixet_->ResizeImage();
  RECT r;
  ::GetClientRect(pixet_->HPICTUREBOX, &r);
  EXPECT_EQ(r.right, 100);
  EXPECT_EQ(r.bottom, 50);
}

}  // namespace
