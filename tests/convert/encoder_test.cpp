// Target extension to MIME type, and MIME type to the engine's encoder.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "convert/encoder.h"
#include "core/engine.h"
#include "pixet/pixet.h"
#include "support/test_support.h"

using pixet::MimeTypeForTarget;

namespace {

std::string Mime(const char* target) {
  const char* m = MimeTypeForTarget(target);
  return m != nullptr ? m : "(none)";
}

TEST(MimeTypeForTarget, ExtensionsInAnyLetterCase) {
  EXPECT_EQ(Mime("photo.jpeg"), "image/jpeg");
  EXPECT_EQ(Mime("PHOTO.JPEG"), "image/jpeg");
  EXPECT_EQ(Mime("c:\\pictures\\photo.Jpeg"), "image/jpeg");
  EXPECT_EQ(Mime("x.jpg"), "image/jpeg");
  EXPECT_EQ(Mime("x.Bmp"), "image/bmp");
  EXPECT_EQ(Mime("x.png"), "image/png");
  EXPECT_EQ(Mime("scan.tif"), "image/tiff");
  EXPECT_EQ(Mime("scan.TIFF"), "image/tiff");
  EXPECT_EQ(Mime("anim.gif"), "image/gif");
}

TEST(MimeTypeForTarget, OnlyTheLastDotOfTheFileNameCounts) {
  EXPECT_EQ(Mime("archive.tar.gif"), "image/gif");
  EXPECT_EQ(Mime("c:\\my.folder\\picture"), "(none)");
  EXPECT_EQ(Mime("c:/my.png/picture"), "(none)");
  EXPECT_EQ(Mime("scan.tif2"), "(none)");
  EXPECT_EQ(Mime("x.jpe"), "(none)");
  EXPECT_EQ(Mime("x."), "(none)");
  EXPECT_EQ(Mime(""), "(none)");
}

TEST(MimeTypeForTarget, TrailingBlanksDoNotMatter) {
  EXPECT_EQ(Mime("photo.png     "), "image/png");
  EXPECT_EQ(Mime("photo.png  .x "), "(none)");
}

// The engine's own list, read with GDI+ linked directly.
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

class EncoderLookup : public ::testing::Test {
 protected:
  std::unique_ptr<Pixet> pixet_ = Pixet::Create();
  pixet::testing::EngineStarted started_;  // the caller's start-up, as the saving methods have
};

TEST_F(EncoderLookup, FindsEachFormatCaseBlind) {
  for (auto [asked, mime] : {std::pair{"IMAGE/PNG", L"image/png"}, {"image/png   ", L"image/png"},
                             {"image/jpeg", L"image/jpeg"}, {"image/bmp", L"image/bmp"},
                             {"Image/Tiff", L"image/tiff"}, {"image/gif", L"image/gif"}}) {
    GUID clsid{};
    pixet_->GetEncoderClsid(asked, &clsid);
    const GUID expected = EncoderFor(mime);
    EXPECT_NE(expected, GUID{}) << asked;
    EXPECT_EQ(clsid, expected) << asked;
  }
}

TEST_F(EncoderLookup, UnknownTypeLeavesTheGuidCleared) {
  GUID clsid{};
  pixet_->GetEncoderClsid("image/x-unknown", &clsid);
  EXPECT_EQ(clsid, GUID{});
}

// Fakes for an engine whose encoder list is larger than usual.
UINT g_fake_size = 0;
SIZE_T g_block_seen = 0;
Gdiplus::GpStatus WINGDIPAPI FakeSize(UINT* count, UINT* size) {
  *count = 1;
  *size = g_fake_size;
  return Gdiplus::Ok;
}
Gdiplus::GpStatus WINGDIPAPI FakeList(UINT count, UINT size, Gdiplus::ImageCodecInfo* list) {
  g_block_seen = ::GlobalSize(::GlobalHandle(list));
  std::memset(list, 0, size);  // the engine fills all it reported
  static WCHAR kMime[] = L"image/fake";
  list[0].Clsid.Data1 = 0xFACE;
  list[0].MimeType = kMime;
  (void)count;
  return Gdiplus::Ok;
}

TEST_F(EncoderLookup, ListBlockIsNeverSmallerThanTheReportedSize) {
  auto& table = *PixetEngineTable();
  auto saved_size = table.GdipGetImageEncodersSize;
  auto saved_list = table.GdipGetImageEncoders;
  table.GdipGetImageEncodersSize = &FakeSize;
  table.GdipGetImageEncoders = &FakeList;
  for (UINT reported : {200u, 2432u, 9000u}) {  // room for the one record reported
    g_fake_size = reported;
    g_block_seen = 0;
    GUID clsid{};
    pixet_->GetEncoderClsid("IMAGE/FAKE", &clsid);
    EXPECT_GE(g_block_seen, reported);
    EXPECT_EQ(clsid.Data1, 0xFACEu) << reported;
  }
  table.GdipGetImageEncodersSize = saved_size;
  table.GdipGetImageEncoders = saved_list;
}

TEST_F(EncoderLookup, MissingEntriesAreNeverCalled) {
  auto& table = *PixetEngineTable();
  auto saved = table.GdipGetImageEncoders;
  table.GdipGetImageEncoders = nullptr;
  GUID clsid{};
  pixet_->GetEncoderClsid("image/png", &clsid);
  EXPECT_EQ(clsid, GUID{});
  table.GdipGetImageEncoders = saved;
}

}  // namespace
