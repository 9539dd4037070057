// Conversion of real images through the engine, and every failure row.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "core/engine.h"
#include "pixet/pixet.h"
#include "pixet/refhost.h"
#include "support/counted_pixet.h"
#include "support/engine_counter.h"
#include "support/test_support.h"

using namespace pixet::testing;

namespace {

class ConvertImage : public CountedPixetTest {};

struct Case {
  const char* source;
  const char* target;
  const char* format;
  unsigned width, height;
};

// Converts one sample into out\ and checks what the engine and ImageMagick read back.
DecodedImage ConvertAndCheck(Pixet& pixet, const Case& c) {
  const std::string target = Output(c.target);
  RemoveFile(target);
  EXPECT_EQ(pixet.ConvertImage(Sample(c.source).c_str(), target.c_str()), 1) << c.target;
  DecodedImage out = Decode(target);
  EXPECT_TRUE(out.ok) << c.target;
  EXPECT_EQ(out.format, c.format) << c.target;
  EXPECT_EQ(out.width, c.width) << c.target;
  EXPECT_EQ(out.height, c.height) << c.target;
  ExpectForIdentify(c.target, c.format, c.width, c.height);
  return out;
}

TEST_F(ConvertImage, WritesEveryFormatFromTruecolourSources) {
  for (const Case& c : {Case{"photo.png", "from-png.jpg", "jpeg", 64, 48}, Case{"photo.png", "from-png.JPEG", "jpeg", 64, 48},
                        Case{"photo.jpg", "from-jpg.png", "png", 64, 48}, Case{"photo.jpg", "from-jpg.bmp", "bmp", 64, 48},
                        Case{"photo.bmp", "from-bmp.tif", "tiff", 64, 48}, Case{"photo.tif", "from-tif.TIFF", "tiff", 64, 48},
                        Case{"photo.png", "same-format.png", "png", 64, 48}})
    ConvertAndCheck(*pixet_, c);
  EXPECT_TRUE(Messages().empty());
}

// The engine writes GIF only from indexed (palette) images; both samples here are indexed.
TEST_F(ConvertImage, WritesGifFromIndexedSources) {
  for (const Case& c : {Case{"palette.png", "from-palette.gif", "gif", 40, 30},
                        Case{"indexed.gif", "from-gif.png", "png", 40, 30},
                        Case{"indexed.gif", "from-gif.GIF", "gif", 40, 30}}) {
    DecodedImage out = ConvertAndCheck(*pixet_, c);
    if (!out.ok) continue;
    EXPECT_EQ(out.Pixel(5, 5) & 0xFFFFFF, 0xFF0000u) << "left half red";
    EXPECT_EQ(out.Pixel(30, 5) & 0xFFFFFF, 0x0000FFu) << "right half blue";
  }
}

TEST_F(ConvertImage, PixelsSurviveALosslessRoundTrip) {
  const std::string bmp = Output("roundtrip.bmp");
  ASSERT_EQ(pixet_->ConvertImage(Sample("photo.png").c_str(), bmp.c_str()), 1);
  DecodedImage source = Decode(Sample("photo.png"));
  DecodedImage out = Decode(bmp);
  ASSERT_TRUE(out.ok);
  EXPECT_EQ(out.argb, source.argb);
}

TEST_F(ConvertImage, ReplacesAnExistingTarget) {
  WriteFileBytes("existing.png", "old contents, not an image");
  EXPECT_EQ(pixet_->ConvertImage(Sample("photo.jpg").c_str(), "existing.png"), 1);
  EXPECT_EQ(Decode("existing.png").format, "png");
  RemoveFile("existing.png");
}

TEST_F(ConvertImage, TargetThatNamesTheSourceFailsAndKeepsTheSource) {
  const auto png = ReadFileBytes(Sample("photo.png"));
  WriteFileBytes("self.png", std::string(png.begin(), png.end()));
  const auto before = ReadFileBytes("self.png");
  EXPECT_EQ(pixet_->ConvertImage("self.png", "self.png"), 0);
  EXPECT_EQ(ReadFileBytes("self.png"), before);
  EXPECT_TRUE(Messages().empty());
  RemoveFile("self.png");
}

TEST_F(ConvertImage, UnknownTargetExtensionShowsInvalidFormat) {
  for (const char* target : {"picture.xyz", "picture", "picture.jpe"}) {
    ClearMessages();
    EXPECT_EQ(pixet_->ConvertImage(Sample("photo.png").c_str(), target), 0) << target;
    EXPECT_FALSE(FileExists(target));
    ASSERT_EQ(Messages().size(), 1u) << target;
    EXPECT_EQ(Messages()[0].text, "Invalid Format!");
    EXPECT_FALSE(Messages()[0].has_caption);
    EXPECT_EQ(Messages()[0].icon, pixet::MessageIcon::None);
  }
  EXPECT_EQ(counter_.Calls("GdipLoadImageFromFile"), 0);
}

TEST_F(ConvertImage, UnloadableSourcesGiveOneAndWriteNothing) {
  for (const char* source : {"no-such-file.png", "not-image.png", "empty.png"}) {
    const std::string s = (std::string(source) == "no-such-file.png") ? source : Sample(source);
    RemoveFile("never.png");
    EXPECT_EQ(pixet_->ConvertImage(s.c_str(), "never.png"), 1) << source;
    EXPECT_FALSE(FileExists("never.png")) << source;
  }
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ConvertImage, TrailingBlanksAndLetterCaseInTheTarget) {
  RemoveFile("blanks.PnG");
  EXPECT_EQ(pixet_->ConvertImage((Sample("photo.jpg") + "   ").c_str(), "blanks.PnG      "), 1);
  EXPECT_EQ(FilesStartingWith("blanks."), std::vector<std::string>{"blanks.PnG"});
  EXPECT_EQ(Decode("blanks.PnG").format, "png");
  RemoveFile("blanks.PnG");
}

TEST_F(ConvertImage, TargetsLongerThan255CharactersAreRefusedBeforeStartUp) {
  const std::string long_target = std::string(252, 'a') + ".png";  // 256 characters
  EXPECT_EQ(pixet_->ConvertImage(Sample("photo.png").c_str(), long_target.c_str()), 0);
  EXPECT_EQ(counter_.Startups(), 0);
  EXPECT_TRUE(counter_.Order().empty());
  const std::string fits = std::string(251, 'b') + ".png";  // 255 characters
  EXPECT_EQ(pixet_->ConvertImage(Sample("photo.png").c_str(), fits.c_str()), 1);
  EXPECT_TRUE(FileExists(fits));
  RemoveFile(fits);
}

TEST_F(ConvertImage, MissingEngineEntriesActAsFailedCalls) {
  auto& table = *PixetEngineTable();
  auto saved = table.GdipSaveImageToFile;
  table.GdipSaveImageToFile = nullptr;
  EXPECT_EQ(pixet_->ConvertImage(Sample("photo.png").c_str(), "nosave.bmp"), 0);
  EXPECT_FALSE(FileExists("nosave.bmp"));
  table.GdipSaveImageToFile = saved;
}

TEST_F(ConvertImage, FailedStartUpShowsItsMessage) {
  auto& table = *PixetEngineTable();
  auto saved = table.GdiplusStartup;
  table.GdiplusStartup = nullptr;
  EXPECT_EQ(pixet_->ConvertImage(Sample("photo.png").c_str(), "nostart.bmp"), 0);
  table.GdiplusStartup = saved;
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].text, "Error initializing GDI+");
  EXPECT_FALSE(FileExists("nostart.bmp"));
}

// Sources that name image controls of the current target window.
class ControlSource : public ConvertImage {
 protected:
  void SetUp() override {
    ConvertImage::SetUp();
    const auto png = ReadFileBytes(Sample("photo.png"));
    block_ = ::GlobalAlloc(GMEM_MOVEABLE, png.size() + 100);  // blocks may be larger than the image
    void* p = ::GlobalLock(block_);
    std::memcpy(p, png.data(), png.size());
    ::GlobalUnlock(block_);
    host_.SetValue(pixet::HostTarget::Current(5), pixet::HostProperty::ImageMemoryBlock,
                   reinterpret_cast<std::intptr_t>(block_));
  }
  void TearDown() override {
    ConvertImage::TearDown();
    ::GlobalFree(block_);
  }
  HGLOBAL block_ = nullptr;
  pixet::refhost::RecordingHost host_;
  ScopedHost scoped_{&host_};
};

TEST_F(ControlSource, ConvertsTheControlsImage) {
  RemoveFile("control.bmp");
  EXPECT_EQ(pixet_->ConvertImage("5", "control.bmp"), 1);
  DecodedImage out = Decode("control.bmp");
  EXPECT_EQ(out.format, "bmp");
  EXPECT_EQ(out.width, 64u);
  EXPECT_GE(CountReads(host_, pixet::HostProperty::ImageMemoryBlock), 1);
  RemoveFile("control.bmp");
}

TEST_F(ControlSource, InvalidTargetStillRemovesTheWorkingFile) {
  EXPECT_EQ(pixet_->ConvertImage("5", "control.xyz"), 0);
  EXPECT_EQ(MessagesOf(host_).size(), 1u);
}

TEST_F(ControlSource, ControlWithoutImageGivesOneAndNoTarget) {
  RemoveFile("empty-control.png");
  EXPECT_EQ(pixet_->ConvertImage("6", "empty-control.png"), 1);
  EXPECT_FALSE(FileExists("empty-control.png"));
}

TEST_F(ControlSource, ZeroNegativeAndOtherTextAreFileNames) {
  for (const char* source : {"0", "-2", "abc", "7.5", "40000"}) {
    RemoveFile("numbers.png");
    EXPECT_EQ(pixet_->ConvertImage(source, "numbers.png"), 1) << source;
    EXPECT_FALSE(FileExists("numbers.png"));
  }
  EXPECT_EQ(CountReads(host_, pixet::HostProperty::ImageMemoryBlock), 0);
}

}  // namespace
