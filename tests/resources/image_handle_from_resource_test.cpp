// Engine images made from type-0 resources of the test program and of a resource library.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "core/engine.h"
#include "pixet/pixet.h"
#include "support/engine_counter.h"
#include "support/test_support.h"

using namespace pixet::testing;

namespace {

constexpr char kLibrary[] = "pixet_test_resources.dll";

class ImageHandleFromResource : public ::testing::Test {
 protected:
  void SetUp() override { ClearMessages(); }
  void TearDown() override { PIXET_EXPECT_BALANCED(counter_); }

  struct Seen {
    unsigned width = 0, height = 0;
    std::uint32_t centre = 0;  // ARGB
  };
  // What the image shows; then disposes it through the library's table.
  Seen Inspect(std::intptr_t handle) {
    auto* image = reinterpret_cast<Gdiplus::GpBitmap*>(handle);
    Seen seen;
    Gdiplus::DllExports::GdipGetImageWidth(image, &seen.width);
    Gdiplus::DllExports::GdipGetImageHeight(image, &seen.height);
    Gdiplus::ARGB c = 0;
    Gdiplus::DllExports::GdipBitmapGetPixel(image, static_cast<INT>(seen.width / 2), static_cast<INT>(seen.height / 2), &c);
    seen.centre = c;
    PixetEngineTable()->GdipDisposeImage(image);
    return seen;
  }

  EngineStarted started_;  // the caller's start-up, which the lookup runs inside
  std::unique_ptr<Pixet> pixet_ = Pixet::Create();
  EngineCounter counter_;
};

TEST_F(ImageHandleFromResource, FromTheProgramWhenTheModuleIsOmitted) {
  struct Case {
    const char* name;
    unsigned width, height;
    std::uint32_t centre;
  };
  for (const Case& c : {Case{"LOGO", 16, 16, 0xFF00FF00u}, Case{"logo   ", 16, 16, 0xFF00FF00u},
                        Case{"ZICON", 8, 8, 0xFF0000FFu}, Case{"#7", 16, 16, 0xFF00FF00u}}) {
    pixet_->USERESOURCE = 1;
    const std::intptr_t image = pixet_->ImageHandleFromResource(c.name);
    ASSERT_NE(image, 0) << c.name;
    EXPECT_EQ(pixet_->USERESOURCE, 0) << c.name;
    const Seen seen = Inspect(image);
    EXPECT_EQ(seen.width, c.width) << c.name;
    EXPECT_EQ(seen.height, c.height) << c.name;
    EXPECT_EQ(seen.centre, c.centre) << c.name;
  }
  const Seen photo = Inspect(pixet_->ImageHandleFromResource("PHOTO"));  // lossy red
  EXPECT_EQ(photo.width, 24u);
  EXPECT_GT(photo.centre & 0xFF0000u, 0xE00000u);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ImageHandleFromResource, FromALibraryByNameWhichIsFreedAgain) {
  struct Case {
    const char* name;
    const char* module;
    unsigned width, height;
  };
  for (const Case& c : {Case{"LOGO", kLibrary, 20, 12}, Case{"SNAP  ", "pixet_test_resources.dll   ", 30, 20},
                        Case{"TILE", "PIXET_TEST_RESOURCES", 10, 6}}) {
    const Seen seen = Inspect(pixet_->ImageHandleFromResource(c.name, c.module));
    EXPECT_EQ(seen.width, c.width) << c.name;
    EXPECT_EQ(seen.height, c.height) << c.name;
    EXPECT_EQ(::GetModuleHandleA(kLibrary), nullptr) << "the library is released before the call returns";
  }
  EXPECT_EQ(Inspect(pixet_->ImageHandleFromResource("LOGO", kLibrary)).centre, 0xFFFFFF00u) << "the library's LOGO";
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ImageHandleFromResource, TheImageOwnsItsStreamUntilDisposed) {
  const std::intptr_t image = pixet_->ImageHandleFromResource("TILE", kLibrary);
  ASSERT_NE(image, 0);
  EXPECT_EQ(counter_.Streams(), 1);
  EXPECT_EQ(counter_.StreamsHeld(), 1) << "the image keeps its stream";
  Gdiplus::ARGB c = 0;
  Gdiplus::DllExports::GdipBitmapGetPixel(reinterpret_cast<Gdiplus::GpBitmap*>(image), 3, 3, &c);
  EXPECT_EQ(c, 0xFF00FFFFu) << "readable after the library is gone";
  PixetEngineTable()->GdipDisposeImage(reinterpret_cast<Gdiplus::GpImage*>(image));
  EXPECT_EQ(counter_.StreamsHeld(), 0);
  EXPECT_EQ(counter_.StreamsLeft(), 0) << "stream and block go with the image";
}

TEST_F(ImageHandleFromResource, MissingOrUndecodableResourcesGiveZero) {
  for (const char* name : {"NOSUCH", "BROKEN", "TRUNCATED", ""}) {
    pixet_->USERESOURCE = 1;
    EXPECT_EQ(pixet_->ImageHandleFromResource(name, kLibrary), 0) << name;
    EXPECT_EQ(pixet_->USERESOURCE, 0) << name;
  }
  EXPECT_EQ(pixet_->ImageHandleFromResource("NOSUCH"), 0);
  EXPECT_EQ(counter_.Streams(), 2) << "BROKEN and TRUNCATED reached the engine";
  EXPECT_EQ(counter_.StreamsLeft(), 0);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ImageHandleFromResource, OmittedAndBlankModulesDiffer) {
  EXPECT_EQ(Inspect(pixet_->ImageHandleFromResource("LOGO", nullptr)).width, 16u) << "omitted: the program";
  for (const char* blank : {"   ", ""}) {
    ClearMessages();
    pixet_->USERESOURCE = 1;
    EXPECT_EQ(pixet_->ImageHandleFromResource("LOGO", blank), 0);
    EXPECT_EQ(pixet_->USERESOURCE, 0);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "Can't load ");
    EXPECT_FALSE(Messages()[0].has_caption);
  }
}

TEST_F(ImageHandleFromResource, MissingLibraryShowsItsName) {
  pixet_->USERESOURCE = 1;
  EXPECT_EQ(pixet_->ImageHandleFromResource("LOGO", "no-such-module.dll  "), 0);
  EXPECT_EQ(pixet_->USERESOURCE, 0);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].text, "Can't load no-such-module.dll");
  EXPECT_EQ(counter_.Streams(), 0);
}

TEST_F(ImageHandleFromResource, NamesAreCutTo127Characters) {
  const std::string resource = "LONGNAME" + std::string(119, 'X');  // the library's 127-character name
  EXPECT_EQ(Inspect(pixet_->ImageHandleFromResource((resource + std::string(173, 'X')).c_str(), kLibrary)).width, 10u);
  EXPECT_EQ(pixet_->ImageHandleFromResource(resource.substr(0, 126).c_str(), kLibrary), 0);

  // ".\" 48 times, then the library's path from the working folder: 127 characters.
  std::string module;
  for (int i = 0; i < 48; ++i) module += ".\\";
  module += "..\\bin\\pixet_test_resources.dll";
  ASSERT_EQ(module.size(), 127u);
  EXPECT_EQ(Inspect(pixet_->ImageHandleFromResource("TILE", (module + std::string(173, 'Y')).c_str())).width, 10u);
  EXPECT_TRUE(Messages().empty());

  const std::string missing = std::string(127, 'm') + std::string(173, 'n');
  EXPECT_EQ(pixet_->ImageHandleFromResource("TILE", missing.c_str()), 0);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].text, "Can't load " + std::string(127, 'm'));
}

}  // namespace
