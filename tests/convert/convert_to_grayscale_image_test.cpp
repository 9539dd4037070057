// Grayscale copies through the engine's colour matrix, and every way out.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/engine.h"
#include "pixet/pixet.h"
#include "pixet/refhost.h"
#include "support/counted_pixet.h"
#include "support/engine_counter.h"
#include "support/engine_tap.h"
#include "support/test_support.h"

using namespace pixet::testing;

namespace {

class Grayscale : public CountedPixetTest {};

unsigned Channel(std::uint32_t argb, int shift) { return (argb >> shift) & 0xFF; }

// Grey (all three channels within 1 of `level`) with the given alpha.
void ExpectGrey(const DecodedImage& image, unsigned x, unsigned y, unsigned level, unsigned alpha) {
  const std::uint32_t p = image.Pixel(x, y);
  EXPECT_EQ(Channel(p, 24), alpha) << x << "," << y;
  for (int shift : {16, 8, 0}) EXPECT_LE(std::abs(static_cast<int>(Channel(p, shift)) - static_cast<int>(level)), 1)
      << x << "," << y << " channel " << shift << " is " << Channel(p, shift);
}

TEST_F(Grayscale, LevelsAlphaAndSize) {
  const std::string target = Output("grey-primaries.png");
  RemoveFile(target);
  ASSERT_EQ(pixet_->ConvertToGrayscaleImage(Sample("primaries.png").c_str(), target.c_str()), 1);
  DecodedImage grey = Decode(target);
  ASSERT_TRUE(grey.ok);
  EXPECT_EQ(grey.width, 6u);
  EXPECT_EQ(grey.height, 2u);
  ExpectForIdentify("grey-primaries.png", "png", 6, 2);
  ExpectGrey(grey, 0, 0, 255, 255);  // white stays white: 3 x 255 x 0.35 is limited
  ExpectGrey(grey, 1, 0, 0, 255);    // black stays black
  ExpectGrey(grey, 2, 0, 89, 255);   // full red, green, blue: 255 x 0.35
  ExpectGrey(grey, 3, 0, 89, 255);
  ExpectGrey(grey, 4, 0, 89, 255);
  ExpectGrey(grey, 5, 0, 134, 255);  // 1.05 x the mean of 128
  ExpectGrey(grey, 0, 1, 89, 0x80);  // alpha passes through unchanged
  ExpectGrey(grey, 1, 1, 255, 0x40);
  EXPECT_EQ(Channel(grey.Pixel(2, 1), 24), 0u);
  ExpectGrey(grey, 3, 1, 89, 0xC0);
  ExpectGrey(grey, 4, 1, 0, 0x80);
  ExpectGrey(grey, 5, 1, 89, 0xFF);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(Grayscale, PhotoKeepsItsSize) {
  const std::string target = Output("grey-photo.jpg");
  ASSERT_EQ(pixet_->ConvertToGrayscaleImage(Sample("photo.jpg").c_str(), target.c_str()), 1);
  DecodedImage grey = Decode(target);
  EXPECT_EQ(grey.format, "jpeg");
  EXPECT_EQ(grey.width, 64u);
  EXPECT_EQ(grey.height, 48u);
  ExpectForIdentify("grey-photo.jpg", "jpeg", 64, 48);
}

// The saved bitmap is 32-bit, which the engine writes as GIF but cannot read back; the
// GIF is checked by its signature only.
TEST_F(Grayscale, EveryExtensionWritesItsOwnFormat) {
  struct Case {
    const char* name;
    const char* format;
  };
  for (const Case& c : {Case{"grey.jpeg", "jpeg"}, Case{"grey.JPG", "jpeg"}, Case{"grey.Tif", "tiff"},
                        Case{"grey.tiff", "tiff"}, Case{"grey.png", "png"}, Case{"grey.bmp", "bmp"}}) {
    const std::string target = Output(c.name);
    RemoveFile(target);
    EXPECT_EQ(pixet_->ConvertToGrayscaleImage(Sample("photo.png").c_str(), target.c_str()), 1) << c.name;
    EXPECT_EQ(Decode(target).format, c.format) << c.name;
    ExpectForIdentify(c.name, c.format, 64, 48);
  }
  const std::string gif = Output("grey-unreadable.gif");
  EXPECT_EQ(pixet_->ConvertToGrayscaleImage(Sample("photo.png").c_str(), gif.c_str()), 1);
  const auto bytes = ReadFileBytes(gif);
  ASSERT_GE(bytes.size(), 4u);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "GIF8");
}

TEST_F(Grayscale, EngineCallsInOrder) {
  ASSERT_EQ(pixet_->ConvertToGrayscaleImage(Sample("photo.png").c_str(), "grey-order.png"), 1);
  EXPECT_EQ(counter_.Order(),
            (std::vector<std::string>{
                "GdiplusStartup", "GdipGetImageEncodersSize", "GdipGetImageEncoders", "GdipLoadImageFromFile",
                "GdipGetImageHeight", "GdipGetImageWidth", "GdipCreateImageAttributes",
                "GdipSetImageAttributesColorMatrix", "GdipGetImageGraphicsContext", "GdipCreateBitmapFromGraphics",
                "GdipDeleteGraphics", "GdipGetImageGraphicsContext", "GdipDrawImageRectRectI", "GdipSaveImageToFile",
                "GdipDeleteGraphics", "GdipDisposeImage", "GdipDisposeImage", "GdipDisposeImageAttributes",
                "GdiplusShutdown"}));
  RemoveFile("grey-order.png");
}

// The matrix handed to the engine, caught on its way.
TEST_F(Grayscale, TheExactMatrix) {
  Gdiplus::ColorMatrix seen{};
  EngineTap<&pixet::engine::Table::GdipSetImageAttributesColorMatrix> set;
  set.after([&](Gdiplus::GpImageAttributes*, Gdiplus::ColorAdjustType, BOOL, const Gdiplus::ColorMatrix* matrix,
                const Gdiplus::ColorMatrix*, Gdiplus::ColorMatrixFlags) { seen = *matrix; });
  ASSERT_EQ(pixet_->ConvertToGrayscaleImage(Sample("photo.png").c_str(), "grey-matrix.bmp"), 1);
  ASSERT_EQ(set.calls().size(), 1u);
  const auto& [attributes, type, enable, matrix, grey, flags] = set.calls()[0];
  EXPECT_NE(attributes, nullptr);
  EXPECT_EQ(type, Gdiplus::ColorAdjustTypeDefault);
  EXPECT_EQ(enable, TRUE);
  EXPECT_EQ(grey, nullptr);
  EXPECT_EQ(flags, Gdiplus::ColorMatrixFlagsDefault);
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 5; ++j) {
      std::uint32_t bits = 0;
      std::memcpy(&bits, &seen.m[i][j], sizeof bits);
      const std::uint32_t want = (i < 3 && j < 3) ? 0x3EB33333u : (i == j && i >= 3) ? 0x3F800000u : 0u;
      EXPECT_EQ(bits, want) << "M[" << i << "][" << j << "]";
    }
  RemoveFile("grey-matrix.bmp");
}

TEST_F(Grayscale, UnknownExtensionsShowInvalidFormat) {
  for (const char* target : {"grey.jpe", "grey.tga", "grey"}) {
    ClearMessages();
    EXPECT_EQ(pixet_->ConvertToGrayscaleImage(Sample("photo.png").c_str(), target), 0) << target;
    EXPECT_FALSE(FileExists(target));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "Invalid Format!");
    EXPECT_FALSE(Messages()[0].has_caption);
  }
  EXPECT_EQ(counter_.Calls("GdipLoadImageFromFile"), 0);
  EXPECT_EQ(counter_.Startups(), 3);
}

TEST_F(Grayscale, ResultsOfTheOtherWaysOut) {
  RemoveFile("grey-none.png");
  EXPECT_EQ(pixet_->ConvertToGrayscaleImage("no-such-file.png", "grey-none.png"), 1) << "nothing to convert";
  EXPECT_EQ(pixet_->ConvertToGrayscaleImage(Sample("not-image.png").c_str(), "grey-none.png"), 1);
  EXPECT_FALSE(FileExists("grey-none.png"));
  EXPECT_EQ(pixet_->ConvertToGrayscaleImage(Sample("photo.png").c_str(), "no-such-folder\\grey.png"), 0)
      << "save fails";
  const std::string too_long = std::string(252, 'g') + ".png";
  counter_.Reset();
  EXPECT_EQ(pixet_->ConvertToGrayscaleImage(Sample("photo.png").c_str(), too_long.c_str()), 0);
  EXPECT_TRUE(counter_.Order().empty()) << "refused before the engine starts";
  const std::string fits = std::string(251, 'g') + ".png";
  EXPECT_EQ(pixet_->ConvertToGrayscaleImage(Sample("photo.png").c_str(), fits.c_str()), 1);
  EXPECT_TRUE(FileExists(fits));
  RemoveFile(fits);
  pixet_->ENGINELOADED = 0;
  counter_.Reset();
  EXPECT_EQ(pixet_->ConvertToGrayscaleImage(Sample("photo.png").c_str(), "grey-unbound.png"), 0);
  EXPECT_TRUE(counter_.Order().empty());
  EXPECT_TRUE(Messages().empty());
}

TEST_F(Grayscale, FailedStartUpShowsItsMessage) {
  {
    EngineTap<&pixet::engine::Table::GdiplusStartup> fail(Gdiplus::GenericError);
    EXPECT_EQ(pixet_->ConvertToGrayscaleImage(Sample("photo.png").c_str(), "grey-nostart.png"), 0);
  }
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].text, "Error initializing GDI+");
}

TEST_F(Grayscale, ControlSourceLeavesNoWorkingFile) {
  const auto png = ReadFileBytes(Sample("primaries.png"));
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, png.size());
  std::memcpy(::GlobalLock(block), png.data(), png.size());
  ::GlobalUnlock(block);
  pixet::refhost::RecordingHost host;
  host.SetValue(pixet::HostTarget::Current(7), pixet::HostProperty::ImageMemoryBlock,
                reinterpret_cast<std::intptr_t>(block));
  ScopedHost scoped(&host);
  RemoveFile("grey-control.png");
  EXPECT_EQ(pixet_->ConvertToGrayscaleImage("7", "grey-control.png"), 1);
  EXPECT_FALSE(FileExists("_vb_.xac"));
  DecodedImage grey = Decode("grey-control.png");
  ASSERT_TRUE(grey.ok);
  ExpectGrey(grey, 2, 0, 89, 255);
  EXPECT_EQ(pixet_->ConvertToGrayscaleImage("7", "grey-control.tga"), 0);
  EXPECT_FALSE(FileExists("_vb_.xac"));
  EXPECT_GE(CountReads(host, pixet::HostProperty::ImageMemoryBlock), 2);
  RemoveFile("grey-control.png");
  ::GlobalFree(block);
}

}  // namespace
